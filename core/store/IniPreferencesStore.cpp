#include "core/store/IniPreferencesStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "core/store/AtomicFileWriter.h"
#include "core/store/FileDescriptor.h"
#include "core/store/FileError.h"
#include "core/store/PreferencesFileError.h"
#include "core/store/PrivateFolder.h"
#include "core/store/SettingsLockFile.h"
#include "core/store/UserDataDirectory.h"

namespace brevanor {

namespace {

constexpr std::string_view kGeneralGroup = "[General]";
constexpr std::string_view kByteArrayPrefix = "@ByteArray(";

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool isHexDigit(unsigned char c) { return std::isxdigit(c) != 0; }

std::uint32_t hexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
    return static_cast<std::uint32_t>(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
}

// A key as QSettings writes it: letters, digits, "_", "-" and "." as they are, "/" as "\", the rest as %XX.
std::string escapeKey(std::string_view key) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string result;
    for (const char c : key) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '_' || c == '-' || c == '.') {
            result += c;
        } else if (c == '/') {
            result += '\\';
        } else {
            result += '%';
            result += kHex[byte / 16];
            result += kHex[byte % 16];
        }
    }
    return result;
}

void appendUtf8(std::string& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        codePoint = std::min<std::uint32_t>(codePoint, 0xFFFF);
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// QSettings' escaping of one value: `bytes` escapes every byte outside ASCII
// (data), otherwise UTF-8 text is written as it is.
std::string escape(std::string_view text, bool bytes) {
    std::string result;
    bool needsQuotes = false;
    bool escapeNextIfDigit = false;
    auto hexEscape = [&](unsigned char c) {
        char buffer[4];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<unsigned>(c), 16).ptr;
        result += "\\x";
        result.append(buffer, end);
    };
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == ';' || c == ',' || c == '=') needsQuotes = true;
        if (escapeNextIfDigit && isHexDigit(byte)) {
            hexEscape(byte);
            continue;
        }
        escapeNextIfDigit = false;
        switch (c) {
            case '\0':
                result += "\\0";
                escapeNextIfDigit = true;
                break;
            case '\a': result += "\\a"; break;
            case '\b': result += "\\b"; break;
            case '\f': result += "\\f"; break;
            case '\n': result += "\\n"; break;
            case '\r': result += "\\r"; break;
            case '\t': result += "\\t"; break;
            case '\v': result += "\\v"; break;
            case '"':
            case '\\':
                result += '\\';
                result += c;
                break;
            default:
                if (byte <= 0x1F || (byte >= 0x7F && bytes)) {
                    hexEscape(byte);
                    escapeNextIfDigit = true;
                } else {
                    result += c;
                }
        }
    }
    if (needsQuotes || (!result.empty() && (result.front() == ' ' || result.back() == ' '))) {
        result = '"' + result + '"';
    }
    return result;
}

