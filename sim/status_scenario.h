#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kt::sim {

// What both channels report for a while: status codes (0 normal, 1 leak, 2 break, any other
// byte passes through) and leak distances in hundredths of a metre.
struct ScenarioStep {
    std::uint8_t codeB = 0;
    std::uint8_t codeA = 0;
    std::uint16_t distanceB = 0;
    std::uint16_t distanceA = 0;
    int statusReads = 1;  // how many status-word reads this step answers
};

enum class ScenarioEnd { HoldLastStep, Loop };

// A script of channel states advanced by the status-word reads themselves, so that a test can
// predict exactly what each monitoring cycle sees.
class StatusScenario {
public:
    // An empty script stops playing; the channels keep what they last showed.
    void play(std::vector<ScenarioStep> steps, ScenarioEnd end);

    // The step that answers this status read, moving the script on; nothing when none plays.
    std::optional<ScenarioStep> nextStatusRead();

private:
    std::vector<ScenarioStep> steps_;
    ScenarioEnd end_ = ScenarioEnd::HoldLastStep;
    std::size_t current_ = 0;
    int readsOfCurrent_ = 0;
};

}  // namespace kt::sim
