#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "device/cable_parameters.h"
#include "device/frames.h"
#include "device/text_entry.h"
#include "ui/main_dialog.h"
#include "ui/messages.h"

namespace kt::ui {

using device::CableSetting;

enum class CableDirection { Read, Write };

struct CableCommand {
    int buttonId;
    int fieldId;
    CableSetting setting;
    CableDirection direction;
    QStringView successText;  // writes only; a read shows its value instead
    QStringView failureText;  // a refused write, or a length read the controller cannot give
    bool refusesZero = false;
};

namespace {

using enum CableDirection;

const std::array<CableCommand, 12> kCableCommands{{
    {ReadLengthAButton, LengthAField, CableSetting::LengthA, Read, {}, u"读取失败!"},
    {WriteLengthAButton, LengthAField, CableSetting::LengthA, Write, u"写入成功!", u"写入失败!", true},
    {ReadLengthBButton, LengthBField, CableSetting::LengthB, Read, {}, u"读取失败!"},
    {WriteLengthBButton, LengthBField, CableSetting::LengthB, Write, u"写入成功", u"写入失败"},
    {ReadResistivityAButton, ResistivityAField, CableSetting::ResistivityA, Read, {}, {}},
    {WriteResistivityAButton, ResistivityAField, CableSetting::ResistivityA, Write,
     u"设置感应线A电阻率成功!!!", u"设置感应线A电阻率失败!!!"},
    {ReadResistivityBButton, ResistivityBField, CableSetting::ResistivityB, Read, {}, {}},
    {WriteResistivityBButton, ResistivityBField, CableSetting::ResistivityB, Write,
     u"设置感应线B电阻率成功!!!", u"设置感应线B电阻率失败!!!"},
    {ReadCalibrationAButton, CalibrationAField, CableSetting::CalibrationA, Read, {}, {}},
    {WriteCalibrationAButton, CalibrationAField, CableSetting::CalibrationA, Write,
     u"设置感应线A校正值成功!!!", u"设置感应线A校正值失败!!!"},
    {ReadCalibrationBButton, CalibrationBField, CableSetting::CalibrationB, Read, {}, {}},
    {WriteCalibrationBButton, CalibrationBField, CableSetting::CalibrationB, Write,
     u"设置感应线B校正值成功!!!", u"设置感应线B校正值失败!!!"},
}};

}  // namespace

void MainDialog::connectCableCommands()
{
    for (const CableCommand& command : kCableCommands) {
        connect(button(command.buttonId), &QPushButton::clicked, this, [this, &command] {
            if (command.direction == Read)
                readCableSetting(command);
            else
                writeCableSetting(command);
        });
    }
}

void MainDialog::readCableSetting(const CableCommand& command)
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    const auto reply = exchange(*address, device::cableReadRequest(command.setting),
                                device::cableReadReplyLength(command.setting));
    if (!reply)
        return;
    if (const auto value = device::cableValueText(command.setting, *reply))
        edit(command.fieldId)->setText(QString::fromStdString(*value));
    else
        showMessage(command.failureText);
}

void MainDialog::writeCableSetting(const CableCommand& command)
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    const auto request = cableWriteRequest(command);
    if (!request)
        return;
    const auto reply = exchange(*address, *request, device::kWriteReplyLength);
    if (!reply)
        return;
    showMessage(device::isWriteAccepted(*reply) ? command.successText : command.failureText);
}

std::optional<device::Bytes> MainDialog::cableWriteRequest(const CableCommand& command)
{
    const std::string entry = edit(command.fieldId)->text().toStdString();
    if (device::cableRegister(command.setting).kind == device::CableValueKind::Word) {
        const auto word = device::parseWordEntry(entry);
        if (!word) {
            showMessage(text::kWordRange);
            return std::nullopt;
        }
        return device::cableWordWriteRequest(command.setting, *word);
    }

    const auto hundredths = device::parseLengthEntry(entry);
    if (!hundredths) {
        showMessage(u"长度超出范围，请重新输入!!!");
        return std::nullopt;
    }
    if (command.refusesZero && *hundredths == 0) {
        showMessage(u"请输入感应线长度!");
        return std::nullopt;
    }
    return device::cableLengthWriteRequest(command.setting, *hundredths);
}

}  // namespace kt::ui
