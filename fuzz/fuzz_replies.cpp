// Every controller command's reply decoder, and what the console makes of its value. The
// input's first byte picks the command, the next bytes give its parameters (setting, channel,
// station, log size, ...) and the rest is its reply, cut or padded with zeros to the reply
// length. Decoders do not look at the checksum: the exchange has judged it already.
#include <array>
#include <optional>
#include <string>

#include "device/address_probe.h"
#include "device/bcd.h"
#include "device/bus_settings.h"
#include "device/cable_parameters.h"
#include "device/channel_status.h"
#include "device/device_clock.h"
#include "device/frames.h"
#include "device/log_count.h"
#include "device/log_download.h"
#include "device/log_export.h"
#include "device/log_row.h"
#include "device/zero_calibration.h"
#include "fuzz_support.h"
#include "serial/exchange.h"

using namespace kt::device;
using kt::fuzz::expect;

namespace {

// The input read from the front.
class Input {
public:
    explicit Input(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // The next byte, 0 once the input has run out.
    std::uint8_t byte()
    {
        if (bytes_.empty())
            return 0;
        const std::uint8_t next = bytes_.front();
        bytes_ = bytes_.subspan(1);
        return next;
    }

    // High byte first.
    std::uint16_t word()
    {
        const std::uint8_t high = byte();
        return static_cast<std::uint16_t>((high << 8) | byte());
    }

    std::uint32_t doubleWord()
    {
        const std::uint16_t high = word();
        return (std::uint32_t{high} << 16) | word();
    }

    // The rest as a reply of exactly `length` bytes, in a heap block of exactly that size, so
    // that a decoder reading past its reply meets AddressSanitizer.
    Bytes reply(std::size_t length)
    {
        Bytes reply(length);
        std::copy_n(bytes_.begin(), std::min(length, bytes_.size()), reply.begin());
        return reply;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// The value of a text the console shows for hundredths of a metre ("-12.34"), or none when
// the text is not of that form: an optional minus, digits, a full stop, exactly two digits.
std::optional<std::int64_t> hundredthsShownAs(std::string_view text)
{
    const bool negative = text.starts_with('-');
    if (negative)
        text.remove_prefix(1);
    const std::size_t stop = text.find('.');
    if (stop == 0 || stop == std::string_view::npos || text.size() != stop + 3)
        return std::nullopt;
    std::int64_t value = 0;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (index == stop)
            continue;
        if (text[index] < '0' || text[index] > '9' || value > 1'000'000'000'000'000)
            return std::nullopt;
        value = value * 10 + (text[index] - '0');
    }
    return negative ? -value : value;
}

template <typename Value>
struct Decoded {
    Bytes reply;
    Value value;
};

template <typename Value>
Decoded<Value> decode(Input& input, const Command<Value>& command)
{
    expect(command.replyLength >= 5 && command.replyLength <= kt::serial::kReceiveBufferSize,
           "a reply has address, function, byte count and checksum, and fits the receive buffer");
    Bytes reply = input.reply(command.replyLength);
    Value value = command.decode(reply);
    return {std::move(reply), std::move(value)};
}

CableSetting pickSetting(Input& input)
{
    return kCableParameters[input.byte() % kCableParameters.size()].setting;
}

Channel pickChannel(Input& input)
{
    return kChannels[input.byte() % kChannels.size()];
}

// Every field in its range, whatever the input holds.
DateTime pickAcceptedTime(Input& input)
{
    DateTime time;
    for (const ClockField& field : kClockFields)
        time.*field.value = field.lowest + input.word() % (field.highest - field.lowest + 1);
    return time;
}

std::uint16_t dataWord(const Bytes& reply)
{
    return wordAt(reply, kReplyDataOffset);
}

void checkWrite(Input& input, const Command<bool>& command)
{
    const auto [reply, accepted] = decode(input, command);
    expect(command.replyLength == 7, "a write is answered with its status word");
    expect(accepted == (reply[3] == 0 && reply[4] == 0), "a write is accepted on status 0 0");
}

void checkCableRead(Input& input)
{
    const CableSetting setting = pickSetting(input);
    const auto [reply, value] = decode(input, cableRead(setting));
    if (cableParameter(setting).kind == CableValueKind::Word) {
        expect(value == dataWord(reply) && cableValueText(setting, *value) == std::to_string(*value),
               "a word shows as its unsigned decimal value");
        return;
    }
    const std::uint32_t raw =
        (std::uint32_t{dataWord(reply)} << 16) | wordAt(reply, kReplyDataOffset + 2);
    expect(value.has_value() == (raw != 0xFFFFFFFFU), "only an all-0xFF length has no value");
    if (value)
        expect(*value == static_cast<std::int32_t>(raw)
                   && hundredthsShownAs(cableValueText(setting, *value)) == *value,
               "a length shows as its signed hundredths with two decimals");
}

void checkClockRead(Input& input)
{
    const Decoded<DateTime> decoded = decode(input, clockRead());
    const DateTime& time = decoded.value;
    const auto bcd = [&decoded](std::size_t index) {
        return bcdToInt(decoded.reply[kReplyDataOffset + index]);
    };
    expect(time.year == bcd(0) * 100 + bcd(1), "century and year make the year");
    expect(time.month == bcd(2) && time.day == bcd(3) && time.hour == bcd(4)
               && time.minute == bcd(5) && time.second == bcd(7),
           "the fields come from their bytes; byte 6 is spare");
    for (const int field : {time.month, time.day, time.hour, time.minute, time.second})
        expect(field >= 0 && field <= 165, "a BCD byte decodes to 0..165");
    expect(time.year >= 0 && time.year <= 16665, "a BCD year decodes to 0..16665");
}

void checkStatusWordRead(Input& input)
{
    const auto [reply, codes] = decode(input, statusWordRead());
    expect(codes[Channel::B] == reply[kReplyDataOffset] && codes[Channel::A] == reply[kReplyDataOffset + 1],
           "the status word carries channel B's code first");
    for (const Channel channel : kPollOrder) {
        const std::uint8_t code = codes[channel];
        const std::optional<ChannelStatus> status = channelStatus(code);
        expect(status.has_value() == (code <= 2), "codes 0 to 2 and no others have a state");
        if (status) {
            const std::string_view text = channelStatusText(*status);
            expect(text == "正常" || text == "泄露" || text == "断线", "a state has its text");
        }
    }
}

void checkLeakDistanceRead(Input& input)
{
    const auto [reply, distance] = decode(input, leakDistanceRead(pickChannel(input)));
    expect(distance == dataWord(reply), "the distance is the data word");
    expect(hundredthsShownAs(polledLeakDistanceText(distance)) == distance,
           "the single poll shows every distance in metres");
    const std::string monitored = monitoredLeakDistanceText(distance);
    if (distance == kUnknownLeakDistance)
        expect(monitored.empty(), "the monitoring leaves an unknown distance empty");
    else
        expect(hundredthsShownAs(monitored) == distance,
               "the monitoring shows a known distance in metres");
}

void checkZeroCalibration(Input& input)
{
    const Channel channel = pickChannel(input);
    const std::uint8_t station = input.byte();
    const auto [reply, outcome] = decode(input, zeroCalibration(channel, station));
    if (reply[0] != station)
        expect(outcome == ZeroCalibrationOutcome::OtherStation, "another station is ignored");
    else if (reply[3] == 0 && reply[4] == 0)
        expect(outcome == ZeroCalibrationOutcome::Success, "result 0 0 is success");
    else
        expect(outcome == ZeroCalibrationOutcome::Failure, "any other result is failure");
}

// The download plan a log count leads to: the blocks cover exactly the rows of the log.
void checkPlan(std::uint16_t count)
{
    const std::vector<LogBlock> plan = logDownloadPlan(count);
    if (count > kMaxDownloadedRecords) {
        expect(plan.empty(), "a log too large is not downloaded");
        return;
    }
    expect(plan.size() == (count > 25 ? 2U : 1U), "one block, two from the 26th record");
    int nextRow = 0;
    for (std::size_t index = 0; index < plan.size(); ++index) {
        const LogBlock& block = plan[index];
        expect(block.firstRow == nextRow, "blocks follow one another without gap or overlap");
        expect(block.recordCount >= 0 && block.recordCount <= 25, "at most 25 records a block");
        expect(block.firstRegister == (index == 0 ? 0x5000 : 0x50FA)
                   && block.pauseBeforeMs == (index == 0 ? 0U : 300U),
               "the second block starts 250 on, after a pause");
        const std::uint16_t registers = static_cast<std::uint16_t>(block.recordCount * 5);
        expect(logBlockRead(block).request
                   == Bytes{0x03, static_cast<std::uint8_t>(block.firstRegister >> 8),
                            static_cast<std::uint8_t>(block.firstRegister & 0xFF), 0x00,
                            static_cast<std::uint8_t>(registers)},
               "a block is read with function 0x03, five registers a record");
        nextRow += block.recordCount;
    }
    expect(nextRow == count, "the blocks hold every record");
}

void checkLogCount(Input& input, const Command<std::uint16_t>& command)
{
    const auto [reply, count] = decode(input, command);
    expect(count == dataWord(reply), "the count is the data word");
    checkPlan(count);
}

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
        expect(hundredthsShownAs(row.leakPoint) == record.leakDistance,
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

// A block of the plan for a log of up to the most records the console downloads.
void checkLogBlockRead(Input& input)
{
    const std::vector<LogBlock> plan = logDownloadPlan(input.byte() % (kMaxDownloadedRecords + 1));
    const LogBlock& block = plan[input.byte() % plan.size()];
    const auto [reply, records] = decode(input, logBlockRead(block));
    expect(records.size() == static_cast<std::size_t>(block.recordCount), "every record of the block");
    for (std::size_t index = 0; index < records.size(); ++index) {
        checkRecord(std::span(reply).subspan(kReplyDataOffset + index * kLogRecordSize, kLogRecordSize),
                    records[index]);
        const int rowNumber = block.firstRow + static_cast<int>(index);
        const LogRow row = logRow(rowNumber, records[index]);
        checkRow(rowNumber, records[index], row);
        checkExportLine(row, exportLine(row));
    }
}

using Check = void (*)(Input&);

// Every command the console sends, in the order the first input byte picks them (the seeds in
// make_seeds.py name them in the same order).
constexpr std::array<Check, 13> kChecks{
    checkCableRead,
    [](Input& input) {
        const CableSetting setting = pickSetting(input);
        checkWrite(input, cableWrite(setting, static_cast<std::int32_t>(input.doubleWord())));
    },
    checkClockRead,
    [](Input& input) { checkWrite(input, clockWrite(pickAcceptedTime(input))); },
    checkStatusWordRead,
    checkLeakDistanceRead,
    checkZeroCalibration,
    [](Input& input) { checkLogCount(input, logCountRead()); },
    [](Input& input) { checkWrite(input, logClear()); },
    checkLogBlockRead,
    [](Input& input) { checkLogCount(input, addressProbe()); },
    [](Input& input) { checkWrite(input, deviceBaudRateWrite(input.word())); },
    [](Input& input) { checkWrite(input, deviceAddressWrite(input.byte())); },
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input input(std::span(data, size));
    kChecks[input.byte() % kChecks.size()](input);
    return 0;
}
