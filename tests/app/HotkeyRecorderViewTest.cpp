#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ui/HotkeyRecorderView.h"
#include "tests/app/CoordinatorTest.h"

namespace brevanor::testing {
namespace {

constexpr std::uint16_t kKeyK = 40, kKeyA = 0, kEscape = 53, kF5 = 96, kLeftControl = 59;
constexpr std::uint64_t kCapsLock = 0x10000;

// A window holding a shortcut field beside a text field, on the fake backend.
class HotkeyRecorderViewTest : public CoordinatorTest {
protected:
    HotkeyRecorderView& makeField(bool allowsClear) {
        make();
        window = std::make_unique<QWidget>();
        field = new HotkeyRecorderView(*coordinator, allowsClear, window.get());
        other = new QLineEdit(window.get());
        auto* layout = new QVBoxLayout(window.get());
        layout->addWidget(field);
        layout->addWidget(other);
        field->setChord(HotkeyChord::defaultRecord);
        QObject::connect(field, &HotkeyRecorderView::chordEdited,
                         [this](std::optional<HotkeyChord> chord) { edits.push_back(chord); });
        QObject::connect(field, &HotkeyRecorderView::keyRefused, [this] { ++refused; });
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *field;
    }

    QPushButton& button() const { return *field->findChild<QPushButton*>(); }
    bool clearShown() const { return field->findChild<QToolButton*>()->isVisible(); }
    bool cancelHintShown() const { return field->findChild<QLabel*>()->isVisible(); }

    // A key press as the window system delivers it: the fake's native key code and flags.
    static void press(QWidget* target, std::uint16_t keyCode, std::uint64_t flags = 0) {
        QKeyEvent event(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                        keyCode + FakeHotKeyService::nativeKeyCodeOffset, 0, static_cast<std::uint32_t>(flags));
        QApplication::sendEvent(target, &event);
    }
    void pressOnField(std::uint16_t keyCode, std::uint64_t flags = 0) { press(&button(), keyCode, flags); }

    std::unique_ptr<QWidget> window;
    HotkeyRecorderView* field = nullptr;
    QLineEdit* other = nullptr;
    std::vector<std::optional<HotkeyChord>> edits;
    int refused = 0;
};

TEST_F(HotkeyRecorderViewTest, CapturingSuspendsTheShortcutsUntilEscAloneCancelsOrTheFieldGoes) {
    makeField(false);
    EXPECT_EQ(button().text().toStdString(), "Ctrl+Alt+Super+R");
    ASSERT_EQ(hotKeys->registered().size(), 3u);

    button().click();
    EXPECT_TRUE(field->isCapturing());
    EXPECT_EQ(button().text().toStdString(), "Press a shortcut…");
    EXPECT_TRUE(cancelHintShown());
    EXPECT_TRUE(coordinator->isCapturingHotkey());
    EXPECT_TRUE(hotKeys->registered().empty()) << "the global shortcuts are suspended, the stop shortcut too";

    pressOnField(kEscape);
    EXPECT_FALSE(field->isCapturing());
    EXPECT_EQ(button().text().toStdString(), "Ctrl+Alt+Super+R");
    EXPECT_FALSE(cancelHintShown());
    EXPECT_EQ(field->chord(), HotkeyChord::defaultRecord);
    EXPECT_TRUE(edits.empty());
    EXPECT_FALSE(coordinator->isCapturingHotkey());
    EXPECT_EQ(hotKeys->registered().size(), 3u) << "the global shortcuts are back";

    // Capturing also ends when the field loses the focus, is hidden or is destroyed.
    button().click();
    other->setFocus();
    EXPECT_FALSE(field->isCapturing());
    EXPECT_FALSE(coordinator->isCapturingHotkey());
    button().click();
    window->hide();
    EXPECT_FALSE(field->isCapturing());
    EXPECT_FALSE(coordinator->isCapturingHotkey());
    window->show();
    button().click();
    ASSERT_TRUE(coordinator->isCapturingHotkey());
    window.reset();
    EXPECT_FALSE(coordinator->isCapturingHotkey());
    EXPECT_EQ(hotKeys->registered().size(), 3u);
}

TEST_F(HotkeyRecorderViewTest, OnlyChordsThatCanStandAloneAreTakenWithoutCapsLockAndNoKeyGoesElsewhereMeanwhile) {
    makeField(false);
    button().click();
    press(other, kKeyA);  // typed into another control: the field takes it
    EXPECT_TRUE(other->text().isEmpty());
    pressOnField(kLeftControl, HotkeyChord::controlFlag);  // a modifier on its way to a chord
    EXPECT_EQ(refused, 1) << "the plain letter beeps, the modifier alone does not";
    EXPECT_TRUE(field->isCapturing());
    EXPECT_TRUE(edits.empty());
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_R, Qt::ControlModifier);
    override.ignore();
    QApplication::sendEvent(other, &override);
    EXPECT_TRUE(override.isAccepted()) << "an accepted override keeps the window's shortcuts from firing";

    pressOnField(kF5);
    EXPECT_FALSE(field->isCapturing());
    EXPECT_EQ(edits, (std::vector<std::optional<HotkeyChord>>{HotkeyChord{kF5, 0}})) << "function keys stand alone";

    button().click();
    pressOnField(kEscape, HotkeyChord::commandFlag);
    button().click();
    pressOnField(kKeyK, HotkeyChord::controlFlag | HotkeyChord::optionFlag | kCapsLock);
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(edits[1], (HotkeyChord{kEscape, HotkeyChord::commandFlag})) << "only Esc alone cancels";
    EXPECT_EQ(edits[2], (HotkeyChord{kKeyK, HotkeyChord::controlFlag | HotkeyChord::optionFlag}));
    EXPECT_EQ(field->chord(), edits[2]);
    EXPECT_EQ(button().text().toStdString(), "Ctrl+Alt+K");
    QTest::keyClicks(other, "a");
    EXPECT_EQ(other->text().toStdString(), "a") << "keys flow again once the field stops";
}

TEST_F(HotkeyRecorderViewTest, TheRemoveButtonShowsOnlyWhereItCanRemoveSomething) {
    makeField(false);
    EXPECT_FALSE(clearShown()) << "not offered";
    window.reset();

    makeField(true);
    EXPECT_TRUE(clearShown());
    button().click();
    EXPECT_FALSE(clearShown()) << "not while capturing";
    pressOnField(kEscape);
    field->findChild<QToolButton*>()->click();
    EXPECT_EQ(edits, std::vector<std::optional<HotkeyChord>>{std::nullopt});
    EXPECT_EQ(button().text().toStdString(), "None");
    EXPECT_FALSE(clearShown()) << "nothing left to remove";
}

}  // namespace
}  // namespace brevanor::testing
