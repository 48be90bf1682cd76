#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <string>

#include "device/device_clock.h"
#include "ui/main_dialog.h"

namespace kt::ui {
namespace {

using device::ClockEntry;
using device::ClockField;
using device::DateTime;

// One clock field of the window, with the part of the time it shows and the message that
// refuses its text.
struct ClockFieldControl {
    int fieldId;
    ClockField field;
    int DateTime::*value;
    std::string_view ClockEntry::*entry;
    QStringView refusalText;
};

// In the order the fields are filled and checked.
constexpr std::array<ClockFieldControl, 6> kClockFields{{
    {ClockYearField, ClockField::Year, &DateTime::year, &ClockEntry::year,
     u"输入年份错误，请重新输入!!!"},
    {ClockMonthField, ClockField::Month, &DateTime::month, &ClockEntry::month,
     u"输入月份错误，请重新输入!!!"},
    {ClockDayField, ClockField::Day, &DateTime::day, &ClockEntry::day,
     u"输入日期错误，请重新输入!!!"},
    {ClockHourField, ClockField::Hour, &DateTime::hour, &ClockEntry::hour,
     u"输入小时错误，请重新输入!!!"},
    {ClockMinuteField, ClockField::Minute, &DateTime::minute, &ClockEntry::minute,
     u"输入分钟错误，请重新输入!!!"},
    {ClockSecondField, ClockField::Second, &DateTime::second, &ClockEntry::second,
     u"输入秒错误，请重新输入!!!"},
}};

const ClockFieldControl& controlOf(ClockField field)
{
    return *std::find_if(kClockFields.begin(), kClockFields.end(),
                         [field](const ClockFieldControl& control) {
                             return control.field == field;
                         });
}

}  // namespace

void MainDialog::connectClockCommands()
{
    connect(button(ReadClockButton), &QPushButton::clicked, this, &MainDialog::readDeviceClock);
    connect(button(SetClockButton), &QPushButton::clicked, this, &MainDialog::setDeviceClock);
}

void MainDialog::readDeviceClock()
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    const auto reply =
        exchange(*address, device::clockReadRequest(), device::kClockReadReplyLength);
    if (!reply)
        return;
    const DateTime time = device::clockTimeFromReply(*reply);
    for (const ClockFieldControl& control : kClockFields)
        edit(control.fieldId)->setText(QString::number(time.*control.value));
}

void MainDialog::setDeviceClock()
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    const auto time = clockFromFields();
    if (!time)
        return;
    const auto reply =
        exchange(*address, device::clockWriteRequest(*time), device::kClockWriteReplyLength);
    if (!reply)
        return;
    showMessage(device::isWriteAccepted(*reply) ? u"设置时间成功!!!" : u"设置时间失败!!!");
}

std::optional<DateTime> MainDialog::clockFromFields()
{
    // ClockEntry only views the texts, so they are kept here while it is judged.
    std::array<std::string, kClockFields.size()> texts;
    ClockEntry entry;
    for (std::size_t i = 0; i < kClockFields.size(); ++i) {
        texts[i] = edit(kClockFields[i].fieldId)->text().toStdString();
        entry.*kClockFields[i].entry = texts[i];
    }
    const device::ClockEntryResult result = device::parseClockEntry(entry);
    if (result.rejectedField)
        showMessage(controlOf(*result.rejectedField).refusalText);
    return result.time;
}

}  // namespace kt::ui
