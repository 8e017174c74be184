#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <ostream>
#include <utility>
#include <vector>

#include "base/platform/InputSource.h"

namespace brevanor {

// Readable failures for what a listener delivered.
inline void PrintTo(const TapEvent::Kind& kind, std::ostream* out) {
    static constexpr const char* kTypes[] = {"mouseDown", "mouseUp",      "scroll",    "keyDown",
                                             "keyUp",     "flagsChanged", "mouseMoved"};
    *out << kTypes[static_cast<int>(kind.type)] << " key " << kind.keyCode << (kind.isRepeat ? " (repeat)" : "")
         << " button " << kind.buttonNumber << " click " << kind.clickCount << " scroll " << kind.scroll.deltaX << ","
         << kind.scroll.deltaY;
}

}  // namespace brevanor

namespace brevanor::testing {

// Collects what an InputSource delivers and lets a test wait, with a generous
// timeout, until what it expects has arrived.
class TapEventCollector {
public:
    using Events = std::vector<TapEvent>;

    InputSource::Sink sink() {
        return [this](const TapEvent& event) {
            std::lock_guard lock(mutex_);
            events_.push_back(event);
            changed_.notify_all();
        };
    }

    // Every event so far once `done` holds for them, or when the timeout passes.
    Events waitUntil(const std::function<bool(const Events&)>& done,
                     std::chrono::seconds timeout = std::chrono::seconds(20)) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return done(events_); });
        return events_;
    }

    // Waits for `count` events other than moves; returns those.
    Events waitForNonMoves(std::size_t count) {
        return withoutMoves(waitUntil([&](const Events& events) { return withoutMoves(events).size() >= count; }));
    }

    Events events() {
        std::lock_guard lock(mutex_);
        return events_;
    }

    void clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
    }

    static std::vector<TapEvent::Kind> kinds(const Events& events) {
        std::vector<TapEvent::Kind> result;
        for (const TapEvent& event : events) result.push_back(event.kind);
        return result;
    }
    // What each event was, with the modifier flags it carried: the part a listener converts.
    static std::vector<std::pair<TapEvent::Kind, std::uint64_t>> kindsAndFlags(const Events& events) {
        std::vector<std::pair<TapEvent::Kind, std::uint64_t>> result;
        for (const TapEvent& event : events) result.emplace_back(event.kind, event.flags);
        return result;
    }

    static Events withoutMoves(Events events) {
        std::erase_if(events, [](const TapEvent& e) { return e.kind.type == TapEvent::Kind::Type::mouseMoved; });
        return events;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    Events events_;
};

}  // namespace brevanor::testing
