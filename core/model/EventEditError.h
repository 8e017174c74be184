#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace brevanor {

// An edit of a recording's events that cannot be made as asked. Nothing is
// changed when an edit throws it. Indices are those of the event list, from 0.
class EventEditError : public std::runtime_error {
public:
    enum class Case {
        indexOutOfRange,  // `index` names no event of the `count` there are
        rangeReversed,    // a range whose first index comes after its last
        notAClick,        // the event at `index` is no button press or release
        valueOutOfRange,  // a factor, time or position the edit cannot use
        leavesHeld,       // the edited events would leave a key or button held that the recorded ones released
        outOfTimeOrder,   // the edited events would no longer be in time order
    };

    EventEditError(Case errorCase, std::size_t index, std::size_t count, const std::string& message)
        : std::runtime_error(message), case_(errorCase), index_(index), count_(count) {}

    static EventEditError indexOutOfRange(std::size_t index, std::size_t count) {
        return {Case::indexOutOfRange, index, count,
                count == 0 ? "there is no event " + std::to_string(index) + ": the recording has no events"
                           : "there is no event " + std::to_string(index) + ": the events are numbered 0 to " +
                                 std::to_string(count - 1)};
    }

    Case errorCase() const { return case_; }
    std::size_t index() const { return index_; }
    std::size_t count() const { return count_; }

    friend bool operator==(const EventEditError& a, const EventEditError& b) {
        return a.case_ == b.case_ && a.index_ == b.index_ && a.count_ == b.count_;
    }

private:
    Case case_;
    std::size_t index_;
    std::size_t count_;
};

}  // namespace brevanor
