#include "app/update/UpdateFeed.h"

#include <simdjson.h>

#include <algorithm>

#include "app/update/UpdateFeedError.h"
#include "base/text/Localized.h"

namespace brevanor {

namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

// An https address a browser opens as it reads: visible ASCII only, a host,
// and no user name before it (which could make one site read as another).
bool isDownloadPage(std::string_view address) {
    constexpr std::string_view scheme = "https://";
    if (address.size() > UpdateFeed::mostAddressBytes || !startsWithIgnoringCase(address, scheme)) return false;
    for (const char c : address) {
        if (c <= ' ' || c > '~' || c == '\\') return false;
    }
    const std::string_view rest = address.substr(scheme.size());
    const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    return !authority.empty() && authority.find('@') == std::string_view::npos;
}

// Plain text: line breaks and tabs stay, other control characters go; long
// notes are cut at a character boundary and end in "…", within mostNoteBytes,
// so that reading the result again changes nothing. simdjson has checked the UTF-8.
std::string readableNotes(std::string_view notes) {
    std::string text;
    text.reserve(std::min(notes.size(), UpdateFeed::mostNoteBytes));
    for (const char c : notes) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7f) continue;
        text.push_back(c);
    }
    if (text.size() <= UpdateFeed::mostNoteBytes) return text;
    constexpr std::string_view ellipsis = "…";
    std::size_t end = UpdateFeed::mostNoteBytes - ellipsis.size();
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) --end;
    text.resize(end);
    return text.append(ellipsis);
}

}  // namespace

UpdateFeed UpdateFeed::parse(std::string_view document) {
    if (document.size() > mostBytes) throw UpdateFeedError(tr("The update feed is larger than 64 KB."));
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    if (parser.parse(simdjson::padded_string(document)).get(root) != simdjson::SUCCESS) {
        throw UpdateFeedError(tr("The update feed is not a JSON document."));
    }
    simdjson::dom::object object;
    if (root.get_object().get(object) != simdjson::SUCCESS) {
        throw UpdateFeedError(tr("The update feed is not a JSON object."));
    }

    UpdateFeed feed;
    std::string_view text;
    std::optional<ReleaseVersion> version;
    if (object["version"].get_string().get(text) == simdjson::SUCCESS) version = ReleaseVersion::parse(text);
    if (!version) throw UpdateFeedError(tr("The update feed names no valid version."));
    feed.version = *version;

    if (object["downloadPage"].get_string().get(text) != simdjson::SUCCESS || !isDownloadPage(text)) {
        throw UpdateFeedError(tr("The update feed names no https download page."));
    }
    feed.downloadPage = std::string(text);

    simdjson::dom::element notes;
    if (object["releaseNotes"].get(notes) == simdjson::SUCCESS && !notes.is_null()) {
        if (notes.get_string().get(text) != simdjson::SUCCESS) {
            throw UpdateFeedError(tr("The release notes in the update feed are not text."));
        }
        feed.releaseNotes = readableNotes(text);
    }
    return feed;
}

}  // namespace brevanor
