#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <stdexcept>

struct sd_bus;

namespace brevanor {

// A connection to RealtimeKit (org.freedesktop.RealtimeKit1) on the system bus,
// or on the bus $DBUS_SYSTEM_BUS_ADDRESS names. The service raises threads of
// the calling process within limits of its own, so that an ordinary user's
// program gets real-time scheduling as desktop audio does. It grants real-time
// only to a process whose RLIMIT_RTTIME is at most `rtTimeUSecMax`.
class RealtimeKitClient {
public:
    struct Limits {
        int maxRealtimePriority = 0;
        int minNiceLevel = 0;
        std::int64_t rtTimeUSecMax = 0;
    };

    // A refusal or a failure, with the bus's or the service's own words.
    class Error : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    // Connects and reads the service's limits; throws Error when there is no bus or
    // no service answers within a second.
    static std::unique_ptr<RealtimeKitClient> connect();
    ~RealtimeKitClient();
    RealtimeKitClient(const RealtimeKitClient&) = delete;
    RealtimeKitClient& operator=(const RealtimeKitClient&) = delete;

    const Limits& limits() const { return limits_; }
    // Ask for SCHED_FIFO at `priority`, or for `niceLevel`, for a thread of this process; throw Error when refused.
    void makeThreadRealtime(pid_t thread, int priority);
    void makeThreadHighPriority(pid_t thread, int niceLevel);

private:
    explicit RealtimeKitClient(sd_bus* bus) : bus_(bus) {}
    void call(const char* method, const char* signature, std::uint64_t thread, std::int32_t value);

    sd_bus* bus_;
    Limits limits_;
};

}  // namespace brevanor
