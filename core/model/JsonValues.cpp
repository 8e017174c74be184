#include "core/model/JsonValues.h"

#include <string>

namespace brevanor::JsonValues {

namespace {

// How deep values under unknown keys may nest. The format itself nests a few
// levels only; the limit keeps hostile documents from exhausting the stack.
constexpr int kMaxUnknownDepth = 64;

std::string describe(simdjson::error_code error) {
    switch (error) {
        case simdjson::EMPTY: return "the document is empty";
        case simdjson::UTF8_ERROR: return "the document is not valid UTF-8";
        case simdjson::CAPACITY: return "the document is too large";
        case simdjson::DEPTH_ERROR: return "values are nested too deeply";
        case simdjson::NUMBER_ERROR: return "malformed number or number out of range";
        default: return std::string("malformed JSON (") + simdjson::error_message(error) + ")";
    }
}

}  // namespace

void fail(const JsonLocation& at, std::string_view problem) {
    throw RecordingDocumentError(at.toString(), std::string(problem));
}

void check(simdjson::error_code error, const JsonLocation& at, std::string_view what) {
    if (error == simdjson::SUCCESS) return;
    if (error == simdjson::INCORRECT_TYPE) fail(at, "expected " + std::string(what));
    fail(at, describe(error));
}

void check(simdjson::error_code error, const JsonLocation& at) {
    if (error != simdjson::SUCCESS) fail(at, describe(error));
}

double readDouble(od::value& value, const JsonLocation& at) {
    double out = 0;
    if (!getDouble(value, at, out)) fail(at, "expected a number");
    return out;
}

bool readBool(od::value& value, const JsonLocation& at) {
    bool out = false;
    if (!getBool(value, at, out)) fail(at, "expected true or false");
    return out;
}

std::string_view readString(od::value& value, const JsonLocation& at) {
    std::string_view out;
    if (!getString(value, at, out)) fail(at, "expected a string");
    return out;
}

od::object readObject(od::value& value, const JsonLocation& at) {
    od::object object;
    check(value.get_object().get(object), at, "an object");
    return object;
}

od::array readArray(od::value& value, const JsonLocation& at) {
    od::array array;
    check(value.get_array().get(array), at, "an array");
    return array;
}

bool isNullChecked(od::value& value, const JsonLocation& at) {
    od::json_type type;
    check(value.type().get(type), at);
    if (type != od::json_type::null) return false;
    bool null = false;
    if (value.is_null().get(null) != simdjson::SUCCESS || !null) fail(at, "malformed JSON (expected null)");
    return true;
}

void validate(od::value& value, const JsonLocation& at, int depth) {
    if (depth > kMaxUnknownDepth) fail(at, describe(simdjson::DEPTH_ERROR));
    od::json_type type;
    check(value.type().get(type), at);
    switch (type) {
        case od::json_type::object: {
            od::object object = readObject(value, at);
            for (auto result : object) {
                od::field field;
                check(std::move(result).get(field), at);
                const std::string_view key = keyOf(field, at);
                validate(field.value(), at.child(key), depth + 1);
            }
            break;
        }
        case od::json_type::array: {
            od::array array = readArray(value, at);
            std::size_t i = 0;
            for (auto result : array) {
                od::value element;
                check(result.get(element), at.element(i));
                validate(element, at.element(i), depth + 1);
                ++i;
            }
            break;
        }
        case od::json_type::number: {
            // Any number a double can hold; integers beyond 64 bits included.
            double ignored = 0;
            check(value.get_double().get(ignored), at);
            break;
        }
        case od::json_type::string: readString(value, at); break;
        case od::json_type::boolean: {
            bool ignored = false;
            if (!getBool(value, at, ignored)) fail(at, "malformed JSON (expected true or false)");
            break;
        }
        case od::json_type::null: isNull(value, at); break;
    }
}

}  // namespace brevanor::JsonValues
