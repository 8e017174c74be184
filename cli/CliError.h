#pragma once

#include <stdexcept>
#include <string>

namespace brevanor {

// A failure the command line reports as one sentence on standard error, with
// the exit status the program then ends with: 2 for a command used wrongly,
// 1 for everything else that went wrong.
class CliError : public std::runtime_error {
public:
    static constexpr int failureStatus = 1;
    static constexpr int usageStatus = 2;

    explicit CliError(const std::string& sentence, int exitStatus = failureStatus)
        : std::runtime_error(sentence), exitStatus_(exitStatus) {}
    static CliError usage(const std::string& sentence) { return CliError(sentence, usageStatus); }

    int exitStatus() const { return exitStatus_; }

private:
    int exitStatus_;
};

}  // namespace brevanor
