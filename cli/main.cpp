// wheelctl: the editor's core without a window.

#include "cli/Backend.h"
#include "cli/Command.h"

#include <QCoreApplication>

#include <algorithm>
#include <iostream>
#include <set>

namespace wheelctl {

std::vector<Command>& Registry()
{
    static std::vector<Command> commands;
    return commands;
}

namespace {

// Every option name asked for so far: what is left of one of them is a repeat.
std::set<std::string>& TakenOptions()
{
    static std::set<std::string> names;
    return names;
}

} // namespace

bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value, bool& missingValue)
{
    TakenOptions().insert(name);
    for (auto it = args.begin(); it != args.end(); ++it) {
        if (*it == name) {
            if (it + 1 == args.end()) {
                missingValue = true;
                args.erase(it);
                return false;
            }
            value = *(it + 1);
            args.erase(it, it + 2);
            return true;
        }
        if (it->rfind(name + "=", 0) == 0) {
            value = it->substr(name.size() + 1);
            args.erase(it);
            return true;
        }
    }
    return false;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name)
{
    TakenOptions().insert(name);
    auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end())
        return false;
    args.erase(it);
    return true;
}

std::optional<int> RejectLeftOptions(const std::vector<std::string>& args, const std::string& command)
{
    for (const std::string& arg : args) {
        if (arg.size() < 2 || arg[0] != '-')
            continue;
        const std::string name = arg.substr(0, arg.find('='));
        const std::string see = " (see wheelctl " + command + " --help)";
        if (TakenOptions().count(name))
            return Fail(name + " is given more than once" + see, 2);
        return Fail("unknown option '" + name + "'" + see, 2);
    }
    return std::nullopt;
}

int Fail(const std::string& message, int status)
{
    std::cerr << "wheelctl: " << message << "\n";
    return status;
}

} // namespace wheelctl

namespace {

void PrintHelp(std::ostream& out)
{
    auto commands = wheelctl::Registry();
    std::sort(commands.begin(), commands.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    out << "Usage: wheelctl [--simulate[=absent]] [--lang LANG] COMMAND [ARGS...]\n"
           "\n"
           "The wheel light editor without a window: converts pictures into the\n"
           "wheel's column image and talks to the wheel light over USB HID.\n"
           "\n"
           "Global options:\n"
           "  --simulate   use the simulated wheel light instead of a real device\n"
           "               (may stand anywhere on the command line); --simulate=absent:\n"
           "               a simulated wheel light that is not plugged in\n"
           "  --lang LANG  the language of the editor's log lines and messages: en\n"
           "               or zh (default: the system's, Chinese unless English)\n"
           "  -h, --help   show this help\n"
           "\n"
           "Commands:\n";
    for (const auto& c : commands)
        out << "  wheelctl " << c.synopsis << "\n" << c.help << "\n";
    out << "Exit status: 0 on success, 1 on failure, 2 on a usage error.\n";
}

} // namespace

int main(int argc, char** argv)
{
    wheelctl::Context context;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string simulateError;
    if (!wheelctl::TakeSimulateOption(args, context.simulate, simulateError))
        return wheelctl::Fail(simulateError + " (see wheelctl --help)", 2);
    std::string lang;
    bool langMissing = false;
    wheelctl::TakeOption(args, "--lang", lang, langMissing);
    if (langMissing)
        return wheelctl::Fail("--lang is missing its language, e.g. --lang en", 2);
    const auto language = wheelctl::SetUpLanguage(lang);
    if (args.empty()) {
        PrintHelp(std::cerr);
        return 2;
    }
    if (args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
        PrintHelp(std::cout);
        return 0;
    }
    const std::string name = args[0];
    for (const auto& c : wheelctl::Registry()) {
        if (c.name == name) {
            context.args.assign(args.begin() + 1, args.end());
            if (wheelctl::TakeFlag(context.args, "--help") || wheelctl::TakeFlag(context.args, "-h")) {
                std::cout << "Usage: wheelctl " << c.synopsis << "\n" << c.help;
                return 0;
            }
            return c.run(context);
        }
    }
    return wheelctl::Fail("unknown command '" + name + "' (see wheelctl --help)", 2);
}
