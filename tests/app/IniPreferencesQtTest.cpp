// The preferences file as earlier versions of the application wrote and read
// it with QSettings: what one side writes, the other must read back unchanged,
// and neither loses the other's changes.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QLockFile>
#include <QSettings>
#include <thread>

#include "core/store/FileDescriptor.h"
#include "core/store/IniPreferencesStore.h"
#include "core/store/SettingsLockFile.h"
#include "core/store/UserSettings.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {
namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

class IniPreferencesQt : public ::testing::Test {
protected:
    TemporaryDirectory folder;
    const std::filesystem::path file = folder.path() / "Brevanor.conf";
};

TEST_F(IniPreferencesQt, EachSideReadsWhatTheOtherWroteAndKeepsItsKeys) {
    const QString odd = QString::fromUtf8(" @lead, \"quoted\"; \\ tab\t – end ");
    {
        QSettings settings(qt(file.string()), QSettings::IniFormat);
        settings.setValue("countdownSeconds", QVariant::fromValue<qlonglong>(0));
        settings.setValue("defaults.speed", 2.5);
        settings.setValue("defaults.repeatInfinite", true);
        settings.setValue("defaults.cursorMode", "relativeToScreen");
        settings.setValue("hotkey.stop", QByteArray(R"({"keyCode":7,"modifiers":1835008})"));
        settings.setValue("odd", odd);
        settings.setValue("Brevanor.Library/geometry", QByteArray("\x01\xd9\x00z", 4));
        settings.sync();
    }
    IniPreferencesStore store(file);
    EXPECT_EQ(store.getInteger("countdownSeconds"), 0);
    EXPECT_EQ(store.getDouble("defaults.speed"), 2.5);
    EXPECT_EQ(store.getBoolean("defaults.repeatInfinite"), true);
    EXPECT_EQ(store.getString("defaults.cursorMode"), "relativeToScreen");
    EXPECT_EQ(store.getString("odd"), odd.toStdString());
    EXPECT_EQ(UserSettings::read(store).stopHotkey, (HotkeyChord{7, 1835008}));

    store.setInteger("com.brevanor.recordingCounter", 7);
    store.setString("text", odd.toStdString());
    const std::string bytes("\x00\x7f\x80\xff{\"a\":1}", 11);
    store.setData("data", std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    QSettings settings(qt(file.string()), QSettings::IniFormat);
    EXPECT_EQ(settings.value("com.brevanor.recordingCounter").toLongLong(), 7);
    EXPECT_EQ(settings.value("text").toString(), odd);
    EXPECT_EQ(settings.value("data").toByteArray(), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    EXPECT_EQ(settings.value("defaults.repeatInfinite").toBool(), true);
    EXPECT_EQ(settings.value("Brevanor.Library/geometry").toByteArray(), QByteArray("\x01\xd9\x00z", 4));
}

TEST_F(IniPreferencesQt, EachSideWaitsWhileTheOtherHoldsTheLock) {
    QLockFile qtLock(qt(file.string() + ".lock"));
    {
        const SettingsLockFile ours(file);
        EXPECT_FALSE(qtLock.tryLock(0));
        // Qt takes our lock for a live one, not for a stale one to remove.
        EXPECT_FALSE(qtLock.removeStaleLockFile());
    }
    ASSERT_TRUE(qtLock.tryLock(0));
    IniPreferencesStore store(file);
    // Each look of the writer at whose lock is in its way opens the lock file: a second look means it waits.
    const FileDescriptor looks(::inotify_init1(IN_CLOEXEC));
    ASSERT_GE(::inotify_add_watch(looks.get(), (file.string() + ".lock").c_str(), IN_OPEN), 0);
    std::thread writer([&] { store.setInteger("countdownSeconds", 5); });
    for (int look = 0; look < 2; ++look) {
        pollfd opened{looks.get(), POLLIN, 0};
        inotify_event event{};
        EXPECT_TRUE(::poll(&opened, 1, 10'000) == 1 &&
                    ::read(looks.get(), &event, sizeof event) == static_cast<ssize_t>(sizeof event))
            << "the writer did not look at the lock";
    }
    EXPECT_FALSE(store.getInteger("countdownSeconds").has_value()) << "written while Qt held the lock";
    qtLock.unlock();
    writer.join();
    EXPECT_EQ(store.getInteger("countdownSeconds"), 5);
}

TEST_F(IniPreferencesQt, ChangesMadeAtTheSameMomentOnBothSidesAllSurvive) {
    constexpr int kChanges = 40;
    std::thread application([&] {
        QSettings settings(qt(file.string()), QSettings::IniFormat);
        for (int i = 0; i < kChanges; ++i) {
            settings.setValue(QString("app.%1").arg(i), i);
            settings.sync();
        }
    });
    IniPreferencesStore store(file);
    for (int i = 0; i < kChanges; ++i) store.setInteger("cli." + std::to_string(i), i);
    application.join();

    const QSettings settings(qt(file.string()), QSettings::IniFormat);
    for (int i = 0; i < kChanges; ++i) {
        EXPECT_EQ(settings.value(QString("app.%1").arg(i)).toInt(), i) << "app." << i;
        EXPECT_EQ(store.getInteger("cli." + std::to_string(i)), i) << "cli." << i;
    }
}

}  // namespace
}  // namespace brevanor
