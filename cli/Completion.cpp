// What the bash completion asks wheelctl: the commands, their options and
// the values an option takes, all from the commands' option tables.

#include "cli/Command.h"

#include <iostream>
#include <sstream>

namespace wheelctl {
namespace {

const char* FileKind(Value value)
{
    switch (value) {
    case Value::File: return "@file";
    case Value::Picture: return "@picture";
    case Value::SetFile: return "@set";
    default: return nullptr;
    }
}

void PrintValues(const Option& option)
{
    if (const char* kind = FileKind(option.value)) {
        std::cout << kind << "\n";
        return;
    }
    std::istringstream words(option.words);
    for (std::string word; words >> word;)
        std::cout << word << "\n";
}

} // namespace

std::string CommandHelp(const Command& command)
{
    return command.help + OptionsHelp(command.options) + command.notes;
}

int PrintCompletion(const std::vector<std::string>& words)
{
    if (words.empty()) {
        for (const Command& c : Registry())
            std::cout << c.name << "\n";
        std::cout << "help\n";
        return 0;
    }
    const Command* command = nullptr;
    for (const Command& c : Registry())
        if (c.name == words[0])
            command = &c;
    const OptionTable none;
    const OptionTable& table = command ? command->options : none;
    if (words.size() == 1) {
        for (const OptionTable* t : {&table, &GlobalOptions()})
            for (const Option& o : *t)
                if (o.name.starts_with("--"))
                    std::cout << o.name << "\n";
        return 0;
    }
    if (words[1] == "@operand") {
        if (const char* kind = command ? FileKind(command->operands) : nullptr)
            std::cout << kind << "\n";
        return 0;
    }
    for (const OptionTable* t : {&table, &GlobalOptions()})
        for (const Option& o : *t)
            if (o.name == words[1]) {
                PrintValues(o);
                return 0;
            }
    return 0;
}

} // namespace wheelctl
