// Reads arbitrary bytes as an update feed. Whatever reads must be what the
// application may show and open (a bounded https address, plain bounded notes,
// a version that reads back) and must read again, once written, to the same feed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/update/UpdateFeed.h"
#include "app/update/UpdateFeedError.h"
#include "core/model/JsonWriter.h"
#include "core/model/Utf8.h"

namespace {

void fail(const char* what, std::string_view text) {
    std::fprintf(stderr, "%s: %.*s\n", what, static_cast<int>(text.size()), text.data());
    std::abort();
}

bool isPlainText(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = brevanor::Utf8::sequenceLength(text, i);
        if (length == 0) return false;
        const char32_t c = brevanor::Utf8::codePoint(text, i, length);
        if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7f) return false;
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brevanor;
    UpdateFeed feed;
    try {
        feed = UpdateFeed::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const UpdateFeedError&) {
        return 0;
    }
    const std::string version = feed.version.toString();
    if (ReleaseVersion::parse(version) != feed.version) fail("version does not read back", version);
    if (feed.downloadPage.size() > UpdateFeed::mostAddressBytes || feed.downloadPage.size() < 9) {
        fail("download page of the wrong size", feed.downloadPage);
    }
    for (const char c : feed.downloadPage) {
        if (c <= ' ' || c > '~') fail("download page with a blank or control character", feed.downloadPage);
    }
    if (feed.releaseNotes.size() > UpdateFeed::mostNoteBytes || !isPlainText(feed.releaseNotes)) {
        fail("release notes too long or not plain text", feed.releaseNotes);
    }

    JsonWriter w;
    w.beginObject();
    w.key("downloadPage").string(feed.downloadPage);
    w.key("releaseNotes").string(feed.releaseNotes);
    w.key("version").string(version);
    w.endObject();
    const std::string written = w.take();
    if (!(UpdateFeed::parse(written) == feed)) fail("written feed reads differently", written);
    return 0;
}
