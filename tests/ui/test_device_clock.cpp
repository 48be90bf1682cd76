// The clock buttons against a simulated controller: the frames they send, how the six fields
// are filled from the reply and checked before a write, and what the operator sees on failure.
#include <QElapsedTimer>
#include <QTest>
#include <array>

#include "console_fixture.h"

using namespace kt::ui;
using kt::sim::Bytes;
using kt::sim::ClockTime;
using kt::sim::ControllerDevice;
using kt::sim::Fault;
using kt::sim::FaultRule;

Q_DECLARE_METATYPE(kt::sim::Bytes)

namespace {

constexpr std::array<int, 6> kClockFields{ClockYearField,   ClockMonthField,  ClockDayField,
                                          ClockHourField,   ClockMinuteField, ClockSecondField};

// 5 March 2012, 09:07:03.
const QStringList kExampleTexts{"2012", "3", "5", "9", "7", "3"};

const QString kSetSucceeded = QStringLiteral("设置时间成功!!!");
const QString kSetFailed = QStringLiteral("设置时间失败!!!");

void setClockFields(ConsoleFixture& console, const QStringList& texts)
{
    for (std::size_t i = 0; i < kClockFields.size(); ++i)
        console.setText(kClockFields[i], texts[static_cast<qsizetype>(i)]);
}

QStringList clockFields(const ConsoleFixture& console)
{
    QStringList texts;
    for (int id : kClockFields)
        texts << console.text(id);
    return texts;
}

// The next clock read is answered with exactly these eight data bytes, which the simulated
// clock would never encode (nibbles above 9, a spare byte other than 0): the controller's own
// reply is cut away whole and this one goes out in its place.
void answerNextClockReadWith(ConsoleFixture& console, const Bytes& data)
{
    Bytes reply{0x01, 0x03, 0x08};
    reply.insert(reply.end(), data.begin(), data.end());
    const Fault replaced = Fault::staleBytesFirst(framed(reply)) + Fault::truncated(13);
    console.simulator.addFault(FaultRule(replaced, 1, kt::sim::Function::ReadHolding, 0x6010));
}

Bytes clockWriteFrame(const Bytes& data)
{
    Bytes request{0x01, 0x10, 0x60, 0x10, 0x00, 0x04};
    request.insert(request.end(), data.begin(), data.end());
    return framed(request);
}

}  // namespace

class DeviceClockTest : public QObject {
    Q_OBJECT

private slots:
    void readFillsTheFieldsFromTheReply_data()
    {
        QTest::addColumn<Bytes>("data");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("example") << Bytes{0x20, 0x12, 0x03, 0x05, 0x09, 0x07, 0x00, 0x03}
                                 << kExampleTexts;
        QTest::newRow("spare byte ignored") << Bytes{0x20, 0x12, 0x03, 0x05, 0x09, 0x07, 0x5A, 0x03}
                                            << kExampleTexts;
        QTest::newRow("all zero") << Bytes(8, 0x00) << QStringList{"0", "0", "0", "0", "0", "0"};
        QTest::newRow("nibbles above 9") << Bytes{0x1A, 0x1A, 0x1A, 0xFF, 0x2B, 0x9F, 0x00, 0x0C}
                                         << QStringList{"2020", "20", "165", "31", "105", "12"};
    }
    void readFillsTheFieldsFromTheReply()
    {
        QFETCH(Bytes, data);
        QFETCH(QStringList, shown);
        ConsoleFixture console;
        console.openPort();
        answerNextClockReadWith(console, data);
        console.click(ReadClockButton);
        QCOMPARE(console.takeMessage(), QString());
        QCOMPARE(clockFields(console), shown);
        const Bytes request{0x01, 0x03, 0x60, 0x10, 0x00, 0x04, 0x5B, 0xCC};
        QCOMPARE(console.takeFrames(), std::vector<Bytes>{request});
    }

    void setThenReadTheControllersClockThenARefusedSet()
    {
        ConsoleFixture console;
        console.openPort();
        setClockFields(console, {"2024", "2", "29", "13", "45", "10"});
        console.click(SetClockButton);
        QCOMPARE(console.takeMessage(), kSetSucceeded);

        setClockFields(console, {"", "", "", "", "", ""});
        console.click(ReadClockButton);
        QCOMPARE(console.takeMessage(), QString());
        // The controller's clock runs on in between.
        const QStringList shown = clockFields(console);
        QCOMPARE(shown.mid(0, 5), (QStringList{"2024", "2", "29", "13", "45"}));
        QVERIFY2(shown[5].toInt() >= 10 && shown[5].toInt() <= 30, qPrintable(shown[5]));

        for (std::uint16_t status : {0x0001, 0x0100}) {
            console.simulator.withDevice(
                [status](ControllerDevice& device) { device.refuseWrites(status); });
            console.click(SetClockButton);
            QCOMPARE(console.takeMessage(), kSetFailed);
        }
    }

