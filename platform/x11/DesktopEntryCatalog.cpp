#include "platform/x11/DesktopEntryCatalog.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "platform/x11/DesktopEntry.h"

namespace brevanor {

namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::optional<std::int64_t> modificationNanos(const std::filesystem::path& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

// The desktop-file id of `file` below `folder`: the relative path with "/" turned into "-".
std::string idOf(const std::filesystem::path& folder, const std::filesystem::path& file) {
    std::string id = file.lexically_relative(folder).replace_extension().string();
    std::replace(id.begin(), id.end(), '/', '-');
    return id;
}

std::filesystem::path absoluteOr(const char* variable, const std::filesystem::path& fallback) {
    const char* value = std::getenv(variable);
    return value && value[0] == '/' ? std::filesystem::path(value) : fallback;
}

}  // namespace

DesktopEntryCatalog::DesktopEntryCatalog(std::vector<std::filesystem::path> applicationFolders)
    : folders_(std::move(applicationFolders)) {}

std::vector<std::filesystem::path> DesktopEntryCatalog::defaultApplicationFolders() {
    const std::filesystem::path home = absoluteOr("HOME", "/");
    std::vector<std::filesystem::path> folders{absoluteOr("XDG_DATA_HOME", home / ".local/share") / "applications"};
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string_view list = dirs && dirs[0] ? dirs : "/usr/local/share:/usr/share";
    while (!list.empty()) {
        const auto colon = list.find(':');
        const std::string_view dir = list.substr(0, colon);
        if (!dir.empty() && dir.front() == '/') folders.push_back(std::filesystem::path(dir) / "applications");
        list = colon == std::string_view::npos ? std::string_view{} : list.substr(colon + 1);
    }
    return folders;
}

std::vector<std::pair<std::filesystem::path, std::int64_t>> DesktopEntryCatalog::folderStamps() const {
    std::vector<std::pair<std::filesystem::path, std::int64_t>> stamps;
    for (const auto& folder : folders_) {
        const auto stamp = modificationNanos(folder);
        if (!stamp) continue;
        stamps.emplace_back(folder, *stamp);
        std::error_code error;
        for (std::filesystem::recursive_directory_iterator
                 it(folder, std::filesystem::directory_options::skip_permission_denied, error),
             end;
             !error && it != end; it.increment(error)) {
            if (!it->is_directory(error)) continue;
            if (const auto sub = modificationNanos(it->path())) stamps.emplace_back(it->path(), *sub);
        }
    }
    return stamps;
}

void DesktopEntryCatalog::refreshIfChanged() {
    auto stamps = folderStamps();
    if (loaded_ && stamps == stamps_) return;
    stamps_ = std::move(stamps);
    loaded_ = true;
    applications_.clear();
    std::set<std::string, std::less<>> claimed;
    for (const auto& folder : folders_) {
        std::vector<std::filesystem::path> files;
        std::error_code error;
        for (std::filesystem::recursive_directory_iterator
                 it(folder, std::filesystem::directory_options::skip_permission_denied, error),
             end;
             !error && it != end; it.increment(error)) {
            if (it->path().extension() == ".desktop" && !it->is_directory(error)) files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            std::string id = idOf(folder, file);
            // An entry claims its id even when it is hidden or broken: it hides the later ones.
            if (!claimed.insert(id).second) continue;
            const auto entry = DesktopEntry::read(file);
            if (!entry || entry->value("Type") != "Application" || entry->isTrue("Hidden")) continue;
            Application application;
            application.id = std::move(id);
            application.commandLine = entry->commandLine();
            if (application.commandLine.empty()) continue;
            application.name = entry->value("Name").value_or(application.id);
            application.startupWmClass = entry->value("StartupWMClass").value_or("");
            application.executableName = std::filesystem::path(application.commandLine.front()).filename().string();
            applications_.push_back(std::move(application));
        }
    }
}

std::optional<DesktopEntryCatalog::Application> DesktopEntryCatalog::application(std::string_view id) {
    refreshIfChanged();
    for (const auto& application : applications_) {
        if (application.id == id) return application;
    }
    return std::nullopt;
}

std::optional<std::string> DesktopEntryCatalog::idForWindow(std::string_view instance, std::string_view windowClass,
                                                            std::string_view program) {
    refreshIfChanged();
    const auto firstWhere = [this](auto matches) -> std::optional<std::string> {
        for (const auto& application : applications_) {
            if (matches(application)) return application.id;
        }
        return std::nullopt;
    };
    const auto named = [](std::string_view candidate, std::string_view name) {
        return !name.empty() && equalIgnoringCase(candidate, name);
    };
    if (auto id = firstWhere([&](const Application& a) {
            return !a.startupWmClass.empty() && (a.startupWmClass == windowClass || a.startupWmClass == instance);
        })) {
        return id;
    }
    if (auto id = firstWhere([&](const Application& a) { return named(a.id, windowClass) || named(a.id, instance); })) {
        return id;
    }
    return firstWhere([&](const Application& a) {
        return named(a.executableName, instance) || named(a.executableName, windowClass) ||
               named(a.executableName, program);
    });
}

}  // namespace brevanor
