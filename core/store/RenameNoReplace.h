#pragma once

namespace brevanor {

// rename(2) that fails with EEXIST instead of replacing an existing `to`, in
// one atomic step. Answers 0, or -1 with errno set; EINVAL, ENOSYS or ENOTSUP
// where the file system cannot do it. One source file per system.
int renameNoReplace(const char* from, const char* to);

}  // namespace brevanor
