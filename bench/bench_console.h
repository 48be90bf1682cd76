#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "process_cpu.h"
#include "recording_prompts.h"
#include "sim/controller_simulator.h"
#include "ui/application_setup.h"

// Sets the offscreen platform before the application reads it.
struct OffscreenPlatform {
    OffscreenPlatform() { qputenv("QT_QPA_PLATFORM", "offscreen"); }
};

// The application, offscreen, set up as the console sets itself up.
class BenchApplication : private OffscreenPlatform, public QApplication {
public:
    BenchApplication(int& argc, char** argv) : QApplication(argc, argv)
    {
        kt::ui::setUpApplication(*this);
    }
};

// The console's window with COM1 open on a simulated controller, for the benchmarks.
struct BenchConsole {
    BenchConsole()
    {
        if (!simulator.start())
            return;
        qputenv("KT5270_COM1", QByteArray::fromStdString(simulator.devicePath()));
        recorded = makeRecordedMainDialog();
        recorded.dialog->button(kt::ui::PortButton)->click();
    }

    bool ready() const { return recorded.dialog && recorded.dialog->isPortOpen(); }
    kt::ui::MainDialog& dialog() { return *recorded.dialog; }
    RecordingPrompts& prompts() { return *recorded.prompts; }

    kt::sim::ControllerSimulator simulator;
    RecordedMainDialog recorded{};
};

// Runs the window's event loop for `duration`, handling every notification as it comes.
inline void runEventsFor(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

// Handles events as they come until `done` holds or `limit` has passed; false on the limit.
template <typename Done>
bool runEventsUntil(Done done, std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    QTimer wake;  // so that the limit is noticed on a silent event queue too
    wake.start(100);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

inline void startMonitoring(kt::ui::MainDialog& dialog, const char* period)
{
    dialog.edit(kt::ui::PeriodField)->setText(QString::fromLatin1(period));
    dialog.button(kt::ui::MonitorButton)->click();
}

inline void stopMonitoring(kt::ui::MainDialog& dialog)
{
    dialog.button(kt::ui::MonitorButton)->click();
    runEventsFor(std::chrono::seconds(1));  // the stopped worker finishes its cycle
}

// A field of /proc/self/status in MiB, such as VmRSS; 0 when it is missing.
inline double statusMiB(std::string_view field)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    double kib = 0;
    while (status >> name) {
        if (name == std::string(field) + ":" && status >> kib)
            return kib / 1024;
        status.ignore(1 << 10, '\n');
    }
    return 0;
}

inline double milliseconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The milliseconds `work` takes.
template <typename Work>
double millisecondsOf(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return milliseconds(std::chrono::steady_clock::now() - start);
}

// The share of one core, in per cent, that the process uses while the window's events run for
// `duration`.
inline double cpuPercentWhileRunning(std::chrono::milliseconds duration)
{
    const double cpuBefore = processCpuSeconds();
    const double wall = millisecondsOf([&] { runEventsFor(duration); });
    return 100 * 1000 * (processCpuSeconds() - cpuBefore) / wall;
}

inline double median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Milliseconds of repeated runs, for a reader.
inline void printRuns(const char* what, const std::vector<double>& runs)
{
    if (runs.empty())
        return;
    std::printf("%s, %zu runs: fastest %.1f ms, median %.1f ms, slowest %.1f ms\n", what,
                runs.size(), *std::min_element(runs.begin(), runs.end()), median(runs),
                *std::max_element(runs.begin(), runs.end()));
}

// The least a reply costs: waitForBytes pauses 2 ms after every poll, and its first poll comes
// right after the request, before any controller can have answered, so it takes two steps.
inline constexpr double kReplyFloorMs = 2 * 2;

// What a figure is compared with: the least it can cost (a time), or the most it can reach (a
// rate). The ratio says how many times worse than that bound the figure is.
struct Bound {
    double value;
    bool isCeiling = false;
};

// One row of the benchmark report, "row: figure|median|floor|ratio", which
// scripts/run-benchmarks.sh collects into its table.
inline void printRow(const char* figure, double median, const char* unit,
                     std::optional<Bound> bound = std::nullopt)
{
    std::printf("row: %s|%.4g %s|", figure, median, unit);
    if (bound) {
        const double ratio = bound->isCeiling ? bound->value / median : median / bound->value;
        std::printf("%.4g %s|%.2f\n", bound->value, unit, ratio);
    } else {
        std::printf("–|–\n");
    }
    std::fflush(stdout);
}
