#include "ui/clock_part.h"

#include <QDateTime>
#include <QPushButton>

#include "ui/device_text.h"

namespace kt::ui {
namespace {

// A clock field with its unit and the digits it shows whole.
struct ClockControl {
    int id;
    const char* unit;
    int digits;
};

// In the order of device::kClockFields.
constexpr std::array<ClockControl, device::kClockFields.size()> kClockControls{{
    {ClockYearField, "年", 4},
    {ClockMonthField, "月", 2},
    {ClockDayField, "日", 2},
    {ClockHourField, "时", 2},
    {ClockMinuteField, "分", 2},
    {ClockSecondField, "秒", 2},
}};

}  // namespace

ClockPart::ClockPart(WindowContext& context, WindowLayout& layout) : context_(context)
{
    RowBand band(layout);
    ControlMaker& make = band.controls();
    make.label("时间：");
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const ClockControl& control = kClockControls[i];
        fields_[i] = make.centredField(control.id, control.digits, control.unit);
        make.staticText(control.unit);
    }
    QObject::connect(make.button(ReadClockButton, "读取"), &QPushButton::clicked,
                     [this] { read(); });
    QObject::connect(make.button(SetClockButton, "设置"), &QPushButton::clicked,
                     [this] { set(); });

    // The local date and time once, as plain decimals.
    const QDateTime now = QDateTime::currentDateTime();
    show({.year = now.date().year(),
          .month = now.date().month(),
          .day = now.date().day(),
          .hour = now.time().hour(),
          .minute = now.time().minute(),
          .second = now.time().second()});
}

void ClockPart::read()
{
    const auto address = context_.beginStandardCommand();
    if (!address)
        return;
    if (const auto time = context_.exchange(*address, device::clockRead()))
        show(*time);
}

void ClockPart::set()
{
    const auto address = context_.beginStandardCommand();
    if (!address)
        return;
    const auto time = context_.accepted(clockEntry(fields_));
    if (!time)
        return;
    if (const auto written = context_.exchange(*address, device::clockWrite(*time)))
        context_.showMessage(
            fromDeviceText(*written ? device::kClockSetText : device::kClockRefusedText));
}

void ClockPart::show(const device::DateTime& time)
{
    for (std::size_t i = 0; i < fields_.size(); ++i)
        fields_[i]->setText(QString::number(time.*device::kClockFields[i].value));
}

}  // namespace kt::ui
