#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/DocumentBytes.h"
#include "core/store/FileIdentity.h"

namespace brevanor {

// A document file found in a folder, with the identity it had when found.
struct DocumentFile {
    std::filesystem::path path;
    FileIdentity identity;
};

// The regular files in `folder` whose extension is exactly `extension`
// (without the dot, case-sensitive), in the folder's order. Hidden files,
// sub-folders, other kinds of file and dangling links are passed over.
// Throws FileError when the folder cannot be listed.
std::vector<DocumentFile> listDocumentFiles(const std::filesystem::path& folder, std::string_view extension);

// Reads the whole content of the regular file at `path` into `bytes` (whose
// memory is reused) and answers the identity of the file read. Throws
// FileError when it cannot be read (a folder or a device included) and
// DocumentTooLargeError when it holds more than `maxBytes`. A UTF-8 byte
// order mark at the start is left out.
FileIdentity readDocumentFile(const std::filesystem::path& path, std::uintmax_t maxBytes, DocumentBytes& bytes);

}  // namespace brevanor
