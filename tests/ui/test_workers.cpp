// The two background workers against a simulated controller. Monitoring: its cycles, display, faults
// survived, pause cut short. The address search: probes, reports, stop and restart. Both: the window closed.
#include <QElapsedTimer>

#include "console_fixture.h"

using namespace kt::ui;
using namespace std::chrono_literals;
using kt::sim::AddressFilter;
using kt::sim::ControllerDevice;
using kt::sim::Fault;
using kt::sim::FaultRule;
using Steps = std::vector<kt::sim::ScenarioStep>;

Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(FaultRule)

namespace {

const QString kStatusRequest = QStringLiteral("01 04 40 02 00 01 85 CA");
const QString kFound = QStringLiteral("产品地址为：%1 (提示, icon 1)");

void answer(ConsoleFixture& console, AddressFilter filter, std::uint8_t address = 1)
{
    console.simulator.clearFaults();
    console.simulator.withDevice([=](ControllerDevice& device) {
        device.setAddressFilter(filter);
        device.setAddress(address);
    });
}

// Every address gets a spoilt reply at once, so that an unanswered probe is quick, except
// those after the first `spoilt` probes, which are answered.
void spoilReplies(ConsoleFixture& console, int spoilt = FaultRule::kUntilCleared)
{
    answer(console, AddressFilter::EveryAddress);
    console.simulator.addFault(FaultRule(Fault::badChecksum(), spoilt));
}

void start(ConsoleFixture& console, int button, const QString& period = QStringLiteral("0"))
{
    console.setText(PeriodField, period);
    console.click(button);
    QCOMPARE(console.takeMessage(), QString());
    QCOMPARE(console.text(button), button == MonitorButton ? QStringLiteral("停止监测") : QStringLiteral("停止搜索"));
}

// Stops the worker started by `button` and waits until it has ended.
void stop(ConsoleFixture& console, int button)
{
    console.click(button);
    QCOMPARE(console.text(button), button == MonitorButton ? QStringLiteral("开始监测") : QStringLiteral("搜索地址"));
    console.waitUntilPortIsFree();
}

void searchToItsEnd(ConsoleFixture& console)
{
    start(console, SearchButton);
    QTRY_COMPARE_WITH_TIMEOUT(console.text(SearchButton), QStringLiteral("搜索地址"), 20000);
}

// "successes/failures" as the counters show them.
QString counters(const ConsoleFixture& console)
{
    return console.text(SuccessCountText) + u'/' + console.text(FailureCountText);
}

int cycles(const ConsoleFixture& console)
{
    return console.number(SuccessCountText) + console.number(FailureCountText);
}

// The probes of the addresses 0 to `last`.
Frames probesUpTo(int last)
{
    Frames frames;
    for (int address = 0; address <= last; ++address)
        frames << ConsoleFixture::hex(kt::sim::withChecksum({std::uint8_t(address), 0x03, 0x40, 0x10, 0x00, 0x01}));
    return frames;
}

}  // namespace

