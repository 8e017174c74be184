#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/IniPreferencesStore.h"
#include "core/store/RecordingStore.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {
namespace {

// A preferences file as the application's QSettings writes it.
constexpr std::string_view kWrittenByTheApplication =
    "[General]\n"
    "com.brevanor.recordingCounter=41\n"
    "countdownSeconds=5\n"
    "defaults.cursorMode=relativeToCursor\n"
    "defaults.delaySeconds=0.5\n"
    "defaults.repeatInfinite=true\n"
    "hotkey.record=\"@ByteArray({\\\"keyCode\\\":12,\\\"modifiers\\\":1310720})\"\n"
    "note=\"a, b; c\"\n"
    "list=one, two\n"
    "\n"
    "[Brevanor.Library]\n"
    "geometry=@ByteArray(\\x1\\xd9\\xd0\\xcb)\n";

class IniPreferencesStoreTest : public ::testing::Test {
protected:
    void write(std::string_view text) {
        std::filesystem::create_directories(file_.parent_path());
        std::ofstream(file_, std::ios::binary) << text;
    }
    std::string contents() const {
        std::ifstream in(file_, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    TemporaryDirectory folder_;
    std::filesystem::path file_ = folder_.path() / "Brevanor" / "Brevanor.conf";
    IniPreferencesStore store_{file_};
};

TEST_F(IniPreferencesStoreTest, ReadsEachTypeAsTheApplicationWroteIt) {
    write(kWrittenByTheApplication);
    EXPECT_EQ(store_.getInteger("countdownSeconds"), 5);
    EXPECT_EQ(store_.getInteger("com.brevanor.recordingCounter"), 41);
    EXPECT_EQ(store_.getDouble("defaults.delaySeconds"), 0.5);
    EXPECT_EQ(store_.getBoolean("defaults.repeatInfinite"), true);
    EXPECT_EQ(store_.getString("defaults.cursorMode"), "relativeToCursor");
    EXPECT_EQ(store_.getString("note"), "a, b; c");
    const std::string chord = R"({"keyCode":12,"modifiers":1310720})";
    EXPECT_EQ(store_.getData("hotkey.record"), std::vector<std::uint8_t>(chord.begin(), chord.end()));
}

TEST_F(IniPreferencesStoreTest, AnswersNothingForMissingKeysOtherTypesAndOtherGroups) {
    EXPECT_FALSE(store_.getInteger("countdownSeconds").has_value()) << "no file yet";
    write(kWrittenByTheApplication);
    EXPECT_FALSE(store_.getInteger("showOverlay").has_value());
    EXPECT_FALSE(store_.getBoolean("countdownSeconds").has_value());
    EXPECT_FALSE(store_.getInteger("defaults.delaySeconds").has_value());
    EXPECT_FALSE(store_.getData("countdownSeconds").has_value());
    EXPECT_FALSE(store_.getString("hotkey.record").has_value()) << "data is no text";
    EXPECT_FALSE(store_.getString("list").has_value()) << "a list is none of the types";
    EXPECT_FALSE(store_.getData("geometry").has_value()) << "only the [General] group holds our keys";
}

TEST_F(IniPreferencesStoreTest, ChangesOneLineAndKeepsEveryOtherByteForByte) {
    write(kWrittenByTheApplication);
    store_.setInteger("com.brevanor.recordingCounter", 42);
    std::string expected(kWrittenByTheApplication);
    expected.replace(expected.find("=41"), 3, "=42");
    EXPECT_EQ(contents(), expected);

    store_.setBoolean("showOverlay", false);
    EXPECT_EQ(store_.getBoolean("showOverlay"), false);
    EXPECT_EQ(contents().find("[Brevanor.Library]\ngeometry=@ByteArray(\\x1\\xd9\\xd0\\xcb)\n") != std::string::npos,
              true);
    EXPECT_LT(contents().find("showOverlay=false"), contents().find("[Brevanor.Library]"));

    store_.remove("countdownSeconds");
    EXPECT_FALSE(store_.getInteger("countdownSeconds").has_value());
    EXPECT_EQ(store_.getDouble("defaults.delaySeconds"), 0.5);
}

TEST_F(IniPreferencesStoreTest, WritesAFileOfItsOwnWhenThereIsNone) {
    store_.setInteger("com.brevanor.recordingCounter", 1);
    EXPECT_EQ(contents(), "[General]\ncom.brevanor.recordingCounter=1\n");
}

TEST_F(IniPreferencesStoreTest, TextsAndDataRoundTripThroughTheirEscapes) {
    const std::vector<std::string> texts{
        "plain",         " padded ",  "comma, semicolon; equals=", "quote \" backslash \\", "tab\tnew\nline",
        "@at the start", "Grüße – ⌘", std::string("nul\0x1", 6)};
    for (const std::string& text : texts) {
        store_.setString("text", text);
        EXPECT_EQ(store_.getString("text"), text) << "written as " << IniPreferencesStore::escapeString(text);
    }
    std::vector<std::uint8_t> bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<std::uint8_t>(b));
    store_.setData("data", bytes);
    EXPECT_EQ(store_.getData("data"), bytes);
}

TEST_F(IniPreferencesStoreTest, EscapesAsTheApplicationDoes) {
    EXPECT_EQ(IniPreferencesStore::escapeString("a,b"), "\"a,b\"");
    EXPECT_EQ(IniPreferencesStore::escapeString("@x"), "@@x");
    EXPECT_EQ(IniPreferencesStore::escapeString("tab\t1"), "tab\\t1");
    const std::string json = R"({"keyCode":15})";
    EXPECT_EQ(IniPreferencesStore::escapeData({json.begin(), json.end()}), R"(@ByteArray({\"keyCode\":15}))");
    EXPECT_EQ(IniPreferencesStore::escapeData({0x01, 'a', 0xFF}), R"(@ByteArray(\x1\x61\xff))");
}

TEST_F(IniPreferencesStoreTest, TheStoreCountsAutomaticNamesInTheFile) {
    write(kWrittenByTheApplication);
    auto preferences = std::make_shared<IniPreferencesStore>(file_);
    RecordingStore store(folder_.path() / "Recordings", preferences,
                         RecordingStore::Options{AutoNameDateFormat("en_US", "UTC"), AtomicFileWriter(), 1});
    EXPECT_TRUE(store.nextAutoName(Date{}).starts_with("Recording 42 – "));
    EXPECT_EQ(IniPreferencesStore(file_).getInteger("com.brevanor.recordingCounter"), 42);
}

TEST(IniPreferencesStoreLocation, FollowsXdgConfigHome) {
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    EXPECT_EQ(IniPreferencesStore::defaultFile(), "/somewhere/config/Brevanor/Brevanor.conf");
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(IniPreferencesStore::defaultFile(), "/home/someone/.config/Brevanor/Brevanor.conf");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(IniPreferencesStore::defaultFile(), "/home/someone/.config/Brevanor/Brevanor.conf");
    setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
}  // namespace brevanor
