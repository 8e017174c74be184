#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brevanor {

// Where a value sits in a JSON document being read. Locations are chained on
// the stack and turned into text ("events[12].keyCode") only when reading fails,
// so that reading a valid document never builds a string for them.
struct JsonLocation {
    const JsonLocation* parent = nullptr;
    std::string_view key;
    std::size_t index = 0;
    bool isIndex = false;

    JsonLocation child(std::string_view name) const { return {this, name, 0, false}; }
    JsonLocation element(std::size_t i) const { return {this, {}, i, true}; }

    // Empty for the document itself.
    std::string toString() const {
        std::string text = parent ? parent->toString() : std::string();
        if (isIndex) return text + "[" + std::to_string(index) + "]";
        if (key.empty()) return text;
        return text.empty() ? std::string(key) : text + "." + std::string(key);
    }
};

}  // namespace brevanor
