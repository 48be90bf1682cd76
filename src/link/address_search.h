#pragma once

#include <cstdint>
#include <functional>

#include "link/link.h"

namespace kt::link {

enum class SearchEnd {
    Found,     // a station answered
    NotFound,  // every address went unanswered
    Stopped,   // told to stop before either
};

struct SearchOutcome {
    SearchEnd end;
    std::uint8_t address = 0;  // with Found: the station that answered
};

// Asks every address from 0 to 255 in turn, each with the address probe's short wait, and
// takes the first full reply with a passing checksum. `keepGoing` is asked before each
// probe; `unanswered` hears of each probe that got no such reply.
SearchOutcome searchAddress(Link& link, const std::function<bool()>& keepGoing,
                            const std::function<void()>& unanswered = nullptr);

}  // namespace kt::link
