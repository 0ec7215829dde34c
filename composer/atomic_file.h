// The one way the program writes a file: the new contents go to a temporary file in
// the target's folder, reach the disk, and are renamed over the target, so a reader
// finds the old file or the new one, never a part of either. A new name's file is made
// without a name (O_TMPFILE) and linked in once whole, which leaves nothing behind
// however the program ends. What cannot be renamed over (a device, a FIFO, a file with
// other hard links) is written through instead.
#pragma once

#include <functional>
#include <string>
#include <string_view>

class QString;

namespace composer {

// What became of a write. When Written is false, Error says why in one line
// ("cannot write PATH: reason"), the target is as it was and no temporary file is left.
struct TFileWriteResult {
    bool Written = false;
    std::string Error;
};

// How an existing target is treated. Under both rules a symbolic link's final target
// is what gets written (the link stays), a character device or FIFO is written
// through, a regular file keeps its mode and, where permitted, its owner, and a file
// with several hard links is rewritten in place once the new contents are complete,
// so every link sees them. fwKeepExisting also refuses up front a file that cannot be
// written (the settings store's rule); fwReplaceName lets the rename decide.
enum TFileWriteRule { fwReplaceName, fwKeepExisting };

// When the data reaches the disk. fdSyncEach: before the rename (a single save).
// fdCallerSyncs: the file is still whole at any moment (the rename), but the caller
// flushes many files at once at the end (SyncFileSystem), as a batch does.
enum TFileDurability { fdSyncEach, fdCallerSyncs };

// What the caller knows of the name. fnMayExist: it is looked at first. fnNew: it is
// almost surely free (a batch into a folder it just made), so the file is written and
// linked in without looking, which spares the folder a lookup that would wait on
// other threads' links; a name that exists after all still gets its due treatment.
enum TFileNameHint { fnMayExist, fnNew };

// Fills the open temporary file; returns false with `err` set to the errno value when a
// write fails.
using TFileFiller = std::function<bool(int fd, int& err)>;

TFileWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                     TFileWriteRule rule, TFileDurability durability = fdSyncEach,
                                     TFileNameHint hint = fnMayExist);
TFileWriteResult WriteFileAtomically(const std::string& path, const TFileFiller& fill,
                                     TFileWriteRule rule, TFileDurability durability = fdSyncEach,
                                     TFileNameHint hint = fnMayExist);

// Flushes the file system that holds `path` (syncfs); an error text or "".
std::string SyncFileSystem(const std::string& path);

// From now on SIGINT and SIGTERM remove the temporary files being written before the
// program ends with the signal, so an interrupted write leaves no ".name.XXXXXX".
void RemoveTemporariesOnSignal();

// The settings store's and the text files' form: the existing file's link and mode are
// kept, and a failure throws EFileWriteError naming the file.
void SaveFileAtomically(const QString& path, std::string_view bytes);

// Writes all of `bytes` to `fd`, going on after interrupted calls; false with `err` set
// when a write fails (a full disk shows here, not later).
bool WriteAll(int fd, const char* bytes, std::size_t size, int& err);

} // namespace composer
