#include "core/model/EventBatches.h"

namespace brevanor {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

std::size_t skipSpace(std::string_view text, std::size_t at) {
    while (at < text.size() && isSpace(text[at])) ++at;
    return at;
}

// Past the string whose opening quote is at `at`.
std::size_t skipString(std::string_view text, std::size_t at) {
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == '"') {
            return i + 1;
        }
    }
    return npos;
}

// Past the value that begins at `at`: a string, an object or array up to its
// closing bracket, or a scalar up to the next delimiter.
std::size_t skipValue(std::string_view text, std::size_t at) {
    if (at >= text.size()) return npos;
    const char first = text[at];
    if (first == '"') return skipString(text, at);
    if (first == '{' || first == '[') {
        std::size_t depth = 0;
        for (std::size_t i = at; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '"') {
                i = skipString(text, i);
                if (i == npos) return npos;
                --i;
            } else if (c == '{' || c == '[') {
                ++depth;
            } else if ((c == '}' || c == ']') && --depth == 0) {
                return i + 1;
            }
        }
        return npos;
    }
    std::size_t i = at;
    while (i < text.size() && !isSpace(text[i]) && text[i] != ',' && text[i] != ']' && text[i] != '}') ++i;
    return i == at ? npos : i;
}

// The "[" of the value of the first top-level key `name`, when that value is an array.
std::size_t findEventArray(std::string_view text, std::string_view name) {
    std::size_t i = skipSpace(text, 0);
    if (i >= text.size() || text[i] != '{') return npos;
    i = skipSpace(text, i + 1);
    while (i < text.size() && text[i] == '"') {
        const std::size_t keyEnd = skipString(text, i);
        if (keyEnd == npos) return npos;
        const std::string_view key = text.substr(i + 1, keyEnd - i - 2);
        i = skipSpace(text, keyEnd);
        if (i >= text.size() || text[i] != ':') return npos;
        i = skipSpace(text, i + 1);
        if (key == name && i < text.size() && text[i] == '[') return i;
        i = skipSpace(text, skipValue(text, i));
        if (i >= text.size() || text[i] != ',') return npos;
        i = skipSpace(text, i + 1);
    }
    return npos;
}

}  // namespace

std::optional<EventBatches> EventBatches::find(std::string_view document, std::size_t batchBytes,
                                               std::string_view key) {
    EventBatches found;
    found.arrayBegin = findEventArray(document, key);
    if (found.arrayBegin == npos) return std::nullopt;
    std::size_t i = skipSpace(document, found.arrayBegin + 1);
    if (i < document.size() && document[i] == ']') {
        found.arrayEnd = i + 1;
        return found;
    }
    Batch batch{i, i};
    for (;;) {
        const std::size_t end = skipValue(document, i);
        if (end == npos) return std::nullopt;
        batch.end = end;
        ++found.elementCount;
        i = skipSpace(document, end);
        if (i >= document.size()) return std::nullopt;
        if (document[i] == ']') break;
        if (document[i] != ',') return std::nullopt;
        i = skipSpace(document, i + 1);
        if (batch.end - batch.begin >= batchBytes) {
            found.batches.push_back(batch);
            batch = {i, i};
        }
    }
    found.batches.push_back(batch);
    found.arrayEnd = i + 1;
    return found;
}

}  // namespace brevanor
