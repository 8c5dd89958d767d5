#include "usb/HidBackend.h"

#include "usb/HidapiBackend.h"
#include "usb/SimulatedWheelLight.h"

#include <algorithm>
#include <cstdlib>

namespace wheel {

std::unique_ptr<IHidBackend> MakeHidBackend(Simulation simulation)
{
    switch (simulation) {
    case Simulation::Present: {
        auto simulated = std::make_unique<SimulatedWheelLight>();
        // For tests and demonstrations: a simulated wheel light that takes
        // its time to answer, as a real one does, so that an operation can
        // be caught half way.
        if (const char* latency = std::getenv("WHEEL_SIMULATED_LATENCY_MS")) {
            SimulatedWheelLight::Faults faults;
            faults.latency = std::chrono::milliseconds(std::max(0, std::atoi(latency)));
            simulated->SetFaults(faults);
        }
        return simulated;
    }
    case Simulation::Absent:
        return std::make_unique<SimulatedWheelLight>(false);
    case Simulation::Off:
        break;
    }
    return std::make_unique<HidapiBackend>();
}

} // namespace wheel
