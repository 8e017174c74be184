#include "app/control/PreflightAlert.h"

#include "app/control/MessageText.h"
#include "base/text/Localized.h"

namespace brevanor {

PreflightAlert PreflightAlert::beforePlaying(const std::string& recordingName, const std::string& appName,
                                             const std::vector<PreflightWarning>& warnings, bool offerLaunch) {
    PreflightAlert alert;
    alert.messageText = fillIn(brevanor::tr("Before playing “%1”"), {recordingName});
    for (const PreflightWarning& warning : warnings) {
        if (!alert.informativeText.empty()) alert.informativeText += "\n";
        alert.informativeText += "• " + warning.message;
    }
    alert.suppressionTitle = brevanor::tr("Don't warn about this again for this recording");
    if (offerLaunch) {
        alert.buttons = {fillIn(brevanor::tr("Launch %1 and Play"), {appName}), brevanor::tr("Play Anyway"),
                         brevanor::tr("Cancel")};
    } else {
        alert.buttons = {brevanor::tr("Play"), brevanor::tr("Cancel")};
    }
    return alert;
}

PreflightDecision PreflightAlert::decision(const Answer& answer) const {
    // Cancel whatever the checkbox says; a closed alert counts as cancelled.
    if (answer.buttonIndex + 1 >= buttons.size()) return PreflightDecision::cancel();
    // With three buttons the first launches the recorded application.
    return {true, buttons.size() == 3 && answer.buttonIndex == 0, answer.suppressionChecked};
}

}  // namespace brevanor
