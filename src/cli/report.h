#pragma once

#include <string_view>

#include "cli/exit_code.h"
#include "cli/invocation.h"
#include "link/link.h"
#include "report/json.h"

// What the tool writes: results on standard output, as text or one JSON object a line, and
// each failure as one line on standard error.
namespace kt::cli {

using report::Json;
using report::dumpJson;
using report::jsonNumber;

// `json` when --json was given, otherwise `text`; one line either way.
void printResult(const Invocation& invocation, std::string_view text, const Json& json);

// Writes `text` as one line on standard error and returns `code`.
ExitCode fail(ExitCode code, std::string_view text);

// A failed reply, as the window reports it: "读数据错误" or "校验出错!!!".
ExitCode failReply(link::Failure failure);

}  // namespace kt::cli
