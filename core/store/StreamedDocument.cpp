#include "core/store/StreamedDocument.h"

#include "core/store/DocumentFile.h"

namespace brevanor {

StreamedDocument::StreamedDocument(const std::filesystem::path& path, std::uintmax_t maxBytes) {
    readDocumentFile(path, maxBytes, bytes_);
    summary_ = decoder_.decodeSummary(bytes_);
}

void StreamedDocument::forEachEvent(const std::function<void(const RecordingEvent&)>& visit) {
    // The bytes were checked whole on reading: only `visit` can fail now.
    decoder_.decodeSummary(bytes_, visit);
}

void StreamedDocument::forEachRecordedEvent(const std::function<void(const RecordingEvent&)>& visit) {
    if (summary_.recordedEventCount) decoder_.decodeSummary(bytes_, {}, visit);
}

}  // namespace brevanor
