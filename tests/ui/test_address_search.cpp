// The address search against a simulated controller: the probes, the found and not-found
// reports, stop and restart, one user of the port at a time, and closing the window during a
// search. Unanswered probes are made quick with replies of full length and a wrong checksum,
// so that a scan of all 256 addresses takes a second or two instead of half a minute.
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include "worker_support.h"

using namespace kt::ui;
using kt::sim::AddressFilter;
using kt::sim::Bytes;
using kt::sim::ControllerDevice;
using kt::sim::Fault;
using kt::sim::FaultRule;
using Frames = std::vector<Bytes>;

namespace {

const QString kNotFound = QStringLiteral("未搜索到地址,请选别的波特率重新查找!!!");

// The probes of the addresses 0 to `last`.
Frames probesUpTo(int last)
{
    Frames frames;
    for (int address = 0; address <= last; ++address)
        frames.push_back(framed({std::uint8_t(address), 0x03, 0x40, 0x10, 0x00, 0x01}));
    return frames;
}

// The controller answers at `address` alone; other addresses stay silent.
void answerAt(ConsoleFixture& console, int address)
{
    console.simulator.clearFaults();
    console.simulator.withDevice([address](ControllerDevice& device) {
        device.setAddressFilter(AddressFilter::OwnAddress);
        device.setAddress(std::uint8_t(address));
    });
}

// Every address gets a spoilt reply at once, except those after the first `spoilt` probes,
// which are answered.
void spoilReplies(ConsoleFixture& console, int spoilt = FaultRule::kUntilCleared)
{
    console.simulator.withDevice(
        [](ControllerDevice& device) { device.setAddressFilter(AddressFilter::EveryAddress); });
    console.simulator.addFault(FaultRule(Fault::badChecksum(), spoilt));
}

void silence(ConsoleFixture& console)
{
    console.simulator.withDevice(
        [](ControllerDevice& device) { device.setAddressFilter(AddressFilter::NoAddress); });
}

void startSearch(ConsoleFixture& console)
{
    console.click(SearchButton);
    QCOMPARE(console.takeMessage(), QString());
    QCOMPARE(console.dialog->button(SearchButton)->text(), QStringLiteral("停止搜索"));
}

QString resultText(const ConsoleFixture& console)
{
    return console.dialog->label(SearchResultText)->text();
}

// Sees each notification of a worker just before the window handles it: counts them and, if
// asked, presses the search button once before the report of the probe that made
// `pressAtProbes` probes in all. The worker then waits for that report, past its last look at
// the run flag for that probe, as it would after a press during the probe.
class NotificationWatcher : public QObject {
public:
    explicit NotificationWatcher(ConsoleFixture& console, std::size_t pressAtProbes = 0)
        : console_(console), pressAtProbes_(pressAtProbes)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

    int notifications = 0;
    bool pressed = false;
    QString refusalOfARestart;  // what a second press, at once, was told

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (event->type() != QEvent::MetaCall || !qobject_cast<WorkerThread*>(receiver))
            return false;
        ++notifications;
        if (!pressed && pressAtProbes_ > 0
            && console_.simulator.receivedFrames().size() == pressAtProbes_) {
            pressed = true;
            console_.click(SearchButton);
            console_.click(SearchButton);
            refusalOfARestart = console_.takeMessage();
        }
        return false;
    }

private:
    ConsoleFixture& console_;
    std::size_t pressAtProbes_;
};

void waitForSearchEnd(ConsoleFixture& console)
{
    QTRY_COMPARE_WITH_TIMEOUT(console.dialog->button(SearchButton)->text(),
                              QStringLiteral("搜索地址"), 20000);
}

}  // namespace

