#pragma once
// The HID backend wheelctl's device commands use: the simulated wheel light
// with --simulate (not plugged in with --simulate=absent), hidapi otherwise.

#include "cli/Command.h"
#include "usb/HidBackend.h"

#include <memory>

namespace wheelctl {

std::unique_ptr<wheel::IHidBackend> MakeBackend(const Context& context);

// Takes --simulate or --simulate=VALUE out of args, wherever it stands. False
// with `error` set when it is given twice or with an unknown value.
bool TakeSimulateOption(std::vector<std::string>& args, wheel::Simulation& simulation, std::string& error);

} // namespace wheelctl
