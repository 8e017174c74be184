#pragma once

#include <memory>
#include <string>

#include "app/ui/LibraryWindow.h"
#include "app/ui/RecordingDetailView.h"
#include "tests/app/CoordinatorTest.h"
#include "tests/app/ui/WidgetLookup.h"

namespace brevanor::testing {

// The library window on the fake backend, with dates in American English and
// UTC.
class LibraryUiTest : public CoordinatorTest {
protected:
    DateText dates() const { return DateText("en_US", "UTC"); }

    LibraryWindow& makeWindow() {
        if (!coordinator) make();
        window = std::make_unique<LibraryWindow>(*coordinator, *settings, services(), preferences, dates());
        return *window;
    }

    // The library with `recording` in it, its editor shown.
    RecordingDetailView& edit(const Recording& recording) {
        if (!coordinator) make();
        stored(recording);
        makeWindow();
        window->sidebar().select(recording.id);
        EXPECT_NE(window->editor(), nullptr);
        return *window->editor();
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

    std::unique_ptr<LibraryWindow> window;
};

}  // namespace brevanor::testing
