#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

#include "core/model/DocumentBytes.h"
#include "core/model/RecordingJSONDecoder.h"
#include "core/model/RecordingSummary.h"

namespace brevanor {

// A recording document read once from its file and decoded in passes, so that
// its events never sit in memory all at once: the whole document is checked
// and summarised on reading, and its events can then be walked one by one.
class StreamedDocument {
public:
    // Throws FileError when the file cannot be read, the document errors of the
    // reader when it is no recording, DocumentTooLargeError beyond `maxBytes`.
    StreamedDocument(const std::filesystem::path& path, std::uintmax_t maxBytes);

    const RecordingSummary& summary() const { return summary_; }
    // Hands every event to `visit`, in order.
    void forEachEvent(const std::function<void(const RecordingEvent&)>& visit);
    // Hands every recorded event of an edited recording to `visit`, in order (none when it was never edited).
    void forEachRecordedEvent(const std::function<void(const RecordingEvent&)>& visit);

private:
    DocumentBytes bytes_;
    RecordingJSONDecoder decoder_;
    RecordingSummary summary_;
};

}  // namespace brevanor
