// wheelctl: the editor's core without a window.

#include "cli/Backend.h"
#include "cli/Command.h"

#include <QCoreApplication>

#include <algorithm>
#include <iostream>

namespace wheelctl {

std::vector<Command>& Registry()
{
    static std::vector<Command> commands;
    return commands;
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
           "Global options, anywhere on the command line:\n"
        << wheelctl::OptionsHelp(wheelctl::GlobalOptions()) << "\nCommands:\n";
    for (const auto& c : commands)
        out << "  wheelctl " << c.synopsis << "\n" << wheelctl::CommandHelp(c) << "\n";
    out << "Exit status: 0 on success, 1 on failure, 2 on a usage error.\n";
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "__complete")
        return wheelctl::PrintCompletion({args.begin() + 1, args.end()});

    wheelctl::Context context;
    std::string simulateError;
    if (!wheelctl::TakeSimulateOption(args, context.simulate, simulateError))
        return wheelctl::Fail(simulateError + " (see wheelctl --help)", 2);

    // The command is the first word that is neither an option nor --lang's value.
    std::size_t at = 0;
    while (at < args.size() && args[at].size() > 1 && args[at][0] == '-')
        at += args[at] == "--lang" ? 2 : 1;
    const wheelctl::Command* command = nullptr;
    bool helpAsked = false;
    if (at < args.size()) {
        for (const auto& c : wheelctl::Registry())
            if (c.name == args[at])
                command = &c;
        helpAsked = args[at] == "help";
        if (!command && !helpAsked)
            return wheelctl::Fail("unknown command '" + args[at] + "' (see wheelctl --help)", 2);
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(at));
    }
    const std::string name = command ? command->name : std::string();
    if (const auto status =
            wheelctl::ParseArgs(name, command ? command->options : wheelctl::OptionTable{}, args, context.args))
        return *status;
    const wheelctl::OptionValues& options = context.args.options;
    const auto language = wheelctl::SetUpLanguage(options.Get("--lang"));
    helpAsked = helpAsked || options.Has("--help") || options.Has("-h");
    if (command && helpAsked) {
        std::cout << "Usage: wheelctl " << command->synopsis << "\n" << wheelctl::CommandHelp(*command);
        return 0;
    }
    if (!command) {
        PrintHelp(helpAsked ? std::cout : std::cerr);
        return helpAsked ? 0 : 2;
    }
    return command->run(context);
}
