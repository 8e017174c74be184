#pragma once

#include <optional>
#include <string>

#include "base/values/FrameRect.h"

namespace brevanor {

// The application that was in front when a recording started; every part may be unknown.
struct FrontmostAppInfo {
    std::optional<std::string> bundleID;
    std::optional<std::string> name;
    std::optional<std::string> windowTitle;
    std::optional<FrameRect> windowFrame;

    friend bool operator==(const FrontmostAppInfo&, const FrontmostAppInfo&) = default;
};

}  // namespace brevanor
