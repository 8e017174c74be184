#include "tools/LineWriter.h"

LineWriter::LineWriter(std::FILE* out) : out_(out), thread_([this] { run(); }) {}

LineWriter::~LineWriter() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    queued_.notify_one();
    thread_.join();
}

void LineWriter::append(const std::string& line) {
    {
        std::lock_guard lock(mutex_);
        pending_ += line;
    }
    queued_.notify_one();
}

void LineWriter::run() {
    std::string batch;
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return closing_ || !pending_.empty(); });
        if (pending_.empty()) return;
        batch.swap(pending_);
        lock.unlock();
        std::fwrite(batch.data(), 1, batch.size(), out_);
        std::fflush(out_);
        batch.clear();
        lock.lock();
    }
}
