#include "scripted_port.h"

#include <algorithm>

namespace kt::fuzz {

void ScriptedPort::arrive(std::span<const std::uint8_t> bytes)
{
    input_.insert(input_.end(), bytes.begin(), bytes.end());
}

std::uint32_t ScriptedPort::queuedInputCount()
{
    return static_cast<std::uint32_t>(input_.size());
}

std::size_t ScriptedPort::read(std::span<std::uint8_t> buffer)
{
    const std::size_t count = std::min({buffer.size(), input_.size(), readLimit_});
    std::copy_n(input_.begin(), count, buffer.begin());
    consumed_.insert(consumed_.end(), input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(count));
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
}

void ScriptedPort::write(std::span<const std::uint8_t> bytes)
{
    written_.insert(written_.end(), bytes.begin(), bytes.end());
    arrive(answer_);
    answer_.clear();
}

}  // namespace kt::fuzz
