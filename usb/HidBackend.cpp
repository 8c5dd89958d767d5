#include "usb/HidBackend.h"

#include "usb/HidapiBackend.h"
#include "usb/SimulatedWheelLight.h"

namespace wheel {

std::unique_ptr<IHidBackend> MakeHidBackend(Simulation simulation)
{
    switch (simulation) {
    case Simulation::Present:
        return std::make_unique<SimulatedWheelLight>();
    case Simulation::Absent:
        return std::make_unique<SimulatedWheelLight>(false);
    case Simulation::Off:
        break;
    }
    return std::make_unique<HidapiBackend>();
}

} // namespace wheel
