#pragma once

#include <ostream>
#include <string>

namespace brevanor {

// One line of live status on a terminal ("Playing 2 of 5 • 0:03.1"),
// rewritten in place. Does nothing when the stream is not a terminal, so
// scripts and logs see no carriage returns.
class StatusLine {
public:
    StatusLine(std::ostream& stream, bool isTerminal) : stream_(stream), isTerminal_(isTerminal) {}
    ~StatusLine() { finish(); }
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

    void show(const std::string& text) {
        if (!isTerminal_ || text == shown_) return;
        stream_ << "\r" << text << "\x1b[K" << std::flush;
        shown_ = text;
    }
    // Ends the line, so that what follows starts on a line of its own.
    void finish() {
        if (shown_.empty()) return;
        stream_ << "\n" << std::flush;
        shown_.clear();
    }

private:
    std::ostream& stream_;
    bool isTerminal_;
    std::string shown_;
};

}  // namespace brevanor
