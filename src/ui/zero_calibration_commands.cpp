#include <QPushButton>

#include "device/zero_calibration.h"
#include "serial/exchange.h"
#include "ui/main_dialog.h"
#include "ui/messages.h"

namespace kt::ui {

void MainDialog::connectZeroCalibrationCommands()
{
    connect(button(ZeroCalibrationAButton), &QPushButton::clicked, this,
            [this] { calibrateZero(device::Channel::A); });
    connect(button(ZeroCalibrationBButton), &QPushButton::clicked, this,
            [this] { calibrateZero(device::Channel::B); });
}

// Not the standard exchange: its own texts, no drain of stale input, a longer wait, and
// silence when another station answers.
void MainDialog::calibrateZero(device::Channel channel)
{
    if (!port_) {
        showMessage(text::kOpenPortFirstPlain);
        return;
    }
    const auto address = stationAddressForFreePort();
    if (!address)
        return;

    // transact's checksum test is the same as running the checksum over the whole reply.
    const serial::Reply reply = serial::transact(
        *port_, serial::frameRequest(*address, device::zeroCalibrationRequest(channel)),
        device::kZeroCalibrationReplyLength, device::kZeroCalibrationReplyWaitMs);
    switch (reply.status) {
    case serial::ReplyStatus::ShortReply:
        showMessage(u"无数据返回!");
        return;
    case serial::ReplyStatus::BadChecksum:
        showMessage(u"通信校验错误!");
        return;
    case serial::ReplyStatus::Accepted:
        break;
    }
    switch (device::zeroCalibrationOutcome(reply.bytes, *address)) {
    case device::ZeroCalibrationOutcome::Success:
        showMessage(u"校准成功!");
        break;
    case device::ZeroCalibrationOutcome::Failure:
        showMessage(u"校准失败!");
        break;
    case device::ZeroCalibrationOutcome::OtherStation:
        break;
    }
}

}  // namespace kt::ui