    void setSendsTheFieldsAsBcd_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<Bytes>("request");
        QTest::newRow("example") << kExampleTexts
                                 << Bytes{0x01, 0x10, 0x60, 0x10, 0x00, 0x04, 0x20, 0x12,
                                          0x03, 0x05, 0x09, 0x07, 0x00, 0x03, 0x7D, 0xA6};
        QTest::newRow("year 2010, month 0 and day 0")
            << QStringList{"2010", "0", "0", "0", "0", "0"}
            << clockWriteFrame({0x20, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
        QTest::newRow("year 9999, 31 February, last second of the day")
            << QStringList{"9999", "2", "31", "23", "59", "59"}
            << clockWriteFrame({0x99, 0x99, 0x02, 0x31, 0x23, 0x59, 0x00, 0x59});
        QTest::newRow("lenient texts, empty as 0")
            << QStringList{" 2020", "", " 7", "8h", "+5", ""}
            << clockWriteFrame({0x20, 0x20, 0x00, 0x07, 0x08, 0x05, 0x00, 0x00});
    }
    void setSendsTheFieldsAsBcd()
    {
        QFETCH(QStringList, typed);
        QFETCH(Bytes, request);
        ConsoleFixture console;
        console.openPort();
        setClockFields(console, typed);
        console.click(SetClockButton);
        QCOMPARE(console.takeMessage(), kSetSucceeded);
        QCOMPARE(console.takeFrames(), std::vector<Bytes>{request});
        QCOMPARE(clockFields(console), typed);
    }

    // Each field's lower and upper bound is checked in order below.
    void setRefusesAFieldOutOfRange_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        const QString year = QStringLiteral("输入年份错误，请重新输入!!!");
        const QString month = QStringLiteral("输入月份错误，请重新输入!!!");
        const QString second = QStringLiteral("输入秒错误，请重新输入!!!");
        QTest::newRow("year 2009") << int(ClockYearField) << "2009" << year;
        QTest::newRow("year 10000") << int(ClockYearField) << "10000" << year;
        QTest::newRow("year empty") << int(ClockYearField) << "" << year;
        QTest::newRow("year overflowing") << int(ClockYearField) << "99999999999999999999999" << year;
        QTest::newRow("year wrapping to 2012") << int(ClockYearField) << "4294969308" << year;
        QTest::newRow("month -1") << int(ClockMonthField) << "-1" << month;
        QTest::newRow("month wrapping to 5") << int(ClockMonthField) << "18446744073709551621" << month;
        QTest::newRow("second overflowing") << int(ClockSecondField) << "-99999999999999999999999" << second;
    }
    void setRefusesAFieldOutOfRange()
    {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        ConsoleFixture console;
        console.openPort();
        setClockFields(console, kExampleTexts);
        console.setText(field, typed);
        console.click(SetClockButton);
        QCOMPARE(console.takeMessage(), message);
        QVERIFY(console.takeFrames().empty());
    }

    void setChecksTheFieldsInOrder()
    {
        ConsoleFixture console;
        console.openPort();
        setClockFields(console, {"2009", "13", "32", "24", "60", "60"});
        struct Step {
            int field;
            const char* message;
            const char* fixed;
        };
        const Step steps[] = {
            {ClockYearField, "输入年份错误，请重新输入!!!", "2010"},
            {ClockMonthField, "输入月份错误，请重新输入!!!", "12"},
            {ClockDayField, "输入日期错误，请重新输入!!!", "31"},
            {ClockHourField, "输入小时错误，请重新输入!!!", "23"},
            {ClockMinuteField, "输入分钟错误，请重新输入!!!", "59"},
            {ClockSecondField, "输入秒错误，请重新输入!!!", "59"},
        };
        for (const Step& step : steps) {
            console.click(SetClockButton);
            QCOMPARE(console.takeMessage(), QString::fromUtf8(step.message));
            console.setText(step.field, QString::fromUtf8(step.fixed));
        }
        QVERIFY(console.takeFrames().empty());
        console.click(SetClockButton);
        QCOMPARE(console.takeMessage(), kSetSucceeded);
    }

    void noControllerIsAReadErrorAfterHalfASecond_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("read") << int(ReadClockButton);
        QTest::newRow("set") << int(SetClockButton);
    }
    void noControllerIsAReadErrorAfterHalfASecond()
    {
        QFETCH(int, button);
        ConsoleFixture console;
        console.openPort();
        console.simulator.withDevice([](ControllerDevice& device) {
            device.setAddressFilter(kt::sim::AddressFilter::NoAddress);
        });
        setClockFields(console, kExampleTexts);
        QElapsedTimer timer;
        timer.start();
        console.click(button);
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(console.takeMessage(), QStringLiteral("读数据错误"));
        QVERIFY2(elapsed >= 450 && elapsed < 3000, qPrintable(QString::number(elapsed)));
        QCOMPARE(clockFields(console), kExampleTexts);
    }

};

QTEST_MAIN(DeviceClockTest)
#include "test_device_clock.moc"
