#pragma once

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/ChildProcess.h"

namespace brevanor::testing {

// A private sway on one headless 1280 x 720 output with the pixman renderer:
// a real wlroots compositor without a screen, a GPU or an X server. Sway
// refuses to run as root, so under root it runs, with the clients started
// through asUser(), as the unprivileged user "nobody" in a folder of its own.
class HeadlessSway {
public:
    HeadlessSway();
    ~HeadlessSway();
    HeadlessSway(const HeadlessSway&) = delete;
    HeadlessSway& operator=(const HeadlessSway&) = delete;

    // Empty when sway runs; else why it does not (the tests skip with it).
    const std::string& problem() const { return problem_; }
    // The variables a client needs to reach this sway, and no X display.
    std::vector<std::pair<std::string, std::string>> clientEnvironment() const;
    // clientEnvironment() with data and configuration homes in folder(), for Brevanor's programs.
    std::vector<std::pair<std::string, std::string>> programEnvironment() const;
    // The socket of this sway, for connecting to it directly.
    std::string socket() const { return (folder_ / "runtime" / "wayland-1").string(); }
    // `arguments` run as the compositor's user.
    std::vector<std::string> asUser(std::vector<std::string> arguments) const;
    // A copy of `program` in this sway's folder, which its user can run even
    // where the build tree lies in a private folder. For self-contained programs only.
    std::filesystem::path copyForUser(const std::filesystem::path& program) const;
    const std::filesystem::path& folder() const { return folder_; }
    // The logging client `program` full-screen on this sway, once it is up; null when it did not come up.
    std::unique_ptr<ChildProcess> startLoggingClient(const std::filesystem::path& program) const;
    // What the logging client logged; with `kinds`, only its lines of those kinds ("button", "key").
    std::string clientLog(std::initializer_list<std::string_view> kinds = {}) const;

private:
    std::filesystem::path folder_;
    std::string problem_;
    std::unique_ptr<ChildProcess> sway_;
};

}  // namespace brevanor::testing
