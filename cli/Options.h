#pragma once
// A command's options, declared once: the parser, the help text and the shell
// completion are all made from the same table.

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace wheelctl {

// What an option's value is, for the parser's checks and the completion.
enum class Value {
    None,     // a flag
    Text,     // any text (an angle, a list of boxes)
    Words,    // one of `words`, which the completion offers
    File,     // an output or input file: never empty; completed as files
    Picture,  // a picture file: completed as BMP, JPEG and PNG files
    SetFile,  // a picture set: completed as .wheelset files
};

struct Option {
    Option(std::string name_, std::string argument_, std::string help_, Value value_ = Value::None,
           std::string words_ = {}, bool perPicture_ = false)
        : name(std::move(name_)), argument(std::move(argument_)), help(std::move(help_)), value(value_),
          words(std::move(words_)), perPicture(perPicture_)
    {
    }

    std::string name;      // "--frame"
    std::string argument;  // the value's name in the help: "FILE", "on|off"; empty for a flag
    std::string help;      // one or more lines, without indentation
    Value value = Value::None;
    std::string words;     // Value::Words: the words the completion offers, space-separated
    // The option belongs to the picture operand before it (those before the
    // first picture go with the first), as download's --slots and adjustments do.
    bool perPicture = false;
};

using OptionTable = std::vector<Option>;

// The options every command takes besides its own.
const OptionTable& GlobalOptions();

// The options given to a command, with their values ("" for a flag).
struct OptionValues {
    std::map<std::string, std::string> values;

    bool Has(const std::string& name) const { return values.count(name) != 0; }
    // The value, or `fallback` when the option was not given.
    std::string Get(const std::string& name, const std::string& fallback = {}) const;
    std::optional<std::string> Find(const std::string& name) const;
};

// A picture operand with the per-picture options that go with it.
struct PictureArgs {
    std::string path;
    OptionValues options;
};

struct ParsedArgs {
    OptionValues options;               // the command-wide ones, the global ones included
    std::vector<std::string> operands;  // in order; everything after "--" is one
    std::vector<PictureArgs> pictures;  // only for tables with per-picture options
};

// Parses a command's arguments against its table and the global options.
// "--name VALUE" and "--name=VALUE" both work; "--" ends the options. An
// unknown option, one given twice (per picture, for per-picture options), a
// missing value, a value given to a flag or an empty file name prints one
// line naming the option and returns the exit status 2.
std::optional<int> ParseArgs(const std::string& command, const OptionTable& table,
                             const std::vector<std::string>& args, ParsedArgs& parsed);

// The help lines of a table, indented as the command help is.
std::string OptionsHelp(const OptionTable& table);

} // namespace wheelctl
