// The atomic writer's one seam for tests: the open(2) it calls, so a test can watch the
// flags a temporary file is made with, or refuse what a file system might refuse.
#pragma once

#include <sys/types.h>

namespace composer::atomic_detail {

using TOpenCall = int (*)(const char* path, int flags, mode_t mode);

// Every open of the writer and of ReadRegularFile goes through `call` from now on;
// nullptr gives back open(2).
void SetOpenCall(TOpenCall call);

} // namespace composer::atomic_detail
