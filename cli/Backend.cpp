#include "cli/Backend.h"

#include "usb/SimulatedWheelLight.h"

#include <cstdlib>

namespace wheelctl {

std::unique_ptr<wheel::IHidBackend> MakeBackend(const Context& context)
{
    auto backend = wheel::MakeHidBackend(context.simulate);
    // For the tests: a simulated wheel light that takes its time to answer,
    // as a real one does, so that an operation can be caught half way.
    if (const char* latency = std::getenv("WHEEL_SIMULATED_LATENCY_MS")) {
        if (auto* simulated = dynamic_cast<wheel::SimulatedWheelLight*>(backend.get())) {
            wheel::SimulatedWheelLight::Faults faults;
            faults.latency = std::chrono::milliseconds(std::atoi(latency));
            simulated->SetFaults(faults);
        }
    }
    return backend;
}

bool TakeSimulateOption(std::vector<std::string>& args, wheel::Simulation& simulation, std::string& error)
{
    const std::string option = "--simulate";
    bool seen = false;
    for (auto it = args.begin(); it != args.end();) {
        std::optional<wheel::Simulation> value;
        if (*it == option)
            value = wheel::Simulation::Present;
        else if (it->starts_with(option + "="))
            value = wheel::SimulationFromOptionValue(std::string_view(*it).substr(option.size() + 1));
        else {
            ++it;
            continue;
        }
        if (seen) {
            error = option + " is given more than once";
            return false;
        }
        if (!value) {
            error = "unknown value in '" + *it + "': use --simulate or --simulate=absent";
            return false;
        }
        seen = true;
        simulation = *value;
        it = args.erase(it);
    }
    return true;
}

} // namespace wheelctl
