#pragma once

#include <string>

#include "core/model/PreflightWarningKind.h"

namespace brevanor {

// One difference between the machine now and the one a recording was made on,
// with the sentence shown to the user. A list holds at most one per kind.
struct PreflightWarning {
    PreflightWarningKind kind = PreflightWarningKind::displayMismatch;
    std::string message;

    PreflightWarningKind id() const { return kind; }

    friend bool operator==(const PreflightWarning&, const PreflightWarning&) = default;
};

}  // namespace brevanor
