#include "core/model/DocumentBytes.h"

namespace brevanor {

DocumentBytes::DocumentBytes(std::string_view bytes) : size_(bytes.size()) {
    // Copied and padded in one go: resizing first would fill the whole buffer with zeros in vain.
    buffer_.reserve(bytes.size() + paddingBytes);
    buffer_.assign(bytes);
    buffer_.append(paddingBytes, '\0');
}

char* DocumentBytes::resize(std::size_t size) {
    buffer_.resize(size + paddingBytes);
    size_ = size;
    return buffer_.data();
}

}  // namespace brevanor
