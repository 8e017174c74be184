#include <fcntl.h>
#include <stdio.h>

#include "core/store/RenameNoReplace.h"

namespace brevanor {

int renameNoReplace(const char* from, const char* to) {
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

}  // namespace brevanor
