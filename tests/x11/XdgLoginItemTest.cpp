#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "platform/x11/DesktopEntry.h"
#include "platform/x11/XdgLoginItem.h"
#include "tests/store/TemporaryDirectory.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/Thrown.h"

namespace brevanor {
namespace {

class XdgLoginItemTest : public ::testing::Test {
protected:
    TemporaryDirectory folder_;
    const std::filesystem::path root_ = folder_.path();
    const std::filesystem::path entry_ = root_ / "config/autostart/com.brevanor.Brevanor.desktop";
};

TEST_F(XdgLoginItemTest, RegistersAndUnregistersTheAutostartEntry) {
    const std::filesystem::path program = "/opt/My \"Brevanor\" $HOME/100%/brevanor";
    XdgLoginItem item(entry_, program);
    EXPECT_FALSE(item.isRegistered());

    item.registerItem();
    EXPECT_TRUE(item.isRegistered());
    const auto entry = DesktopEntry::read(entry_);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->value("Type"), "Application");
    // The program survives the desktop-entry quoting, whatever its name holds.
    EXPECT_EQ(entry->commandLine(), std::vector<std::string>{program.string()});
    // Registering again is harmless and leaves no temporary file behind.
    item.registerItem();
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(entry_.parent_path()), std::filesystem::directory_iterator()),
        1);
    // An entry switched off by the desktop is not registered, until registered again.
    std::ofstream(entry_, std::ios::app) << "Hidden=true\n";
    EXPECT_FALSE(item.isRegistered());
    item.registerItem();
    EXPECT_TRUE(item.isRegistered());
    std::ofstream(entry_) << "[Desktop Entry]\nType=Application\nExec=x\nX-GNOME-Autostart-enabled=false\n";
    EXPECT_FALSE(item.isRegistered());

    item.unregisterItem();
    EXPECT_FALSE(item.isRegistered());
    EXPECT_FALSE(std::filesystem::exists(entry_));
    EXPECT_NO_THROW(item.unregisterItem());
}

TEST_F(XdgLoginItemTest, FailuresAreReadableErrors) {
    // The autostart folder cannot be created where a file stands.
    std::filesystem::create_directories(root_ / "config");
    std::ofstream(root_ / "config/autostart") << "not a folder";
    XdgLoginItem item(entry_, "/usr/bin/brevanor");
    const auto error = testing::thrown<std::runtime_error>([&] { item.registerItem(); });
    ASSERT_TRUE(error) << "registering into a file succeeded";
    EXPECT_NE(std::string(error->what()).find("autostart"), std::string::npos) << error->what();
    EXPECT_FALSE(item.isRegistered());

    if (geteuid() == 0) return;  // root may remove entries from read-only folders
    std::filesystem::remove(root_ / "config/autostart");
    item.registerItem();
    std::filesystem::permissions(entry_.parent_path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THROW(item.unregisterItem(), std::runtime_error);
    EXPECT_TRUE(item.isRegistered());
    std::filesystem::permissions(entry_.parent_path(), std::filesystem::perms::owner_all);
}

TEST_F(XdgLoginItemTest, DefaultEntryFollowsXdgConfigHome) {
    const testing::ScopedEnvironment configHome("XDG_CONFIG_HOME", (root_ / "xdg").string());
    EXPECT_EQ(XdgLoginItem::defaultEntryFile(), root_ / "xdg/autostart/com.brevanor.Brevanor.desktop");
    configHome.set("relative/ignored");
    EXPECT_EQ(XdgLoginItem::defaultEntryFile().filename(), "com.brevanor.Brevanor.desktop");
    EXPECT_EQ(XdgLoginItem::defaultEntryFile().parent_path().parent_path().filename(), ".config");
    EXPECT_TRUE(XdgLoginItem::runningProgram().is_absolute());
}

}  // namespace
}  // namespace brevanor
