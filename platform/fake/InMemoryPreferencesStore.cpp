#include "platform/fake/InMemoryPreferencesStore.h"

namespace brevanor {

void InMemoryPreferencesStore::remove(std::string_view key) {
    const auto found = values_.find(key);
    if (found != values_.end()) values_.erase(found);
}

std::int64_t InMemoryPreferencesStore::increment(std::string_view key) {
    const std::int64_t count = countAfter(getInteger(key));
    setInteger(key, count);
    return count;
}

void InMemoryPreferencesStore::set(std::string_view key, Value value) {
    const auto found = values_.find(key);
    if (found != values_.end()) {
        found->second = std::move(value);
    } else {
        values_.emplace(std::string(key), std::move(value));
    }
}

}  // namespace brevanor
