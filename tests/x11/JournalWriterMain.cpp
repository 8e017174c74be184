// brevanor_x11_journal_writer FILE WRITER COUNT
//
// Another Brevanor process that posts: notes COUNT moves to (i, WRITER) for
// i = 0, 1, ... in the synthetic-input journal kept in FILE, as fast as it
// can, and exits. The concurrency test runs several beside its own threads.

#include <cstdlib>
#include <string>

#include "platform/x11/X11SyntheticJournal.h"

int main(int argc, char** argv) {
    using brevanor::X11SyntheticJournal;
    if (argc != 4) return 2;
    X11SyntheticJournal journal{std::string(argv[1])};
    if (journal.problem()) return 1;
    const int writer = std::atoi(argv[2]);
    const int count = std::atoi(argv[3]);
    // A fixed time: the readers judge entries by it, however slowly a sanitizer makes them run.
    constexpr std::uint64_t kNotedAtNanos = 1'000'000'000'000ULL;
    for (int i = 0; i < count; ++i) journal.note({X11SyntheticJournal::Request::motion, 0, i, writer, kNotedAtNanos});
    return 0;
}
