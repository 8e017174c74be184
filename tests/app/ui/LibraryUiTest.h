#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <memory>
#include <string>

#include "app/ui/LibraryWindow.h"
#include "tests/app/CoordinatorTest.h"

namespace brevanor::testing {

// The library window on the fake backend, with dates in American English and
// UTC, and ways to find its controls by what they read.
class LibraryUiTest : public CoordinatorTest {
protected:
    ~LibraryUiTest() override { window.reset(); }

    DateText dates() const { return DateText("en_US", "UTC"); }

    LibraryWindow& makeWindow() {
        if (!coordinator) make();
        window = std::make_unique<LibraryWindow>(*coordinator, *settings, services(), preferences, dates());
        return *window;
    }

    // `count` key events spread evenly over `durationNanos`, made on this machine.
    Recording timed(std::string name, std::uint64_t durationNanos, int count) const {
        Recording recording = typingRecording(std::move(name));
        recording.events.clear();
        for (int i = 0; i < count; ++i) {
            const auto at = static_cast<std::uint64_t>(static_cast<double>(durationNanos) * i / (count - 1));
            const KeyEvent key{at, 0, 0, false};
            recording.events.push_back(i % 2 == 0 ? RecordingEvent::keyDown(key) : RecordingEvent::keyUp(key));
        }
        return recording;
    }

    // The recording as the library holds it now.
    std::optional<Recording> inLibrary(const Uuid& id) const {
        for (const auto& recording : coordinator->recordings()) {
            if (recording->id == id) return *recording;
        }
        return std::nullopt;
    }

    // The button that reads `text` (or names it for accessibility), a shown one before hidden ones.
    static QAbstractButton* button(const QWidget& root, const QString& text) {
        QAbstractButton* hidden = nullptr;
        for (QAbstractButton* button : root.findChildren<QAbstractButton*>()) {
            if (button->text() != text && button->accessibleName() != text && button->toolTip() != text) continue;
            if (button->isVisibleTo(&root)) return button;
            if (!hidden) hidden = button;
        }
        return hidden;
    }

    // Texts of the labels that would be on screen if `root` were shown.
    static QStringList visibleTexts(const QWidget& root) {
        QStringList texts;
        for (const QLabel* label : root.findChildren<QLabel*>()) {
            if (label->isVisibleTo(&root) && !label->text().isEmpty()) texts.push_back(label->text());
        }
        return texts;
    }

    std::unique_ptr<LibraryWindow> window;
};

}  // namespace brevanor::testing