// One value as QSettings reads it back; escapes of code points above 0x7F
// become single bytes in `bytes` mode (data), UTF-8 otherwise.
std::vector<std::string> unescape(std::string_view text, bool bytes) {
    static constexpr std::pair<char, char> kEscapes[] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                                         {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                                         {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    std::vector<std::string> parts;
    std::string current;
    bool inQuotes = false;
    bool quoted = false;
    std::size_t keepUpTo = 0;  // trailing blanks after this length are not part of an unquoted value
    auto appendCode = [&](std::uint32_t code) {
        if (bytes && code <= 0xFF) {
            current += static_cast<char>(code);
        } else {
            appendUtf8(current, code);
        }
        keepUpTo = current.size();
    };
    auto chopTrailingBlanks = [&] {
        while (current.size() > keepUpTo && (current.back() == ' ' || current.back() == '\t')) current.pop_back();
    };
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    };
    skipBlanks();
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\\') {
            if (++i >= text.size()) break;
            const char code = text[i++];
            bool named = false;
            for (const auto& [letter, value] : kEscapes) {
                if (code == letter) {
                    current += value;
                    keepUpTo = current.size();
                    named = true;
                }
            }
            if (named) continue;
            if (code == 'x') {
                std::uint32_t value = 0;
                while (i < text.size() && isHexDigit(static_cast<unsigned char>(text[i]))) {
                    value = (value * 16 + hexValue(text[i])) & 0xFFFF;
                    ++i;
                }
                appendCode(value);
            } else if (code >= '0' && code <= '7') {
                std::uint32_t value = static_cast<std::uint32_t>(code - '0');
                while (i < text.size() && text[i] >= '0' && text[i] <= '7') {
                    value = (value * 8 + static_cast<std::uint32_t>(text[i] - '0')) & 0xFFFF;
                    ++i;
                }
                appendCode(value);
            }
            continue;  // any other escaped character is dropped, as QSettings does
        }
        if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) skipBlanks();
            keepUpTo = current.size();
            continue;
        }
        if (c == ',' && !inQuotes) {
            if (!quoted) chopTrailingBlanks();
            parts.push_back(std::move(current));
            current.clear();
            keepUpTo = 0;
            quoted = false;
            ++i;
            skipBlanks();
            continue;
        }
        current += c;
        if (inQuotes || (c != ' ' && c != '\t')) keepUpTo = current.size();
        ++i;
    }
    if (!quoted) chopTrailingBlanks();
    parts.push_back(std::move(current));
    return parts;
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return lines;
}

// The index of `key`'s line in the [General] group, if there is one.
std::optional<std::size_t> findKeyLine(const std::vector<std::string>& lines, std::string_view escapedKey) {
    bool inGeneral = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = trim(lines[i]);
        if (line.starts_with('[')) {
            inGeneral = line == kGeneralGroup;
            continue;
        }
        if (!inGeneral || line.starts_with(';')) continue;
        const auto equals = line.find('=');
        if (equals != std::string_view::npos && trim(line.substr(0, equals)) == escapedKey) return i;
    }
    return std::nullopt;
}

template <typename Number>
std::optional<Number> parseNumber(std::string_view text) {
    Number number{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return number;
}

// The unescaped value of a "key=value" line; nothing for a list, which is none of the types asked for here.
std::optional<std::string> valueOfLine(std::string_view line) {
    auto parts = IniPreferencesStore::unescapeValue(line.substr(line.find('=') + 1));
    if (parts.size() != 1) return std::nullopt;
    return std::move(parts.front());
}

std::optional<std::int64_t> integerOf(const std::optional<std::string>& value) {
    if (!value) return std::nullopt;
    if (auto integer = parseNumber<std::int64_t>(*value)) return integer;
    // A whole number kept as a double still counts.
    const auto real = parseNumber<double>(*value);
    if (real && std::trunc(*real) == *real && std::abs(*real) < 0x1p63) return static_cast<std::int64_t>(*real);
    return std::nullopt;
}

// Where `file` leads through any links: the file itself when it is none.
std::filesystem::path linkTarget(std::filesystem::path file) {
    // As many links as the system itself follows in one path.
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(file, error))) return file;
        const std::filesystem::path target = std::filesystem::read_symlink(file, error);
        if (error) throw FileError("write", file, error.value());
        file = target.is_absolute() ? target : file.parent_path() / target;
    }
    throw FileError("write", file, ELOOP);
}

}  // namespace

IniPreferencesStore::IniPreferencesStore(std::filesystem::path file) : file_(std::move(file)) {}

