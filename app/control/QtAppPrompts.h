#pragma once

#include "app/control/AppPrompts.h"

namespace brevanor {

// The questions as Qt dialogs: message boxes and a save dialog, each brought
// to the front and run modally.
class QtAppPrompts final : public AppPrompts {
public:
    PreflightAlert::Answer confirmPreflight(const PreflightAlert& alert) override;
    std::optional<std::filesystem::path> chooseExportLocation(const std::string& fileName) override;
    void showFolderAlert(const std::string& description) override;
};

}  // namespace brevanor
