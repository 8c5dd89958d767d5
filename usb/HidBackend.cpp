#include "usb/HidBackend.h"

#include "usb/HidapiBackend.h"
#include "usb/SimulatedWheelLight.h"

namespace wheel {

std::unique_ptr<IHidBackend> MakeHidBackend(bool simulate)
{
    if (simulate)
        return std::make_unique<SimulatedWheelLight>();
    return std::make_unique<HidapiBackend>();
}

} // namespace wheel
