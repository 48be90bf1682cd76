#pragma once

#include <string>
#include <vector>

#include "sim/frame_assembler.h"
#include "sim/outcome.h"

namespace kt::sim {

// Writes `frames` to the file at `path`, one a line, as lower-case hex bytes separated by
// spaces; a line of bytes that formed no request starts with "!". For checks that drive a
// console from outside, e.g. under Wine, and compare what reached the line.
Outcome writeFrameRecord(const std::string& path, const std::vector<ReceivedFrame>& frames);

}  // namespace kt::sim