IniPreferencesStore::Contents IniPreferencesStore::read(const std::filesystem::path& file) {
    Contents contents;
    // Non-blocking, so that a FIFO put in the file's place cannot keep the open waiting for a writer.
    const FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.isOpen()) {
        if (errno != ENOENT) contents.problem = FileError("read", file, errno).what();
        return contents;
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        contents.problem = FileError("read", file, errno).what();
        return contents;
    }
    const std::string quoted = "“" + file.string() + "”";
    if (!S_ISREG(status.st_mode)) {
        contents.problem = quoted + " is not a regular file";
        return contents;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > maxFileBytes) {
        contents.problem = quoted + " is larger than " + std::to_string(maxFileBytes / (1024 * 1024)) + " MiB";
        return contents;
    }
    // One byte more than allowed tells a file that grew while it was read.
    std::string text(maxFileBytes + 1, '\0');
    std::size_t length = 0;
    while (length < text.size()) {
        const ssize_t count = ::read(fd.get(), text.data() + length, text.size() - length);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            contents.problem = FileError("read", file, errno).what();
            return contents;
        }
        if (count == 0) break;
        length += static_cast<std::size_t>(count);
    }
    text.resize(length);
    if (length > maxFileBytes) {
        contents.problem = quoted + " is larger than " + std::to_string(maxFileBytes / (1024 * 1024)) + " MiB";
        return contents;
    }
    if (text.find('\0') != std::string::npos) {
        contents.problem = quoted + " is not a text file";
        return contents;
    }
    contents.lines = splitLines(text);
    return contents;
}

std::optional<IniPreferencesStore::Stamp> IniPreferencesStore::stampOf(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) return std::nullopt;
    return Stamp{static_cast<std::uint64_t>(status.st_ino),
                 static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec,
                 static_cast<std::int64_t>(status.st_size)};
}

const IniPreferencesStore::Contents& IniPreferencesStore::contents() const {
    // Read again only when the file changed on disk (another process wrote it).
    const std::optional<Stamp> stamp = stampOf(file_);
    if (!hasContents_ || !stamp || stamp != contents_.stamp) {
        contents_ = read(file_);
        contents_.stamp = stamp;
        hasContents_ = true;
    }
    return contents_;
}

std::optional<std::string> IniPreferencesStore::problem() const { return contents().problem; }

std::filesystem::path IniPreferencesStore::defaultFile() {
    std::filesystem::path folder;
    if (const char* configHome = std::getenv("XDG_CONFIG_HOME"); configHome && *configHome) {
        folder = configHome;
    }
    if (!folder.is_absolute()) folder = homeDirectory() / ".config";
    return folder / "Brevanor" / "Brevanor.conf";
}

std::string IniPreferencesStore::escapeString(std::string_view text) {
    // A leading "@" marks a typed value; a text that starts with one carries a second.
    return escape(text.starts_with('@') ? "@" + std::string(text) : std::string(text), false);
}

std::string IniPreferencesStore::escapeData(const std::vector<std::uint8_t>& bytes) {
    std::string text(kByteArrayPrefix);
    text.append(bytes.begin(), bytes.end());
    text += ')';
    return escape(text, true);
}

std::vector<std::string> IniPreferencesStore::unescapeValue(std::string_view written) {
    auto asBytes = unescape(written, true);
    if (asBytes.size() == 1 && asBytes.front().starts_with(kByteArrayPrefix)) return asBytes;
    return unescape(written, false);
}

std::optional<std::string> IniPreferencesStore::text(std::string_view key) const {
    const auto& lines = contents().lines;
    const auto index = findKeyLine(lines, escapeKey(key));
    if (!index) return std::nullopt;
    return valueOfLine(lines[*index]);
}

std::optional<std::int64_t> IniPreferencesStore::getInteger(std::string_view key) const { return integerOf(text(key)); }

std::optional<bool> IniPreferencesStore::getBoolean(std::string_view key) const {
    const auto value = text(key);
    if (value == "true") return true;
    if (value == "false") return false;
    return std::nullopt;
}

std::optional<double> IniPreferencesStore::getDouble(std::string_view key) const {
    const auto value = text(key);
    if (!value) return std::nullopt;
    return parseNumber<double>(*value);
}

std::optional<std::string> IniPreferencesStore::getString(std::string_view key) const {
    auto value = text(key);
    if (!value) return std::nullopt;
    if (value->starts_with("@@")) return value->substr(1);
    if (value->starts_with('@')) return std::nullopt;  // a typed value, not a text
    return value;
}

