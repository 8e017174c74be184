#pragma once

#include <filesystem>
#include <string>

namespace brevanor {

// A document file of the library folder that a listing passed over, and why:
// `reason` reads after the file's name ("x.json: <reason>").
struct SkippedDocument {
    std::filesystem::path path;
    std::string reason;

    friend bool operator==(const SkippedDocument&, const SkippedDocument&) = default;
};

}  // namespace brevanor
