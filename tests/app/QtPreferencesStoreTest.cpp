#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <limits>

#include "app/control/QtPreferencesStore.h"

namespace brevanor {
namespace {

class QtPreferencesStoreTest : public ::testing::Test {
protected:
    std::unique_ptr<QtPreferencesStore> open() const {
        return std::make_unique<QtPreferencesStore>(
            std::make_unique<QSettings>(folder.filePath(QStringLiteral("prefs.conf")), QSettings::IniFormat));
    }

    QTemporaryDir folder;
};

TEST_F(QtPreferencesStoreTest, EveryTypeComesBackFromTheFileAsItWasStored) {
    const std::vector<std::uint8_t> data{0, 1, 0xff, '"', '\n', 0xc3};
    {
        auto store = open();
        store->setInteger("big", std::numeric_limits<std::int64_t>::max());
        store->setInteger("negative", -42);
        store->setBoolean("flag", false);
        store->setDouble("tenth", 0.1);
        store->setString("text", "a, \"quoted\" @text; ünïcode = yes");
        store->setData("blob", data);
    }
    const auto reopened = open();
    EXPECT_EQ(reopened->getInteger("big"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(reopened->getInteger("negative"), -42);
    EXPECT_EQ(reopened->getBoolean("flag"), false);
    EXPECT_EQ(reopened->getDouble("tenth"), 0.1);
    EXPECT_EQ(reopened->getString("text"), "a, \"quoted\" @text; ünïcode = yes");
    EXPECT_EQ(reopened->getData("blob"), data);
}

TEST_F(QtPreferencesStoreTest, AValueOfAnotherTypeReadsAsMissing) {
    {
        auto store = open();
        store->setString("text", "12abc");
        store->setString("yes", "yes");
        store->setDouble("half", 2.5);
        store->setData("blob", {'1'});
    }
    const auto reopened = open();
    EXPECT_EQ(reopened->getInteger("text"), std::nullopt);
    EXPECT_EQ(reopened->getDouble("text"), std::nullopt);
    EXPECT_EQ(reopened->getBoolean("yes"), std::nullopt);
    EXPECT_EQ(reopened->getInteger("half"), std::nullopt);
    EXPECT_EQ(reopened->getDouble("half"), 2.5);
    EXPECT_EQ(reopened->getString("blob"), std::nullopt);
    EXPECT_EQ(reopened->getInteger("blob"), std::nullopt);
    EXPECT_EQ(reopened->getData("text"), std::nullopt);
    EXPECT_EQ(reopened->getInteger("missing"), std::nullopt);
}

TEST_F(QtPreferencesStoreTest, SettingReplacesAnyTypeAndRemovingForgets) {
    auto store = open();
    store->setString("key", "text");
    store->setInteger("key", 41);
    store->setInteger("key", 42);
    EXPECT_EQ(open()->getInteger("key"), 42);
    store->remove("key");
    store->remove("never there");
    EXPECT_EQ(open()->getInteger("key"), std::nullopt);
}

}  // namespace
}  // namespace brevanor
