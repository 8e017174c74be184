#include "core/store/RecordingListing.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <type_traits>

#include "core/store/DocumentTooLargeError.h"
#include "core/store/FileError.h"

namespace brevanor {

namespace {

// Why a file that was read holds no recording of the library, or nothing when it does.
std::string failureOf(const DocumentFile& file, const Uuid& id) {
    if (file.path.stem() == id.toString()) return {};
    return "it holds the recording " + id.toString() +
           " under another file name; import the file to add it to the library";
}

Recording decodeEntry(RecordingJSONDecoder& decoder, const DocumentBytes& bytes, std::type_identity<Recording>) {
    return decoder.decode(bytes);
}

RecordingSummary decodeEntry(RecordingJSONDecoder& decoder, const DocumentBytes& bytes,
                             std::type_identity<RecordingSummary>) {
    return decoder.decodeSummary(bytes);
}

}  // namespace

template <typename Entry>
RecordingListing<Entry>::RecordingListing(std::uintmax_t maxDocumentBytes, unsigned threadCount)
    : maxDocumentBytes_(maxDocumentBytes) {
    if (threadCount == 0) threadCount = std::max(std::thread::hardware_concurrency(), 1u);
    for (unsigned i = 0; i < threadCount; ++i) workers_.push_back({Recording::makeJSONDecoder(), {}});
}

template <typename Entry>
LibraryListing<Entry> RecordingListing<Entry>::entries(const std::vector<DocumentFile>& files) {
    std::vector<std::optional<Outcome>> outcomes(files.size());
    std::vector<std::string> readFailures(files.size());
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto cached = cache_.find(files[i].path.native());
        if (cached != cache_.end() && cached->second.identity == files[i].identity) {
            outcomes[i] = cached->second;
        } else {
            pending.push_back(i);
        }
    }
    decode(files, pending, outcomes, readFailures);

    // Only files that are still there stay in the cache; failed reads are tried again next time.
    std::unordered_map<std::string, Outcome> cache;
    LibraryListing<Entry> listing;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!outcomes[i]) {
            listing.skipped.push_back({files[i].path, readFailures[i]});
            continue;
        }
        if (outcomes[i]->entry) {
            listing.entries.push_back(outcomes[i]->entry);
        } else {
            listing.skipped.push_back({files[i].path, outcomes[i]->failure});
        }
        cache.emplace(files[i].path.native(), std::move(*outcomes[i]));
    }
    cache_ = std::move(cache);

    std::sort(listing.entries.begin(), listing.entries.end(), [](const auto& a, const auto& b) {
        if (a->createdAt != b->createdAt) return a->createdAt > b->createdAt;
        return a->id < b->id;
    });
    return listing;
}

template <typename Entry>
void RecordingListing<Entry>::decode(const std::vector<DocumentFile>& files, const std::vector<std::size_t>& pending,
                                     std::vector<std::optional<Outcome>>& outcomes,
                                     std::vector<std::string>& readFailures) {
    std::atomic<std::size_t> next{0};
    const auto work = [&](Worker& worker) {
        for (std::size_t k = next++; k < pending.size(); k = next++) {
            const DocumentFile& file = files[pending[k]];
            Outcome outcome;
            try {
                outcome.identity = readDocumentFile(file.path, maxDocumentBytes_, worker.bytes);
                auto entry = std::make_shared<const Entry>(
                    decodeEntry(worker.decoder, worker.bytes, std::type_identity<Entry>{}));
                outcome.failure = failureOf(file, entry->id);
                if (outcome.failure.empty()) outcome.entry = std::move(entry);
            } catch (const FileError& error) {
                // Unreadable now; perhaps not next time.
                readFailures[pending[k]] =
                    "it cannot be read (" + std::system_category().message(error.errorNumber()) + ")";
                continue;
            } catch (const DocumentTooLargeError& error) {
                outcome.failure = error.what();
            } catch (const std::exception& error) {
                // Not a document this version can read: passed over until the file changes.
                outcome.failure =
                    std::string("it is not a recording this version of Brevanor understands (") + error.what() + ")";
            }
            outcomes[pending[k]] = std::move(outcome);
        }
    };

    const std::size_t threadCount = std::min(workers_.size(), pending.size());
    std::vector<std::jthread> helpers;
    for (std::size_t i = 1; i < threadCount; ++i) {
        try {
            helpers.emplace_back(work, std::ref(workers_[i]));
        } catch (const std::system_error&) {
            break;  // the threads that did start take this one's share
        }
    }
    work(workers_[0]);
}

template class RecordingListing<Recording>;
template class RecordingListing<RecordingSummary>;

}  // namespace brevanor
