#include "cli/report.h"

#include <cstdio>
#include <string>

#include "cli/console.h"
#include "link/failure_text.h"

namespace kt::cli {
namespace {

void printLine(std::FILE* stream, std::string_view text)
{
    writeText(stream, std::string(text) + "\n");
    std::fflush(stream);  // a watching script sees each line as it comes
}

}  // namespace

void printResult(const Invocation& invocation, std::string_view text, const Json& json)
{
    printLine(stdout, invocation.json ? std::string_view(dumpJson(json)) : text);
}

ExitCode fail(ExitCode code, std::string_view text)
{
    printLine(stderr, text);
    return code;
}

ExitCode failReply(link::Failure failure)
{
    return fail(ExitCode::NoAnswer, link::standardFailureText(failure));
}

}  // namespace kt::cli
