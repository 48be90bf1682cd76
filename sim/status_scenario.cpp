#include "sim/status_scenario.h"

namespace kt::sim {

void StatusScenario::play(std::vector<ScenarioStep> steps, ScenarioEnd end)
{
    steps_ = std::move(steps);
    end_ = end;
    current_ = 0;
    readsOfCurrent_ = 0;
}

std::optional<ScenarioStep> StatusScenario::nextStatusRead()
{
    if (steps_.empty())
        return std::nullopt;
    if (readsOfCurrent_ >= steps_[current_].statusReads) {
        const bool atLastStep = current_ + 1 == steps_.size();
        if (!atLastStep || end_ == ScenarioEnd::Loop) {
            current_ = atLastStep ? 0 : current_ + 1;
            readsOfCurrent_ = 0;
        }
    }
    ++readsOfCurrent_;
    return steps_[current_];
}

}  // namespace kt::sim
