// How long one read command blocks the window when the controller answers at once. Its floor
// is the 50 ms drain plus the reply's two polling steps (no time on the wire of a
// pseudo-terminal). The same command through a serial device server on loopback (ser2net in
// front of a second simulated controller) is measured in the same run, in alternating blocks,
// and compared with it.
#include <QComboBox>
#include <vector>

#include "bench_console.h"
#include "device_server.h"

namespace {

void usePort(kt::ui::MainDialog& dialog, int index)
{
    if (dialog.isPortOpen())
        dialog.button(kt::ui::PortButton)->click();
    dialog.dropDown(kt::ui::PortNumberList)->setCurrentIndex(index);
    dialog.button(kt::ui::PortButton)->click();
}

}  // namespace

int main(int argc, char** argv)
{
    BenchApplication application(argc, argv);
    kt::sim::ControllerSimulator served;
    if (!served.start())
        return 1;
    kt::serial::test::DeviceServer server(served.devicePath());
    qputenv("KT5270_COM2", QByteArray::fromStdString(server.address()));
    BenchConsole console;
    if (!console.ready() || !server.isRunning())
        return 1;

    constexpr int kBlocks = 5;
    constexpr int kBlockRuns = 10;
    std::vector<double> lineRuns, serverRuns;
    for (int block = 0; block < 2 * kBlocks; ++block) {
        const bool throughServer = block % 2 == 1;
        usePort(console.dialog(), throughServer ? 1 : 0);
        if (!console.dialog().isPortOpen())
            return 1;
        for (int run = 0; run < kBlockRuns; ++run) {
            (throughServer ? serverRuns : lineRuns).push_back(millisecondsOf(
                [&] { console.dialog().button(kt::ui::ReadLengthAButton)->click(); }));
        }
    }
    if (!console.prompts().messages.empty())
        return 1;
    printRuns("read command (length A, 8-byte request, 9-byte reply)", lineRuns);
    printRuns("the same through a device server on loopback", serverRuns);
    printRow("a read command (length A), answered at once", median(lineRuns), "ms", Bound{50 + kReplyFloorMs});
    printRow("the same through a device server on loopback, against the line above", median(serverRuns), "ms",
             Bound{median(lineRuns)});
    return 0;
}
