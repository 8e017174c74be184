#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/platform/DisplayService.h"
#include "base/platform/InputSource.h"
#include "base/platform/KeyboardLayout.h"
#include "base/platform/WindowAccess.h"
#include "base/platform/WorkspaceService.h"
#include "core/model/EnvironmentSnapshot.h"

namespace brevanor {

// Takes the snapshot of the machine a recording remembers: displays, the
// application in front with its window, the keyboard input source. Whatever
// cannot be read is left absent; nothing fails. Any service may be null, which
// leaves its part absent. Called on the main thread; keeps no state.
class EnvironmentCapture {
public:
    // `input`, the listener that records, tells whether positions are places on the screen.
    EnvironmentCapture(std::shared_ptr<DisplayService> displays, std::shared_ptr<WorkspaceService> workspace,
                       std::shared_ptr<WindowAccess> windows, std::shared_ptr<KeyboardLayout> keyboard,
                       std::shared_ptr<const InputSource> input = nullptr);

    // Displays, front application and input source, read in this order.
    EnvironmentSnapshot capture() const;
    std::vector<DisplayInfo> captureDisplays() const;
    // The front application; its window's title and frame only with window access.
    std::optional<FrontmostAppInfo> captureFrontmostApp() const;
    std::optional<std::string> captureKeyboardInputSourceID() const;

private:
    std::shared_ptr<DisplayService> displays_;
    std::shared_ptr<WorkspaceService> workspace_;
    std::shared_ptr<WindowAccess> windows_;
    std::shared_ptr<KeyboardLayout> keyboard_;
    std::shared_ptr<const InputSource> input_;
};

}  // namespace brevanor
