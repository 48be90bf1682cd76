#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "serial/serial_port.h"

namespace kt::fuzz {

// A serial port in memory: what the line delivers is all there at once; what the console
// writes is recorded. A write may set the next answer in motion: it joins the input the moment
// the request has gone out. Time on it passes only by the waits' sleeps, so a wait polls as
// often as on a real line and takes no real time.
class ScriptedPort final : public serial::SerialPort {
public:
    // `readLimit` caps what one read returns, as a line that falls silent mid-reply does.
    explicit ScriptedPort(std::size_t readLimit) : readLimit_(readLimit) {}

    void arrive(std::span<const std::uint8_t> bytes);
    void answerNextWrite(std::vector<std::uint8_t> answer) { answer_ = std::move(answer); }

    std::uint32_t queuedInputCount() override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    void write(std::span<const std::uint8_t> bytes) override;
    std::chrono::steady_clock::time_point clockNow() override { return now_; }
    void sleepFor(std::chrono::milliseconds duration) override { now_ += duration; }

    const std::vector<std::uint8_t>& written() const { return written_; }
    std::size_t queued() const { return input_.size(); }
    // Every byte read so far, in order.
    const std::vector<std::uint8_t>& consumed() const { return consumed_; }

private:
    std::size_t readLimit_;
    std::chrono::steady_clock::time_point now_;
    std::deque<std::uint8_t> input_;
    std::vector<std::uint8_t> answer_;
    std::vector<std::uint8_t> written_;
    std::vector<std::uint8_t> consumed_;
};

}  // namespace kt::fuzz
