#pragma once

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

// Writes lines to a file from a thread of its own, so that a write stalled by
// the file system never holds up the caller: the logger stamps each event when
// it reads it, and a stall there would show up as a timing error of the next
// events. Each batch is flushed as soon as it is written, so the file grows
// while events come in.
class LineWriter {
public:
    explicit LineWriter(std::FILE* out);
    ~LineWriter();  // writes what is queued, then returns
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    void append(const std::string& line);

private:
    void run();

    std::FILE* out_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::string pending_;
    bool closing_ = false;
    std::thread thread_;
};
