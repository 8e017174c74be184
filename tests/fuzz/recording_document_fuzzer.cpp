// Reads arbitrary bytes as a recording document. Whatever reads must write and
// read back to an equal recording and the same bytes; anything else aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/model/RecordingDecodingError.h"
#include "core/model/RecordingDocumentError.h"
#include "core/model/RecordingJSONDecoder.h"
#include "core/model/RecordingJSONEncoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brevanor;
    static RecordingJSONDecoder decoder = Recording::makeJSONDecoder();
    static const RecordingJSONEncoder encoder = Recording::makeJSONEncoder();

    Recording recording;
    try {
        recording = decoder.decode(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const RecordingDocumentError&) {
        return 0;
    } catch (const RecordingDecodingError&) {
        return 0;
    }
    // A decoded recording holds only finite numbers, so writing it cannot fail.
    const std::string written = encoder.encode(recording);
    const Recording reread = decoder.decode(written);
    if (!(reread == recording)) {
        std::fprintf(stderr, "round trip changed the recording:\n%s\n", written.c_str());
        std::abort();
    }
    if (encoder.encode(reread) != written) {
        std::fprintf(stderr, "writing is not reproducible:\n%s\n", written.c_str());
        std::abort();
    }
    return 0;
}
