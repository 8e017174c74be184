#include "platform/fake/FakeHeldInput.h"

namespace brevanor {

bool FakeHeldInput::isAnyKeyOrButtonHeld() {
    ++reads_;
    return held_.load();
}

}  // namespace brevanor
