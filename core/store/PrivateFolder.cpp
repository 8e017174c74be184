#include "core/store/PrivateFolder.h"

#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "core/store/FileError.h"

namespace brevanor {

void createPrivateFolder(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> missing;
    std::error_code ignored;
    for (auto each = folder; !each.empty() && !std::filesystem::exists(each, ignored); each = each.parent_path()) {
        missing.push_back(each);
        if (each == each.parent_path()) break;
    }
    for (auto each = missing.rbegin(); each != missing.rend(); ++each) {
        if (::mkdir(each->c_str(), 0700) != 0 && errno != EEXIST) throw FileError("create the folder", *each, errno);
    }
    if (!std::filesystem::is_directory(folder, ignored)) throw FileError("create the folder", folder, ENOTDIR);
}

}  // namespace brevanor
