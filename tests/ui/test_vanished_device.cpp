// A controller whose line vanishes while the port is open, as when its USB adapter is pulled
// out: a command, the monitoring and the address search take it as silence at their usual
// pace, the dead port closes cleanly, and COM1 finds the controller again once it is plugged
// back in under another device name.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "process_cpu.h"
#include "worker_support.h"

using namespace kt::ui;
using kt::sim::AddressFilter;
using kt::sim::ChannelSetting;
using kt::sim::ControllerDevice;

namespace {

const QString kOpenFailure = QStringLiteral("打开串口失败,没有发现此串口或此串口被占用!!!");
const QString kReadDataError = QStringLiteral("读数据错误");
const QString kSearching = QStringLiteral("查找中...");

// Monitoring or searching a vanished line takes a few per cent of one core, under the
// sanitizers too; a worker spinning on the failing calls takes a whole one.
constexpr double kMostCpuShare = 0.3;

// Runs the window's events for `milliseconds` while `steps` counts a worker's steps on the
// vanished line: at least two come, each after its `waitMs` wait, so none sooner, and the
// whole console uses little of a core meanwhile.
void checkWorkerPace(const std::function<int()>& steps, int milliseconds, int waitMs)
{
    const int before = steps();
    const double cpuBefore = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(milliseconds);
    const double cpuShare = (processCpuSeconds() - cpuBefore) / (double(wall.elapsed()) / 1000);
    const int taken = steps() - before;
    const qint64 elapsed = wall.elapsed();
    QVERIFY2(taken >= 2 && taken <= elapsed / waitMs + 1,
             qPrintable(QStringLiteral("%1 steps in %2 ms").arg(taken).arg(elapsed)));
    QVERIFY2(cpuShare < kMostCpuShare, qPrintable(QString::number(cpuShare)));
}

// Counts the worker notifications that reach the window.
class NotificationCounter : public QObject {
public:
    NotificationCounter() { QCoreApplication::instance()->installEventFilter(this); }

    int count = 0;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (event->type() == QEvent::MetaCall && qobject_cast<WorkerThread*>(receiver))
            ++count;
        return false;
    }
};

// The console with COM1 named by a link that follows the controller's device, as a stable
// device name follows an adapter, and the port open.
class PluggableConsole : public ConsoleFixture {
public:
    PluggableConsole()
    {
        simulator.stop();
        QVERIFY(simulator.start(linkPath()));
        qputenv("KT5270_COM1", QByteArray::fromStdString(linkPath()));
        simulator.withDevice([](ControllerDevice& device) {
            device.setChannelValue(ChannelSetting::CableLength, kt::sim::Channel::A, 1250);
        });
        openPort();
    }

    // The device goes away; the console keeps its now dead port open.
    void unplug()
    {
        vanishedDevice_ = simulator.devicePath();
        simulator.stop();
    }

    void plugBackIn() { QVERIFY(simulator.start(linkPath())); }

    // While the console holds the vanished device, its name cannot be given to the new one.
    bool isBackUnderAnotherName() const
    {
        return !simulator.devicePath().empty() && simulator.devicePath() != vanishedDevice_;
    }

    // Closing the dead port goes without a word.
    void closePort()
    {
        click(PortButton);
        QCOMPARE(takeMessage(), QString());
        QVERIFY(!dialog->isPortOpen());
    }

    // A stopped worker keeps the port until it has ended its step; then the port closes.
    void closePortOnceFree()
    {
        QTRY_VERIFY_WITH_TIMEOUT((click(PortButton), !dialog->isPortOpen()), 10000);
        prompts->messages.clear();
    }

    // Opening COM1 again reaches the controller behind the link, whatever its device now is.
    void checkPortWorksAgain()
    {
        openPort();
        takeFrames();
        click(ReadLengthAButton);
        QCOMPARE(takeMessage(), QString());
        QCOMPARE(text(LengthAField), QStringLiteral("12.50"));
        QCOMPARE(takeFrames().size(), std::size_t{1});
    }

private:
    std::string linkPath() const { return folder_.filePath(QStringLiteral("com1")).toStdString(); }

