// Monitoring against the simulated controller: cycles per second without a pause (with the
// communication log's window closed and open), the time from a status reply's arrival to
// channel A's lamp repainted, the CPU the whole process uses while it polls every 500 ms, and
// while it polls a controller whose line has vanished.
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "bench_console.h"
#include "ui/traffic_log_window.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using kt::ui::MainDialog;

int cycles(MainDialog& dialog)
{
    return dialog.label(kt::ui::SuccessCountText)->text().toInt()
        + dialog.label(kt::ui::FailureCountText)->text().toInt();
}

// Times at which channel A's lamp is painted with a picture other than its last one.
class LampPaintRecorder : public QObject {
public:
    explicit LampPaintRecorder(QLabel* lamp) : lamp_(lamp) { lamp->installEventFilter(this); }

    std::vector<Clock::time_point> changes;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == lamp_ && event->type() == QEvent::Paint) {
            const qint64 picture = lamp_->pixmap().cacheKey();
            if (picture != lastPicture_) {
                lastPicture_ = picture;
                changes.push_back(Clock::now());
            }
        }
        return false;
    }

private:
    QLabel* lamp_;
    qint64 lastPicture_ = 0;
};

// Times at which the simulator receives each request, taken on a thread of their own.
class RequestWatcher {
public:
    explicit RequestWatcher(kt::sim::ControllerSimulator& simulator)
        : thread_([this, &simulator] {
              std::size_t seen = simulator.receivedFrames().size();
              while (watching_) {
                  if (!simulator.waitForFrames(seen + 1, 100ms))
                      continue;
                  const Clock::time_point now = Clock::now();
                  seen = simulator.receivedFrames().size();
                  std::lock_guard lock(mutex_);
                  times_.push_back(now);
              }
          })
    {
    }

    std::vector<Clock::time_point> stop()
    {
        watching_ = false;
        thread_.join();
        return times_;
    }

private:
    std::atomic<bool> watching_{true};
    std::mutex mutex_;
    std::vector<Clock::time_point> times_;
    std::thread thread_;
};

// Cycles a second over one second of the window's events.
double cycleRate(MainDialog& dialog)
{
    const int before = cycles(dialog);
    const double wall = millisecondsOf([] { runEventsFor(1s); });
    return 1000 * (cycles(dialog) - before) / wall;
}

// At best a cycle costs its reply's two polling steps: 250 cycles a second. The communication
// log's window, open, shows every cycle's rows as they come; its seconds alternate with
// seconds of it closed, so that both figures see the same load on the machine.
void measureCyclesPerSecond(BenchConsole& console)
{
    startMonitoring(console.dialog(), "0");
    runEventsFor(500ms);  // past the start-up drain
    std::vector<double> closed;
    std::vector<double> open;
    for (int window = 0; window < 10; ++window) {
        closed.push_back(cycleRate(console.dialog()));
        console.dialog().showTrafficLog();
        open.push_back(cycleRate(console.dialog()));
        console.dialog().trafficLogWindow()->hide();
    }
    stopMonitoring(console.dialog());
    std::printf("period 0: %.0f cycles a second (%.2f ms a cycle) with the communication log "
                "closed, %.0f with it open (%+.1f %%), medians of ten 1 s windows each\n",
                median(closed), 1000 / median(closed), median(open),
                100 * (median(open) / median(closed) - 1));
    const Bound floor{.value = 1000 / kReplyFloorMs, .isCeiling = true};
    printRow("monitoring cycles per second at period 0", median(closed), "/s", floor);
    printRow("the same, communication log window open", median(open), "/s", floor);
}

void measureReplyToLamp(BenchConsole& console)
{
    // Channel A, normal so far, alternates between broken and normal on every status read:
    // one repaint a cycle.
    console.simulator.withDevice([](kt::sim::ControllerDevice& device) {
        device.scenario().play({{.codeB = 0, .codeA = 2}, {.codeB = 0, .codeA = 0}},
                               kt::sim::ScenarioEnd::Loop);
    });
    console.dialog().show();
    LampPaintRecorder paints(console.dialog().label(kt::ui::ChannelALamp));
    runEventsFor(200ms);
    paints.changes.clear();

    // Delayed replies space the requests out, so that the watcher sees each one arrive; the
    // reply then arrives a known time after its request.
    constexpr auto kReplyDelay = 20ms;
    console.simulator.setReplyDelay(kReplyDelay);
    RequestWatcher watcher(console.simulator);
    startMonitoring(console.dialog(), "0");
    runEventsFor(3s);
    console.dialog().button(kt::ui::MonitorButton)->click();
    runEventsFor(500ms);
    const std::vector<Clock::time_point> requests = watcher.stop();
    console.simulator.setReplyDelay(0ms);

    // The k-th lamp change answers the k-th status request; each is painted before the next
    // reply can change the lamp again.
    std::vector<double> latencies;
    for (std::size_t k = 0; k < std::min(requests.size(), paints.changes.size()); ++k)
        latencies.push_back(milliseconds(paints.changes[k] - requests[k] - kReplyDelay));
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty()) {
        std::printf("status reply to lamp repainted: nothing measured\n");
        return;
    }
    std::printf("status reply to lamp repainted: median %.2f ms, 90th percentile %.2f ms over %zu "
                "cycles (%zu requests, %zu repaints)\n",
                latencies[latencies.size() / 2], latencies[latencies.size() * 9 / 10],
                latencies.size(), requests.size(), paints.changes.size());
    console.dialog().hide();
}

// The simulator's thread is part of the process and counted too.
void measureCpuAtDefaultPeriod(BenchConsole& console)
{
    startMonitoring(console.dialog(), "500");
    std::vector<double> shares;
    for (int window = 0; window < 5; ++window)
        shares.push_back(cpuPercentWhileRunning(2s));
    stopMonitoring(console.dialog());
    std::printf("period 500 ms: CPU %.2f %% of one core, median of five 2 s windows\n",
                median(shares));
    printRow("CPU of the console monitoring at 500 ms", median(shares), "% of one core");
}

// A controller whose line vanished, as when its USB adapter is pulled out: every cycle waits
// out its 300 ms for a reply that cannot come, and the failing calls must not make it spin.
void measureCpuOnVanishedLine(BenchConsole& console)
{
    console.simulator.stop();
    startMonitoring(console.dialog(), "0");
    std::vector<double> shares;
    for (int window = 0; window < 3; ++window)
        shares.push_back(cpuPercentWhileRunning(2s));
    const int failures = console.dialog().label(kt::ui::FailureCountText)->text().toInt();
    stopMonitoring(console.dialog());
    std::printf("vanished line, period 0: CPU %.2f %% of one core, %d failed cycles in about 6 s\n",
                median(shares), failures);
    printRow("CPU of the console monitoring a vanished line at period 0", median(shares),
             "% of one core");
}

}  // namespace

int main(int argc, char** argv)
{
    BenchApplication application(argc, argv);
    BenchConsole console;
    if (!console.ready())
        return 1;
    measureCyclesPerSecond(console);
    measureReplyToLamp(console);
    measureCpuAtDefaultPeriod(console);
    measureCpuOnVanishedLine(console);
    return console.prompts().messages.empty() ? 0 : 1;
}
