// Whole-file writes that either replace the file completely or leave it as it was.
#pragma once

#include <QString>
#include <string_view>

namespace composer {

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and renames it
// over `path`. Throws EFileWriteError when any step fails; `path` is then untouched
// and no temporary file is left behind.
void WriteFileAtomically(const QString& path, std::string_view bytes);

}  // namespace composer
