#pragma once

#include <cstdint>
#include <deque>
#include <mutex>

namespace brevanor {

// XTest events carry no user data, so Brevanor's own events are told apart by
// a journal: the injector notes every XTest request it sends, and the listener
// claims the matching entry when the event comes back from the XTest device.
// An event from the XTest device that matches no entry came from another
// program (xdotool, say) and is not Brevanor's. Shared by the injector and the
// listener of one set of platform services; safe to use from any thread.
class X11SyntheticJournal {
public:
    enum class Request : std::uint8_t { motion, buttonPress, buttonRelease, keyPress, keyRelease };

    struct Entry {
        Request request = Request::motion;
        unsigned int detail = 0;  // the X button or key code; 0 for motion
        int x = 0;                // motion: the absolute position posted
        int y = 0;
        std::uint64_t notedAtNanos = 0;

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    // Entries older than this were never claimed (nobody listened) and are forgotten.
    static constexpr std::uint64_t kLifetimeNanos = 5'000'000'000ULL;
    // At most this many entries are kept; a longer backlog drops its oldest.
    static constexpr std::size_t kCapacity = 8192;

    void note(Entry entry);
    // Claims the oldest entry with the request, detail and (for motion) position
    // of an event that came back from the XTest device, and forgets every
    // older entry: the server delivers one client's requests in order, so an
    // older entry can no longer come back. False when no entry matches.
    bool claim(Request request, unsigned int detail, int x, int y, std::uint64_t nowNanos);

private:
    void forgetExpired(std::uint64_t nowNanos);

    std::mutex mutex_;
    std::deque<Entry> entries_;
};

}  // namespace brevanor
