#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "core/dispatch/RealtimeKitClient.h"
#include "core/dispatch/ThreadPriority.h"

namespace brevanor {

namespace {

std::string errorText(int error) { return std::error_code(error, std::generic_category()).message(); }

// RealtimeKit grants real-time only to a process that the kernel ends when one of
// its real-time threads runs longer than the service allows without sleeping.
// Lowering the limit is for good (only a privileged process may raise it again),
// which is why it is done only right before asking.
bool limitRealtimeRun(std::int64_t longestMicros) {
    rlimit limit{};
    if (longestMicros <= 0 || getrlimit(RLIMIT_RTTIME, &limit) != 0) return false;
    limit.rlim_max = std::min(limit.rlim_max, static_cast<rlim_t>(longestMicros));
    limit.rlim_cur = std::min(limit.rlim_cur, limit.rlim_max);
    return setrlimit(RLIMIT_RTTIME, &limit) == 0;
}

// The soft limit is the one that counts: past it the kernel sends SIGXCPU, which ends the process.
std::optional<std::uint64_t> longestRealtimeRun() {
    rlimit limit{};
    if (getrlimit(RLIMIT_RTTIME, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return std::nullopt;
    return static_cast<std::uint64_t>(limit.rlim_cur) * 1000;
}

ThreadPriority realtime(bool throughRealtimeKit) {
    return {
        ThreadPriority::Kind::realtime, ThreadPriority::realtimePriority, throughRealtimeKit, longestRealtimeRun(), {}};
}

}  // namespace

ThreadPriority ThreadPriority::raiseCurrentThread() {
    const pid_t thread = gettid();
    sched_param param{};
    param.sched_priority = realtimePriority;
    const int refused = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    if (refused == 0) return realtime(false);
    std::string refusal = "real-time refused (" + errorText(refused) + ")";

    std::unique_ptr<RealtimeKitClient> kit;
    try {
        kit = RealtimeKitClient::connect();
        if (kit->limits().maxRealtimePriority < realtimePriority) {
            refusal += ", RealtimeKit grants no real-time";
        } else if (!limitRealtimeRun(kit->limits().rtTimeUSecMax)) {
            refusal += ", RLIMIT_RTTIME cannot be set (" + errorText(errno) + ")";
        } else {
            kit->makeThreadRealtime(thread, realtimePriority);
            return realtime(true);
        }
    } catch (const RealtimeKitClient::Error& error) {
        refusal += std::string(", RealtimeKit: ") + error.what();
    }

    if (setpriority(PRIO_PROCESS, static_cast<id_t>(thread), raisedNiceLevel) == 0) {
        return {Kind::raisedNice, raisedNiceLevel, false, std::nullopt, refusal};
    }
    if (kit && kit->limits().minNiceLevel < 0) {
        const int niceLevel = std::max(raisedNiceLevel, kit->limits().minNiceLevel);
        try {
            kit->makeThreadHighPriority(thread, niceLevel);
            return {Kind::raisedNice, niceLevel, true, std::nullopt, refusal};
        } catch (const RealtimeKitClient::Error& error) {
            refusal += std::string(", a higher nice level: ") + error.what();
        }
    }
    return {Kind::normal, 0, false, std::nullopt, refusal};
}

}  // namespace brevanor
