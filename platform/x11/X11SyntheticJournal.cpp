#include "platform/x11/X11SyntheticJournal.h"

namespace brevanor {

void X11SyntheticJournal::note(Entry entry) {
    std::lock_guard lock(mutex_);
    forgetExpired(entry.notedAtNanos);
    if (entries_.size() >= kCapacity) entries_.pop_front();
    entries_.push_back(entry);
}

bool X11SyntheticJournal::claim(Request request, unsigned int detail, int x, int y, std::uint64_t nowNanos) {
    std::lock_guard lock(mutex_);
    forgetExpired(nowNanos);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        const bool samePosition = request != Request::motion || (it->x == x && it->y == y);
        if (it->request == request && it->detail == detail && samePosition) {
            entries_.erase(entries_.begin(), it + 1);
            return true;
        }
    }
    return false;
}

void X11SyntheticJournal::forgetExpired(std::uint64_t nowNanos) {
    while (!entries_.empty() && nowNanos > entries_.front().notedAtNanos &&
           nowNanos - entries_.front().notedAtNanos > kLifetimeNanos) {
        entries_.pop_front();
    }
}

}  // namespace brevanor
