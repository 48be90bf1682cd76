// Every controller command: request bytes, reply length and wait, and what sample replies decode to.
#include <QTest>

#include "device/address_probe.h"
#include "device/bus_settings.h"
#include "device/cable_parameters.h"
#include "device/channel_status.h"
#include "device/device_clock.h"
#include "device/log_count.h"
#include "device/log_download.h"
#include "device/request_frames.h"
#include "device/zero_calibration.h"
#include "protocol_test_support.h"

using namespace kt::device;
using namespace kt::device::test;

namespace {

using kt::device::test::shown;  // the time, shown as the entries test reads it back
QString shown(std::uint16_t value) { return QString::number(value); }
QString shown(bool accepted) { return accepted ? "accepted" : "refused"; }
QString shown(const std::optional<std::int32_t>& value) { return value ? QString::number(*value) : "none"; }
QString shown(const ChannelCodes& codes) { return QString("A%1 B%2").arg(codes[Channel::A]).arg(codes[Channel::B]); }
QString shown(ZeroCalibrationOutcome o) { return o == ZeroCalibrationOutcome::Success ? "success" : o == ZeroCalibrationOutcome::Failure ? "failure" : "other station"; }
QString shown(const std::vector<LogRecord>& records)
{
    QStringList texts;
    for (const LogRecord& r : records)
        texts << shown(r.time) + QString(" B%1 A%2 %3").arg(r.channelBCode).arg(r.channelACode).arg(r.leakDistance);
    return texts.join("; ");
}

// A command reduced to what the wire and the operator see of it.
struct CommandCase {
    QString wire;  // as the wire column reads
    std::function<QString(const Bytes&)> decode;
};

template <typename Value>
CommandCase caseOf(const Command<Value>& command)
{
    return {QString("%1 %2 %3").arg(asHex(command.request)).arg(command.replyLength).arg(command.replyWaitMs),
            [command](const Bytes& reply) { return shown(command.decode(reply)); }};
}

}  // namespace

