#include "sim/outcome.h"

#include <cerrno>
#include <system_error>

namespace kt::sim {

Outcome Outcome::fromErrno(const std::string& what)
{
    return failure(what + ": " + std::system_category().message(errno));
}

}  // namespace kt::sim
