#include "core/playback/FidelityReport.h"

#include <cmath>

#include "base/text/Localized.h"
#include "core/acceptance/FixedDecimals.h"

namespace brevanor {

std::string FidelityReport::sentence() const { return tr("Fidelity: ") + summary(); }

std::string FidelityReport::summary() const {
    return std::to_string(observed) + "/" + std::to_string(expected) + tr(" events, timing p95 ") +
           fixedDecimals(timingP95Ms, 2) + tr(" ms, max ") + fixedDecimals(timingMaxMs, 2) + tr(" ms, pointer ") +
           fixedDecimals(std::round(pointerErrorPx), 0) + " px";
}

}  // namespace brevanor
