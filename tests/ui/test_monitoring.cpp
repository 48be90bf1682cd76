// Leak monitoring against a simulated controller: the worker's cycles, counters and display,
// the faults it must survive, the single poll, one user of the port at a time, and closing
// the window while it runs.
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "worker_support.h"

using namespace kt::ui;
using kt::sim::Bytes;
using kt::sim::ControllerDevice;
using kt::sim::Fault;
using kt::sim::FaultRule;
using kt::sim::Function;
using kt::sim::ScenarioEnd;
using kt::sim::ScenarioStep;
using Steps = std::vector<ScenarioStep>;
using Frames = std::vector<Bytes>;

Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(Frames)
Q_DECLARE_METATYPE(FaultRule)

namespace {

const Bytes kStatusRequest = framed({0x01, 0x04, 0x40, 0x02, 0x00, 0x01});
const Bytes kDistanceARequest = framed({0x01, 0x04, 0x40, 0x03, 0x00, 0x01});
const Bytes kDistanceBRequest = framed({0x01, 0x04, 0x40, 0x04, 0x00, 0x01});
constexpr std::uint16_t kStatusRegister = 0x4002;
constexpr std::uint16_t kDistanceARegister = 0x4003;
constexpr std::uint16_t kDistanceBRegister = 0x4004;

void play(ConsoleFixture& console, Steps steps)
{
    console.simulator.withDevice([&](ControllerDevice& device) {
        device.scenario().play(std::move(steps), ScenarioEnd::HoldLastStep);
    });
}

void startMonitoring(ConsoleFixture& console, const QString& period = QStringLiteral("0"))
{
    console.setText(PeriodField, period);
    console.click(MonitorButton);
    QCOMPARE(console.takeMessage(), QString());
    QCOMPARE(console.dialog->button(MonitorButton)->text(), QStringLiteral("停止监测"));
}

void stopMonitoring(ConsoleFixture& console)
{
    console.click(MonitorButton);
    QCOMPARE(console.dialog->button(MonitorButton)->text(), QStringLiteral("开始监测"));
    waitUntilPortIsFree(console);
}

int cycles(const MainDialog& dialog)
{
    return dialog.label(SuccessCountText)->text().toInt()
        + dialog.label(FailureCountText)->text().toInt();
}

qsizetype statusRequests(const Frames& frames)
{
    return std::count(frames.begin(), frames.end(), kStatusRequest);
}

using Lamp = QIcon LampImages::*;

bool lampIs(const ConsoleFixture& console, int id, Lamp lamp)
{
    return lampShows(*console.dialog, id, LampImages::create().*lamp);
}

QString stateText(const ConsoleFixture& console, int id)
{
    return console.dialog->label(id)->text();
}

// State A, leak A, state B, leak B.
QStringList channelDisplay(const ConsoleFixture& console)
{
    return {stateText(console, ChannelAStateText), console.text(ChannelALeakField),
            stateText(console, ChannelBStateText), console.text(ChannelBLeakField)};
}

}  // namespace

Q_DECLARE_METATYPE(Lamp)

class MonitoringTest : public QObject {
    Q_OBJECT

private slots:
    void countersCountEveryCycle_data()
    {
        QTest::addColumn<bool>("answers");
        QTest::newRow("controller answers") << true;
        QTest::newRow("controller silent") << false;
    }
    void countersCountEveryCycle()
    {
        QFETCH(bool, answers);
        ConsoleFixture console;
        console.openPort();
        if (!answers) {
            console.simulator.withDevice([](ControllerDevice& device) {
                device.setAddressFilter(kt::sim::AddressFilter::NoAddress);
            });
        }
        for (int run = 0; run < 2; ++run) {
            console.takeFrames();
            startMonitoring(console);
            // Reset and shown before the first cycle.
            QCOMPARE(console.dialog->label(SuccessCountText)->text(), QStringLiteral("0"));
            QCOMPARE(console.dialog->label(FailureCountText)->text(), QStringLiteral("0"));
            QTRY_VERIFY_WITH_TIMEOUT(cycles(*console.dialog) >= 3, 10000);
            stopMonitoring(console);

            QCOMPARE(qsizetype(cycles(*console.dialog)), statusRequests(console.takeFrames()));
            QCOMPARE(shownNumber(console, answers ? FailureCountText : SuccessCountText), 0);
        }
    }

