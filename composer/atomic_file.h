// The one way the program writes a file: the new contents go to a temporary file in
// the target's folder, reach the disk, and are renamed over the target, so a reader
// finds the old file or the new one, never a part of either.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <string_view>

namespace composer {

// What became of a write. When Written is false, Error says why in one line
// ("cannot write PATH: reason"), the target is as it was and no temporary file is left.
struct TFileWriteResult {
    bool Written = false;
    std::string Error;
};

// How an existing target is treated. fwReplaceName puts a new file under the name
// (a symbolic link is replaced by the file, the mode is a new file's); fwKeepExisting
// replaces a symbolic link's target rather than the link, keeps an existing file's
// mode and refuses a file that cannot be written.
enum TFileWriteRule { fwReplaceName, fwKeepExisting };

// Fills the open temporary file; returns false with `err` set to the errno value when a
// write fails.
using TFileFiller = std::function<bool(int fd, int& err)>;

TFileWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                     TFileWriteRule rule);
TFileWriteResult WriteFileAtomically(const std::string& path, const TFileFiller& fill,
                                     TFileWriteRule rule);

// The settings store's and the text files' form: the existing file's link and mode are
// kept, and a failure throws EFileWriteError naming the file.
void SaveFileAtomically(const QString& path, std::string_view bytes);

// Writes all of `bytes` to `fd`, going on after interrupted calls; false with `err` set
// when a write fails (a full disk shows here, not later).
bool WriteAll(int fd, const char* bytes, std::size_t size, int& err);

} // namespace composer
