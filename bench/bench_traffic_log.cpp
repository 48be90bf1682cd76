// The communication log's memory: the console's resident memory once the log is full of
// monitoring traffic (10,000 rows, all on view in the log's window) against the same console
// with the log just cleared.
#include <QAbstractItemModel>
#include <QTableView>

#include "bench_console.h"
#include "ui/traffic_log.h"
#include "ui/traffic_log_window.h"

int main(int argc, char** argv)
{
    using namespace std::chrono_literals;
    BenchApplication application(argc, argv);
    BenchConsole console;
    if (!console.ready())
        return 1;
    console.dialog().showTrafficLog();
    kt::ui::TrafficLogWindow& window = *console.dialog().trafficLogWindow();
    window.clearButton()->click();
    runEventsFor(1s);
    const double empty = statusMiB("VmRSS");

    // Two rows a cycle: the log is full after about 5,000 cycles; it goes on a while longer, so
    // that the oldest rows have made room for new ones.
    startMonitoring(console.dialog(), "0");
    const auto shownRows = [&] { return window.table()->model()->rowCount(); };
    const bool filled = runEventsUntil(
        [&] { return shownRows() == int(kt::ui::TrafficLog::kCapacity); }, 300s);
    runEventsFor(3s);
    stopMonitoring(console.dialog());
    if (!filled || !console.prompts().messages.empty())
        return 1;
    const double full = statusMiB("VmRSS");
    std::printf("resident memory: %.1f MiB with the communication log empty, %.1f MiB with it "
                "full (%d rows on view)\n",
                empty, full, shownRows());
    printRow("resident memory, communication log full less empty", full - empty, "MiB");
    return 0;
}