    void displayFollowsTheChannels_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<Frames>("firstCycle");
        QTest::addColumn<QStringList>("shown");  // state A, leak A, state B, leak B
        QTest::addColumn<Lamp>("lampA");
        QTest::addColumn<Lamp>("lampB");
        const Frames statusOnly{kStatusRequest};
        QTest::newRow("both normal") << Steps{{.codeB = 0, .codeA = 0}} << statusOnly
                                     << QStringList{"正常", "", "正常", ""} << &LampImages::normalIcon << &LampImages::normalIcon;
        QTest::newRow("A broken") << Steps{{.codeB = 0, .codeA = 2}} << statusOnly
                                  << QStringList{"断线", "", "正常", ""} << &LampImages::breakIcon << &LampImages::normalIcon;
        QTest::newRow("both in leak, B read first")
            << Steps{{.codeB = 1, .codeA = 1, .distanceB = 1234, .distanceA = 0}}
            << Frames{kStatusRequest, kDistanceBRequest, kDistanceARequest}
            << QStringList{"泄露", "0.00", "泄露", "12.34"} << &LampImages::leakIcon << &LampImages::leakIcon;
        QTest::newRow("leak without a known distance")
            << Steps{{.codeB = 2, .codeA = 1, .distanceA = 0xFFFF}}
            << Frames{kStatusRequest, kDistanceARequest}
            << QStringList{"泄露", "", "断线", ""} << &LampImages::leakIcon << &LampImages::breakIcon;
        QTest::newRow("unknown codes keep the display")
            << Steps{{.codeB = 1, .codeA = 2, .distanceB = 500}, {.codeB = 3, .codeA = 255}}
            << Frames{kStatusRequest, kDistanceBRequest}
            << QStringList{"断线", "", "泄露", "5.00"} << &LampImages::breakIcon << &LampImages::leakIcon;
    }
    void displayFollowsTheChannels()
    {
        QFETCH(Steps, steps);
        QFETCH(Frames, firstCycle);
        QFETCH(QStringList, shown);
        QFETCH(Lamp, lampA);
        QFETCH(Lamp, lampB);
        ConsoleFixture console;
        console.openPort();
        play(console, steps);
        console.setText(ChannelALeakField, QStringLiteral("old"));
        console.setText(ChannelBLeakField, QStringLiteral("old"));

        startMonitoring(console);
        QTRY_VERIFY_WITH_TIMEOUT(shownNumber(console, SuccessCountText) >= 3, 10000);
        stopMonitoring(console);

        QCOMPARE(shownNumber(console, FailureCountText), 0);
        const Frames frames = console.takeFrames();
        QVERIFY(frames.size() >= firstCycle.size());
        QCOMPARE(Frames(frames.begin(), frames.begin() + qsizetype(firstCycle.size())), firstCycle);
        QCOMPARE(channelDisplay(console), shown);
        QVERIFY(lampIs(console, ChannelALamp, lampA));
        QVERIFY(lampIs(console, ChannelBLamp, lampB));
    }

    // Whatever the first reply of a run suffers, that cycle alone fails and shows nothing of it.
    void aFaultCostsOnlyTheCycleItHits_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<FaultRule>("fault");
        QTest::addColumn<QString>("state");  // of both channels at the end
        QTest::addColumn<QString>("leakB");
        const auto onStatus = [](Fault fault) {
            return FaultRule(std::move(fault), 1, Function::ReadInput, kStatusRegister);
        };
        const auto onDistance = [](Fault fault, std::uint16_t reg) {
            return FaultRule(std::move(fault), 1, Function::ReadInput, reg);
        };
        // Codes 3 after the faulted read: only a code taken from that read could show.
        const Steps brokenThenUnknown{{.codeB = 2, .codeA = 2}, {.codeB = 3, .codeA = 3}};
        const Steps leakOfB{{.codeB = 1, .distanceB = 1111}, {.codeB = 1, .distanceB = 2222}};
        const Steps leakOfBoth{{.codeB = 1, .codeA = 1, .distanceB = 2222, .distanceA = 2222}};
        QTest::newRow("status short")
            << brokenThenUnknown << onStatus(Fault::truncated(1)) << "状态" << "";
        QTest::newRow("status missing")
            << brokenThenUnknown << onStatus(Fault::noReply()) << "状态" << "";
        QTest::newRow("stale bytes ahead of the status")
            << brokenThenUnknown << onStatus(Fault::staleBytesFirst({0x01, 0x04})) << "状态" << "";
        // A late reply may still be taken for a later one: the codes do not change here.
        QTest::newRow("status late") << Steps{{.codeB = 3, .codeA = 3}}
                                     << onStatus(Fault::delayed(std::chrono::milliseconds(400)))
                                     << "状态" << "";
        QTest::newRow("distance B short")
            << leakOfB << onDistance(Fault::truncated(1), kDistanceBRegister) << "" << "22.22";
        QTest::newRow("distance A corrupted")
            << leakOfBoth << onDistance(Fault::badChecksum(), kDistanceARegister) << "泄露" << "22.22";
    }
    void aFaultCostsOnlyTheCycleItHits()
    {
        QFETCH(Steps, steps);
        QFETCH(FaultRule, fault);
        QFETCH(QString, state);
        QFETCH(QString, leakB);
        QStringList leakBShown;
        ConsoleFixture console;
        console.openPort();
        play(console, steps);
        console.simulator.addFault(fault);
        QObject::connect(console.dialog->edit(ChannelBLeakField), &QLineEdit::textChanged,
                         [&](const QString& text) { leakBShown << text; });

        startMonitoring(console);
        QTRY_VERIFY_WITH_TIMEOUT(shownNumber(console, SuccessCountText) >= 4, 10000);
        stopMonitoring(console);

        QCOMPARE(shownNumber(console, FailureCountText), 1);
        QCOMPARE(qsizetype(cycles(*console.dialog)), statusRequests(console.takeFrames()));
        QVERIFY2(!leakBShown.contains(QStringLiteral("11.11")), qPrintable(leakBShown.join(' ')));
        QCOMPARE(console.text(ChannelBLeakField), leakB);
        if (!state.isEmpty()) {
            QCOMPARE(stateText(console, ChannelAStateText), state);
            QCOMPARE(stateText(console, ChannelBStateText), state);
        }
    }

    void noiseBurstCostsOnlyTheCyclesItOverlaps()
    {
        ConsoleFixture console;
        console.openPort();
        console.simulator.setReplyDelay(std::chrono::milliseconds(100));
        startMonitoring(console);
        QTRY_VERIFY_WITH_TIMEOUT(shownNumber(console, SuccessCountText) >= 2, 10000);

        // About 300 ms of noise, a few bytes at a time.
        for (std::uint32_t burst = 1; burst <= 10; ++burst) {
            console.simulator.injectBytes(kt::sim::noiseBytes(5, burst));
            QTest::qWait(30);
        }
        // The cycle under way when the noise stopped may still fail; the one after it not.
        const int cyclesDuringNoise = cycles(*console.dialog);
        QTRY_VERIFY_WITH_TIMEOUT(cycles(*console.dialog) >= cyclesDuringNoise + 2, 10000);
        const int failuresOfNoise = shownNumber(console, FailureCountText);
        QVERIFY2(failuresOfNoise >= 1, "the noise should have spoilt a reply");

        const int successes = shownNumber(console, SuccessCountText);
        QTRY_VERIFY_WITH_TIMEOUT(shownNumber(console, SuccessCountText) >= successes + 5, 10000);
        stopMonitoring(console);
        QCOMPARE(shownNumber(console, FailureCountText), failuresOfNoise);
    }

    // A stop cuts even a huge pause short; the paused cycle still reads its reply and shows it.
    void fieldsTakeEffectAtTheNextStart()
    {
        ConsoleFixture console;
        console.openPort();
        startMonitoring(console);
        QTRY_VERIFY_WITH_TIMEOUT(shownNumber(console, SuccessCountText) >= 1, 10000);
        console.setText(StationAddressField, QStringLiteral("7"));
        console.setText(PeriodField, QStringLiteral("100000"));
        const int before = shownNumber(console, SuccessCountText);
        QTRY_VERIFY_WITH_TIMEOUT(shownNumber(console, SuccessCountText) >= before + 10, 5000);
        stopMonitoring(console);
        for (const Bytes& frame : console.takeFrames())
            QCOMPARE(frame.front(), std::uint8_t{1});

        console.simulator.withDevice([](ControllerDevice& device) { device.setAddress(7); });
        startMonitoring(console, QStringLiteral("99999999999999"));
        QVERIFY(console.simulator.waitForFrames(1, std::chrono::seconds(5)));
        QTest::qWait(100);
        QElapsedTimer timer;
        timer.start();
        stopMonitoring(console);
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(shownNumber(console, SuccessCountText), 1);
        QCOMPARE(shownNumber(console, FailureCountText), 0);
        QCOMPARE(console.takeFrames(), Frames{framed({0x07, 0x04, 0x40, 0x02, 0x00, 0x01})});
    }

    // The worker cannot pass its first notification until this thread handles events, so the
    // refusals below all meet a worker that has not ended.
    void thePortHasOneUserAtATime()
    {
        ConsoleFixture console;
        console.openPort();
        startMonitoring(console);
        QVERIFY(console.simulator.waitForFrames(1, std::chrono::seconds(5)));
        checkPortRefused(console, QStringLiteral("请先停止监测!!!"), MonitorButton);

        console.click(MonitorButton);
        QCOMPARE(console.dialog->button(MonitorButton)->text(), QStringLiteral("开始监测"));
        checkPortRefused(console, QStringLiteral("请先停止监测!!!"), MonitorButton);
        console.click(MonitorButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("请先停止监测!!!"));
        QCOMPARE(console.dialog->button(MonitorButton)->text(), QStringLiteral("开始监测"));

        waitUntilPortIsFree(console);
        // Only the cycle under way at the stop was finished and shown.
        QCOMPARE(cycles(*console.dialog), 1);
        QCOMPARE(console.takeFrames(), Frames{kStatusRequest});
        console.click(ReadResistivityAButton);
        QCOMPARE(console.takeMessage(), QString());
    }

    void notificationsAreHandledWhileAMessageBoxIsOpen()
    {
        ConsoleFixture console;  // for its simulator
        MainDialog dialog;       // with the real message boxes
        dialog.button(PortButton)->click();
        dialog.edit(PeriodField)->setText(QStringLiteral("0"));
        dialog.button(MonitorButton)->click();
        QTRY_VERIFY_WITH_TIMEOUT(cycles(dialog) >= 1, 10000);
        int countedWhileOpen = -1;
        QTimer::singleShot(1000, [&] {
            countedWhileOpen = cycles(dialog);
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
        });
        const int countedBefore = cycles(dialog);
        dialog.button(ReadResistivityAButton)->click();  // refused in a box open for a second
        QVERIFY2(countedWhileOpen >= countedBefore + 3,
                 qPrintable(QStringLiteral("%1 -> %2").arg(countedBefore).arg(countedWhileOpen)));
    }

    void singlePoll_data()
    {
        QTest::addColumn<int>("codeB");
        QTest::addColumn<int>("codeA");
        QTest::addColumn<FaultRule>("fault");
        QTest::addColumn<Frames>("requests");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("shown");  // state A, leak A, state B, leak B
        const FaultRule none(Fault{}, 0);
        QTest::newRow("both in leak")
            << 1 << 1 << none << Frames{kStatusRequest, kDistanceBRequest, kDistanceARequest}
            << "" << QStringList{"泄露", "0.00", "泄露", "655.35"};
        QTest::newRow("normal and broken") << 2 << 0 << none << Frames{kStatusRequest} << ""
                                           << QStringList{"正常", "", "断线", ""};
        QTest::newRow("unknown codes") << 3 << 200 << none << Frames{kStatusRequest} << ""
                                       << QStringList{"状态", "old", "状态", "old"};
        QTest::newRow("B distance short")
            << 1 << 1 << FaultRule(Fault::truncated(1), 1, Function::ReadInput, kDistanceBRegister)
            << Frames{kStatusRequest, kDistanceBRequest} << "读数据错误"
            << QStringList{"状态", "old", "泄露", "old"};
        QTest::newRow("A distance checksum")
            << 0 << 1 << FaultRule(Fault::badChecksum(), 1, Function::ReadInput, kDistanceARegister)
            << Frames{kStatusRequest, kDistanceARequest} << "校验出错!!!"
            << QStringList{"泄露", "old", "正常", ""};
        QTest::newRow("status short")
            << 1 << 1 << FaultRule(Fault::truncated(1), 1, Function::ReadInput, kStatusRegister)
            << Frames{kStatusRequest} << "读数据错误" << QStringList{"状态", "old", "状态", "old"};
    }
    void singlePoll()
    {
        QFETCH(int, codeB);
        QFETCH(int, codeA);
        QFETCH(FaultRule, fault);
        QFETCH(Frames, requests);
        QFETCH(QString, message);
        QFETCH(QStringList, shown);
        ConsoleFixture console;
        console.openPort();
        console.simulator.withDevice([&](ControllerDevice& device) {
            using kt::sim::Channel;
            device.setStatusCodes(std::uint8_t(codeB), std::uint8_t(codeA));
            device.setChannelValue(kt::sim::ChannelSetting::LeakDistance, Channel::A, 0);
            device.setChannelValue(kt::sim::ChannelSetting::LeakDistance, Channel::B, 0xFFFF);
        });
        console.simulator.addFault(fault);
        console.setText(ChannelALeakField, QStringLiteral("old"));
        console.setText(ChannelBLeakField, QStringLiteral("old"));

        console.click(SinglePollButton);
        QCOMPARE(console.takeMessage(), message);
        QCOMPARE(console.takeFrames(), requests);
        QCOMPARE(channelDisplay(console), shown);
        // The poll is no monitoring cycle: the counters stay blank.
        QCOMPARE(console.dialog->label(SuccessCountText)->text(), QString());
        QCOMPARE(console.dialog->label(FailureCountText)->text(), QString());
        QVERIFY(!console.dialog->button(SinglePollButton)->isVisible());
    }

    // Destroying the window ends the worker wherever it is: polling, pausing, or waiting for a
    // notification that will not be handled. Afterwards nothing touches the line.
    void closingWhileRunningEndsPromptly()
    {
        ConsoleFixture console;
        for (int round = 0; round < 24; ++round) {
            replaceWindow(console);
            console.openPort();
            const bool longPause = round % 3 == 1;
            startMonitoring(console, longPause ? QStringLiteral("100000") : QStringLiteral("0"));
            if (round % 3 != 2)
                QTest::qWait(round * 7 % 60);
            if (round % 2 == 0)
                QTest::keyClick(console.dialog.get(), Qt::Key_Escape);
            closeWindowPromptly(console);
        }
        checkLineLeftAlone(console);
    }
};

QTEST_MAIN(MonitoringTest)
#include "test_monitoring.moc"
