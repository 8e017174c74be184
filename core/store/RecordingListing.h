#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/model/Recording.h"
#include "core/model/RecordingJSONDecoder.h"
#include "core/model/RecordingSummary.h"
#include "core/store/DocumentFile.h"
#include "core/store/LibraryListing.h"

namespace brevanor {

// Reads and decodes the documents of a folder for a listing, several at once,
// and keeps what it decoded keyed by file identity: a listing of an unchanged
// folder then decodes nothing again, while a file changed in any way is read
// anew. A document counts only under its own name, its recording's id (see
// RecordingStore). `Entry` is what is kept of each: the whole Recording, or
// its RecordingSummary when its events are not needed. Used from one thread at a time.
template <typename Entry>
class RecordingListing {
public:
    // Up to `threadCount` files are read and decoded at once; 0 means one per processor core.
    RecordingListing(std::uintmax_t maxDocumentBytes, unsigned threadCount);

    // The entries of `files` that could be read and decoded, newest first
    // (by creation date, then by identifier), and the files left out with the reason.
    LibraryListing<Entry> entries(const std::vector<DocumentFile>& files);

    // Drops what is kept for the file at `path`. A file written in quick
    // succession can come back with a recycled inode, the same size and times
    // within the file system's clock tick; the store's own writes say so here.
    void forget(const std::filesystem::path& path) { cache_.erase(path.native()); }

private:
    // One read: the identity of the file read and its recording, or why it
    // cannot be one (the file itself was readable; failed reads are not kept).
    struct Outcome {
        FileIdentity identity;
        std::shared_ptr<const Entry> entry;
        std::string failure;
    };

    // What each thread works with, kept between listings for the memory they hold.
    struct Worker {
        RecordingJSONDecoder decoder;
        DocumentBytes bytes;
    };

    // Reads and decodes the files at `pending`; reads that fail leave their outcome
    // empty and say why in `readFailures`.
    void decode(const std::vector<DocumentFile>& files, const std::vector<std::size_t>& pending,
                std::vector<std::optional<Outcome>>& outcomes, std::vector<std::string>& readFailures);

    std::uintmax_t maxDocumentBytes_;
    std::vector<Worker> workers_;
    std::unordered_map<std::string, Outcome> cache_;
};

}  // namespace brevanor
