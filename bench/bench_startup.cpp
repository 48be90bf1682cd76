// The console's start-up, from a new process to its window painted, and its resident memory
// with a port open. For each start-up this program starts itself again in a child role that
// runs the console's own start-up, as main() does, and reports the window's first paint
// through a pipe; the report and the closing of the window belong to the bench alone.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QEvent>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "bench_console.h"
#include "ui/application_setup.h"
#include "ui/main_dialog.h"
#include "ui/startup_directory.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

constexpr std::string_view kChildRole = "--report-first-paint-to";

// In the child: writes one byte to `fd` when the window is first painted, then closes it.
class FirstPaintReporter : public QObject {
public:
    FirstPaintReporter(QWidget& window, int fd) : window_(window), fd_(fd)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (receiver == &window_ && event->type() == QEvent::Paint && fd_ >= 0) {
            const char painted = 1;
            std::ignore = ::write(fd_, &painted, 1);
            ::close(fd_);
            fd_ = -1;
            QTimer::singleShot(0, &window_, &QWidget::close);
        }
        return false;
    }

private:
    QWidget& window_;
    int fd_;
};

// The console's start-up, call for call as its main() runs it, with the reporter watching.
int runConsoleStartUp(int argc, char** argv, int reportFd)
{
    QApplication application(argc, argv);
    kt::ui::setUpApplication(application);
    kt::ui::startupDirectory();
    kt::ui::MainDialog window;
    FirstPaintReporter reporter(window, reportFd);
    window.exec();
    return 0;
}

// Milliseconds from starting a child to its report of the first paint; none on a failure.
std::optional<double> timeOneStartUp(char* self)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return std::nullopt;
    const auto [readEnd, writeEnd] = ends;
    ::fcntl(readEnd, F_SETFD, FD_CLOEXEC);
    std::string writeEndNumber = std::to_string(writeEnd);
    std::string role(kChildRole);
    char* arguments[] = {self, role.data(), writeEndNumber.data(), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const bool spawned = ::posix_spawn(&child, self, nullptr, nullptr, arguments, environ) == 0;
    ::close(writeEnd);
    pollfd report{readEnd, POLLIN, 0};
    char painted = 0;
    const bool reported = spawned && ::poll(&report, 1, 30000) == 1 && ::read(readEnd, &painted, 1) == 1;
    const double took = milliseconds(std::chrono::steady_clock::now() - start);
    ::close(readEnd);
    int status = 0;
    if (spawned)
        ::waitpid(child, &status, 0);
    if (!reported || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return took;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && argv[1] == kChildRole)
        return runConsoleStartUp(argc, argv, std::stoi(argv[2]));

    qputenv("QT_QPA_PLATFORM", "offscreen");  // for the children as well
    // The first start reads the libraries and the font cache from disk; it is not counted.
    if (!timeOneStartUp(argv[0]))
        return 1;
    std::vector<double> runs;
    for (int run = 0; run < 11; ++run) {
        const std::optional<double> took = timeOneStartUp(argv[0]);
        if (!took)
            return 1;
        runs.push_back(*took);
    }
    printRuns("start-up, new process to the window painted", runs);
    printRow("start-up to the window shown (new process)", median(runs), "ms");

    BenchApplication application(argc, argv);
    BenchConsole console;
    if (!console.ready())
        return 1;
    console.dialog().show();
    console.dialog().button(kt::ui::ReadLengthAButton)->click();
    runEventsFor(1s);
    if (!console.prompts().messages.empty())
        return 1;
    // The simulator's thread is part of the process and counted too. The peak is brought up
    // to date lazily and may lag behind the present figure.
    const double resident = statusMiB("VmRSS");
    const double peak = std::max(resident, statusMiB("VmHWM"));
    printRow("resident memory, port open (VmRSS)", resident, "MiB");
    printRow("peak resident memory, port open (VmHWM)", peak, "MiB");
    return 0;
}
