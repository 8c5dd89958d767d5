#pragma once
// The HID backend wheelctl's device commands use: the simulated wheel light
// with --simulate, hidapi otherwise.

#include "cli/Command.h"
#include "usb/HidBackend.h"

#include <memory>

namespace wheelctl {

std::unique_ptr<wheel::IHidBackend> MakeBackend(const Context& context);

} // namespace wheelctl
