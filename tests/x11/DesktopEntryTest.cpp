#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "platform/x11/DesktopEntry.h"
#include "platform/x11/DesktopEntryCatalog.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {
namespace {

using Arguments = std::vector<std::string>;

Arguments commandLineOf(const std::string& exec) {
    const auto entry = DesktopEntry::parse("[Desktop Entry]\nExec=" + exec + "\n");
    return entry ? entry->commandLine() : Arguments{"<no entry>"};
}

TEST(DesktopEntry, ReadsOnlyTheDesktopEntryGroupResolvingEscapes) {
    const auto entry = DesktopEntry::parse(
        "# comment\n[Desktop Entry]\nName = Terminal \nName[de]=Konsole\nHidden=true\nName=Second\n"
        "Comment=a\\sb\\tc\\\\d\\n\\q\n"
        "[Desktop Action new]\nExec=other\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->value("Name"), "Terminal");
    EXPECT_EQ(entry->value("Name[de]"), "Konsole");
    EXPECT_EQ(entry->value("Exec"), std::nullopt);
    EXPECT_TRUE(entry->isTrue("Hidden"));
    EXPECT_FALSE(entry->isTrue("Name"));
    EXPECT_EQ(entry->value("Comment"), "a b\tc\\d\n\\q");  // string escapes resolved
    EXPECT_FALSE(DesktopEntry::parse("[Other]\nName=x\n"));
    EXPECT_FALSE(DesktopEntry::parse(""));
}

TEST(DesktopEntry, SplitsTheCommandLineDropsFieldCodesAndRefusesMalformedOnes) {
    EXPECT_EQ(commandLineOf("gedit %U"), (Arguments{"gedit"}));
    EXPECT_EQ(commandLineOf("app --file=%f -x  %i %c %k"), (Arguments{"app", "--file=", "-x"}));
    EXPECT_EQ(commandLineOf("app 100%%"), (Arguments{"app", "100%"}));
    EXPECT_EQ(commandLineOf("\"/opt/My App/run\" \"\" \"say \\\"hi\\\" \\$HOME\""),
              (Arguments{"/opt/My App/run", "", "say \"hi\" $HOME"}));
    // The string escape comes first: \\\\ in the file is one backslash-escape inside quotes.
    EXPECT_EQ(commandLineOf("\"a\\\\\\\\b\""), (Arguments{"a\\b"}));
    // Malformed or missing command lines are empty.
    EXPECT_TRUE(commandLineOf("\"unterminated").empty());
    EXPECT_TRUE(commandLineOf("").empty());
    EXPECT_TRUE(DesktopEntry::parse("[Desktop Entry]\nName=x\n")->commandLine().empty());
}

class DesktopEntryCatalogTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(root_ / "user");
        std::filesystem::create_directories(root_ / "system/kde");
    }

    void write(const std::string& relative, const std::string& body) {
        std::ofstream(root_ / relative) << "[Desktop Entry]\nType=Application\n" << body;
    }
    DesktopEntryCatalog catalog() { return DesktopEntryCatalog({root_ / "user", root_ / "system"}); }

    TemporaryDirectory folder_;
    const std::filesystem::path root_ = folder_.path();
};

TEST_F(DesktopEntryCatalogTest, EarlierFoldersWinHiddenEntriesHideLaterOnesAndLateOnesAreSeen) {
    write("system/editor.desktop", "Name=System Editor\nExec=editor\n");
    write("user/editor.desktop", "Name=My Editor\nExec=my-editor %F\n");
    write("system/gone.desktop", "Name=Gone\nExec=gone\n");
    write("user/gone.desktop", "Hidden=true\n");
    write("system/kde/konsole.desktop", "Name=Konsole\nExec=konsole\n");
    write("system/link.desktop", "Name=Link\nType=Link\nURL=x\n");
    write("system/noexec.desktop", "Name=Nothing\n");

    auto entries = catalog();
    const auto editor = entries.application("editor");
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->name, "My Editor");
    EXPECT_EQ(editor->commandLine, (Arguments{"my-editor"}));
    EXPECT_FALSE(entries.application("gone"));
    EXPECT_TRUE(entries.application("kde-konsole"));
    EXPECT_FALSE(entries.application("link"));
    EXPECT_FALSE(entries.application("noexec"));
    EXPECT_FALSE(entries.application("missing"));

    // An entry installed after the first look is seen. Folder times have a coarse resolution on some
    // file systems: make the change visible.
    write("system/late.desktop", "Name=Late\nExec=late\n");
    const auto folder = root_ / "system";
    std::filesystem::last_write_time(folder, std::filesystem::last_write_time(folder) + std::chrono::seconds(2));
    EXPECT_TRUE(entries.application("late"));
}

TEST_F(DesktopEntryCatalogTest, MatchesWindowsByClassThenIdThenProgram) {
    write("system/org.example.Viewer.desktop", "Name=Viewer\nExec=/usr/bin/viewer\nStartupWMClass=ViewWin\n");
    write("system/firefox-esr.desktop", "Name=Firefox\nExec=/usr/lib/firefox-esr/firefox-esr %u\n");
    write("system/xterm.desktop", "Name=XTerm\nExec=xterm\n");

    auto entries = catalog();
    EXPECT_EQ(entries.idForWindow("view", "ViewWin", "viewer-bin"), "org.example.Viewer");
    EXPECT_EQ(entries.idForWindow("Navigator", "Firefox-esr", "firefox-esr"), "firefox-esr");
    EXPECT_EQ(entries.idForWindow("xterm", "XTerm", ""), "xterm");
    EXPECT_EQ(entries.idForWindow("main", "Main", "viewer"), "org.example.Viewer");
    EXPECT_EQ(entries.idForWindow("unknown", "Unknown", "unknown"), std::nullopt);
    EXPECT_EQ(entries.idForWindow("", "", ""), std::nullopt);
}

}  // namespace
}  // namespace brevanor
