#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "app/update/ReleaseVersion.h"

namespace brevanor {

// What the update feed tells about the newest release: a small JSON object
//   {"version": "1.4.0", "releaseNotes": "What changed.", "downloadPage": "https://…"}
// whose other members are ignored, so later feeds may say more. The feed comes
// from the network and is read as hostile: its size is bounded, the download
// page must be an https address (it is opened in the user's browser), and the
// notes are plain text without control characters, cut to a readable length.
struct UpdateFeed {
    static constexpr std::size_t mostBytes = 64 * 1024;
    static constexpr std::size_t mostAddressBytes = 2048;
    // Longer notes are cut to this many bytes, "…" included.
    static constexpr std::size_t mostNoteBytes = 4000;

    ReleaseVersion version;
    std::string releaseNotes;  // empty when the feed has none
    std::string downloadPage;

    // Throws UpdateFeedError when `document` is not such a feed.
    static UpdateFeed parse(std::string_view document);

    friend bool operator==(const UpdateFeed&, const UpdateFeed&) = default;
};

}  // namespace brevanor
