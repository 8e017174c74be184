#include "platform/x11/XdgLoginItem.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "core/store/FileDescriptor.h"
#include "platform/x11/DesktopEntry.h"

namespace brevanor {

namespace {

std::runtime_error failure(const std::string& what, const std::filesystem::path& file, int error) {
    return std::runtime_error(what + " “" + file.string() + "”: " + std::strerror(error) + ".");
}

// The program as one Exec argument: always quoted, with the characters the
// desktop-entry format reserves inside quotes escaped, then the backslashes of
// the string escaping doubled, and % written as %%.
std::string execArgument(const std::string& program) {
    std::string quoted = "\"";
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string out;
    for (const char c : quoted) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '%') {
            out += "%%";
        } else {
            out += c;
        }
    }
    return out;
}

std::string entryText(const std::filesystem::path& program) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Brevanor\n"
           "Comment=Records and replays mouse and keyboard input\n"
           "Exec=" +
           execArgument(program.string()) +
           "\n"
           "Icon=com.brevanor.Brevanor\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

void writeAll(int fd, const std::string& text, const std::filesystem::path& file) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) throw failure("Could not write the autostart entry", file, errno);
        done += static_cast<std::size_t>(written);
    }
}

}  // namespace

XdgLoginItem::XdgLoginItem(std::filesystem::path entryFile, std::filesystem::path program)
    : entryFile_(std::move(entryFile)), program_(std::move(program)) {}

std::filesystem::path XdgLoginItem::defaultEntryFile() {
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/') {
            const passwd* user = getpwuid(getuid());
            home = user ? user->pw_dir : "/";
        }
        config = std::filesystem::path(home) / ".config";
    }
    return config / "autostart" / "com.brevanor.Brevanor.desktop";
}

std::filesystem::path XdgLoginItem::runningProgram() {
    std::error_code error;
    auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path("brevanor") : program;
}

bool XdgLoginItem::isRegistered() {
    const auto entry = DesktopEntry::read(entryFile_);
    if (!entry) return false;
    return !entry->isTrue("Hidden") && entry->value("X-GNOME-Autostart-enabled") != "false";
}

void XdgLoginItem::registerItem() {
    const auto folder = entryFile_.parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) throw failure("Could not create the autostart folder", folder, error.value());

    // Write beside the entry and rename over it, so a crash never leaves half a file.
    std::string temporary = (folder / ".com.brevanor.Brevanor.desktop.XXXXXX").string();
    FileDescriptor fd(mkstemp(temporary.data()));
    if (!fd.isOpen()) throw failure("Could not create the autostart entry", entryFile_, errno);
    try {
        writeAll(fd.get(), entryText(program_), entryFile_);
        if (fchmod(fd.get(), 0644) != 0 || fsync(fd.get()) != 0) {
            throw failure("Could not write the autostart entry", entryFile_, errno);
        }
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    // Closed by hand here: a failing close may mean the entry never reached the disk.
    if (::close(fd.release()) != 0 || std::rename(temporary.c_str(), entryFile_.c_str()) != 0) {
        const int cause = errno;
        ::unlink(temporary.c_str());
        throw failure("Could not write the autostart entry", entryFile_, cause);
    }
}

void XdgLoginItem::unregisterItem() {
    if (::unlink(entryFile_.c_str()) != 0 && errno != ENOENT) {
        throw failure("Could not remove the autostart entry", entryFile_, errno);
    }
}

}  // namespace brevanor
