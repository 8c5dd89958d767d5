#pragma once
// wheelctl's commands register themselves here; main() picks one by name.

#include "usb/HidBackend.h"

#include <functional>
#include <string>
#include <vector>

namespace wheelctl {

struct Context {
    wheel::Simulation simulate = wheel::Simulation::Off;  // --simulate[=absent]: the simulated wheel light
    std::vector<std::string> args;    // the command's own arguments
};

struct Command {
    std::string name;
    std::string synopsis;  // one line: "convert PICTURE [--frame FILE] ..."
    std::string help;      // the rest of the help text, already indented
    std::function<int(const Context&)> run;
};

std::vector<Command>& Registry();

struct Registrar {
    explicit Registrar(Command command) { Registry().push_back(std::move(command)); }
};

// Small helpers for parsing a command's options.
// Takes "--name VALUE" out of args; returns false if --name is absent.
// Sets `missingValue` when --name stands last without a value.
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value, bool& missingValue);
bool TakeFlag(std::vector<std::string>& args, const std::string& name);

// Prints "wheelctl: MESSAGE" on stderr and returns 1 (or the given status).
int Fail(const std::string& message, int status = 1);

} // namespace wheelctl
