#include "platform/fake/FakeSecureInput.h"

namespace brevanor {

bool FakeSecureInput::isSecureInputEnabled() {
    ++reads_;
    return enabled_.load();
}

}  // namespace brevanor
