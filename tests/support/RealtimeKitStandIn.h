#pragma once

#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <systemd/sd-bus.h>
#include <thread>
#include <vector>

#include "core/dispatch/RealtimeKitClient.h"

namespace brevanor::testing {

// RealtimeKit as a test chooses it to be, on a private bus: it has the real
// service's name, object, properties and methods, checks what the real one
// checks (the thread belongs to the caller, RLIMIT_RTTIME within the service's
// limit, the priority within its range) and applies what it grants, which
// needs the privilege to do so.
class RealtimeKitStandIn {
public:
    struct Request {
        std::string method;
        pid_t thread = 0;
        int value = 0;  // the real-time priority or the nice level asked for
        friend bool operator==(const Request&, const Request&) = default;
    };

    // Throws std::runtime_error when it cannot take the service's name on `busAddress`.
    RealtimeKitStandIn(const std::string& busAddress, RealtimeKitClient::Limits limits, bool grantsRealtime);
    ~RealtimeKitStandIn();
    RealtimeKitStandIn(const RealtimeKitStandIn&) = delete;
    RealtimeKitStandIn& operator=(const RealtimeKitStandIn&) = delete;

    std::vector<Request> requests() const;

private:
    // sd-bus callbacks; `self` is the stand-in.
    static int property(sd_bus* bus, const char* path, const char* interface, const char* name, sd_bus_message* reply,
                        void* self, sd_bus_error* error);
    static int makeThreadRealtime(sd_bus_message* message, void* self, sd_bus_error* error);
    static int makeThreadHighPriority(sd_bus_message* message, void* self, sd_bus_error* error);
    void record(const char* method, std::uint64_t thread, int value);
    void serve();

    RealtimeKitClient::Limits limits_;
    bool grantsRealtime_;
    sd_bus* bus_ = nullptr;
    int wake_[2] = {-1, -1};
    mutable std::mutex mutex_;  // guards requests_
    std::vector<Request> requests_;
    std::thread thread_;
};

}  // namespace brevanor::testing
