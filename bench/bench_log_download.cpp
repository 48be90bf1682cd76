// How long a download of a full log (40 records) blocks the window when the controller
// answers at once. Its floor is the 50 ms drain, three exchanges (count, block 1, block 2;
// each at least one 2 ms polling step) and the 300 ms pause between the blocks.
#include <QApplication>
#include <QTableWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench_console.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
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
    std::vector<double> milliseconds;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        console.dialog().button(kt::ui::ReadLogButton)->click();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        milliseconds.push_back(took.count());
        if (console.dialog().eventTable()->rowCount() != kRecords)
            return 1;
    }
    if (!console.prompts().messages.empty())
        return 1;
    std::sort(milliseconds.begin(), milliseconds.end());
    constexpr double kFloorMs = 50 + 3 * 2 + 300;
    std::printf("log download (40 records: count, 25-record block, 300 ms pause, 15-record "
                "block), %d runs\n",
                kRuns);
    std::printf("  median %.1f ms, fastest %.1f ms, slowest %.1f ms; floor %.0f ms "
                "(50 ms drain + three exchanges + 300 ms pause)\n",
                milliseconds[kRuns / 2], milliseconds.front(), milliseconds.back(), kFloorMs);
    return 0;
}
