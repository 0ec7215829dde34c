// varoku-qr batch: one picture file per line of a text file, named by line number.
// A line that fails is reported and the others go on.
#pragma once

#include "cli/options.h"

namespace cli {

// Lines past this many get a progress report on standard error.
inline constexpr int kBatchProgressFrom = 50;

// Runs the whole batch; returns the exit status: the highest of the failed lines'
// (each as the one text would have it), kExitUsage when the file holds no text.
int RunBatch(const TCliOptions& options);

} // namespace cli
