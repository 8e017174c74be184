#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace brevanor {

// The top-level "events" array of a recording document, cut into runs of
// whole elements, so that the events can be parsed a run at a time: the JSON
// parser's index of a whole long document would take more memory than the
// document itself. Found by a light scan that follows strings and nesting but
// checks nothing else; the parser still checks every byte of every run.
struct EventBatches {
    // The bytes [begin, end) of the document hold whole elements and the separators between them.
    struct Batch {
        std::size_t begin = 0;
        std::size_t end = 0;
    };

    std::size_t arrayBegin = 0;  // the "[" of the array
    std::size_t arrayEnd = 0;    // just past its "]"
    std::vector<Batch> batches;  // each of about `batchBytes`, or of one longer element
    std::size_t elementCount = 0;

    // Nothing when the document is not an object with a plainly written "events" key holding an
    // array whose elements the scan can tell apart: the document is then parsed whole.
    // `key` names another top-level array of events ("recordedEvents").
    static std::optional<EventBatches> find(std::string_view document, std::size_t batchBytes,
                                            std::string_view key = "events");
};

}  // namespace brevanor
