#include <stdio.h>

#include "core/store/RenameNoReplace.h"

namespace brevanor {

int renameNoReplace(const char* from, const char* to) { return ::renamex_np(from, to, RENAME_EXCL); }

}  // namespace brevanor
