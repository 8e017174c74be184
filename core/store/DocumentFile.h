#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/FileIdentity.h"

namespace brevanor {

// A document file found in a folder, with the identity it had when found.
struct DocumentFile {
    std::filesystem::path path;
    FileIdentity identity;
};

// The bytes of a document and the identity of the file they were read from.
struct DocumentBytes {
    std::string bytes;
    FileIdentity identity;
};

// The regular files in `folder` whose extension is exactly `extension`
// (without the dot, case-sensitive), in the folder's order. Hidden files,
// sub-folders, other kinds of file and dangling links are passed over.
// Throws FileError when the folder cannot be listed.
std::vector<DocumentFile> listDocumentFiles(const std::filesystem::path& folder, std::string_view extension);

// The whole content of the regular file at `path`. Throws FileError when it
// cannot be read (a folder or a device included) and RecordingDocumentError
// when it holds more than `maxBytes`.
DocumentBytes readDocumentFile(const std::filesystem::path& path, std::uintmax_t maxBytes);

}  // namespace brevanor
