#include "tests/wayland/HeadlessSway.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "tests/support/WaitUntil.h"

namespace brevanor::testing {

namespace {

constexpr uid_t kNobody = 65534;

bool isRoot() { return geteuid() == 0; }

}  // namespace

HeadlessSway::HeadlessSway() {
    if (!ChildProcess::isAvailable("sway")) {
        problem_ = "sway is not installed (Debian package sway)";
        return;
    }
    char pattern[] = "/tmp/brevanor-sway-XXXXXX";
    if (!mkdtemp(pattern)) {
        problem_ = "no temporary folder";
        return;
    }
    folder_ = pattern;
    std::filesystem::create_directories(folder_ / "runtime");
    std::filesystem::create_directories(folder_ / "home");
    chmod((folder_ / "runtime").c_str(), 0700);
    std::ofstream(folder_ / "config") << "output HEADLESS-1 resolution 1280x720 position 0 0\nxwayland disable\n";
    if (isRoot()) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_)) {
            if (chown(entry.path().c_str(), kNobody, kNobody) != 0) problem_ = "cannot hand the folder to nobody";
        }
        if (chown(folder_.c_str(), kNobody, kNobody) != 0) problem_ = "cannot hand the folder to nobody";
        if (!problem_.empty()) return;
    }

    ChildProcess::Options options;
    options.environment = clientEnvironment();
    options.environment.emplace_back("WAYLAND_DISPLAY", "");
    options.environment.emplace_back("WLR_BACKENDS", "headless");
    options.environment.emplace_back("WLR_RENDERER", "pixman");
    options.environment.emplace_back("WLR_LIBINPUT_NO_DEVICES", "1");
    options.standardError = folder_ / "sway.log";
    try {
        sway_ = std::make_unique<ChildProcess>(asUser({"sway", "-c", (folder_ / "config").string()}), options);
    } catch (const std::exception& error) {
        problem_ = error.what();
        return;
    }
    // Sway takes the first free wayland-N; the private runtime folder makes it wayland-1 or wayland-0.
    const bool up = waitUntil(
        [&] { return std::filesystem::exists(folder_ / "runtime" / "wayland-1") || sway_->exitStatus().has_value(); });
    if (!up || sway_->exitStatus()) problem_ = "sway did not start; see its log " + (folder_ / "sway.log").string();
}

HeadlessSway::~HeadlessSway() {
    if (sway_) sway_->terminate();
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

std::vector<std::pair<std::string, std::string>> HeadlessSway::clientEnvironment() const {
    return {{"XDG_RUNTIME_DIR", (folder_ / "runtime").string()},
            {"WAYLAND_DISPLAY", "wayland-1"},
            {"HOME", (folder_ / "home").string()},
            {"DISPLAY", ""},
            {"XDG_SESSION_TYPE", ""}};
}

std::vector<std::pair<std::string, std::string>> HeadlessSway::programEnvironment() const {
    auto environment = clientEnvironment();
    environment.insert(environment.end(), {{"XDG_DATA_HOME", (folder_ / "data").string()},
                                           {"XDG_CONFIG_HOME", (folder_ / "config-home").string()}});
    return environment;
}

std::unique_ptr<ChildProcess> HeadlessSway::startLoggingClient(const std::filesystem::path& program) const {
    ChildProcess::Options options;
    options.environment = clientEnvironment();
    options.standardOutput = folder_ / "client.log";
    auto client = std::make_unique<ChildProcess>(asUser({copyForUser(program).string()}), options);
    if (!waitUntil([&] { return !clientLog({"ready"}).empty(); })) return nullptr;
    return client;
}

std::string HeadlessSway::clientLog(std::initializer_list<std::string_view> kinds) const {
    std::ifstream file(folder_ / "client.log");
    std::string log;
    for (std::string line; std::getline(file, line);) {
        const auto isOf = [&](std::string_view kind) { return line.starts_with(kind) && line[kind.size()] == ' '; };
        if (kinds.size() == 0 || std::ranges::any_of(kinds, isOf)) log += line + "\n";
    }
    return log;
}

std::filesystem::path HeadlessSway::copyForUser(const std::filesystem::path& program) const {
    const auto copy = folder_ / program.filename();
    std::filesystem::copy_file(program, copy, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_all | std::filesystem::perms::group_exec |
                                           std::filesystem::perms::group_read | std::filesystem::perms::others_exec |
                                           std::filesystem::perms::others_read);
    return copy;
}

std::vector<std::string> HeadlessSway::asUser(std::vector<std::string> arguments) const {
    if (!isRoot()) return arguments;
    std::vector<std::string> command{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

}  // namespace brevanor::testing
