#pragma once
// wheelctl's commands register themselves here; main() picks one by name.

#include "cli/Options.h"
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
    ParsedArgs args;  // the command's options and operands, checked against its table
};

struct Command {
    std::string name;
    std::string synopsis;  // the usage line(s): "convert PICTURE [--frame FILE] ..."
    std::string help;      // what the command does, already indented
    OptionTable options;   // its options; their help follows `help`
    std::function<int(const Context&)> run;
    std::string notes = {};  // more help after the options, already indented
    Value operands = Value::None;  // what the completion offers for the command's operands
};

// The command's help after its usage line: what it does, its options, notes.
std::string CommandHelp(const Command& command);

// The shell completion's questions, answered from the option tables, one
// word a line: `__complete` gives the commands, `__complete COMMAND` its
// options, `__complete COMMAND OPTION` the values of OPTION ("@file",
// "@picture" or "@set" for files), `__complete COMMAND @operand` what the
// command's operands are.
int PrintCompletion(const std::vector<std::string>& words);

std::vector<Command>& Registry();

struct Registrar {
    explicit Registrar(Command command) { Registry().push_back(std::move(command)); }
};

// Prints "wheelctl: MESSAGE" on stderr and returns 1 (or the given status).
int Fail(const std::string& message, int status = 1);

// Chooses the language of the editor's texts by --lang (requested, empty when
// not given) and the system's locale, as the editor does. Keep the result
// alive while texts are shown: a translation lives in the application object.
std::unique_ptr<QCoreApplication> SetUpLanguage(const std::string& requested);

// One of the editor's texts (a log line, a message box's text or caption),
// made in Chinese, in the chosen language.
std::string Shown(const std::string& text);
// The same text in English, for wheelctl's own messages (a picture's refusal).
std::string English(const std::string& text);

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
