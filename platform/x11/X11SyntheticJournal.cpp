#include "platform/x11/X11SyntheticJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "core/store/FileDescriptor.h"
#include "platform/x11/SharedFileMapping.h"

namespace brevanor {

namespace {

// "BRVJ": tells a journal file from anything else that may lie under its name.
constexpr std::uint32_t kMagic = 0x4a565242;
// Raised with every change of the layout below; the file name carries it too,
// so that an older Brevanor still running keeps a file of its own.
constexpr std::uint32_t kVersion = 1;
// A place whose writer has not finished after this long belongs to a process that died there.
constexpr std::uint64_t kUnfinishedNanos = 1'000'000'000ULL;
// Key presses kept for notedKeyPressRecently(); older ones have aged out of any window asked about.
constexpr std::size_t kKeyPressHistory = 64;

bool isExpired(std::uint64_t notedAtNanos, std::uint64_t nowNanos) {
    constexpr std::uint64_t lifetime = X11SyntheticJournal::kLifetimeNanos;
    // A time further ahead than an entry can live is no time any process noted: damage.
    return nowNanos > notedAtNanos ? nowNanos - notedAtNanos > lifetime : notedAtNanos - nowNanos > lifetime;
}

// The folder for the journal files: the session's runtime folder, else a
// folder under the temporary folder that only this user can enter.
std::optional<std::filesystem::path> journalFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') return runtime;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("brevanor-" + std::to_string(getuid()));
    mkdir(folder.c_str(), 0700);
    struct stat info {};
    // Anyone may create names in the temporary folder: use this one only when it is ours alone.
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 0077) != 0) {
        return std::nullopt;
    }
    return folder;
}

// "host:7.0", ":7" and ":7.1" all name display 7 of the host: the screen does not count.
std::string fileNameForDisplay(std::string display) {
    if (display.empty()) {
        const char* variable = std::getenv("DISPLAY");
        display = variable ? variable : "";
    }
    if (const auto colon = display.rfind(':'); colon != std::string::npos) {
        if (const auto dot = display.find('.', colon); dot != std::string::npos) display.erase(dot);
        // The local server under either of its names.
        if (display.compare(0, colon, "unix") == 0) display.erase(0, colon);
    }
    for (char& c : display) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.' && c != ':') c = '_';
    }
    return "brevanor-synthetic-input-v" + std::to_string(kVersion) + "-" + display;
}

std::uint64_t newWriterId() {
    std::random_device random;
    // Never 0: an empty place carries writer 0.
    return (static_cast<std::uint64_t>(random()) << 32 | random()) | 1;
}

// Holds a file's lock while it is in scope. The lock must be given back by
// hand: a mapping of the file keeps it past the descriptor's closing.
struct FileLock {
    int fd;
    bool held = flock(fd, LOCK_EX) == 0;
    ~FileLock() {
        if (held) flock(fd, LOCK_UN);
    }
};

}  // namespace

// The ring as it lies in the shared file. Every field is a lock-free atomic,
// and so address-free: processes map it at different places. A place's
// `sequence` is its position + 1 once its entry is complete, and anything
// else while it is empty or being written.
struct X11SyntheticJournal::Ring {
    struct Slot {
        std::atomic<std::uint64_t> sequence;
        std::atomic<std::uint64_t> writer;
        std::atomic<std::uint64_t> notedAtNanos;
        std::atomic<std::uint32_t> request;
        std::atomic<std::uint32_t> detail;
        std::atomic<std::int32_t> x;
        std::atomic<std::int32_t> y;
    };
    std::atomic<std::uint32_t> magic;
    std::atomic<std::uint32_t> version;
    std::atomic<std::uint32_t> capacity;
    std::atomic<std::uint32_t> slotBytes;
    std::atomic<std::uint64_t> next;  // the position the next entry takes
    Slot slots[kCapacity];

    bool hasOurLayout() const {
        return magic.load(std::memory_order_relaxed) == kMagic && version.load(std::memory_order_relaxed) == kVersion &&
               capacity.load(std::memory_order_relaxed) == kCapacity &&
               slotBytes.load(std::memory_order_relaxed) == sizeof(Slot);
    }
    bool isBlank() const {
        return magic.load(std::memory_order_relaxed) == 0 && version.load(std::memory_order_relaxed) == 0 &&
               capacity.load(std::memory_order_relaxed) == 0 && slotBytes.load(std::memory_order_relaxed) == 0;
    }
    void setLayout() {
        version.store(kVersion, std::memory_order_relaxed);
        capacity.store(static_cast<std::uint32_t>(kCapacity), std::memory_order_relaxed);
        slotBytes.store(sizeof(Slot), std::memory_order_relaxed);
        magic.store(kMagic, std::memory_order_release);
    }
};

