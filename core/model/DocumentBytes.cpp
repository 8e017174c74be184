#include "core/model/DocumentBytes.h"

#include <cstring>

namespace brevanor {

DocumentBytes::DocumentBytes(std::string_view bytes) {
    char* data = resize(bytes.size());
    // An empty view may hold no pointer at all, which memcpy must not be given.
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
}

char* DocumentBytes::resize(std::size_t size) {
    buffer_.resize(size + paddingBytes);
    size_ = size;
    return buffer_.data();
}

}  // namespace brevanor
