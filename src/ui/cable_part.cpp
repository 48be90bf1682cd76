#include "ui/cable_part.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "ui/device_text.h"

namespace kt::ui {
namespace {

// One cable setting in the band: label, field, unit, then read left of write. The settings
// stand in a grid of rows and two halves so that their columns line up.
struct CableControls {
    device::CableSetting setting;
    const char* label;
    int field;
    const char* unit;
    int readButton;
    int writeButton;
    int row;
    int half;
};

constexpr std::array<CableControls, 6> kCableControls{{
    {device::CableSetting::LengthA, "A长度：", LengthAField, "米", ReadLengthAButton,
     WriteLengthAButton, 0, 0},
    {device::CableSetting::LengthB, "B长度：", LengthBField, "米", ReadLengthBButton,
     WriteLengthBButton, 1, 0},
    {device::CableSetting::ResistivityA, "A电阻率：", ResistivityAField, "毫欧/厘米",
     ReadResistivityAButton, WriteResistivityAButton, 2, 0},
    {device::CableSetting::ResistivityB, "B电阻率：", ResistivityBField, "毫欧/厘米",
     ReadResistivityBButton, WriteResistivityBButton, 2, 1},
    {device::CableSetting::CalibrationA, "A校正值：", CalibrationAField, "", ReadCalibrationAButton,
     WriteCalibrationAButton, 3, 0},
    {device::CableSetting::CalibrationB, "B校正值：", CalibrationBField, "", ReadCalibrationBButton,
     WriteCalibrationBButton, 3, 1},
}};

constexpr int kColumnsPerSetting = 5;

}  // namespace

CablePart::CablePart(WindowContext& context, WindowLayout& layout) : context_(context)
{
    QGroupBox* band = layout.addBand("感应线");
    auto* grid = new QGridLayout(band);
    WindowLayout::compact(*grid);
    for (const CableControls& controls : kCableControls) {
        int column = controls.half * kColumnsPerSetting;
        ControlMaker make(*band, layout.controls(), [&](QWidget* control, int) {
            grid->addWidget(control, controls.row, column++);
        });
        make.label(controls.label);
        QLineEdit* field = make.field(controls.field, kMetresDigits);
        make.staticText(controls.unit);
        const device::CableSetting setting = controls.setting;
        QObject::connect(make.button(controls.readButton, "读取"), &QPushButton::clicked,
                         [this, setting, field] { read(setting, *field); });
        QObject::connect(make.button(controls.writeButton, "写入"), &QPushButton::clicked,
                         [this, setting, field] { write(setting, *field); });
    }

    // To the right of the two length rows.
    QGroupBox* frame = WindowLayout::frame("零位校准", *band);
    auto* row = new QHBoxLayout(frame);
    WindowLayout::compact(*row);
    zeroCalibrationRow_ = std::make_unique<ControlMaker>(
        *frame, layout.controls(), [row](QWidget* control, int) { row->addWidget(control); });
    grid->addWidget(frame, 0, kColumnsPerSetting, 2, kColumnsPerSetting,
                    Qt::AlignLeft | Qt::AlignVCenter);
    grid->setColumnStretch(2 * kColumnsPerSetting, 1);
}

void CablePart::read(device::CableSetting setting, QLineEdit& field)
{
    const auto address = context_.beginStandardCommand();
    if (!address)
        return;
    const auto value = context_.exchange(*address, device::cableRead(setting));
    if (!value)
        return;
    if (*value)
        field.setText(fromDeviceText(device::cableValueText(setting, **value)));
    else
        context_.showMessage(fromDeviceText(device::cableParameter(setting).readFailureText));
}

void CablePart::write(device::CableSetting setting, const QLineEdit& field)
{
    const auto address = context_.beginStandardCommand();
    if (!address)
        return;
    const auto value = context_.accepted(cableEntry(setting, field));
    if (!value)
        return;
    const auto written = context_.exchange(*address, device::cableWrite(setting, *value));
    if (!written)
        return;
    const device::CableParameter& parameter = device::cableParameter(setting);
    context_.showMessage(fromDeviceText(*written ? parameter.writtenText : parameter.refusedText));
}

}  // namespace kt::ui
