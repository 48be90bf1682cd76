// How long one read command blocks the window when the controller answers at once: the
// 50 ms drain, the request and reply on the line, and at most one 2 ms polling step.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "recording_prompts.h"
#include "sim/controller_simulator.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    kt::sim::ControllerSimulator simulator;
    if (!simulator.start())
        return 1;
    qputenv("KT5270_COM1", QByteArray::fromStdString(simulator.devicePath()));
    RecordedMainDialog console = makeRecordedMainDialog();
    console.dialog->button(kt::ui::PortButton)->click();
    if (!console.dialog->isPortOpen())
        return 1;

    constexpr int kRuns = 50;
    std::vector<double> milliseconds;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        console.dialog->button(kt::ui::ReadLengthAButton)->click();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        milliseconds.push_back(took.count());
    }
    if (!console.prompts->messages.empty())
        return 1;
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("read command (length A, 8-byte request, 9-byte reply), %d runs\n", kRuns);
    std::printf("  median %.1f ms, fastest %.1f ms, slowest %.1f ms; floor 50 ms drain + reply\n",
                milliseconds[kRuns / 2], milliseconds.front(), milliseconds.back());
    return 0;
}
