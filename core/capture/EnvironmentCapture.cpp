#include "core/capture/EnvironmentCapture.h"

namespace brevanor {

EnvironmentCapture::EnvironmentCapture(std::shared_ptr<DisplayService> displays,
                                       std::shared_ptr<WorkspaceService> workspace,
                                       std::shared_ptr<WindowAccess> windows, std::shared_ptr<KeyboardLayout> keyboard,
                                       std::shared_ptr<const InputSource> input)
    : displays_(std::move(displays)),
      workspace_(std::move(workspace)),
      windows_(std::move(windows)),
      keyboard_(std::move(keyboard)),
      input_(std::move(input)) {}

EnvironmentSnapshot EnvironmentCapture::capture() const {
    EnvironmentSnapshot snapshot;
    snapshot.displays = captureDisplays();
    snapshot.frontmostApp = captureFrontmostApp();
    snapshot.keyboardInputSourceID = captureKeyboardInputSourceID();
    snapshot.relativePositions = input_ && !input_->reportsScreenPositions();
    return snapshot;
}

std::vector<DisplayInfo> EnvironmentCapture::captureDisplays() const {
    if (!displays_) return {};
    return displays_->activeDisplays();
}

std::optional<FrontmostAppInfo> EnvironmentCapture::captureFrontmostApp() const {
    if (!workspace_) return std::nullopt;
    const std::optional<RunningApplication> front = workspace_->frontmostApplication();
    if (!front) return std::nullopt;

    FrontmostAppInfo info;
    info.bundleID = front->appId;
    info.name = front->name;
    if (!windows_ || !windows_->isTrusted()) return info;

    std::optional<WindowHandle> window = windows_->focusedWindow(*front);
    if (!window) window = windows_->mainWindow(*front);
    if (!window) return info;

    info.windowTitle = windows_->title(*window);
    if (const auto position = windows_->position(*window)) {
        if (const auto size = windows_->size(*window)) {
            info.windowFrame = FrameRect{position->x, position->y, size->width, size->height};
        }
    }
    return info;
}

std::optional<std::string> EnvironmentCapture::captureKeyboardInputSourceID() const {
    if (!keyboard_) return std::nullopt;
    return keyboard_->currentInputSourceId();
}

}  // namespace brevanor
