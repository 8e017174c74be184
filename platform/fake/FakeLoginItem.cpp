#include "platform/fake/FakeLoginItem.h"

#include <stdexcept>

namespace brevanor {

void FakeLoginItem::registerItem() {
    ++changeRequests;
    if (refusal) throw std::runtime_error(*refusal);
    registered = true;
}

void FakeLoginItem::unregisterItem() {
    ++changeRequests;
    if (refusal) throw std::runtime_error(*refusal);
    registered = false;
}

}  // namespace brevanor
