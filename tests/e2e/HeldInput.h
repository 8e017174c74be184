#pragma once

#include <string>

namespace brevanor {

// Whether the X server of `displayName` holds a key or a pointer button down
// (true also when the display cannot be reached).
bool serverHoldsInput(const std::string& displayName);

}  // namespace brevanor
