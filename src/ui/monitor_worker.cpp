#include "ui/monitor_worker.h"

#include <array>
#include <optional>

#include "serial/exchange.h"

namespace kt::ui {
namespace {

using device::kChannelReadReplyLength;
using device::kMonitoringReplyWaitMs;

constexpr auto kLeak = static_cast<std::uint8_t>(device::ChannelStatus::Leak);

struct MonitoredChannel {
    device::Channel channel;
    device::ChannelState MonitorShared::*state;
    std::uint8_t device::ChannelCodes::*code;
};

// Channel B comes first throughout, as in the status word.
constexpr std::array<MonitoredChannel, 2> kChannelsInOrder{{
    {device::Channel::B, &MonitorShared::channelB, &device::ChannelCodes::channelB},
    {device::Channel::A, &MonitorShared::channelA, &device::ChannelCodes::channelA},
}};

class Monitor {
public:
    Monitor(serial::SerialPort& port, MonitorShared& shared, WorkerThread& thread,
            const MonitorDisplay& display)
        : port_(port), shared_(shared), thread_(thread), display_(display)
    {
    }

    // Succeeds when the status word and every leak distance it asks for were read.
    bool runCycle()
    {
        const std::optional<device::ChannelCodes> codes = readStatusWord();
        if (!codes)
            return false;
        for (const MonitoredChannel& channel : kChannelsInOrder) {
            const std::uint8_t code = (*codes).*channel.code;
            if (code != kLeak && device::channelStatus(code)) {
                (shared_.*channel.state).status = code;
                thread_.notify(display_.showChannelStates);
            }
        }
        bool distancesRead = true;
        for (const MonitoredChannel& channel : kChannelsInOrder) {
            if ((*codes).*channel.code != kLeak)
                continue;
            (shared_.*channel.state).status = kLeak;
            thread_.notify(display_.showChannelStates);
            if (!readLeakDistance(channel))
                distancesRead = false;
        }
        return distancesRead;
    }

private:
    // Whatever is queued before a request is stale, a late reply or line noise: thrown away,
    // it cannot be taken for the reply to this request.
    std::vector<std::uint8_t> freshRequest(const device::Bytes& commandBytes)
    {
        serial::discardQueuedInput(port_);
        return serial::frameRequest(shared_.address, commandBytes);
    }

    // The communication period is a pause between the request and the read of its reply.
    std::optional<device::ChannelCodes> readStatusWord()
    {
        port_.write(freshRequest(device::statusWordRequest()));
        serial::waitForBytes(port_, kChannelReadReplyLength, kMonitoringReplyWaitMs);
        thread_.pause(std::chrono::milliseconds(shared_.periodMs));
        const serial::Reply reply = serial::receiveReply(port_, kChannelReadReplyLength);
        if (reply.status != serial::ReplyStatus::Accepted)
            return std::nullopt;
        return device::channelCodes(reply.bytes);
    }

    bool readLeakDistance(const MonitoredChannel& channel)
    {
        const serial::Reply reply =
            serial::transact(port_, freshRequest(device::leakDistanceRequest(channel.channel)),
                             kChannelReadReplyLength, kMonitoringReplyWaitMs);
        if (reply.status != serial::ReplyStatus::Accepted)
            return false;
        (shared_.*channel.state).leakDistance = device::leakDistance(reply.bytes);
        thread_.notify(display_.showLeakDistances);
        return true;
    }

    serial::SerialPort& port_;
    MonitorShared& shared_;
    WorkerThread& thread_;
    const MonitorDisplay& display_;
};

}  // namespace

void runMonitorWorker(serial::SerialPort& port, MonitorShared& shared, WorkerThread& thread,
                      const MonitorDisplay& display)
{
    Monitor monitor(port, shared, thread, display);
    serial::drainInput(port);
    while (thread.isRunning()) {
        ++(monitor.runCycle() ? shared.successCount : shared.failureCount);
        thread.notify(display.showCounters);
    }
}

}  // namespace kt::ui
