#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brevanor {

// XTest events carry no user data, so Brevanor's own events are told apart by
// a journal: every Brevanor process that posts notes each XTest request in it
// before sending it, and every listener claims the matching entry when the
// event comes back from an XTest device. An event from an XTest device that
// matches no entry came from another program (xdotool, say) and is the
// user's; input from real devices never consults the journal.
//
// The journal is shared by all Brevanor processes of one user on one display
// (the tray application, `brevanor-cli record`, `brevanor-cli play`): a ring
// of entries in a small file that each of them maps. Writers append without
// locks or system calls; each journal object reads the ring with a place and
// claims of its own, so every listener recognises every replay. When the file
// cannot be used, the journal is the process's own, and other processes'
// replays then read as another program's.
// Safe to use from any thread.
class SharedFileMapping;

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

    // Entries older than this never came back (nobody listened, or the request failed) and are forgotten.
    static constexpr std::uint64_t kLifetimeNanos = 5'000'000'000ULL;
    // At most this many entries are kept; a longer backlog drops its oldest.
    static constexpr std::uint64_t kCapacity = 8192;

    // The journal of this user's Brevanor processes on `displayName` (empty:
    // $DISPLAY), kept in $XDG_RUNTIME_DIR (else a folder of the user's own
    // under the temporary folder). When that file cannot be used, a journal of
    // the process alone, and a warning on standard error, once per process.
    static std::shared_ptr<X11SyntheticJournal> forDisplay(const std::string& displayName);
    // The journal kept in `path`, created when missing; the process's own when
    // `path` cannot be used (problem() says why).
    explicit X11SyntheticJournal(const std::filesystem::path& path);
    // A journal of this process alone.
    X11SyntheticJournal();
    ~X11SyntheticJournal();
    X11SyntheticJournal(const X11SyntheticJournal&) = delete;
    X11SyntheticJournal& operator=(const X11SyntheticJournal&) = delete;

    // Why the file given could not be shared; nothing when it is.
    const std::optional<std::string>& problem() const { return problem_; }
    // Whether the entries go to the shared file: false for a journal of the
    // process alone, and once another program cut the file short under it
    // (from then on it carries on in memory of its own).
    bool isShared() const;

    // Notes a request about to be sent. Never blocks and makes no system call.
    void note(const Entry& entry);
    // Claims the oldest entry with the request, detail and (for motion)
    // position of an event that came back from an XTest device, and forgets
    // the older entries of the journal that noted it: the server handles one
    // client's requests in order, so those can no longer come back. Each
    // journal object claims an entry once. False when no entry matches.
    bool claim(Request request, unsigned int detail, int x, int y, std::uint64_t nowNanos);
    // Whether a press of X key code `keyCode` was noted by any journal on the
    // file at most `withinNanos` before `nowNanos` (and not after it).
    bool notedKeyPressRecently(unsigned int keyCode, std::uint64_t withinNanos, std::uint64_t nowNanos);

private:
    struct Ring;
    struct Pending {
        Entry entry;
        std::uint64_t writer = 0;
        std::uint64_t position = 0;  // place in the ring: the order entries were noted in
    };
    struct Unfinished {
        std::uint64_t position = 0;
        std::uint64_t firstSeenNanos = 0;
    };

    void mapShared(const std::filesystem::path& path);
    void mapPrivate();
    void warnOnceIfCutShort();
    void readNewEntries(std::uint64_t nowNanos);
    // Reads the entry at `position`: true once it was taken or can never be
    // read; false while its writer is still writing it.
    bool read(std::uint64_t position, std::uint64_t nowNanos);

    std::string path_;
    std::unique_ptr<SharedFileMapping> shared_;  // the file's pages, while the ring is shared
    Ring* ring_ = nullptr;
    std::optional<std::string> problem_;
    std::atomic<bool> toldCutShort_{false};
    const std::uint64_t writerId_;  // tells this journal's entries from those of other journals

    std::mutex mutex_;  // guards the reader's state below
    std::uint64_t readPosition_ = 0;
    std::vector<Unfinished> unfinished_;  // places passed while their writer was still writing
    std::deque<Pending> pending_;         // entries read and not yet claimed, in ring order
    std::deque<Entry> keyPresses_;        // the key presses read lately, oldest first
};

}  // namespace brevanor
