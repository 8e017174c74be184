#include "tests/support/RealtimeKitStandIn.h"

#include <poll.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace brevanor::testing {

namespace {

// The calling process, as the bus vouches for it.
pid_t callerOf(sd_bus_message* message) {
    sd_bus_creds* creds = nullptr;
    pid_t pid = 0;
    if (sd_bus_query_sender_creds(message, SD_BUS_CREDS_PID, &creds) >= 0) sd_bus_creds_get_pid(creds, &pid);
    sd_bus_creds_unref(creds);
    return pid;
}

bool isThreadOf(pid_t process, std::uint64_t thread) {
    return process > 0 &&
           std::filesystem::exists("/proc/" + std::to_string(process) + "/task/" + std::to_string(thread));
}

}  // namespace

RealtimeKitStandIn::RealtimeKitStandIn(const std::string& busAddress, RealtimeKitClient::Limits limits,
                                       bool grantsRealtime)
    : limits_(limits), grantsRealtime_(grantsRealtime) {
    static const sd_bus_vtable vtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("MaxRealtimePriority", "i", &RealtimeKitStandIn::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("MinNiceLevel", "i", &RealtimeKitStandIn::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("RTTimeUSecMax", "x", &RealtimeKitStandIn::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_METHOD("MakeThreadRealtime", "tu", "", &RealtimeKitStandIn::makeThreadRealtime,
                      SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("MakeThreadHighPriority", "ti", "", &RealtimeKitStandIn::makeThreadHighPriority,
                      SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END};

    const bool ready = sd_bus_new(&bus_) >= 0 && sd_bus_set_address(bus_, busAddress.c_str()) >= 0 &&
                       sd_bus_set_bus_client(bus_, 1) >= 0 && sd_bus_start(bus_) >= 0 &&
                       sd_bus_add_object_vtable(bus_, nullptr, "/org/freedesktop/RealtimeKit1",
                                                "org.freedesktop.RealtimeKit1", vtable, this) >= 0 &&
                       sd_bus_request_name(bus_, "org.freedesktop.RealtimeKit1", 0) >= 0 && pipe(wake_) == 0;
    if (!ready) {
        sd_bus_flush_close_unref(bus_);
        throw std::runtime_error("The RealtimeKit stand-in cannot serve on " + busAddress);
    }
    thread_ = std::thread([this] { serve(); });
}

RealtimeKitStandIn::~RealtimeKitStandIn() {
    [[maybe_unused]] const auto written = write(wake_[1], "x", 1);
    thread_.join();
    close(wake_[0]);
    close(wake_[1]);
    sd_bus_flush_close_unref(bus_);
}

std::vector<RealtimeKitStandIn::Request> RealtimeKitStandIn::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void RealtimeKitStandIn::serve() {
    for (;;) {
        while (sd_bus_process(bus_, nullptr) > 0) {
        }
        pollfd fds[2] = {{sd_bus_get_fd(bus_), static_cast<short>(sd_bus_get_events(bus_)), 0}, {wake_[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) return;
        if (fds[1].revents) return;
    }
}

int RealtimeKitStandIn::property(sd_bus*, const char*, const char*, const char* name, sd_bus_message* reply, void* self,
                                 sd_bus_error*) {
    const RealtimeKitClient::Limits& limits = static_cast<RealtimeKitStandIn*>(self)->limits_;
    if (std::string_view(name) == "RTTimeUSecMax") return sd_bus_message_append(reply, "x", limits.rtTimeUSecMax);
    return sd_bus_message_append(
        reply, "i", std::string_view(name) == "MinNiceLevel" ? limits.minNiceLevel : limits.maxRealtimePriority);
}

void RealtimeKitStandIn::record(const char* method, std::uint64_t thread, int value) {
    std::lock_guard lock(mutex_);
    requests_.push_back({method, static_cast<pid_t>(thread), value});
}

int RealtimeKitStandIn::makeThreadRealtime(sd_bus_message* message, void* self, sd_bus_error* error) {
    auto& standIn = *static_cast<RealtimeKitStandIn*>(self);
    std::uint64_t thread = 0;
    std::uint32_t priority = 0;
    if (sd_bus_message_read(message, "tu", &thread, &priority) < 0) return -EINVAL;
    standIn.record("MakeThreadRealtime", thread, static_cast<int>(priority));
    const pid_t caller = callerOf(message);
    rlimit runTime{};
    if (!standIn.grantsRealtime_ || !isThreadOf(caller, thread) ||
        priority > static_cast<std::uint32_t>(standIn.limits_.maxRealtimePriority) ||
        prlimit(caller, RLIMIT_RTTIME, nullptr, &runTime) != 0 || runTime.rlim_max == RLIM_INFINITY ||
        runTime.rlim_max > static_cast<rlim_t>(standIn.limits_.rtTimeUSecMax)) {
        return sd_bus_error_set(error, SD_BUS_ERROR_ACCESS_DENIED, "Operation not permitted");
    }
    sched_param param{};
    param.sched_priority = static_cast<int>(priority);
    if (sched_setscheduler(static_cast<pid_t>(thread), SCHED_FIFO | SCHED_RESET_ON_FORK, &param) != 0) return -errno;
    return sd_bus_reply_method_return(message, "");
}

int RealtimeKitStandIn::makeThreadHighPriority(sd_bus_message* message, void* self, sd_bus_error* error) {
    auto& standIn = *static_cast<RealtimeKitStandIn*>(self);
    std::uint64_t thread = 0;
    std::int32_t niceLevel = 0;
    if (sd_bus_message_read(message, "ti", &thread, &niceLevel) < 0) return -EINVAL;
    standIn.record("MakeThreadHighPriority", thread, niceLevel);
    if (!isThreadOf(callerOf(message), thread) || niceLevel < standIn.limits_.minNiceLevel) {
        return sd_bus_error_set(error, SD_BUS_ERROR_ACCESS_DENIED, "Operation not permitted");
    }
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(thread), niceLevel) != 0) return -errno;
    return sd_bus_reply_method_return(message, "");
}

}  // namespace brevanor::testing