static_assert(std::atomic<std::uint64_t>::is_always_lock_free && std::atomic<std::uint32_t>::is_always_lock_free &&
              std::atomic<std::int32_t>::is_always_lock_free);

std::shared_ptr<X11SyntheticJournal> X11SyntheticJournal::forDisplay(const std::string& displayName) {
    const auto folder = journalFolder();
    auto journal = folder ? std::make_shared<X11SyntheticJournal>(*folder / fileNameForDisplay(displayName))
                          : std::make_shared<X11SyntheticJournal>();
    if (!folder || journal->problem()) {
        static std::once_flag warned;
        std::call_once(warned, [&] {
            std::fprintf(stderr,
                         "brevanor: %s; replays by other Brevanor processes on this display may be recorded as "
                         "input.\n",
                         folder ? journal->problem()->c_str()
                                : "no private folder for the synthetic-input journal (set XDG_RUNTIME_DIR)");
        });
    }
    return journal;
}

X11SyntheticJournal::X11SyntheticJournal(const std::filesystem::path& path)
    : path_(path.string()), writerId_(newWriterId()) {
    mapShared(path);
    if (!ring_) mapPrivate();
    readPosition_ = ring_->next.load(std::memory_order_acquire);
}

X11SyntheticJournal::X11SyntheticJournal() : writerId_(newWriterId()) { mapPrivate(); }

X11SyntheticJournal::~X11SyntheticJournal() {
    if (!shared_) munmap(ring_, sizeof(Ring));
}

void X11SyntheticJournal::mapShared(const std::filesystem::path& path) {
    const auto fail = [&](const std::string& why) {
        problem_ = "cannot share the synthetic-input journal " + path.string() + ": " + why;
    };
    const FileDescriptor file(open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.isOpen()) return fail(std::strerror(errno));
    struct stat info {};
    if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return fail("not a regular file");
    // Whoever may write the file could make our listeners drop the user's input.
    if (info.st_uid != getuid() || (info.st_mode & 0077) != 0) return fail("other users may write it");
    // Whoever comes first gives the file its size and layout; the others wait for that.
    const FileLock lock{file.get()};
    if (!lock.held) return fail(std::strerror(errno));
    if (fstat(file.get(), &info) != 0) return fail(std::strerror(errno));
    if (info.st_size != 0 && info.st_size != static_cast<off_t>(sizeof(Ring))) return fail("it has another layout");
    // Every page gets its storage now, also in a file an earlier process left
    // sparse: a page written first when the file system is full could not be stored.
    if (const int error = posix_fallocate(file.get(), 0, sizeof(Ring)); error != 0) return fail(std::strerror(error));
    try {
        shared_ = std::make_unique<SharedFileMapping>(file.get(), sizeof(Ring));
    } catch (const std::system_error& error) {
        return fail(error.code().message());
    }
    auto* ring = static_cast<Ring*>(shared_->data());
    // A blank header is a file whose creator died before writing it.
    if (ring->isBlank()) ring->setLayout();
    if (!ring->hasOurLayout()) {
        shared_.reset();
        return fail("it has another layout");
    }
    // Kept in memory where the system allows it: a page of the ring that a busy
    // system wrote out and dropped would be read back from disk inside a note,
    // holding up the replay that posts. Without locked memory it works alike.
    mlock(ring, sizeof(Ring));
    ring_ = ring;
}

bool X11SyntheticJournal::isShared() const { return shared_ && !shared_->detached(); }

void X11SyntheticJournal::warnOnceIfCutShort() {
    // Said once, as for a file that could not be shared at all.
    if (shared_ && shared_->detached() && !toldCutShort_.exchange(true)) {
        std::fprintf(stderr,
                     "brevanor: the synthetic-input journal %s was cut short by another program; replays by other "
                     "Brevanor processes on this display may be recorded as input.\n",
                     path_.c_str());
    }
}

