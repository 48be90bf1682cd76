// How long one read command blocks the window when the controller answers at once. Its floor
// is the 50 ms drain plus the reply's two polling steps (no time on the wire of a
// pseudo-terminal).
#include <vector>

#include "bench_console.h"

int main(int argc, char** argv)
{
    BenchApplication application(argc, argv);
    BenchConsole console;
    if (!console.ready())
        return 1;

    constexpr int kRuns = 50;
    std::vector<double> runs;
    for (int run = 0; run < kRuns; ++run) {
        runs.push_back(millisecondsOf(
            [&] { console.dialog().button(kt::ui::ReadLengthAButton)->click(); }));
    }
    if (!console.prompts().messages.empty())
        return 1;
    printRuns("read command (length A, 8-byte request, 9-byte reply)", runs);
    printRow("a read command (length A), answered at once", median(runs), "ms", Bound{50 + kReplyFloorMs});
    return 0;
}
