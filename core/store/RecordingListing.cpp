#include "core/store/RecordingListing.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace brevanor {

RecordingListing::RecordingListing(std::uintmax_t maxDocumentBytes, unsigned threadCount)
    : maxDocumentBytes_(maxDocumentBytes) {
    for (unsigned i = 0; i < std::max(threadCount, 1u); ++i) workers_.push_back({Recording::makeJSONDecoder(), {}});
}

unsigned RecordingListing::defaultThreadCount() { return std::max(std::thread::hardware_concurrency(), 1u); }

std::vector<std::shared_ptr<const Recording>> RecordingListing::recordings(const std::vector<DocumentFile>& files) {
    std::vector<std::optional<Outcome>> outcomes(files.size());
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto cached = cache_.find(files[i].path.native());
        if (cached != cache_.end() && cached->second.identity == files[i].identity) {
            outcomes[i] = cached->second;
        } else {
            pending.push_back(i);
        }
    }
    decode(files, pending, outcomes);

    // Only files that are still there stay in the cache; failed reads are tried again next time.
    std::unordered_map<std::string, Outcome> cache;
    std::vector<std::shared_ptr<const Recording>> result;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!outcomes[i]) continue;
        if (outcomes[i]->recording) result.push_back(outcomes[i]->recording);
        cache.emplace(files[i].path.native(), std::move(*outcomes[i]));
    }
    cache_ = std::move(cache);

    std::sort(result.begin(), result.end(), [](const auto& a, const auto& b) {
        if (a->createdAt != b->createdAt) return a->createdAt > b->createdAt;
        return a->id < b->id;
    });
    return result;
}

void RecordingListing::decode(const std::vector<DocumentFile>& files, const std::vector<std::size_t>& pending,
                              std::vector<std::optional<Outcome>>& outcomes) {
    std::atomic<std::size_t> next{0};
    const auto work = [&](Worker& worker) {
        for (std::size_t k = next++; k < pending.size(); k = next++) {
            Outcome outcome;
            try {
                outcome.identity = readDocumentFile(files[pending[k]].path, maxDocumentBytes_, worker.bytes);
            } catch (...) {
                continue;  // unreadable now; perhaps not next time
            }
            try {
                outcome.recording = std::make_shared<const Recording>(worker.decoder.decode(worker.bytes));
            } catch (...) {
                // Not a document this version can read: passed over until the file changes.
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

}  // namespace brevanor
