#pragma once

#include <string_view>

namespace kt::cli {

// True for an optionally negative decimal number such as "12", "-3" or, when `fraction`, "12.5".
// The operator-text parsers read anything (a typo reads as 0); the command line takes numbers
// only, and leaves their ranges to those parsers.
bool isPlainNumber(std::string_view text, bool fraction = false);

}  // namespace kt::cli