Q_DECLARE_METATYPE(CommandCase)

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void commands_data()
    {
        QTest::addColumn<CommandCase>("command");
        QTest::addColumn<QString>("wire");      // request from the function code on, reply length, wait
        QTest::addColumn<QByteArray>("reply");  // without its checksum, which decoding ignores
        QTest::addColumn<QString>("decoded");
        const auto row = [](const char* name, CommandCase command, const char* request, int length,
                            int wait, const char* reply, const char* decoded) {
            QTest::newRow(name) << command << QString("%1 %2 %3").arg(request).arg(length).arg(wait)
                                << QByteArray(reply).replace(" ", "") << QString(decoded);
        };
        const auto write = [&](const char* name, CommandCase command, const char* request) {
            row(name, command, request, 7, 500, "010600 0000", "accepted");
        };
        row("length A", caseOf(cableRead(CableSetting::LengthA)), "0360010002", 9, 500, "010304 000004E2", "1250");
        row("length B negative", caseOf(cableRead(CableSetting::LengthB)), "0360020002", 9, 500, "010304 FFFFFFFE", "-2");
        row("length without value", caseOf(cableRead(CableSetting::LengthA)), "0360010002", 9, 500, "010304 FFFFFFFF", "none");
        row("resistivity A", caseOf(cableRead(CableSetting::ResistivityA)), "0360040001", 7, 500, "010302 0190", "400");
        row("resistivity B", caseOf(cableRead(CableSetting::ResistivityB)), "0360060001", 7, 500, "010302 FFFF", "65535");
        row("calibration A", caseOf(cableRead(CableSetting::CalibrationA)), "0360080001", 7, 500, "010302 0001", "1");
        row("calibration B", caseOf(cableRead(CableSetting::CalibrationB)), "0360090001", 7, 500, "010302 0002", "2");
        write("length B write", caseOf(cableWrite(CableSetting::LengthB, -2)), "0660020002FFFFFFFE");
        write("calibration A write", caseOf(cableWrite(CableSetting::CalibrationA, 0xFFFF)), "0660080001FFFF");
        const CommandCase calibrationB = caseOf(cableWrite(CableSetting::CalibrationB, 7));
        row("write refused in its first status byte", calibrationB, "06600900010007", 7, 500, "010600 0100", "refused");
        row("write refused in its second status byte", calibrationB, "06600900010007", 7, 500, "010600 0001", "refused");
        write("baud rate 9600", caseOf(deviceBaudRateWrite(9600)), "06800000012580");
        write("address 255", caseOf(deviceAddressWrite(255)), "068001000100FF");
        row("clock read", caseOf(clockRead()), "0360100004", 13, 500, "010308 2012030509079903", "2012-3-5 9:7:3");
        row("clock nibbles above 9", caseOf(clockRead()), "0360100004", 13, 500, "010308 FF1A1A1A1A1A001A", "16520-20-20 20:20:20");
        write("clock write", caseOf(clockWrite({2012, 3, 5, 9, 7, 3})), "10601000042012030509070003");
        row("status word", caseOf(statusWordRead()), "0440020001", 7, 500, "010402 0201", "A1 B2");
        row("leak distance A", caseOf(leakDistanceRead(Channel::A)), "0440030001", 7, 500, "010402 04D2", "1234");
        row("leak distance B", caseOf(leakDistanceRead(Channel::B)), "0440040001", 7, 500, "010402 FFFF", "65535");
        const CommandCase zeroA = caseOf(zeroCalibration(Channel::A, 3));
        row("zero A", zeroA, "0440080001", 7, 1000, "030402 0000", "success");
        row("zero A refused", zeroA, "0440080001", 7, 1000, "030402 0001", "failure");
        row("zero A from another station", zeroA, "0440080001", 7, 1000, "040402 0000", "other station");
        row("zero B", caseOf(zeroCalibration(Channel::B, 3)), "0440090001", 7, 1000, "030402 0100", "failure");
        row("log count", caseOf(logCountRead()), "0340100001", 7, 500, "010302 FFFF", "65535");
        row("address probe", caseOf(addressProbe()), "0340100001", 7, 100, "070302 0102", "258");
        write("log clear names one word, carries none", caseOf(logClear()), "0640100001");
        row("empty log block", caseOf(logBlockRead(logDownloadPlan(0).at(0))), "0350000000", 5, 500, "010300", "");
        row("log block", caseOf(logBlockRead({.firstRegister = 0x50FA, .recordCount = 2})), "0350FA000A", 25, 500,
            "030314 20100101000001020003 2099123123590000FFFF", "2010-1-1 0:0:0 B1 A2 3; 2099-12-31 23:59:0 B0 A0 65535");
    }
    void commands()
    {
        QFETCH(CommandCase, command);
        QFETCH(QString, wire);
        QFETCH(QByteArray, reply);
        QFETCH(QString, decoded);
        QCOMPARE(command.wire, wire);
        QCOMPARE(command.decode(hexBytes(reply + "0000")), decoded);
    }

    void downloadPlan()
    {
        // Each block as "pause first-register first-row records"; no records still asks once.
        const QList<QPair<int, QString>> plans{{0, "0 5000 0 0"}, {1, "0 5000 0 1"}, {25, "0 5000 0 25"},
            {26, "0 5000 0 25, 300 50fa 25 1"}, {40, "0 5000 0 25, 300 50fa 25 15"}, {41, ""}};
        for (const auto& [recordCount, blocks] : plans) {
            QStringList plan;
            for (const LogBlock& b : logDownloadPlan(std::uint16_t(recordCount)))
                plan << QString("%1 %2 %3 %4").arg(b.pauseBeforeMs).arg(b.firstRegister, 0, 16).arg(b.firstRow).arg(b.recordCount);
            QCOMPARE(plan.join(", "), blocks);
        }
        QCOMPARE(caseOf(logBlockRead(logDownloadPlan(40).at(0))).wire, "035000007D 255 500");
        QCOMPARE(caseOf(logBlockRead(logDownloadPlan(40).at(1))).wire, "0350FA004B 155 500");
    }

    // Another master's request frames, known from their first six bytes: "length wait reply-length".
    void requestFrames()
    {
        const QList<QPair<QByteArray, QString>> frames{
            {"010360010002", "8 500 9"}, {"070440080001", "8 1000 7"}, {"070440090001", "8 1000 7"},
            {"070440070001", "8 500 7"}, {"01035000007D", "8 500 255"}, {"010640100001", "8 500 7"},
            {"010660020002", "12 500 7"}, {"0106800000FF", "none"},     {"011060100004", "16 500 7"},
            {"011060100000", "none"},    {"010560010001", "none"},     {"01836001FFFF", "none"}};
        for (const auto& [header, expected] : frames) {
            const Bytes bytes = hexBytes(header);
            const std::optional<std::size_t> length = requestFrameLength(bytes);
            QCOMPARE(length ? QString("%1 %2 %3").arg(*length).arg(requestReplyWaitMs(bytes)).arg(requestReplyLength(bytes))
                            : "none",
                     expected);
        }
    }
};

QTEST_APPLESS_MAIN(CommandsTest)
#include "test_commands.moc"
