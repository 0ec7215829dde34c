// Writing varoku-qr's result: to standard output, or to a file that appears whole or
// not at all.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// How a file is written. wkSingle: the one file of a run reaches the disk before it
// replaces anything. wkBatch: a batch's file is whole at any moment but reaches the
// disk when the batch flushes at its end. wkBatchNew: the same into a folder the batch
// made itself, where every name is new.
enum TWriteKind { wkSingle, wkBatch, wkBatchNew };

// Writes the lines, each followed by "\n". With an empty path they go to standard
// output; otherwise to a file that appears whole or not at all (see
// composer/atomic_file.h), so an existing file is replaced only by a finished one and a
// failure leaves nothing behind. Returns an error text, empty on success.
std::string WriteLines(const std::string& path, const std::vector<std::string>& lines,
                       TWriteKind kind = wkSingle);

// The same for bytes (a picture, a payload), written as they are.
std::string WriteBytes(const std::string& path, std::string_view bytes, TWriteKind kind = wkSingle);

} // namespace cli
