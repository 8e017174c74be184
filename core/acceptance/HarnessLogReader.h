#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

#include "core/acceptance/HarnessLogEntry.h"

namespace brevanor {

// Reads a harness log: lines separated by newlines, each a JSON object with
// the keys of HarnessLogEntry. Lines holding only blanks (a CRLF file's empty
// lines too) are skipped; unknown keys are ignored. Logs come from outside
// tools, so every line is checked and limits keep a runaway log from
// exhausting memory.
class HarnessLogReader {
public:
    struct Limits {
        std::size_t maxLineBytes = 1 << 20;  // an entry takes about 150 bytes
        std::size_t maxEntries = 5'000'000;
    };

    HarnessLogReader() = default;
    explicit HarnessLogReader(Limits limits) : limits_(limits) {}

    // The entries in file order. Throws HarnessLogError for the first line
    // that cannot be read, naming it.
    std::vector<HarnessLogEntry> read(std::string_view bytes) const;
    // The same of the file at `file`, read a piece at a time, so that a long
    // log is never held whole. Throws std::system_error naming the file when
    // it cannot be read.
    std::vector<HarnessLogEntry> readFile(const std::filesystem::path& file) const;

private:
    class Lines;

    Limits limits_;
};

}  // namespace brevanor
