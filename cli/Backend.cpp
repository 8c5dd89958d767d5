#include "cli/Backend.h"

namespace wheelctl {

std::unique_ptr<wheel::IHidBackend> MakeBackend(const Context& context)
{
    return wheel::MakeHidBackend(context.simulate);
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
