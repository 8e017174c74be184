#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include "app/ui/PlaybackSettingsControls.h"
#include "tests/app/ui/WidgetLookup.h"

namespace brevanor::testing {
namespace {

class PlaybackSettingsControlsTest : public ::testing::Test {
protected:
    template <typename T>
    T& child(const char* name) {
        return namedChild<T>(controls, name);
    }
    // Whether a shown label reads `text`.
    bool shows(const QString& text) const { return visibleTexts(controls).contains(text); }
    QAbstractButton& button(const QString& text) { return *findButton(controls, text); }

    // Replaces the field's text as a user would: select all, type.
    void type(QLineEdit& field, const QString& text) {
        field.selectAll();
        QTest::keyClicks(&field, text);
    }

    PlaybackSettingsControls controls;
    QSignalSpy changes{&controls, &PlaybackSettingsControls::settingsChanged};
};

TEST_F(PlaybackSettingsControlsTest, TypedValuesOutsideTheirRangeTakeTheNearestBoundAtOnce) {
    auto& count = child<QLineEdit>("repeatCount");
    type(count, QStringLiteral("0"));
    EXPECT_EQ(controls.settings().repeatCount, 1);
    EXPECT_EQ(count.text(), QStringLiteral("1"));
    type(count, QStringLiteral("12000"));
    EXPECT_EQ(controls.settings().repeatCount, 9999);
    EXPECT_EQ(count.text(), QLocale().toString(9999));
    type(count, QStringLiteral("99999999999999999999999"));
    EXPECT_EQ(controls.settings().repeatCount, 9999) << "a huge number is a large one, not an overflow";

    auto& pause = child<QLineEdit>("pauseBetweenRepeats");
    type(pause, QStringLiteral("5000"));
    EXPECT_EQ(controls.settings().delayBetweenRepeatsSec, 3600.0);
    EXPECT_EQ(pause.text(), QLocale().toString(3600));
    type(pause, QStringLiteral("-2"));
    EXPECT_EQ(controls.settings().delayBetweenRepeatsSec, 0.0);
    type(pause, QStringLiteral("2.5"));
    EXPECT_EQ(controls.settings().delayBetweenRepeatsSec, 2.5);
    EXPECT_EQ(pause.text(), QStringLiteral("2.5")) << "a value in range keeps the text as typed";
}

TEST_F(PlaybackSettingsControlsTest, EachControlChangesItsOwnFieldAndKeepsTheOthers) {
    RecordingSettings settings;
    settings.notes = "kept";
    settings.playHotkey = HotkeyChord::defaultPlayLast;
    settings.containsSensitiveInput = true;
    controls.setSettings(settings);
    EXPECT_EQ(changes.count(), 0) << "showing a value is no change";

    child<QSlider>("speed").setValue(3);
    EXPECT_EQ(controls.settings().speed, 1.5);
    EXPECT_TRUE(shows(QStringLiteral("1.5×")));

    child<QSlider>("extraClickDelay").setValue(3);
    EXPECT_EQ(controls.settings().extraDelayBeforeClickMs, 150);
    EXPECT_TRUE(shows(QStringLiteral("150 ms")));

    button(QStringLiteral("Relative to where the cursor is when playback starts")).click();
    EXPECT_EQ(controls.settings().cursorMode, CursorMode::relativeToCursor);

    button(QStringLiteral("More")).click();
    EXPECT_EQ(controls.settings().repeatCount, 2);
    EXPECT_EQ(child<QLineEdit>("repeatCount").text(), QStringLiteral("2"));

    button(QStringLiteral("Until stopped")).click();
    EXPECT_TRUE(controls.settings().repeatInfinite);
    EXPECT_FALSE(child<QLineEdit>("repeatCount").isEnabled()) << "the count means nothing while repeating endlessly";

    EXPECT_EQ(changes.count(), 5);
    EXPECT_EQ(controls.settings().notes, "kept");
    EXPECT_EQ(controls.settings().playHotkey, HotkeyChord::defaultPlayLast);
    EXPECT_TRUE(controls.settings().containsSensitiveInput);
}

TEST_F(PlaybackSettingsControlsTest, StoredValuesAreShownAsTheyAreAndNeverChangedButByTheUser) {
    RecordingSettings settings;
    settings.speed = 20;
    settings.repeatCount = 9999;
    settings.extraDelayBeforeClickMs = 125;
    controls.setSettings(settings);
    EXPECT_TRUE(shows(QStringLiteral("20.0×")));
    EXPECT_TRUE(shows(QStringLiteral("125 ms")));
    EXPECT_EQ(controls.settings(), settings) << "showing never corrects a stored value";

    // A field left empty shows the value again and changes nothing.
    auto& count = child<QLineEdit>("repeatCount");
    type(count, QString());
    QTest::keyClick(&count, Qt::Key_Backspace);
    emit count.editingFinished();
    EXPECT_EQ(count.text(), QLocale().toString(9999));
    EXPECT_EQ(controls.settings().repeatCount, 9999);
    EXPECT_EQ(changes.count(), 0);

    EXPECT_FALSE(button(QStringLiteral("More")).isEnabled());
    button(QStringLiteral("Fewer")).click();
    EXPECT_EQ(controls.settings().repeatCount, 9998);
}

}  // namespace
}  // namespace brevanor::testing
