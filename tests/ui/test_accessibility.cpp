// What assistive tools read from the window, through Qt's accessibility interfaces in-process:
// each kind of control's name, value and description, and the caption it is read with, as
// the window starts and after the port opens, the channels and counters change, and a search runs.
#include <QAccessible>
#include <QTest>

#include "console_fixture.h"

using namespace kt::ui;

namespace {

enum Stage { Fresh, PortOpen, Monitoring, Searching };

struct Spoken {
    int id;  // negative: the frame around control -id
    const char* name;
    const char* value;  // nullptr: not checked (the clock shows the time; a table repeats its name)
    const char* description = "";
    const char* label = "";  // the caption it is read with; "": none
};

// On Linux Qt names a drop-down by its choice and gives its caption as its label.
const QList<Spoken> kFresh{
    {PortNumberList, "COM1", "COM1", "", "串口号："},
    {PortBaudRateList, "9600", "9600", "", "波特率："},
    {StationAddressField, "地址：", "1", "", "地址："},
    {PortLamp, "串口状态", "", "串口已关闭"},
    {PortButton, "打开串口", ""},
    {LengthAField, "A长度：", "", "", "A长度："},
    {-LengthAField, "感应线", ""},
    {ClockMonthField, "月", nullptr},
    {ChannelALamp, "通道A：", "", "通道A：正常"},
    {ChannelAStateText, "状态", "", "通道A："},
    {SuccessCountText, "成功次数：", "", "", "成功次数："},  // shows nothing yet
    {MonitorButton, "开始监测", ""},
    {SaveLogCheckBox, "保存日志", ""},
    {ExportPathField, "日志文件路径", ""},
    {EventTable, "日志列表", nullptr},
    {SearchButton, "搜索地址", ""},
    {SearchResultText, "", "", "搜索结果"},
};

}  // namespace

Q_DECLARE_METATYPE(Spoken)

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void readsWhatTheWindowShows_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<QList<Spoken>>("expected");
        QTest::newRow("fresh window") << int(Fresh) << kFresh;
        QTest::newRow("port open") << int(PortOpen)
            << QList<Spoken>{{PortButton, "关闭串口", ""}, {PortLamp, "串口状态", "", "串口已打开"}};
        QTest::newRow("monitoring: A leaks, B broken, one cycle") << int(Monitoring) << QList<Spoken>{
            {MonitorButton, "停止监测", ""},
            {ChannelALamp, "通道A：", "", "通道A：泄露"},
            {ChannelBLamp, "通道B：", "", "通道B：断线"},
            {ChannelAStateText, "泄露", "", "通道A："},
            {ChannelBStateText, "断线", "", "通道B："},
            {SuccessCountText, "1", "", "", "成功次数："},
            {FailureCountText, "0", "", "", "失败次数："},
        };
        QTest::newRow("searching") << int(Searching) << QList<Spoken>{
            {SearchButton, "停止搜索", ""},
            {SearchResultText, "查找中...", "", "搜索结果"},
        };
    }
    void readsWhatTheWindowShows()
    {
        QFETCH(int, stage);
        QFETCH(QList<Spoken>, expected);
        ConsoleFixture console;
        MainDialog& window = *console.dialog;
        if (stage != Fresh)
            console.openPort();
        if (stage == Monitoring) {
            console.simulator.withDevice(
                [](kt::sim::ControllerDevice& device) { device.setStatusCodes(2, 1); });  // B, A
            console.setText(PeriodField, QStringLiteral("2000"));  // holds the count at 1 for a while
            console.click(MonitorButton);
            QTRY_COMPARE(window.label(SuccessCountText)->text(), QStringLiteral("1"));
        }
        if (stage == Searching) {
            // Two hundred unanswered probes keep the search going.
            console.simulator.withDevice([](kt::sim::ControllerDevice& device) { device.setAddress(200); });
            console.click(SearchButton);
            QTRY_COMPARE(window.label(SearchResultText)->text(), QStringLiteral("查找中..."));
        }

        for (const Spoken& control : expected) {
            QWidget* widget = control.id > 0 ? window.control(control.id)
                                             : window.control(-control.id)->parentWidget();
            QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(widget);
            QVERIFY(spoken);
            const auto reads = [&](QAccessible::Text kind, const char* expected) {
                const QString text = spoken->text(kind);
                if (!expected || text == QString::fromUtf8(expected))
                    return true;
                qWarning("control %d, text %d: \"%s\"", control.id, int(kind), qPrintable(text));
                return false;
            };
            QVERIFY(reads(QAccessible::Name, control.name));
            QVERIFY(reads(QAccessible::Value, control.value));
            QVERIFY(reads(QAccessible::Description, control.description));
            QStringList labels;
            for (const auto& [label, relation] : spoken->relations(QAccessible::Label))
                labels << label->text(QAccessible::Name);
            QVERIFY2(!*control.label || labels.contains(QString::fromUtf8(control.label)),
                     qPrintable(labels.join(u' ')));
        }
    }
};

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
