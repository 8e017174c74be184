#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

namespace brevanor::testing {

// A dbus-daemon of the test's own, listening in a temporary folder, so that a
// test can stand in for a system service without touching the real buses.
class PrivateDBus {
public:
    // Nothing when dbus-daemon is not installed or does not start.
    static std::unique_ptr<PrivateDBus> start();
    ~PrivateDBus();
    PrivateDBus(const PrivateDBus&) = delete;
    PrivateDBus& operator=(const PrivateDBus&) = delete;

    // The address clients connect to, as in $DBUS_SYSTEM_BUS_ADDRESS.
    const std::string& address() const { return address_; }

private:
    PrivateDBus(pid_t pid, std::filesystem::path folder, std::string address)
        : pid_(pid), folder_(std::move(folder)), address_(std::move(address)) {}

    pid_t pid_;
    std::filesystem::path folder_;
    std::string address_;
};

}  // namespace brevanor::testing
