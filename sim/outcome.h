#pragma once

#include <string>
#include <utility>

namespace kt::sim {

// The result of an operation that can fail for a reason worth showing: success carries no text.
struct Outcome {
    std::string error;

    explicit operator bool() const { return error.empty(); }

    static Outcome success() { return {}; }
    static Outcome failure(std::string what) { return {std::move(what)}; }
    // `what` followed by the text of the current errno.
    static Outcome fromErrno(const std::string& what);
};

}  // namespace kt::sim
