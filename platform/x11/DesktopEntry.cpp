#include "platform/x11/DesktopEntry.h"

#include <fstream>
#include <iterator>

namespace brevanor {

namespace {

constexpr std::uintmax_t kMaxFileBytes = 1 << 20;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The escapes every string value may hold.
std::string unescaped(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        switch (raw[++i]) {
            case 's': out += ' '; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case '\\': out += '\\'; break;
            default: out += '\\'; out += raw[i];
        }
    }
    return out;
}

// One argument with its field codes removed. Returns false for an argument that
// was nothing but a field code, which is dropped rather than passed empty.
bool withoutFieldCodes(const std::string& argument, std::string& out) {
    out.clear();
    bool hadFieldCode = false;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        if (argument[i] != '%' || i + 1 == argument.size()) {
            out += argument[i];
            continue;
        }
        if (argument[++i] == '%') {
            out += '%';
        } else {
            hadFieldCode = true;
        }
    }
    return !(hadFieldCode && out.empty());
}

}  // namespace

std::optional<DesktopEntry> DesktopEntry::parse(std::string_view text) {
    DesktopEntry entry;
    bool inGroup = false;
    bool sawGroup = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
            sawGroup = sawGroup || inGroup;
            continue;
        }
        const auto equals = line.find('=');
        if (!inGroup || equals == std::string_view::npos) continue;
        const std::string key{trimmed(line.substr(0, equals))};
        // The first occurrence of a key counts; later duplicates are a file error.
        if (!key.empty()) entry.values_.try_emplace(key, trimmed(line.substr(equals + 1)));
    }
    if (!sawGroup) return std::nullopt;
    return entry;
}

std::optional<DesktopEntry> DesktopEntry::read(const std::filesystem::path& file) {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(file, error);
    if (error || bytes > kMaxFileBytes) return std::nullopt;
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return std::nullopt;
    const std::string text{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    return parse(text);
}

std::optional<std::string> DesktopEntry::value(std::string_view key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) return std::nullopt;
    return unescaped(found->second);
}

bool DesktopEntry::isTrue(std::string_view key) const { return value(key) == "true"; }

std::vector<std::string> DesktopEntry::commandLine() const {
    const auto exec = value("Exec");
    if (!exec) return {};
    std::vector<std::string> arguments;
    std::string current;
    std::string cleaned;
    bool inArgument = false;
    bool quoted = false;
    const auto finish = [&] {
        if (inArgument && withoutFieldCodes(current, cleaned)) arguments.push_back(cleaned);
        current.clear();
        inArgument = false;
    };
    const std::string& line = *exec;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < line.size()) {
                current += line[++i];
            } else {
                current += c;
            }
        } else if (c == ' ' || c == '\t') {
            finish();
        } else if (c == '"') {
            quoted = true;
            inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted) return {};
    finish();
    return arguments;
}

}  // namespace brevanor
