// How long a download of a full log (40 records) blocks the window when the controller
// answers at once. Its floor is the 50 ms drain, three replies (count, block 1, block 2; each
// two polling steps) and the 300 ms pause between the blocks.
#include <QTableWidget>
#include <vector>

#include "bench_console.h"

int main(int argc, char** argv)
{
    BenchApplication application(argc, argv);
    BenchConsole console;
    if (!console.ready())
        return 1;
    constexpr int kRecords = 40;
    console.simulator.withDevice([](kt::sim::ControllerDevice& device) {
        std::vector<kt::sim::LogRecord> records;
        for (int k = 0; k < kRecords; ++k)
            records.push_back(kt::sim::makeLogRecord({.year = 2010, .minute = k}, 1, 0, 1234));
        device.log().setRecords(records);
    });

    constexpr int kRuns = 21;
    std::vector<double> runs;
    for (int run = 0; run < kRuns; ++run) {
        runs.push_back(
            millisecondsOf([&] { console.dialog().button(kt::ui::ReadLogButton)->click(); }));
        if (console.dialog().eventTable()->rowCount() != kRecords)
            return 1;
    }
    if (!console.prompts().messages.empty())
        return 1;
    printRuns("log download (count, 25-record block, 300 ms pause, 15-record block)", runs);
    printRow("a download of 40 log records", median(runs), "ms", Bound{50 + 3 * kReplyFloorMs + 300});
    return 0;
}
