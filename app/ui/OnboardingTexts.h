#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/platform/PlatformBackend.h"

namespace brevanor {

// The onboarding's texts that tell facts of the operating system: what the
// two permissions are there and how they are granted, where the recordings are
// kept, where the application lives. Each system has its own file; on Linux
// the X11 and Wayland backends each have their own permission steps.
struct OnboardingTexts {
    // One of the two permission steps.
    struct PermissionStep {
        std::string title;
        std::string explanation;
        // Asks for the permission (where the system can prompt) and looks again.
        std::string grantButton;
        // Opens the system's settings page; absent where the system has none.
        std::optional<std::string> settingsButton;
        // Shown while the permission is missing: how to grant it, then a hint.
        std::string howToGrant;
        std::string troubleHint;
        // Shown whether granted or not; empty for none.
        std::string extraHint;
    };

    std::string privacyTitle;
    std::string privacyText;
    std::string permissionsIntro;
    PermissionStep accessibility;
    PermissionStep inputMonitoring;
    // The start of the done step's first line, before the record shortcut.
    std::string whereItLives;

    // The texts of `backend` (`automatic`, the fake backend of the tests, reads as
    // X11 on Linux); `recordingsFolder` is where the recordings are kept.
    static OnboardingTexts forBackend(PlatformBackend backend, const std::filesystem::path& recordingsFolder);
};

}  // namespace brevanor
