#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/control/AppPrompts.h"

namespace brevanor::testing {

// Prompts that answer at once as the test scripted, and keep what was asked.
class AnsweringPrompts final : public AppPrompts {
public:
    PreflightAlert::Answer confirmPreflight(const PreflightAlert& alert) override {
        alerts.push_back(alert);
        if (whileAsking) whileAsking();
        return preflightAnswer;
    }

    std::optional<std::filesystem::path> chooseExportLocation(const std::string& fileName) override {
        proposedExportNames.push_back(fileName);
        return exportLocation;
    }

    void showFolderAlert(const std::string& description) override { folderAlerts.push_back(description); }

    // Runs while the alert is up, as the events of a real modal loop would.
    std::function<void()> whileAsking;
    PreflightAlert::Answer preflightAnswer;
    std::optional<std::filesystem::path> exportLocation;

    std::vector<PreflightAlert> alerts;
    std::vector<std::string> proposedExportNames;
    std::vector<std::string> folderAlerts;
};

}  // namespace brevanor::testing
