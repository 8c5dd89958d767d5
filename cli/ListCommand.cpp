// wheelctl list: the wheel lights present, one line each.

#include "cli/Backend.h"
#include "cli/Command.h"
#include "usb/ReportLink.h"

#include <cstdio>
#include <iostream>

namespace wheelctl {
namespace {

int RunList(const Context& context)
{
    if (!context.args.operands.empty())
        return Fail("list takes no arguments (see wheelctl list --help)", 2);
    const auto backend = MakeBackend(context);
    const auto devices = backend->Enumerate(wheel::kVendorId, wheel::kProductId);
    for (const auto& device : devices) {
        char ids[16];
        std::snprintf(ids, sizeof ids, "%04x:%04x", device.vendorId, device.productId);
        std::cout << device.path << "\t" << ids;
        if (!device.product.empty())
            std::cout << "\t" << device.product;
        std::cout << "\n";
    }
    if (devices.empty())
        std::cerr << "no wheel light found\n";
    return 0;
}

const Registrar kList({
    "list",
    "list",
    "      Lists the wheel lights (USB HID 0483:5750) found, one per line: the\n"
    "      device path, vendor:product and the product name. Finding none is\n"
    "      not an error. With --simulate, the simulated wheel light.\n",
    {},
    RunList,
});

} // namespace
} // namespace wheelctl
