#include "serve/daemon_log.h"

#include <cstdio>
#include <string>

#include "report/local_time.h"

namespace kt::serve {

void logLine(Priority priority, std::string_view text)
{
    const std::string line = "<" + std::to_string(static_cast<int>(priority)) + ">"
                             + report::localTimeStamp() + " " + std::string(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace kt::serve
