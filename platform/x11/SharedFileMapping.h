#pragma once

#include <cstddef>

namespace brevanor {

// A file mapped into memory, shared with every process that maps it. Another
// program may cut the file short under us (truncate it, punch a hole in it,
// or fill the file system its pages were yet to take), and touching a page
// that the file no longer backs raises SIGBUS, which would end the process
// with a key it posted still held. Here a handler puts zeroed private memory
// in the mapping's place instead and the access goes on: the mapping is then
// this process's alone, and detached() says so. Other SIGBUS faults go on to
// the handler that was there before.
class SharedFileMapping {
public:
    // Maps the first `bytes` of the open file `fd` for reading and writing.
    // Throws std::system_error when the file cannot be mapped or too many
    // mappings are alive in the process.
    SharedFileMapping(int fd, std::size_t bytes);
    ~SharedFileMapping();
    SharedFileMapping(const SharedFileMapping&) = delete;
    SharedFileMapping& operator=(const SharedFileMapping&) = delete;

    void* data() const { return data_; }
    // Whether the file was cut short and the memory is no longer shared with anyone.
    bool detached() const;

    // At most this many mappings are alive in a process at once.
    static constexpr std::size_t kMaxMappings = 32;

private:
    void* data_;
    std::size_t bytes_;
    std::size_t slot_;  // the mapping's place in the process-wide list the handler reads
};

}  // namespace brevanor
