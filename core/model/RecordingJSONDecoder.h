#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "core/model/DocumentBytes.h"
#include "core/model/EventBatches.h"
#include "core/model/JsonLocation.h"
#include "core/model/Recording.h"
#include "core/model/RecordingSummary.h"

namespace brevanor {

// Reads recording documents. Keys may come in any order, unknown keys are
// ignored at every level, null counts as a missing key, and elements of the
// event list whose type is unknown (written by a newer version) are skipped.
// Every other fault fails the whole document: nothing partial is returned.
//
// The decoder keeps its parser's buffers between documents, so use one
// decoder per thread.
class RecordingJSONDecoder {
public:
    RecordingJSONDecoder();
    ~RecordingJSONDecoder();
    RecordingJSONDecoder(RecordingJSONDecoder&&) noexcept;
    RecordingJSONDecoder& operator=(RecordingJSONDecoder&&) noexcept;

    // Throws RecordingDecodingError for a document of a newer schema version,
    // RecordingDocumentError for everything else that is wrong.
    Recording decode(std::string_view bytes);
    // The same without copying the bytes first.
    Recording decode(const DocumentBytes& bytes);

    // Reads and checks the document as decode() does, but hands each event to
    // `onEvent` (when given) in order instead of keeping it: memory for one
    // event at a time. An edited recording's recorded events go to
    // `onRecordedEvent` (when given); they are held while the header is read.
    RecordingSummary decodeSummary(const DocumentBytes& bytes,
                                   const std::function<void(const RecordingEvent&)>& onEvent = {},
                                   const std::function<void(const RecordingEvent&)>& onRecordedEvent = {});

    // One event object on its own. Throws RecordingEventDecodingError when its
    // "type" names no known event, RecordingDocumentError for other faults.
    RecordingEvent decodeEvent(std::string_view bytes);

private:
    struct Parser;

    // Reads the document into `recording`, handing its events to `sink` and the recorded events of an
    // edited recording to `recordedSink` (those of a document read whole go to `recording`); `expect`
    // learns first how many elements the events array holds, where that is known before they are read.
    template <typename Sink, typename RecordedSink, typename Expect>
    void read(const DocumentBytes& bytes, Recording& recording, Sink&& sink, RecordedSink&& recordedSink,
              Expect&& expect);
    // Hands the elements of one events array of `text` to `sink`, a batch at a time.
    template <typename Sink>
    void readBatches(std::string_view text, const EventBatches& events, const JsonLocation& eventsAt, Sink&& sink);
    // The same, with the whole document in the JSON parser at once.
    template <typename Sink>
    void readWhole(const DocumentBytes& bytes, Recording& recording, Sink&& sink);

    std::unique_ptr<Parser> parser_;
};

}  // namespace brevanor