    QTemporaryDir folder_;
    std::string vanishedDevice_;
};

}  // namespace

class VanishedDeviceTest : public QObject {
    Q_OBJECT

private slots:
    // The shared exchange, the download's several exchanges and the zero calibration's own
    // each report silence in their text; then, while the device is still away, COM1 cannot
    // be opened, and once it is back it can.
    void aCommandReportsSilence_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("message");
        QTest::newRow("read length A") << int(ReadLengthAButton) << kReadDataError;
        QTest::newRow("download log") << int(ReadLogButton) << kReadDataError;
        QTest::newRow("zero calibration A") << int(ZeroCalibrationAButton)
                                            << QStringLiteral("无数据返回!");
    }
    void aCommandReportsSilence()
    {
        QFETCH(int, button);
        QFETCH(QString, message);
        PluggableConsole console;
        console.setText(LengthAField, QStringLiteral("10"));
        console.unplug();

        QElapsedTimer timer;
        timer.start();
        console.click(button);
        QCOMPARE(console.takeMessage(), message);
        // The drain and one reply wait, with room for a loaded machine; a read that hung on the
        // dead line would never return.
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));

        console.closePort();
        console.click(PortButton);
        QCOMPARE(console.takeMessage().section(u'\n', 0, 0), kOpenFailure);  // the cause follows
        QVERIFY(!console.dialog->isPortOpen());
        console.plugBackIn();
        console.checkPortWorksAgain();
    }

    void monitoringCountsFailedCyclesAtItsPace()
    {
        PluggableConsole console;
        console.setText(PeriodField, QStringLiteral("0"));
        console.click(MonitorButton);
        QTRY_VERIFY_WITH_TIMEOUT(shownNumber(console, SuccessCountText) >= 2, 10000);

        console.unplug();
        QTest::qWait(400);  // the cycle under way when the device went ends
        const int successes = shownNumber(console, SuccessCountText);
        // Each failed cycle waits out its 300 ms for the reply.
        checkWorkerPace([&] { return shownNumber(console, FailureCountText); }, 2000, 300);
        QCOMPARE(shownNumber(console, SuccessCountText), successes);
        QCOMPARE(console.takeMessage(), QString());

        console.click(MonitorButton);
        console.plugBackIn();
        QVERIFY(console.isBackUnderAnotherName());
        console.closePortOnceFree();
        console.checkPortWorksAgain();
    }

    // Probes go on, each after its 100 ms wait, until the operator stops the search.
    void searchMovesOnPastTheVanishedDevice()
    {
        PluggableConsole console;
        console.simulator.withDevice(
            [](ControllerDevice& device) { device.setAddressFilter(AddressFilter::NoAddress); });
        console.click(SearchButton);
        QTRY_VERIFY_WITH_TIMEOUT(console.simulator.receivedFrames().size() >= 2, 10000);

        console.unplug();
        QTest::qWait(200);
        NotificationCounter probes;
        checkWorkerPace([&] { return probes.count; }, 1500, 100);
        QCOMPARE(console.dialog->label(SearchResultText)->text(), kSearching);
        QCOMPARE(console.takeMessage(), QString());

        console.click(SearchButton);
        QCOMPARE(console.dialog->button(SearchButton)->text(), QStringLiteral("搜索地址"));
        console.simulator.withDevice(
            [](ControllerDevice& device) { device.setAddressFilter(AddressFilter::OwnAddress); });
        console.plugBackIn();
        QVERIFY(console.isBackUnderAnotherName());
        console.closePortOnceFree();
        console.checkPortWorksAgain();
    }
};

QTEST_MAIN(VanishedDeviceTest)
#include "test_vanished_device.moc"