std::optional<std::vector<std::uint8_t>> IniPreferencesStore::getData(std::string_view key) const {
    const auto value = text(key);
    if (!value || !value->starts_with(kByteArrayPrefix) || !value->ends_with(')')) return std::nullopt;
    return std::vector<std::uint8_t>(value->begin() + static_cast<std::ptrdiff_t>(kByteArrayPrefix.size()),
                                     value->end() - 1);
}

void IniPreferencesStore::setInteger(std::string_view key, std::int64_t value) {
    write(key, escapeKey(key) + "=" + std::to_string(value));
}

void IniPreferencesStore::setBoolean(std::string_view key, bool value) {
    write(key, escapeKey(key) + (value ? "=true" : "=false"));
}

void IniPreferencesStore::setDouble(std::string_view key, double value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    write(key, escapeKey(key) + "=" + std::string(buffer, end));
}

void IniPreferencesStore::setString(std::string_view key, std::string_view value) {
    write(key, escapeKey(key) + "=" + escapeString(value));
}

void IniPreferencesStore::setData(std::string_view key, std::vector<std::uint8_t> value) {
    write(key, escapeKey(key) + "=" + escapeData(value));
}

void IniPreferencesStore::remove(std::string_view key) { write(key, std::string()); }

std::int64_t IniPreferencesStore::increment(std::string_view key) {
    std::int64_t count = 0;
    write(key, [&](const std::optional<std::string>& value) {
        count = countAfter(integerOf(value));
        return escapeKey(key) + "=" + std::to_string(count);
    });
    return count;
}

void IniPreferencesStore::write(std::string_view key, const std::string& line) {
    write(key, [&](const std::optional<std::string>&) { return line; });
}

void IniPreferencesStore::write(std::string_view key,
                                const std::function<std::string(const std::optional<std::string>& value)>& lineFor) {
    createPrivateFolder(file_.parent_path());
    // Read, changed and written under the lock every writer of the file takes,
    // so a change written at the same moment is neither lost nor overwritten.
    const SettingsLockFile lock(file_);
    Contents fresh = read(file_);
    if (fresh.problem) throw PreferencesFileError(*fresh.problem);
    auto& lines = fresh.lines;
    const auto index = findKeyLine(lines, escapeKey(key));
    const std::string line = lineFor(index ? valueOfLine(lines[*index]) : std::nullopt);
    if (index) {
        if (line.empty()) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*index));
        } else {
            lines[*index] = line;
        }
    } else if (!line.empty()) {
        auto group = lines.end();
        for (auto it = lines.begin(); it != lines.end(); ++it) {
            if (trim(*it) == kGeneralGroup) group = it;
        }
        if (group == lines.end()) {
            // QSettings keeps [General] first; a blank line separates it from the next group.
            const bool otherGroups = !lines.empty();
            lines.insert(lines.begin(), {std::string(kGeneralGroup), line});
            if (otherGroups) lines.insert(lines.begin() + 2, std::string());
        } else {
            auto end = group + 1;
            while (end != lines.end() && !trim(*end).starts_with('[') && !trim(*end).empty()) ++end;
            lines.insert(end, line);
        }
    } else {
        return;
    }
    std::string contents;
    for (const std::string& each : lines) contents += each + "\n";
    // The next reader would refuse the file and start from the defaults: keep it as it is instead.
    if (contents.size() > maxFileBytes) {
        throw PreferencesFileError("“" + file_.string() + "” would grow larger than " +
                                   std::to_string(maxFileBytes / (1024 * 1024)) + " MiB, so “" + std::string(key) +
                                   "” was not stored");
    }
    // A dotfile manager may keep the file elsewhere and link it here: the link stays and its target gets the change.
    AtomicFileWriter().write(linkTarget(file_), contents);
    hasContents_ = false;  // read back on the next question, with the file's new time
}

}  // namespace brevanor