class WorkersTest : public QObject {
    Q_OBJECT

private slots:
    // Each cycle counts once, a success or a failure, and a start resets both counters. A fault
    // costs only the cycle it hits, which shows nothing of it. Channel B's distance is read
    // first; a leak without a known distance empties its field; unknown codes keep the display.
    void cyclesCountAndShowTheChannels_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<FaultRule>("fault");
        QTest::addColumn<int>("failures");  // of the first run, the second has none; -1: every cycle fails
        QTest::addColumn<Texts>("shown");
        const auto on = [](Fault fault, std::uint16_t reg) {
            return FaultRule(std::move(fault), 1, kt::sim::Function::ReadInput, reg);
        };
        // Codes 3 after the faulted read: only a code taken from that read could show.
        const Steps brokenThenUnknown{{.codeB = 2, .codeA = 2}, {.codeB = 3, .codeA = 3}};
        const Texts unchanged{{ChannelAStateText, "状态"}, {ChannelBStateText, "状态"}, {ChannelBLeakField, "old"}};
        QTest::newRow("display follows the channels")
            << Steps{{.codeB = 1, .codeA = 2, .distanceB = 500}, {.codeB = 1, .codeA = 1, .distanceB = 500, .distanceA = 0xFFFF},
                     {.codeB = 3, .codeA = 255}}
            << FaultRule(Fault{}, 0) << 0
            << Texts{{ChannelAStateText, "泄露"}, {ChannelALeakField, ""}, {ChannelALamp, "leak"},
                     {ChannelBStateText, "泄露"}, {ChannelBLeakField, "5.00"}, {ChannelBLamp, "leak"}};
        QTest::newRow("a channel out of leak empties its distance")
            << Steps{{.codeB = 1, .distanceB = 500}, {.codeB = 0}} << FaultRule(Fault{}, 0) << 0
            << Texts{{ChannelBStateText, "正常"}, {ChannelBLeakField, ""}, {ChannelBLamp, "normal"}};
        QTest::newRow("controller silent") << Steps{} << FaultRule(Fault::noReply(), FaultRule::kUntilCleared) << -1
                                           << unchanged;
        QTest::newRow("status missing") << brokenThenUnknown << on(Fault::noReply(), 0x4002) << 1 << unchanged;
        QTest::newRow("distance B short") << Steps{{.codeB = 1, .distanceB = 1111}, {.codeB = 1, .distanceB = 2222}}
                                          << on(Fault::truncated(1), 0x4004) << 1
                                          << Texts{{ChannelBLeakField, "22.22"}};
    }
    void cyclesCountAndShowTheChannels()
    {
        QFETCH(Steps, steps);
        QFETCH(FaultRule, fault);
        QFETCH(int, failures);
        QFETCH(Texts, shown);
        ConsoleFixture console;
        console.openPort();
        console.simulator.withDevice([&](ControllerDevice& device) {
            device.scenario().play(steps, kt::sim::ScenarioEnd::HoldLastStep);
        });
        console.simulator.addFault(fault);
        console.setTexts({{ChannelALeakField, "old"}, {ChannelBLeakField, "old"}});
        for (int run = 0; run < 2; ++run) {
            start(console, MonitorButton);
            QCOMPARE(counters(console), QStringLiteral("0/0"));  // before the first cycle
            QTRY_VERIFY_WITH_TIMEOUT(cycles(console) >= 5, 10000);
            stop(console, MonitorButton);

            QCOMPARE(qsizetype(cycles(console)), console.takeFrames().count(kStatusRequest));
            QCOMPARE(console.number(FailureCountText), failures < 0 ? cycles(console) : run == 0 ? failures : 0);
        }
        QCOMPARE(console.mismatches(shown), QString());
        QCOMPARE(console.takeMessage(), QString());
    }

    // Monitoring polls the station address typed. A stop cuts even a huge pause short; the
    // paused cycle still reads its reply and shows it.
    void stopCutsThePauseShort()
    {
        ConsoleFixture console;
        console.openPort();
        console.setText(StationAddressField, QStringLiteral("7"));
        console.simulator.withDevice([](ControllerDevice& device) { device.setAddress(7); });
        start(console, MonitorButton, QStringLiteral("99999999999999"));
        QVERIFY(console.simulator.waitForFrames(1, 5s));
        QTest::qWait(100);
        QElapsedTimer timer;
        timer.start();
        stop(console, MonitorButton);
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(counters(console), QStringLiteral("1/0"));
        QCOMPARE(console.takeFrames(), Frames{QStringLiteral("07 04 40 02 00 01 85 AC")});
    }

    // Destroying the window ends either worker wherever it is: polling, probing, pausing, or
    // waiting for a notification that will not be handled. Afterwards nothing touches the line.
    void closingWhileAWorkerRunsEndsPromptly()
    {
        ConsoleFixture console;
        for (int round = 0; round < 24; ++round) {
            console.newWindow();
            console.openPort();
            if (round % 2 == 1)
                answer(console, round % 4 == 1 ? AddressFilter::NoAddress : AddressFilter::EveryAddress);
            if (round % 4 == 3)
                spoilReplies(console);
            start(console, round % 2 == 0 ? MonitorButton : SearchButton,
                  round % 6 == 2 ? QStringLiteral("100000") : QStringLiteral("0"));
            if (round % 3 != 2)
                QTest::qWait(round * 7 % 60);
            if (round % 3 == 0)
                QTest::keyClick(console.dialog.get(), Qt::Key_Escape);
            QElapsedTimer timer;
            timer.start();
            console.dialog.reset();
            QVERIFY2(timer.elapsed() < 2000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
        }
        console.simulator.clearReceivedFrames();
        QTest::qWait(500);
        QCOMPARE(console.takeFrames(), Frames{});
        console.newWindow();
        console.openPort();
    }

    // The search probes 0 to 255 up to the first reply, whatever station it names, reporting each
    // unanswered probe. A stop lets the probe under way end: its report still comes after the last
    // probe, and empties the result otherwise. A new search starts afresh at 0.
    void searchEndsAtAReplyOrWithout_data()
    {
        QTest::addColumn<int>("address");       // -1: no controller answers
        QTest::addColumn<int>("replyStation");  // the address byte of its reply
        QTest::addColumn<int>("stopAtProbes");  // 0: no stop
        QTest::addColumn<QString>("result");
        QTest::newRow("at 0, first probe") << 0 << 0 << 0 << "地址0";
        QTest::newRow("at 255, last probe") << 255 << 255 << 0 << "地址255";
        QTest::newRow("reply names another station") << 7 << 9 << 0 << "地址7";
        QTest::newRow("scan runs out") << -1 << 0 << 0 << "未找到";
        QTest::newRow("stop during the last probe") << -1 << 0 << 256 << "未找到";
        QTest::newRow("stop during the fourth probe") << -1 << 0 << 4 << "";
    }
    void searchEndsAtAReplyOrWithout()
    {
        QFETCH(int, address);
        QFETCH(int, replyStation);
        QFETCH(int, stopAtProbes);
        QFETCH(QString, result);
        ConsoleFixture console;
        console.openPort();
        if (address < 0 || address == 255)
            spoilReplies(console, address < 0 ? FaultRule::kUntilCleared : 255);
        else
            answer(console, AddressFilter::OwnAddress, std::uint8_t(address));
        if (replyStation != address && address >= 0)
            console.simulator.addFault(FaultRule(Fault::fromStation(std::uint8_t(replyStation))));
        console.setText(NewAddressField, QStringLiteral("55"));
        const int probes = stopAtProbes == 4 ? 4 : address < 0 ? 256 : address + 1;
        QStringList progress;
        {
            NotificationWatcher watcher([&] {
                progress << console.text(SearchResultText);
                if (console.simulator.receivedFrames().size() == std::size_t(stopAtProbes)
                    && console.text(SearchButton) == QStringLiteral("停止搜索"))
                    console.click(SearchButton);
            });
            searchToItsEnd(console);
            QTRY_COMPARE_WITH_TIMEOUT(watcher.count, address < 0 && stopAtProbes != 4 ? 257 : probes, 20000);
        }
        const QString notFound = QStringLiteral("未搜索到地址,请选别的波特率重新查找!!!");
        QCOMPARE(console.takeMessage(), address >= 0 ? kFound.arg(address) : stopAtProbes == 4 ? QString() : notFound);
        QCOMPARE(console.mismatches({{SearchResultText, result}, {NewAddressField, "55"},
                                     {StationAddressField, QString::number(address < 0 ? 1 : address)}}),
                 QString());
        QCOMPARE(console.takeFrames(), probesUpTo(probes - 1));
        if (stopAtProbes == 0)  // the first report finds the result still empty
            QCOMPARE(progress.count(QStringLiteral("查找中...")), probes - (address >= 0));
        if (address >= 0)
            return;
        console.waitUntilPortIsFree();
        answer(console, AddressFilter::OwnAddress, 3);
        searchToItsEnd(console);
        QCOMPARE(console.takeMessage(), kFound.arg(3));
        QCOMPARE(console.takeFrames(), probesUpTo(3));
    }
};

QTEST_MAIN(WorkersTest)
#include "test_workers.moc"