class AddressSearchTest : public QObject {
    Q_OBJECT

private slots:
    void findsTheControllersAddress_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("spoilt");       // quick unanswered probes before it; -1: silent
        QTest::addColumn<int>("replyStation");  // the address byte of its reply
        QTest::newRow("at 0, first probe") << 0 << -1 << 0;
        QTest::newRow("at 7") << 7 << -1 << 7;
        QTest::newRow("at 255, last probe") << 255 << 255 << 255;
        QTest::newRow("reply names another station") << 7 << -1 << 9;
    }
    void findsTheControllersAddress()
    {
        QFETCH(int, address);
        QFETCH(int, spoilt);
        QFETCH(int, replyStation);
        ConsoleFixture console;
        console.openPort();
        if (spoilt >= 0)
            spoilReplies(console, spoilt);
        else
            answerAt(console, address);
        if (replyStation != address)
            console.simulator.addFault(FaultRule(Fault::fromStation(std::uint8_t(replyStation))));
        console.setText(NewAddressField, QStringLiteral("55"));
        NotificationWatcher watcher(console);

        startSearch(console);
        if (address > 0)
            QTRY_COMPARE_WITH_TIMEOUT(resultText(console), QStringLiteral("查找中..."), 5000);
        waitForSearchEnd(console);

        QCOMPARE(console.prompts->messages.size(), std::size_t(1));
        const kt::ui::MessageBoxRequest& found = console.prompts->messages.front();
        QCOMPARE(found.title, QStringLiteral("提示"));
        QCOMPARE(found.text, QStringLiteral("产品地址为：%1").arg(address));
        QCOMPARE(found.icon, QMessageBox::Information);
        QCOMPARE(resultText(console), QStringLiteral("地址%1").arg(address));
        QCOMPARE(console.text(StationAddressField), QString::number(address));
        QCOMPARE(console.text(NewAddressField), QStringLiteral("55"));
        QCOMPARE(console.takeFrames(), probesUpTo(address));
        QCOMPARE(watcher.notifications, address + 1);  // a progress report per unanswered probe
    }

    // A stop pressed during the last probe still lets its not-found report through.
    void reportsWhenNoAddressAnswers_data()
    {
        QTest::addColumn<bool>("stopDuringLastProbe");
        QTest::newRow("scan runs out") << false;
        QTest::newRow("stop during the last probe") << true;
    }
    void reportsWhenNoAddressAnswers()
    {
        QFETCH(bool, stopDuringLastProbe);
        ConsoleFixture console;
        console.openPort();
        spoilReplies(console);
        {
            NotificationWatcher watcher(console, stopDuringLastProbe ? 256 : 0);
            startSearch(console);
            waitForSearchEnd(console);
            QTRY_COMPARE_WITH_TIMEOUT(console.prompts->messages.size(), std::size_t(1), 20000);
            QCOMPARE(watcher.pressed, stopDuringLastProbe);
            if (!stopDuringLastProbe)
                QCOMPARE(watcher.notifications, 256 + 1);
        }
        const kt::ui::MessageBoxRequest& report = console.prompts->messages.front();
        QCOMPARE(report.title, QCoreApplication::applicationName());
        QCOMPARE(report.text, kNotFound);
        QCOMPARE(report.icon, QMessageBox::NoIcon);
        QCOMPARE(resultText(console), QStringLiteral("未找到"));
        QCOMPARE(console.takeFrames(), probesUpTo(255));
        console.prompts->messages.clear();
        waitUntilPortIsFree(console);

        // The next search starts afresh: its find is not followed by the old report.
        answerAt(console, 3);
        startSearch(console);
        waitForSearchEnd(console);
        QCOMPARE(console.takeMessage(), QStringLiteral("产品地址为：3"));
        QCOMPARE(console.takeFrames(), probesUpTo(3));
    }

    void stopEndsTheSearchAndARestartBeginsAtZero()
    {
        ConsoleFixture console;
        console.openPort();
        silence(console);
        startSearch(console);
        {
            // The probe under way at the stop runs to its end, and its report empties 1054.
            NotificationWatcher press(console, 4);
            QTRY_VERIFY_WITH_TIMEOUT(press.pressed, 5000);
            QCOMPARE(press.refusalOfARestart, QStringLiteral("请先停止搜索!!!"));
        }
        QCOMPARE(console.dialog->button(SearchButton)->text(), QStringLiteral("搜索地址"));
        waitUntilPortIsFree(console);
        QCOMPARE(resultText(console), QString());
        QCOMPARE(console.takeFrames(), probesUpTo(3));
        QCOMPARE(console.takeMessage(), QString());

        answerAt(console, 2);
        startSearch(console);
        waitForSearchEnd(console);
        QCOMPARE(console.takeMessage(), QStringLiteral("产品地址为：2"));
        QCOMPARE(console.takeFrames(), probesUpTo(2));
    }

    // The worker cannot pass its first notification until this thread handles events, so the
    // refusals below all meet a worker that has not ended.
    void thePortHasOneUserAtATime()
    {
        ConsoleFixture console;
        console.openPort();
        silence(console);
        startSearch(console);
        checkPortRefused(console, QStringLiteral("请先停止搜索!!!"), SearchButton);

        console.click(SearchButton);
        QCOMPARE(console.dialog->button(SearchButton)->text(), QStringLiteral("搜索地址"));
        checkPortRefused(console, QStringLiteral("请先停止搜索!!!"), SearchButton);
        console.click(SearchButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("请先停止搜索!!!"));

        waitUntilPortIsFree(console);
        QVERIFY(console.takeFrames().size() <= 1);
        console.click(MonitorButton);
        QCOMPARE(console.takeMessage(), QString());
        console.click(SearchButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("请先停止监测!!!"));
        QCOMPARE(console.dialog->button(SearchButton)->text(), QStringLiteral("搜索地址"));
    }

    // Destroying the window ends the search wherever it is: probing, or waiting for a
    // notification that will not be handled. Afterwards nothing touches the line.
    void closingDuringASearchEndsPromptly()
    {
        ConsoleFixture console;
        for (int round = 0; round < 16; ++round) {
            replaceWindow(console);
            console.openPort();
            if (round % 2 == 0)
                silence(console);
            else
                spoilReplies(console);
            startSearch(console);
            if (round % 4 != 3)
                QTest::qWait(round * 11 % 90);
            closeWindowPromptly(console);
            console.simulator.clearFaults();
        }
        checkLineLeftAlone(console);
    }
};

QTEST_MAIN(AddressSearchTest)
#include "test_address_search.moc"
