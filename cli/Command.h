#pragma once
// wheelctl's commands register themselves here; main() picks one by name.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace wheel { struct OutputError; }

namespace wheelctl {

struct Context {
    bool simulate = false;            // --simulate: the simulated wheel light
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

// wheelctl's own messages go to standard output until an output named "-"
// takes it for its bytes; from then on they go to standard error.
std::ostream& Messages();
void TakeStandardOutput();

// "-", or a path that names what standard output already is (/dev/stdout).
bool IsStandardOutput(const std::string& path);
// An output's name in messages: the path, or "standard output" for "-".
std::string OutputName(const std::string& path);
// "PATH: cannot write the WHAT: REASON".
std::string OutputFailure(const wheel::OutputError& error, const std::string& what);

} // namespace wheelctl
