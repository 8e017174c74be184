#include "cli/PrivateXServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstring>

#include "cli/CliError.h"
#include "core/store/FileDescriptor.h"

namespace brevanor {

namespace {

constexpr int kStartTimeoutMs = 10'000;

// The display number Xvfb writes to -displayfd once it accepts connections.
std::string readDisplayNumber(int fd, ChildProcess& server) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (text.find('\n') == std::string::npos) {
        if (server.exitStatus())
            throw CliError("Xvfb ended as it started; is the X server installed (Debian package xvfb)?");
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) throw CliError("Xvfb did not start within 10 seconds.");
        pollfd wait{fd, POLLIN, 0};
        if (poll(&wait, 1, static_cast<int>(std::min<long long>(left.count(), 100))) <= 0) continue;
        char buffer[16];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
    }
    return text.substr(0, text.find('\n'));
}

// An X client in the plainest form: the connection set-up of the core protocol
// on the server's local socket, answered with success, then held open.
FileDescriptor connectClient(const std::string& number) {
    FileDescriptor fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.isOpen()) return fd;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = "/tmp/.X11-unix/X" + number;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    // Byte order 'l' (little endian), protocol 11.0, no authorisation.
    const std::array<unsigned char, 12> setup{'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    unsigned char status = 0;
    if (connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        write(fd.get(), setup.data(), setup.size()) != static_cast<ssize_t>(setup.size()) ||
        read(fd.get(), &status, 1) != 1 || status != 1) {
        return FileDescriptor();
    }
    return fd;
}

}  // namespace

PrivateXServer::PrivateXServer(int width, int height) {
    if (!ChildProcess::isAvailable("Xvfb")) {
        throw CliError("Xvfb is not installed; the demo needs it (Debian package xvfb).");
    }
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw CliError("Cannot make a pipe for Xvfb.");
    FileDescriptor readEnd(ends[0]);
    FileDescriptor writeEnd(ends[1]);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    ChildProcess::Options options;
    options.inheritedFd = writeEnd.get();
    // The server is the instrument every replay here is judged by: on a busy machine an ordinary
    // process waits out other programs' time slices before it handles an event, which would put
    // that wait on the replay's account.
    options.realtime = true;
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-noreset", "-nolisten", "tcp"},
        options);
    writeEnd.reset();
    displayName_ = ":" + readDisplayNumber(readEnd.get(), *server_);
    client_ = connectClient(displayName_.substr(1));
    if (!client_.isOpen()) {
        throw CliError("Xvfb started but refused a connection on display " + displayName_ + ".");
    }
}

}  // namespace brevanor
