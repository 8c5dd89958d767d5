#include "cli/Options.h"

#include "cli/Command.h"

#include <algorithm>
#include <set>

namespace wheelctl {

const OptionTable& GlobalOptions()
{
    static const OptionTable options = {
        {"--simulate", "",
         "use the simulated wheel light instead of a real device;\n--simulate=absent: a simulated wheel light that is\n"
         "not plugged in"},
        {"--lang", "LANG",
         "the language of the editor's log lines and messages: en\nor zh (default: the system's, Chinese unless English)",
         Value::Words, "en zh"},
        {"--help", "", "show the help (-h as well)"},
        {"-h", "", ""},
    };
    return options;
}

std::string OptionValues::Get(const std::string& name, const std::string& fallback) const
{
    const auto it = values.find(name);
    return it == values.end() ? fallback : it->second;
}

std::optional<std::string> OptionValues::Find(const std::string& name) const
{
    const auto it = values.find(name);
    return it == values.end() ? std::nullopt : std::optional(it->second);
}

namespace {

const Option* FindOption(const OptionTable& table, const std::string& name)
{
    for (const OptionTable* t : {&table, &GlobalOptions()})
        for (const Option& option : *t)
            if (option.name == name)
                return &option;
    return nullptr;
}

bool IsOptionWord(const std::string& word)
{
    return word.size() > 1 && word[0] == '-';
}

bool IsFileValue(Value value)
{
    return value == Value::File || value == Value::Picture || value == Value::SetFile;
}

} // namespace

std::optional<int> ParseArgs(const std::string& command, const OptionTable& table,
                             const std::vector<std::string>& args, ParsedArgs& parsed)
{
    const std::string see = " (see wheelctl " + (command.empty() ? "" : command + " ") + "--help)";
    const bool byPicture = std::any_of(table.begin(), table.end(), [](const Option& o) { return o.perPicture; });
    // Per-picture options seen before the first picture wait for it.
    OptionValues pending;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (optionsEnded || !IsOptionWord(word)) {
            if (!optionsEnded && word == "--") {
                optionsEnded = true;
                continue;
            }
            parsed.operands.push_back(word);
            if (byPicture) {
                if (parsed.pictures.empty()) {
                    parsed.pictures.push_back({word, std::move(pending)});
                    pending = {};
                } else {
                    parsed.pictures.push_back({word, {}});
                }
            }
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const Option* option = FindOption(table, name);
        if (!option)
            return Fail("unknown option '" + name + "'" + see, 2);
        std::string value;
        if (option->value == Value::None) {
            if (equals != std::string::npos)
                return Fail(name + " takes no value" + see, 2);
        } else if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return Fail(name + " needs a value: " + name + " " + option->argument + see, 2);
        }
        if (IsFileValue(option->value) && value.empty())
            return Fail(name + ": empty file name", 2);
        OptionValues& into = !option->perPicture ? parsed.options
            : parsed.pictures.empty()            ? pending
                                                 : parsed.pictures.back().options;
        if (!into.values.emplace(name, value).second)
            return Fail(name + " is given more than once" + see, 2);
    }
    // Options given with no picture after them still count, for the messages.
    if (byPicture && parsed.pictures.empty() && !pending.values.empty())
        parsed.pictures.push_back({"", std::move(pending)});
    return std::nullopt;
}

std::string OptionsHelp(const OptionTable& table)
{
    std::size_t width = 0;
    for (const Option& o : table)
        if (!o.help.empty())
        width = std::max(width, o.name.size() + (o.argument.empty() ? 0 : o.argument.size() + 1));
    width += 2;
    std::string text;
    for (const Option& o : table) {
        if (o.help.empty())
            continue;
        std::string head = o.name + (o.argument.empty() ? "" : " " + o.argument);
        head.resize(width, ' ');
        std::size_t start = 0;
        bool first = true;
        while (start <= o.help.size()) {
            const std::size_t end = std::min(o.help.find('\n', start), o.help.size());
            text += "      " + (first ? head : std::string(width, ' ')) + o.help.substr(start, end - start) + "\n";
            first = false;
            start = end + 1;
        }
    }
    return text;
}

} // namespace wheelctl
