// varoku-qr batch: one picture file per line of a text file, named by line number.
// A line that fails is reported and the others go on.
#pragma once

#include "cli/options.h"

namespace cli {

// Lines past this many get a progress report on standard error.
inline constexpr int kBatchProgressFrom = 50;

// Runs the whole batch; returns the exit status (kExitNoFit when any line failed).
int RunBatch(const TCliOptions& options);

} // namespace cli
