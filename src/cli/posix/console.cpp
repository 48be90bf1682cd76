#include "cli/console.h"

namespace kt::cli {

// A terminal takes UTF-8 as it is.
void prepareStandardStreams() {}

void writeText(std::FILE* stream, std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace kt::cli
