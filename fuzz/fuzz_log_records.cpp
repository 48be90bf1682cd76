// A downloaded log: every record of every block reply decoded, turned into its table row and
// its line of the export file.
#include <string>

#include "device/bcd.h"
#include "device/frames.h"
#include "device/log_download.h"
#include "device/log_export.h"
#include "device/log_row.h"
#include "fuzz_support.h"

using namespace kt::device;
using kt::fuzz::expect;

namespace {

const std::string kLeak = "泄露";
const std::string kBreak = "断线";

void checkRecord(std::span<const std::uint8_t> bytes, const LogRecord& record)
{
    expect(record.time.year == bcdToInt(bytes[0]) * 100 + bcdToInt(bytes[1])
               && record.time.month == bcdToInt(bytes[2]) && record.time.day == bcdToInt(bytes[3])
               && record.time.hour == bcdToInt(bytes[4]) && record.time.minute == bcdToInt(bytes[5])
               && record.time.second == 0,
           "the time stamp comes from the first six bytes, without seconds");
    expect(record.channelBCode == bytes[6] && record.channelACode == bytes[7]
               && record.leakDistance == wordAt(bytes, 8),
           "codes and distance come from the last four bytes");
}

void checkRow(int rowNumber, const LogRecord& record, const LogRow& row)
{
    expect(row.number == std::to_string(rowNumber), "rows are numbered by their position");
    const DateTime& t = record.time;
    expect(row.alarmTime == std::to_string(t.year) + '-' + std::to_string(t.month) + '-'
                                + std::to_string(t.day) + ' ' + std::to_string(t.hour) + ':'
                                + std::to_string(t.minute),
           "the alarm time has no leading zeros");

    const auto isAlarm = [](std::uint8_t code) { return code == 1 || code == 2; };
    const bool aAlarm = isAlarm(record.channelACode);
    const std::uint8_t code = aAlarm ? record.channelACode : record.channelBCode;
    if (!aAlarm && !isAlarm(record.channelBCode)) {
        expect(row.channel.empty() && row.alarmType.empty() && row.leakPoint.empty(),
               "a record without an alarm has only number and time");
        return;
    }
    expect(row.channel == (aAlarm ? "A" : "B"), "channel A's alarm wins over channel B's");
    expect(row.alarmType == (code == 1 ? kLeak : kBreak), "the alarm has its text");
    if (code == 1)
        expect(kt::fuzz::hundredthsShownAs(row.leakPoint) == record.leakDistance,
               "a leak shows its distance in metres");
    else
        expect(row.leakPoint.empty(), "a break has no distance");
}

void checkExportLine(const LogRow& row, const Bytes& line)
{
    // Only the two alarm words are not ASCII; in GBK they become four bytes each.
    std::string expected;
    std::string_view separator;
    for (std::string_view text : row.inColumnOrder()) {
        expected += separator;
        separator = "  ";
        if (text == kLeak)
            expected += "\xD0\xB9\xC2\xB6";
        else if (text == kBreak)
            expected += "\xB6\xCF\xCF\xDF";
        else
            expected += text;
    }
    expected += "\r\n";
    expect(line == Bytes(expected.begin(), expected.end()),
           "five fields, two spaces apart, GBK, CR LF");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto count = input.ConsumeIntegralInRange<std::uint16_t>(0, kMaxDownloadedRecords);
    for (const LogBlock& block : logDownloadPlan(count)) {
        const kt::fuzz::Bytes reply = kt::fuzz::acceptedReply(input, block.replyLength);
        for (int index = 0; index < block.recordCount; ++index) {
            const LogRecord record = logRecordInBlock(reply, index);
            checkRecord(std::span(reply).subspan(kReplyDataOffset + index * kLogRecordSize,
                                                 kLogRecordSize),
                        record);
            const int rowNumber = block.firstRow + index;
            const LogRow row = logRow(rowNumber, record);
            checkRow(rowNumber, record, row);
            checkExportLine(row, exportLine(row));
        }
    }
    return 0;
}
