#include <gtest/gtest.h>

#include <string>

#include "app/update/UpdateFeed.h"
#include "app/update/UpdateFeedError.h"

namespace brevanor {
namespace {

ReleaseVersion version(std::string_view text) { return ReleaseVersion::parse(text).value(); }

// The sentence the feed is refused with, or "read" when it is not refused.
std::string refusal(const std::string& document) {
    try {
        UpdateFeed::parse(document);
        return "read";
    } catch (const UpdateFeedError& error) {
        return error.what();
    }
}

TEST(ReleaseVersion, ComparesPartByPartWithMissingPartsAsZeroAndReadsNothingButDigitsAndDots) {
    EXPECT_EQ(version("1.2"), version("1.2.0.0"));
    EXPECT_LT(version("1.9"), version("1.10"));
    EXPECT_LT(version("0.9.9"), version("1"));
    EXPECT_GT(version("2.0.0.1"), version("2"));
    EXPECT_EQ(version("007.10").toString(), "7.10");
    EXPECT_EQ(version("999999999.0.0.1").toString(), "999999999.0.0.1");
    // It reads nothing but digits and dots.
    for (const char* text : {"", ".", "1.", ".1", "1..2", "v1.2", "1.2-rc1", " 1", "1 ", "+1", "-1", "1.2.3.4.5",
                             "1234567890", "1,2", "１"}) {
        EXPECT_FALSE(ReleaseVersion::parse(text)) << text;
    }
}

TEST(UpdateFeed, ReadsTheReleaseAndIgnoresWhatItDoesNotKnow) {
    const UpdateFeed feed = UpdateFeed::parse(
        R"({"version": "0.3.1", "releaseNotes": "Faster.\r\n\tFixed \u0007a \u001b[31mbell\u007f.", )"
        R"("downloadPage": "https://brevanor.example/get?from=app#linux", "channel": {"beta": [1, 2]}})");
    EXPECT_EQ(feed.version, version("0.3.1"));
    EXPECT_EQ(feed.releaseNotes, "Faster.\n\tFixed a [31mbell.") << "control characters are dropped";
    EXPECT_EQ(feed.downloadPage, "https://brevanor.example/get?from=app#linux");

    EXPECT_EQ(UpdateFeed::parse(R"({"version":"1","downloadPage":"HTTPS://a.example"})").releaseNotes, "");
    EXPECT_EQ(
        UpdateFeed::parse(R"({"version":"1","releaseNotes":null,"downloadPage":"https://a.example"})").releaseNotes,
        "");
}

TEST(UpdateFeed, RefusesWhatCannotBeShownOrOpenedSafely) {
    const std::string page = R"("downloadPage": "https://brevanor.example/")";
    EXPECT_EQ(refusal(R"({"version": "1.0", )" + page + "}"), "read");

    EXPECT_EQ(refusal(""), "The update feed is not a JSON document.");
    EXPECT_EQ(refusal(R"({"version": "1.0", )" + page), "The update feed is not a JSON document.");
    EXPECT_EQ(refusal(R"([{"version": "1.0"}])"), "The update feed is not a JSON object.");
    EXPECT_EQ(refusal(R"({"version": 1.0, )" + page + "}"), "The update feed names no valid version.");
    EXPECT_EQ(refusal(R"({"version": "1.0 beta", )" + page + "}"), "The update feed names no valid version.");
    EXPECT_EQ(refusal(R"({)" + page + "}"), "The update feed names no valid version.");
    EXPECT_EQ(refusal(R"({"version": "1.0", "releaseNotes": ["x"], )" + page + "}"),
              "The release notes in the update feed are not text.");
    for (const char* address :
         {"http://brevanor.example/", "file:///etc/passwd", "javascript:alert(1)", "https://", "https:///path",
          "https://brevanor.example/a b", "https://trusted.example@evil.example/", "https://a.example\\\\@b.example",
          "https://bré.example/"}) {
        EXPECT_EQ(refusal(R"({"version": "1.0", "downloadPage": ")" + std::string(address) + R"("})"),
                  "The update feed names no https download page.")
            << address;
    }
    const std::string longPage = "https://a.example/" + std::string(UpdateFeed::mostAddressBytes, 'x');
    EXPECT_EQ(refusal(R"({"version": "1.0", "downloadPage": ")" + longPage + R"("})"),
              "The update feed names no https download page.");

    std::string huge = R"({"version": "1.0", )" + page + R"(, "padding": ")";
    huge += std::string(UpdateFeed::mostBytes, ' ') + R"("})";
    EXPECT_EQ(refusal(huge), "The update feed is larger than 64 KB.");
}

TEST(UpdateFeed, CutsLongNotesAtACharacterBoundaryAndStaysTheSameWhenReadAgain) {
    std::string notes;
    while (notes.size() < 2 * UpdateFeed::mostNoteBytes) notes += "ü";  // two bytes each
    notes = "x" + notes;                                                // so the cut falls inside one
    const UpdateFeed feed =
        UpdateFeed::parse(R"({"version": "2", "downloadPage": "https://a.example", "releaseNotes": ")" + notes + "\"}");
    EXPECT_LE(feed.releaseNotes.size(), UpdateFeed::mostNoteBytes);
    EXPECT_GT(feed.releaseNotes.size(), UpdateFeed::mostNoteBytes - 6);
    EXPECT_TRUE(feed.releaseNotes.ends_with("ü…")) << "no character is cut in half";

    const UpdateFeed again = UpdateFeed::parse(
        R"({"version": "2", "downloadPage": "https://a.example", "releaseNotes": ")" + feed.releaseNotes + "\"}");
    EXPECT_EQ(again, feed);
}

}  // namespace
}  // namespace brevanor
