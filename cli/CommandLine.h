#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanor {

// The arguments of one command: positional words and the options the command
// declares. "--speed 2" and "--speed=2" both work, "--" ends the options, and
// anything undeclared, repeated (unless declared repeatable) or missing its
// value is refused with CliError::usage naming it.
class CommandLine {
public:
    struct Option {
        std::string_view name;  // without the leading "--"
        bool takesValue = false;
        bool repeatable = false;  // may be given several times; occurrences() keeps each, in order
    };

    struct Occurrence {
        std::string name;
        std::string value;
    };

    CommandLine(std::string command, const std::vector<std::string>& arguments, const std::vector<Option>& options);

    const std::string& command() const { return command_; }
    const std::vector<std::string>& positionals() const { return positionals_; }
    bool has(std::string_view option) const { return options_.contains(std::string(option)); }
    std::optional<std::string> value(std::string_view option) const;
    // Every option as given, in the order given (value() answers the last of a repeated one).
    const std::vector<Occurrence>& occurrences() const { return occurrences_; }

    // Refuses fewer than `least` or more than `most` positionals; `what` names them in the message.
    void expectPositionals(std::size_t least, std::size_t most, std::string_view what) const;
    // An option's value as a number within [least, most]; nothing when the option is absent.
    std::optional<double> number(std::string_view option, double least, double most) const;
    std::optional<std::int64_t> integer(std::string_view option, std::int64_t least, std::int64_t most) const;

private:
    std::string command_;
    std::vector<std::string> positionals_;
    std::map<std::string, std::string, std::less<>> options_;
    std::vector<Occurrence> occurrences_;
};

}  // namespace brevanor
