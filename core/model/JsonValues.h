#pragma once

// Typed reading of simdjson on-demand values for the recording document. Two
// kinds of fault are kept apart: malformed JSON always throws a
// RecordingDocumentError at once, while a well-formed value of the wrong type
// or range makes a `get...` function return false and leaves the value unread,
// so that the caller decides whether it matters (keys of another event type do
// not) and can still check the value with `validate`.

#include <simdjson.h>

#include <array>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string_view>
#include <type_traits>
#include <utility>

#include "core/model/JsonLocation.h"
#include "core/model/RecordingDocumentError.h"

namespace brevanor::JsonValues {

namespace od = simdjson::ondemand;

[[noreturn]] void fail(const JsonLocation& at, std::string_view problem);

// Throws for every error but a wrong type, which reads as "expected <what>".
void check(simdjson::error_code error, const JsonLocation& at, std::string_view what);
// Throws for every error.
void check(simdjson::error_code error, const JsonLocation& at);

// What an integer field accepts, as its error message says it.
template <typename Integer>
constexpr std::string_view integerExpectation() {
    if constexpr (std::same_as<Integer, std::uint16_t>) return "expected an integer from 0 to 65535";
    if constexpr (std::same_as<Integer, std::uint32_t>) return "expected an integer from 0 to 4294967295";
    if constexpr (std::same_as<Integer, std::uint64_t>) return "expected an integer from 0 to 18446744073709551615";
    if constexpr (std::same_as<Integer, std::int64_t>) {
        return "expected an integer from -9223372036854775808 to 9223372036854775807";
    }
}

template <typename Integer, typename Read>
bool storeInRange(Read read, Integer& out) {
    if (!std::in_range<Integer>(read)) return false;
    out = static_cast<Integer>(read);
    return true;
}

// Any JSON number with an integral value inside the range: 3, 3.0 and 3e0 all read as 3.
template <typename Integer>
bool getInteger(od::value& value, const JsonLocation& at, Integer& out) {
    // Nearly every number of a document is a plain integer: read it as one
    // first. Other text (a fraction, an exponent, a sign the type lacks, more
    // than 64 bits) is left unread by the failed attempt and read below.
    if constexpr (std::is_signed_v<Integer>) {
        std::int64_t plain = 0;
        if (value.get_int64().get(plain) == simdjson::SUCCESS) return storeInRange(plain, out);
    } else {
        std::uint64_t plain = 0;
        if (value.get_uint64().get(plain) == simdjson::SUCCESS) return storeInRange(plain, out);
    }
    od::number number;
    const simdjson::error_code error = value.get_number().get(number);
    if (error == simdjson::NUMBER_ERROR) {
        // A well-formed integer beyond 64 bits still reads as a double: out of range, not malformed.
        double ignored = 0;
        if (value.get_double().get(ignored) == simdjson::SUCCESS) return false;
    }
    if (error == simdjson::INCORRECT_TYPE) return false;
    check(error, at);
    switch (number.get_number_type()) {
        case od::number_type::signed_integer: return storeInRange(number.get_int64(), out);
        case od::number_type::unsigned_integer: return storeInRange(number.get_uint64(), out);
        case od::number_type::floating_point_number: {
            // Exact bounds: the maxima plus one are powers of two, which doubles hold exactly.
            const double real = number.get_double();
            constexpr double lowest = static_cast<double>(std::numeric_limits<Integer>::min());
            constexpr double beyond = static_cast<double>(std::numeric_limits<Integer>::max()) + 1.0;
            if (std::trunc(real) != real || real < lowest || real >= beyond) return false;
            out = static_cast<Integer>(real);
            return true;
        }
    }
    return false;
}

inline bool getDouble(od::value& value, const JsonLocation& at, double& out) {
    const simdjson::error_code error = value.get_double().get(out);
    if (error == simdjson::INCORRECT_TYPE) return false;
    check(error, at);
    return true;
}

inline bool getBool(od::value& value, const JsonLocation& at, bool& out) {
    const simdjson::error_code error = value.get_bool().get(out);
    if (error == simdjson::INCORRECT_TYPE) return false;
    check(error, at);
    return true;
}

// The text lives until the parser reads the next document: in the document's
// bytes, where it stands, unless it holds escapes. Unescaped text is copied
// into the parser's buffer, which would grow with every string of a long
// document, so text without escapes is not.
inline bool getString(od::value& value, const JsonLocation& at, std::string_view& out) {
    const std::string_view token = value.raw_json_token();
    if (token.starts_with('"')) {
        // Two memchr scans are faster than one for either character.
        const std::size_t end = token.find('"', 1);
        od::raw_json_string consumed;
        if (end != std::string_view::npos && token.substr(1, end - 1).find('\\') == std::string_view::npos &&
            value.get_raw_json_string().get(consumed) == simdjson::SUCCESS) {
            out = token.substr(1, end - 1);
            return true;
        }
    }
    const simdjson::error_code error = value.get_string().get(out);
    if (error == simdjson::INCORRECT_TYPE) return false;
    check(error, at);
    return true;
}

// A field's key, read where it stands unless it holds escapes (as getString).
inline std::string_view keyOf(od::field& field, const JsonLocation& at) {
    // The document was checked for closed strings before reading began.
    const char* start = field.key().raw();
    const char* end = start;
    while (*end != '"' && *end != '\\') ++end;
    if (*end == '"') return {start, static_cast<std::size_t>(end - start)};
    std::string_view key;
    check(field.unescaped_key().get(key), at);
    return key;
}

// The same, failing the document when the value does not fit.
template <typename Integer>
Integer readInteger(od::value& value, const JsonLocation& at) {
    Integer out{};
    if (!getInteger(value, at, out)) fail(at, integerExpectation<Integer>());
    return out;
}
double readDouble(od::value& value, const JsonLocation& at);
bool readBool(od::value& value, const JsonLocation& at);
std::string_view readString(od::value& value, const JsonLocation& at);
od::object readObject(od::value& value, const JsonLocation& at);
od::array readArray(od::value& value, const JsonLocation& at);

// True for a well-formed null, which the document format reads as a missing key.
bool isNullChecked(od::value& value, const JsonLocation& at);
// The same, answering the common case inline: it is asked of every value of a document.
inline bool isNull(od::value& value, const JsonLocation& at) {
    od::json_type type;
    if (value.type().get(type) == simdjson::SUCCESS && type != od::json_type::null) return false;
    return isNullChecked(value, at);
}

// Reads a value nobody uses (unknown keys, keys of another event type, unknown
// event types) so that malformed text inside it still fails the document.
void validate(od::value& value, const JsonLocation& at, int depth = 0);

using KeyMask = std::uint32_t;

constexpr KeyMask bit(std::size_t index) { return KeyMask{1} << index; }

// The index of `name` in `keys`, or N. Keys are short and a document holds
// millions of them: they are compared here, without a call to memcmp each.
template <std::size_t N>
std::size_t keyIndex(const std::array<std::string_view, N>& keys, std::string_view name) {
    for (std::size_t index = 0; index < N; ++index) {
        const std::string_view key = keys[index];
        if (key.size() != name.size()) continue;
        std::size_t i = 0;
        while (i < key.size() && key[i] == name[i]) ++i;
        if (i == key.size()) return index;
    }
    return N;
}

// Reads each field of `object` once, in document order. A field named in
// `keys` goes to `handle(index, value, location)` unless its value is null (a
// missing key); every other field is only validated. A key given twice makes
// the document ambiguous and fails it. Returns the keys that had a value.
template <std::size_t N, typename Handle>
KeyMask readFields(od::object& object, const JsonLocation& at, const std::array<std::string_view, N>& keys,
                   Handle&& handle) {
    static_assert(N <= 32);
    KeyMask seen = 0;
    KeyMask read = 0;
    for (auto result : object) {
        od::field field;
        check(std::move(result).get(field), at);
        const std::string_view name = keyOf(field, at);
        od::value& value = field.value();

        const std::size_t index = keyIndex(keys, name);
        if (index == N) {
            validate(value, at.child(name));
            continue;
        }
        const JsonLocation keyAt = at.child(keys[index]);
        if (seen & bit(index)) fail(keyAt, "the key appears more than once");
        seen |= bit(index);
        if (isNull(value, keyAt)) continue;
        handle(index, value, keyAt);
        read |= bit(index);
    }
    return read;
}

// Fails naming the first of `required` that `read` lacks.
template <std::size_t N>
void requireKeys(KeyMask read, std::initializer_list<std::size_t> required, const std::array<std::string_view, N>& keys,
                 const JsonLocation& at) {
    for (std::size_t key : required) {
        if ((read & bit(key)) == 0) fail(at.child(keys[key]), "required key is missing");
    }
}

}  // namespace brevanor::JsonValues
