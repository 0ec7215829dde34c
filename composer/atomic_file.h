// The one way the program writes a file: the new contents go to a temporary file in
// the target's folder, reach the disk, and are renamed over the target, so a reader
// finds the old file or the new one, never a part of either. A new name's file is made
// without a name (O_TMPFILE) and linked in once whole, which leaves nothing behind
// however the program ends. What cannot be renamed over (a device, a FIFO, a file with
// other hard links, or one in a folder we may not write) is written through instead.
// The settings store and the text files also read their files here, without blocking.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QString;

namespace composer {

// What became of a write. When Written is false, Error says why in one line
// ("cannot write PATH: reason"), the target is as it was and no temporary file is left.
struct TFileWriteResult {
    bool Written = false;
    std::string Error;
};

// How an existing target is treated. Under every rule a symbolic link's final target
// is what gets written (the link stays; a link in a sticky folder that anyone may write
// is not followed when it belongs to neither the folder's owner nor us, as the kernel's
// protected_symlinks has it), a file we may not write is refused as cp refuses it ("Permission
// denied"; root may write), a regular file keeps its mode and, where permitted, its
// owner, and a file with several hard links is rewritten in place once the new contents
// are complete and their space is claimed, so every link sees them and a full disk
// leaves the old contents whole.
// fwReplaceName (a file the user names): a character device or FIFO is written through,
//   and a writable file in a folder we may not write is rewritten in place.
// fwKeepExisting: the same, but such a file is left as it is (the write fails), so a
//   crash can never leave it cut.
// fwRegularFile (the settings store and the text files): as fwKeepExisting, and anything
//   in place that is no regular file is refused, never opened.
enum TFileWriteRule { fwReplaceName, fwKeepExisting, fwRegularFile };

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

// From now on SIGINT, SIGTERM and SIGHUP remove the temporary files being written before
// the program ends with the signal, so an interrupted write leaves no ".name.XXXXXX",
// whichever thread the signal reaches and whenever it comes.
void RemoveTemporariesOnSignal();

// What a read of a settings or text file found.
struct TFileReadResult {
    enum { Read, Missing, NotRegular, Failed } Kind = Read;
    std::string Bytes; // Read
    int Error = 0;     // Failed: the errno value
};

// The whole of a regular file. Opened without waiting, so a FIFO or a device in its place
// is refused (NotRegular) instead of hanging the caller; Missing when the name (or a
// link's target) does not exist.
TFileReadResult ReadRegularFile(const std::string& path);

// How long a temporary file must have been left alone before it counts as a writer's
// leftover rather than a running writer's file.
inline constexpr std::chrono::seconds kStaleTemporaryAge{600};

// Removes from `folder` ("" for the current one) the temporary files of the named files
// that a killed writer left: only names of our own pattern (".name.XXXXXX"), regular
// files of ours with one link, untouched for kStaleTemporaryAge. Returns how many went.
int RemoveStaleTemporaries(const std::string& folder, const std::vector<std::string>& names);

// The settings store's and the text files' form (fwRegularFile): the existing file's link
// and mode are kept, and a failure throws EFileWriteError naming the file.
void SaveFileAtomically(const QString& path, std::string_view bytes);

// Writes all of `bytes` to `fd`, going on after interrupted calls; false with `err` set
// when a write fails (a full disk shows here, not later).
bool WriteAll(int fd, const char* bytes, std::size_t size, int& err);

} // namespace composer
