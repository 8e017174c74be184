#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brevanor {

// The bytes of one document followed by room that the JSON reader may read
// past their end, so that it parses them where they are instead of copying
// them first: a long document then sits in memory once.
class DocumentBytes {
public:
    static constexpr std::size_t paddingBytes = 64;

    DocumentBytes() = default;
    explicit DocumentBytes(std::string_view bytes);

    // Makes room for `size` bytes, keeping those there up to the smaller size, and answers where they begin.
    char* resize(std::size_t size);
    std::string_view view() const { return {buffer_.data(), size_}; }
    std::size_t size() const { return size_; }

private:
    std::string buffer_ = std::string(paddingBytes, '\0');  // the bytes, then paddingBytes more
    std::size_t size_ = 0;
};

}  // namespace brevanor
