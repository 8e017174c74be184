#include "cli/CommandLine.h"

#include <charconv>
#include <cmath>

#include "cli/CliError.h"

namespace brevanor {

namespace {

std::string formatBound(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

CommandLine::CommandLine(std::string command, const std::vector<std::string>& arguments,
                         const std::vector<Option>& options)
    : command_(std::move(command)) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || !argument.starts_with("--")) {
            if (!optionsEnded && argument.size() > 1 && argument.front() == '-' && argument != "-") {
                throw CliError::usage("Unknown option " + argument + " for " + command_ +
                                      "; run brevanor-cli help for the options.");
            }
            positionals_.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const Option* declared = nullptr;
        for (const Option& option : options) {
            if (option.name == name) declared = &option;
        }
        if (!declared) {
            throw CliError::usage("Unknown option --" + name + " for " + command_ +
                                  "; run brevanor-cli help for the options.");
        }
        if (options_.contains(name) && !declared->repeatable)
            throw CliError::usage("The option --" + name + " is given more than once.");
        std::string value;
        if (declared->takesValue) {
            if (equals != std::string::npos) {
                value = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                throw CliError::usage("The option --" + name + " needs a value.");
            }
        } else if (equals != std::string::npos) {
            throw CliError::usage("The option --" + name + " takes no value.");
        }
        occurrences_.push_back({name, value});
        options_.insert_or_assign(name, std::move(value));
    }
}

std::optional<std::string> CommandLine::value(std::string_view option) const {
    const auto found = options_.find(option);
    if (found == options_.end()) return std::nullopt;
    return found->second;
}

void CommandLine::expectPositionals(std::size_t least, std::size_t most, std::string_view what) const {
    if (positionals_.size() < least) {
        throw CliError::usage(command_ + " needs " + std::string(what) + "; run brevanor-cli help for its usage.");
    }
    if (positionals_.size() > most) {
        throw CliError::usage(command_ + " does not take “" + positionals_[most] +
                              "”; run brevanor-cli help for its usage.");
    }
}

std::optional<double> CommandLine::number(std::string_view option, double least, double most) const {
    const auto text = value(option);
    if (!text) return std::nullopt;
    double number = 0;
    const auto result = std::from_chars(text->data(), text->data() + text->size(), number);
    if (result.ec != std::errc() || result.ptr != text->data() + text->size() || !std::isfinite(number) ||
        number < least || number > most) {
        throw CliError::usage("The option --" + std::string(option) + " takes a number from " + formatBound(least) +
                              " to " + formatBound(most) + ", not “" + *text + "”.");
    }
    return number;
}

std::optional<std::int64_t> CommandLine::integer(std::string_view option, std::int64_t least, std::int64_t most) const {
    const auto text = value(option);
    if (!text) return std::nullopt;
    std::int64_t number = 0;
    const auto result = std::from_chars(text->data(), text->data() + text->size(), number);
    if (result.ec != std::errc() || result.ptr != text->data() + text->size() || number < least || number > most) {
        throw CliError::usage("The option --" + std::string(option) + " takes a whole number from " +
                              std::to_string(least) + " to " + std::to_string(most) + ", not “" + *text + "”.");
    }
    return number;
}

}  // namespace brevanor
