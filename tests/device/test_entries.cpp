// The operator's typed numbers: read leniently like atoi and atof, then range-checked with their refusals.
#include <QTest>

#include <tuple>

#include "device/cable_parameters.h"
#include "device/device_clock.h"
#include "device/text_entry.h"
#include "protocol_test_support.h"

using namespace kt::device;
using namespace kt::device::test;

Q_DECLARE_METATYPE(std::optional<std::int32_t>)

class EntriesTest : public QObject {
    Q_OBJECT

private slots:
    void integerEntries_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("integer");  // as atoi reads it, saturating
        QTest::addColumn<QString>("entries");  // as station address, register word, period in ms; "-": refused
        const auto row = [](const char* text, qint64 integer, const char* entries) {
            QTest::addRow("'%s'", text) << QString(text) << integer << QString(entries);
        };
        row(" \t-1", -1, "- - 0");
        row("+5", 5, "5 5 5");
        row("12.9abc", 12, "12 12 12");
        row("", 0, "0 0 0");
        row("-", 0, "0 0 0");
        row("255", 255, "255 255 255");
        row("256", 256, "- 256 256");
        row("65535", 65535, "- 65535 65535");
        row("65536", 65536, "- - 65536");
        row("99999999999999999999999", INT64_MAX, "- - 2147483647");
        row("-99999999999999999999999", -INT64_MAX, "- - 0");
    }
    void integerEntries()
    {
        QFETCH(QString, text);
        QFETCH(qint64, integer);
        QFETCH(QString, entries);
        const std::string typed = text.toStdString();
        QCOMPARE(parseInteger(typed), integer);
        const auto shown = [](const auto& value) { return value ? QString::number(*value) : "-"; };
        QCOMPARE(QString("%1 %2 %3").arg(shown(parseStationAddress(typed)), shown(parseWordEntry(typed)))
                     .arg(parsePeriodEntry(typed)), entries);
    }

    void lengthEntriesTruncateToHundredths_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<std::int32_t>>("hundredths");  // none: refused as too long
        using Result = std::optional<std::int32_t>;
        QTest::newRow("12.5") << "12.5" << Result(1250);
        QTest::newRow("1.15 truncates") << "1.15" << Result(114);
        QTest::newRow("text") << "abc" << Result(0);
        QTest::newRow("negative") << " -0.02m" << Result(-2);
        QTest::newRow("exponent") << "1.5e2" << Result(15000);
        QTest::newRow("hex digits at the ends of their ranges") << "0x09afAF" << Result(63479900);
        QTest::newRow("upper-case hex, signed exponent") << "0X1P+2" << Result(400);
        QTest::newRow("largest") << "21474836.47" << Result(INT32_MAX);
        QTest::newRow("smallest") << "-21474836.48" << Result(INT32_MIN);
        QTest::newRow("too large") << "21474836.48" << Result();
        QTest::newRow("too small") << "-21474836.49" << Result();
        QTest::newRow("beyond double") << "1e400" << Result();
        QTest::newRow("below double") << "1e-400" << Result(0);
        QTest::newRow("infinity") << "Infinity" << Result();
        QTest::newRow("not a number") << "nan" << Result();
        // Found by fuzzing: atof reads one sign only, "0x" only before a hex digit, and an
        // exponent only with a digit after its marker and sign.
        QTest::newRow("two signs") << "--5" << Result(0);
        QTest::newRow("plus then minus") << "+-5" << Result(0);
        QTest::newRow("sign after 0x") << "0x-1" << Result(0);
        QTest::newRow("infinity after 0x") << "0xinf" << Result(0);
        QTest::newRow("hex fraction") << "0x.8" << Result(50);
        QTest::newRow("hex exponent with two signs") << "0x3p+-8299" << Result(300);
        // Out of the double range: the digits' place decides, not the exponent's sign.
        QTest::newRow("many zeros, no exponent") << "0." + QString(400, '0') + "1" << Result(0);
        QTest::newRow("many digits, negative exponent") << "1" + QString(400, '0') + "e-50" << Result();
        QTest::newRow("many hex digits, negative exponent") << "0x1" + QString(300, '0') + "p-10" << Result();
        // 2^4400 * 2^-5480 is below the double range: four bits a hex digit decide, not five.
        QTest::newRow("many hex digits, exponent below range") << "0x1" + QString(1099, '0') + "p-5480" << Result(0);
    }
    void lengthEntriesTruncateToHundredths()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<std::int32_t>, hundredths);
        const CableEntry entry = parseCableEntry(CableSetting::LengthB, text.toStdString());
        QCOMPARE(entry.value, hundredths);
        QCOMPARE(fromUtf8(entry.refusal), hundredths ? "" : "长度超出范围，请重新输入!!!");
    }

    // Words are refused outside 0 to 65535; only channel A's length takes 0 for a missing entry.
    void cableEntryRefusals()
    {
        const QList<std::tuple<CableSetting, QString, QString>> refusals{
            {CableSetting::LengthA, "0.001", "请输入感应线长度!"},
            {CableSetting::LengthA, "0.01", ""},
            {CableSetting::LengthB, "0", ""},
            {CableSetting::ResistivityA, "65536", "数值范围是0~65535，请重新输入!!!"},
            {CableSetting::CalibrationB, "-1", "数值范围是0~65535，请重新输入!!!"},
            {CableSetting::CalibrationA, "65535", ""}};
        for (const auto& [setting, text, refusal] : refusals)
            QCOMPARE(fromUtf8(parseCableEntry(setting, text.toStdString()).refusal), refusal);
    }

    void clockEntry_data()
    {
        QTest::addColumn<QStringList>("texts");  // year, month, day, hour, minute, second
        QTest::addColumn<QString>("result");     // the time, or the message refusing it
        const auto row = [](const char* name, const QStringList& texts, const char* result) {
            QTest::newRow(name) << texts << QString(result);
        };
        row("smallest values", {"2010", "0", "0", "0", "0", "0"}, "2010-0-0 0:0:0");
        row("largest values", {"9999", "12", "31", "23", "59", "59"}, "9999-12-31 23:59:59");
        row("read leniently", {" 2012", "+3", "5th", "09", "", "3.9"}, "2012-3-5 9:0:3");
        row("year 2009", {"2009", "1", "1", "0", "0", "0"}, "输入年份错误，请重新输入!!!");
        row("year 10000", {"10000", "1", "1", "0", "0", "0"}, "输入年份错误，请重新输入!!!");
        row("year before all others", {"0", "13", "32", "24", "60", "60"}, "输入年份错误，请重新输入!!!");
        row("month 13", {"2012", "13", "1", "0", "0", "0"}, "输入月份错误，请重新输入!!!");
        row("day 32", {"2012", "2", "32", "0", "0", "0"}, "输入日期错误，请重新输入!!!");
        row("hour 24", {"2012", "1", "1", "24", "0", "0"}, "输入小时错误，请重新输入!!!");
        row("minute 60", {"2012", "1", "1", "23", "60", "0"}, "输入分钟错误，请重新输入!!!");
        row("second 60", {"2012", "1", "1", "23", "59", "60"}, "输入秒错误，请重新输入!!!");
    }
    void clockEntry()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, result);
        std::array<std::string, 6> typed;
        ClockEntry entry;
        for (std::size_t i = 0; i < typed.size(); ++i)
            entry[i] = typed[i] = texts[int(i)].toStdString();
        const ClockEntryResult parsed = parseClockEntry(entry);
        QCOMPARE(parsed.time.has_value(), parsed.rejected == nullptr);
        QCOMPARE(parsed.time ? shown(*parsed.time) : fromUtf8(parsed.rejected->refusalText), result);
    }
};

QTEST_APPLESS_MAIN(EntriesTest)
#include "test_entries.moc"
