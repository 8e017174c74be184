#include "core/model/PositionsText.h"

#include "base/text/Localized.h"

namespace brevanor::PositionsText {

std::string relativeExplained() {
    return tr(
        "Positions: relative. This compositor does not tell where the pointer is, so the recording keeps the "
        "mouse's own movements and plays them from wherever the pointer is when it starts.");
}

std::string relativeNotice() { return tr("Positions: relative — replays from where the pointer is"); }

std::string relativeFact() { return tr("relative to where the pointer is when playback starts"); }

}  // namespace brevanor::PositionsText
