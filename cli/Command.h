#pragma once
// wheelctl's commands register themselves here; main() picks one by name.

#include "usb/HidBackend.h"

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

class QCoreApplication;
namespace wheel { struct OutputError; }

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
// Takes the first "--name VALUE" (or "--name=VALUE") out of args; returns
// false if --name is absent. Sets `missingValue` when --name stands last
// without a value. A second --name stays in args for RejectLeftOptions.
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value, bool& missingValue);
bool TakeFlag(std::vector<std::string>& args, const std::string& name);

// Once a command has taken its options, any option still in args (a word
// that starts with '-', other than "-" alone) is a usage error: one taken
// before and given again, or one the command does not know. Prints it as
// one line naming the option and returns the exit status 2; nothing when
// only operands are left.
std::optional<int> RejectLeftOptions(const std::vector<std::string>& args, const std::string& command);

// Prints "wheelctl: MESSAGE" on stderr and returns 1 (or the given status).
int Fail(const std::string& message, int status = 1);

// Chooses the language of the editor's texts by --lang (requested, empty when
// not given) and the system's locale, as the editor does. Keep the result
// alive while texts are shown: a translation lives in the application object.
std::unique_ptr<QCoreApplication> SetUpLanguage(const std::string& requested);

// One of the editor's texts (a log line, a message box's text or caption),
// made in Chinese, in the chosen language.
std::string Shown(const std::string& text);

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
