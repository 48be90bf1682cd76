#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "sim/outcome.h"

namespace kt::sim {

class ControllerSimulator;

// What the kt5270-sim command line sets up.
struct SimulatorOptions {
    std::string linkPath;
    std::string recordPath;  // where the received frames are written on exit; empty: nowhere
    std::uint8_t address = 1;
    bool everyAddress = false;
    int logRecords = 0;
    std::optional<double> leakMetresA;
    std::optional<double> leakMetresB;
    bool breakA = false;
    bool breakB = false;
    bool demo = false;  // channel states that keep changing, one step every few status reads
    std::chrono::milliseconds replyDelay{0};
    std::optional<int> paceBaud;
    bool help = false;
};

// Fills `options` from the arguments after the program name.
Outcome parseOptions(std::span<const std::string_view> arguments, SimulatorOptions& options);
std::string usageText();

// Sets up the controller and the simulator's timing as `options` say.
void applyOptions(const SimulatorOptions& options, ControllerSimulator& simulator);

}  // namespace kt::sim
