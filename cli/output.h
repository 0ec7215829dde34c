// Writing varoku-qr's result: to standard output, or to a file that appears whole or
// not at all.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Writes the lines, each followed by "\n". With an empty path they go to standard
// output; otherwise to a temporary file beside path that is renamed over it once
// complete, so an existing file is replaced only by a finished one and a failure
// leaves nothing behind. Returns an error text, empty on success.
std::string WriteLines(const std::string& path, const std::vector<std::string>& lines,
                       bool syncEach = true);

// The same for bytes (a picture, a payload), written as they are.
// syncEach false: the file is whole at any moment, but reaches the disk only when the
// caller flushes (a batch flushes once at its end).
std::string WriteBytes(const std::string& path, std::string_view bytes, bool syncEach = true);

} // namespace cli
