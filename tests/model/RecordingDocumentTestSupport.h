#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/model/RecordingDocumentError.h"
#include "core/model/RecordingJSONDecoder.h"

namespace brevanor::samples {

// A valid document with the required keys, the given events array and further top-level members.
inline std::string document(std::string_view events = "[]", std::string_view moreMembers = "") {
    std::string text = R"({"schemaVersion":1,"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","name":"n",)"
                       R"("createdAt":"2026-12-05T16:43:01Z","events":)";
    text += events;
    text += moreMembers;
    text += "}";
    return text;
}

// The document error that reading `bytes` fails with; a test failure when it reads.
inline RecordingDocumentError documentError(std::string_view bytes) {
    RecordingJSONDecoder decoder;
    try {
        decoder.decode(bytes);
    } catch (const RecordingDocumentError& error) {
        return error;
    }
    ADD_FAILURE() << "read without error: " << bytes.substr(0, 200);
    return RecordingDocumentError("", "");
}

}  // namespace brevanor::samples