void X11SyntheticJournal::mapPrivate() {
    void* mapped = mmap(nullptr, sizeof(Ring), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    // Without memory for a few hundred kilobytes nothing else works either.
    if (mapped == MAP_FAILED) std::abort();
    ring_ = static_cast<Ring*>(mapped);
    ring_->setLayout();
}

void X11SyntheticJournal::note(const Entry& entry) {
    const std::uint64_t position = ring_->next.fetch_add(1, std::memory_order_relaxed);
    Ring::Slot& slot = ring_->slots[position % kCapacity];
    // A reader that finds the sequence changed knows the fields are changing.
    slot.sequence.store(0, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    slot.writer.store(writerId_, std::memory_order_relaxed);
    slot.notedAtNanos.store(entry.notedAtNanos, std::memory_order_relaxed);
    slot.request.store(static_cast<std::uint32_t>(entry.request), std::memory_order_relaxed);
    slot.detail.store(entry.detail, std::memory_order_relaxed);
    slot.x.store(entry.x, std::memory_order_relaxed);
    slot.y.store(entry.y, std::memory_order_relaxed);
    slot.sequence.store(position + 1, std::memory_order_release);
}

bool X11SyntheticJournal::read(std::uint64_t position, std::uint64_t nowNanos) {
    const Ring::Slot& slot = ring_->slots[position % kCapacity];
    const std::uint64_t sequence = slot.sequence.load(std::memory_order_acquire);
    // A later round of the ring took the place: this entry is gone.
    if (sequence > position + 1) return true;
    if (sequence != position + 1) return false;
    Pending pending;
    pending.position = position;
    pending.writer = slot.writer.load(std::memory_order_relaxed);
    pending.entry.notedAtNanos = slot.notedAtNanos.load(std::memory_order_relaxed);
    const std::uint32_t request = slot.request.load(std::memory_order_relaxed);
    pending.entry.detail = slot.detail.load(std::memory_order_relaxed);
    pending.entry.x = slot.x.load(std::memory_order_relaxed);
    pending.entry.y = slot.y.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    // Overwritten while it was read, or nothing a journal wrote: nothing to take.
    if (slot.sequence.load(std::memory_order_relaxed) != sequence) return true;
    if (request > static_cast<std::uint32_t>(Request::keyRelease) || pending.entry.detail > 255 ||
        isExpired(pending.entry.notedAtNanos, nowNanos)) {
        return true;
    }
    pending.entry.request = static_cast<Request>(request);

    pending_.insert(std::upper_bound(pending_.begin(), pending_.end(), position,
                                     [](std::uint64_t p, const Pending& other) { return p < other.position; }),
                    pending);
    if (pending_.size() > kCapacity) pending_.pop_front();
    if (pending.entry.request == Request::keyPress) {
        keyPresses_.push_back(pending.entry);
        if (keyPresses_.size() > kKeyPressHistory) keyPresses_.pop_front();
    }
    return true;
}

void X11SyntheticJournal::readNewEntries(std::uint64_t nowNanos) {
    std::erase_if(unfinished_, [&](const Unfinished& place) {
        // Times come from several threads and may be a little before the first sighting.
        return read(place.position, nowNanos) ||
               (nowNanos > place.firstSeenNanos && nowNanos - place.firstSeenNanos > kUnfinishedNanos);
    });
    const std::uint64_t end = ring_->next.load(std::memory_order_acquire);
    // The count went back (damage): carry on from where writers are now.
    if (end < readPosition_) readPosition_ = end;
    // Fell behind by more than the ring holds: what was overwritten is lost.
    if (end - readPosition_ > kCapacity) readPosition_ = end - kCapacity;
    for (; readPosition_ < end; ++readPosition_) {
        // A writer between taking its place and filling it: come back to it, but read on.
        if (!read(readPosition_, nowNanos) && unfinished_.size() < kCapacity) {
            unfinished_.push_back({readPosition_, nowNanos});
        }
    }
    std::erase_if(pending_, [&](const Pending& p) { return isExpired(p.entry.notedAtNanos, nowNanos); });
}

bool X11SyntheticJournal::claim(Request request, unsigned int detail, int x, int y, std::uint64_t nowNanos) {
    warnOnceIfCutShort();
    std::lock_guard lock(mutex_);
    readNewEntries(nowNanos);
    const auto match = std::find_if(pending_.begin(), pending_.end(), [&](const Pending& p) {
        const bool samePosition = request != Request::motion || (p.entry.x == x && p.entry.y == y);
        return p.entry.request == request && p.entry.detail == detail && samePosition;
    });
    if (match == pending_.end()) return false;
    const std::uint64_t writer = match->writer, position = match->position;
    std::erase_if(pending_, [&](const Pending& p) { return p.writer == writer && p.position <= position; });
    return true;
}

bool X11SyntheticJournal::notedKeyPressRecently(unsigned int keyCode, std::uint64_t withinNanos,
                                                std::uint64_t nowNanos) {
    std::lock_guard lock(mutex_);
    readNewEntries(nowNanos);
    return std::any_of(keyPresses_.begin(), keyPresses_.end(), [&](const Entry& entry) {
        return entry.detail == keyCode && entry.notedAtNanos <= nowNanos &&
               nowNanos - entry.notedAtNanos <= withinNanos;
    });
}

}  // namespace brevanor
