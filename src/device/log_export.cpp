#include "device/log_export.h"

#include <array>
#include <cstdint>

#include "device/channel_status.h"

namespace kt::device {
namespace {

constexpr std::string_view kFieldSeparator = "  ";
constexpr std::string_view kLineEnd = "\r\n";

struct AlarmWordInGbk {
    ChannelStatus alarm;
    std::array<std::uint8_t, 4> gbk;
};

// A row is ASCII except for its alarm type, so these two words are all the GBK a line needs.
constexpr std::array<AlarmWordInGbk, 2> kAlarmWordsInGbk{{
    {ChannelStatus::Leak, {0xD0, 0xB9, 0xC2, 0xB6}},
    {ChannelStatus::Break, {0xB6, 0xCF, 0xCF, 0xDF}},
}};

void appendInGbk(Bytes& line, std::string_view text)
{
    for (const AlarmWordInGbk& word : kAlarmWordsInGbk) {
        if (text == channelStatusText(word.alarm)) {
            line.insert(line.end(), word.gbk.begin(), word.gbk.end());
            return;
        }
    }
    line.insert(line.end(), text.begin(), text.end());
}

}  // namespace

Bytes exportLine(const LogRow& row)
{
    Bytes line;
    std::string_view separator;
    for (std::string_view text : row.inColumnOrder()) {
        line.insert(line.end(), separator.begin(), separator.end());
        appendInGbk(line, text);
        separator = kFieldSeparator;
    }
    line.insert(line.end(), kLineEnd.begin(), kLineEnd.end());
    return line;
}

}  // namespace kt::device
