#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "app/control/PreflightAlert.h"

namespace brevanor {

// The modal questions the coordinator asks the user. The application shows
// real dialogs; tests answer. Main thread only.
class AppPrompts {
public:
    virtual ~AppPrompts() = default;

    // Brings the application forward and runs the alert until the user answers.
    virtual PreflightAlert::Answer confirmPreflight(const PreflightAlert& alert) = 0;
    // Brings the application forward and runs a save panel for recording
    // documents (.macro) that may create folders and proposes `fileName`.
    // Nothing when the user cancels.
    virtual std::optional<std::filesystem::path> chooseExportLocation(const std::string& fileName) = 0;
    // Tells, modally, that the recordings folder cannot be used, with the
    // system's description; the application ends afterwards.
    virtual void showFolderAlert(const std::string& description) = 0;
};

}  // namespace brevanor
