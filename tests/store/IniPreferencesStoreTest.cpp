#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "core/store/IniPreferencesStore.h"
#include "core/store/PreferencesFileError.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/store/TemporaryDirectory.h"
#include "tests/support/ScopedEnvironment.h"

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
    std::string contents() const { return readFile(file_); }

    TemporaryDirectory folder_;
    std::filesystem::path file_ = folder_.path() / "Brevanor" / "Brevanor.conf";
    IniPreferencesStore store_{file_};
};

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

    IniPreferencesStore(file_).setInteger("countdownSeconds", 7);  // as another process would
    EXPECT_EQ(store_.getInteger("countdownSeconds"), 7) << "the file is read again once another process changed it";
}

TEST_F(IniPreferencesStoreTest, WritesAFileOfItsOwnWhenThereIsNoneInAFolderForTheUserAlone) {
    store_.setInteger("com.brevanor.recordingCounter", 1);
    EXPECT_EQ(contents(), "[General]\ncom.brevanor.recordingCounter=1\n");
    struct stat folder {};
    ASSERT_EQ(::stat(file_.parent_path().c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
}

// Whatever stands where the file should be and cannot be read as one is named,
// reads as empty, never blocks, and is never written over: the preferences it
// may hold would be lost.
TEST_F(IniPreferencesStoreTest, AFileThatCannotBeReadIsNamedAndNeverWrittenOver) {
    const std::string tooLarge =
        std::string(kWrittenByTheApplication) + std::string(IniPreferencesStore::maxFileBytes, ';');
    const std::string binary = std::string(kWrittenByTheApplication) + std::string(1, '\0');
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* problem;
    };
    const std::vector<Case> cases{
        {"a directory", [&] { std::filesystem::create_directories(file_); }, "is not a regular file"},
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0); }, "is not a regular file"},
        {"a link to a device", [&] { std::filesystem::create_symlink("/dev/zero", file_); }, "is not a regular file"},
        {"a huge file", [&] { write(tooLarge); }, "is larger than 1 MiB"},
        {"a binary file", [&] { write(binary); }, "is not a text file"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        std::filesystem::remove_all(file_);
        std::filesystem::create_directories(file_.parent_path());
        each.make();
        const auto before = std::filesystem::symlink_status(file_).type();
        const std::string bytesBefore = before == std::filesystem::file_type::regular ? contents() : "";
        IniPreferencesStore store(file_);
        ASSERT_TRUE(store.problem().has_value());
        EXPECT_NE(store.problem()->find(each.problem), std::string::npos) << *store.problem();
        EXPECT_FALSE(store.getInteger("countdownSeconds").has_value());
        EXPECT_THROW(store.setInteger("com.brevanor.recordingCounter", 1), PreferencesFileError);
        EXPECT_EQ(std::filesystem::symlink_status(file_).type(), before);
        if (before == std::filesystem::file_type::regular) {
            EXPECT_EQ(contents(), bytesBefore);
        }
    }
    if (::geteuid() != 0) {  // the superuser reads any file
        std::filesystem::remove_all(file_);
        write(kWrittenByTheApplication);
        std::filesystem::permissions(file_, std::filesystem::perms::owner_write);
        IniPreferencesStore store(file_);
        EXPECT_TRUE(store.problem().has_value());
        EXPECT_THROW(store.setInteger("com.brevanor.recordingCounter", 1), PreferencesFileError);
        std::filesystem::permissions(file_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        EXPECT_EQ(contents(), kWrittenByTheApplication);
    }
}

// A dotfile manager keeps the file elsewhere and links it here (maybe through
// a second, relative link): changes go to the real file, the links stay.
TEST_F(IniPreferencesStoreTest, ALinkedFileIsChangedWhereItLives) {
    const auto dotfiles = folder_.path() / "dotfiles";
    std::filesystem::create_directories(dotfiles);
    std::ofstream(dotfiles / "Brevanor.conf") << kWrittenByTheApplication;
    std::filesystem::create_symlink("Brevanor.conf", dotfiles / "current.conf");
    std::filesystem::create_directories(file_.parent_path());
    std::filesystem::create_symlink(dotfiles / "current.conf", file_);

    store_.setInteger("countdownSeconds", 7);
    EXPECT_TRUE(std::filesystem::is_symlink(file_));
    EXPECT_TRUE(std::filesystem::is_symlink(dotfiles / "current.conf"));
    EXPECT_EQ(IniPreferencesStore(dotfiles / "Brevanor.conf").getInteger("countdownSeconds"), 7);
    EXPECT_EQ(IniPreferencesStore(dotfiles / "Brevanor.conf").getInteger("com.brevanor.recordingCounter"), 41);
}

// The reader refuses a file over the limit and would start from the defaults:
// a change that would grow the file past it is refused and the file kept.
TEST_F(IniPreferencesStoreTest, NeverWritesAFileTheReaderWouldRefuse) {
    const std::string full = std::string(kWrittenByTheApplication) +
                             std::string(IniPreferencesStore::maxFileBytes - kWrittenByTheApplication.size() - 1, ';') +
                             "\n";
    write(full);
    ASSERT_FALSE(store_.problem().has_value()) << "exactly at the limit reads";
    try {
        store_.setString("note", "one byte too many");
        ADD_FAILURE() << "the file grew past the limit";
    } catch (const PreferencesFileError& error) {
        EXPECT_NE(std::string(error.what()).find("larger than 1 MiB"), std::string::npos) << error.what();
    }
    EXPECT_EQ(contents(), full);
    store_.setInteger("countdownSeconds", 6);  // the same length: still fits
    EXPECT_EQ(store_.getInteger("countdownSeconds"), 6);
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

TEST(IniPreferencesStoreLocation, FollowsXdgConfigHome) {
    const testing::ScopedEnvironment home("HOME", "/home/someone");
    const testing::ScopedEnvironment configHome("XDG_CONFIG_HOME", "/somewhere/config");
    EXPECT_EQ(IniPreferencesStore::defaultFile(), "/somewhere/config/Brevanor/Brevanor.conf");
    configHome.set("relative/config");
    EXPECT_EQ(IniPreferencesStore::defaultFile(), "/home/someone/.config/Brevanor/Brevanor.conf");
    configHome.set(nullptr);
    EXPECT_EQ(IniPreferencesStore::defaultFile(), "/home/someone/.config/Brevanor/Brevanor.conf");
}

}  // namespace
}  // namespace brevanor
