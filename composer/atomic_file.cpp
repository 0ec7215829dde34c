#include "composer/atomic_file.h"
#include "composer/atomic_file_detail.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace composer {
namespace atomic_detail {

std::atomic<TOpenCall> g_openCall{nullptr};

void SetOpenCall(TOpenCall call) {
    g_openCall.store(call);
}

} // namespace atomic_detail

namespace {

int Open(const char* path, int flags, mode_t mode = 0) {
    if (const auto call = atomic_detail::g_openCall.load(std::memory_order_relaxed))
        return call(path, flags, mode);
    return ::open(path, flags, mode);
}

TFileWriteResult Failure(const std::string& what, const std::string& path, int err) {
    return {false, "cannot " + what + " " + path + ": " + std::strerror(err)};
}

// The names of the temporary files being written, for the signal handler. Fixed slots
// of plain characters: a handler may read them, and a batch writes from up to 1024
// threads.
constexpr int kTempSlots = 1024;
struct TTempSlot {
    std::atomic<bool> Used{false};
    std::atomic<bool> Live{false};
    // Zero from the start, so the table is set up at compile time and its pages are
    // touched only when a slot is used.
    char Name[PATH_MAX] = {};
};
TTempSlot g_temps[kTempSlots];

// Threads between creating a temporary file and registering its name, and whether a
// signal is ending the program. The handler waits for the first to reach zero, and a
// thread that sees the second creates nothing: so no file is made that the handler
// does not see, whichever thread the signal lands on.
std::atomic<int> g_creating{0};
std::atomic<bool> g_ending{false};

class TTempName {
public:
    TTempName() = default;
    // Must run while the signals are blocked and g_creating counts this thread.
    void Register(const std::string& name) {
        if (name.size() >= PATH_MAX) return;
        for (int i = 0; i < kTempSlots; ++i) {
            bool expected = false;
            if (g_temps[i].Used.compare_exchange_strong(expected, true)) {
                slot_ = &g_temps[i];
                std::memcpy(slot_->Name, name.c_str(), name.size() + 1);
                slot_->Live.store(true);
                return;
            }
        }
    }
    ~TTempName() {
        if (!slot_) return;
        slot_->Live.store(false);
        slot_->Used.store(false);
    }
    TTempName(const TTempName&) = delete;
    TTempName& operator=(const TTempName&) = delete;

private:
    TTempSlot* slot_ = nullptr;
};

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveTemporariesAndDie(int sig) {
    g_ending.store(true);
    // A thread creating a file has the signals blocked and is a system call away from
    // registering it; two seconds is far beyond that.
    for (int waited = 0; g_creating.load() > 0 && waited < 2000; ++waited) {
        const timespec pause{0, 1000000};
        ::nanosleep(&pause, nullptr);
    }
    for (auto& slot : g_temps)
        if (slot.Live.load()) ::unlink(slot.Name);
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

// The descriptor a path names when it is one of this process's own (/dev/stdout,
// /dev/stderr, /dev/fd/N, /proc/self/fd/N), else -1. Resolving such a path would find
// the file the shell opened (`>> log.txt`) and replace it, losing what it held.
int OwnDescriptor(const std::string& path) {
    int fd = -1;
    if (path == "/dev/stdin") fd = 0;
    if (path == "/dev/stdout") fd = 1;
    if (path == "/dev/stderr") fd = 2;
    for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (!path.starts_with(prefix) || path.size() == prefix.size()) continue;
        const std::string_view digits = std::string_view(path).substr(prefix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        fd = std::stoi(std::string(digits));
    }
    return fd >= 0 && ::fcntl(fd, F_GETFD) != -1 ? fd : -1;
}

// The folder part of a name ("." for none), as the kernel looks it up.
std::string FolderOf(const std::string& name) {
    const auto slash = name.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : name.substr(0, slash);
}

// The kernel's rule for links in shared folders (protected_symlinks): a link in a sticky
// folder that anyone may write is followed only when it belongs to the folder's owner or
// to us. Resolving links by hand, we keep the rule ourselves, or a link another user
// planted in /tmp could make root replace its target.
bool MayFollow(const std::string& link, const struct stat& st) {
    struct stat folder {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0) return true;
    if ((folder.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH)) return true;
    return st.st_uid == folder.st_uid || st.st_uid == ::geteuid();
}

// Where following a name's links ends.
struct TLinkEnd {
    enum { Name, OwnDescriptor, Refused, Failed } Kind = Name;
    std::string Target; // Name: the final name; Refused: the link not followed
    int Descriptor = -1;
    int Error = 0;
};

// A symbolic link followed to the name it finally points at, existing or not (a
// dangling link's target is created). Relative targets count from the link's folder.
// `exists` and `st` tell what that name is. A link to one of our own descriptors
// (/dev/stdout) ends there.
TLinkEnd FollowLinks(const std::string& path, struct stat& st, bool& exists) {
    TLinkEnd end;
    std::string name = path;
    for (int hops = 0; hops < 40; ++hops) {
        exists = ::lstat(name.c_str(), &st) == 0;
        if (!exists || !S_ISLNK(st.st_mode)) {
            end.Target = name;
            return end;
        }
        if (!MayFollow(name, st)) {
            end.Kind = TLinkEnd::Refused;
            end.Target = name;
            return end;
        }
        char target[PATH_MAX];
        const ssize_t n = ::readlink(name.c_str(), target, sizeof target - 1);
        if (n < 0) {
            end.Kind = TLinkEnd::Failed;
            end.Error = errno;
            return end;
        }
        target[n] = '\0';
        if (target[0] == '/') {
            name = target;
        } else {
            const auto slash = name.rfind('/');
            name =
                (slash == std::string::npos ? std::string() : name.substr(0, slash + 1)) + target;
        }
        if (const int own = OwnDescriptor(name); own >= 0) {
            end.Kind = TLinkEnd::OwnDescriptor;
            end.Descriptor = own;
            return end;
        }
    }
    end.Kind = TLinkEnd::Failed;
    end.Error = ELOOP;
    return end;
}

// All of an open file's contents, read from its start.
bool ReadBack(int fd, std::string& bytes, int& err) {
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size < 0) {
        err = errno;
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t k =
            ::pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) {
            err = k < 0 ? errno : EIO;
            return false;
        }
        got += static_cast<std::size_t>(k);
    }
    return true;
}

constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomLetters = 6;
// "." + stem + "." + the random letters.
constexpr std::size_t kTemporaryExtra = 2 + kRandomLetters;

// The part of `base` a temporary name carries: all of it, or as much as lets the name
// fit the folder's limit on a name's length (cut before a UTF-8 sequence, not inside).
std::string TemporaryStem(const std::string& folder, const std::string& base) {
    if (base.size() + kTemporaryExtra <= 14) return base; // the least any system allows
    const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    if (limit <= 0 || base.size() + kTemporaryExtra <= static_cast<std::size_t>(limit)) return base;
    std::size_t keep = static_cast<std::size_t>(limit) > kTemporaryExtra
                           ? static_cast<std::size_t>(limit) - kTemporaryExtra
                           : 1;
    while (keep > 1 && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80)
        --keep;
    return base.substr(0, keep);
}

// A file named after `base` that did not exist, opened for writing; its mode is 0666
// less the umask (the mode a new file gets) or private when `private_` is set. Its name
// is registered for the signal handler before any signal that ends the program can be
// taken, so no signal leaves it behind.
int CreateTemporary(const std::string& folder, const std::string& base, bool private_,
                    std::string& name, TTempName& registered) {
    const std::string stem = folder + "." + TemporaryStem(folder, base) + ".";
    sigset_t ending, before;
    sigemptyset(&ending);
    for (const int sig : kEndingSignals)
        sigaddset(&ending, sig);
    ::pthread_sigmask(SIG_BLOCK, &ending, &before);
    g_creating.fetch_add(1);
    int fd = -1;
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && !g_ending.load(); ++attempt) {
        name = stem;
        for (std::size_t i = 0; i < kRandomLetters; ++i)
            name += kLetters[::arc4random_uniform(sizeof kLetters - 1)];
        fd = Open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                  private_ ? 0600 : 0666);
        err = errno;
        if (fd >= 0) registered.Register(name);
        if (fd >= 0 || err != EEXIST) break;
    }
    if (g_ending.load() && fd < 0) err = EINTR;
    g_creating.fetch_sub(1);
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    errno = err;
    return fd;
}

// Gives an unnamed file (O_TMPFILE) the name `target`; false with errno set otherwise
// (EEXIST when the name has been taken meanwhile).
bool LinkUnnamed(int fd, const std::string& target) {
    // The descriptor itself, where the kernel lets us (privileged callers, or since
    // Linux 6.10 the file's opener); else its name under /proc.
    if (::linkat(fd, "", AT_FDCWD, target.c_str(), AT_EMPTY_PATH) == 0) return true;
    if (errno == EEXIST) return false;
    char self[32];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, self, AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// The whole new contents of a file, gathered in memory before an in-place rewrite.
bool FillMemory(const TFileFiller& fill, std::string& bytes, int& err) {
    const int fd = ::memfd_create("varoku", MFD_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return false;
    }
    const bool ok = fill(fd, err) && ReadBack(fd, bytes, err);
    ::close(fd);
    return ok;
}

bool WriteAllAt(int fd, const char* bytes, std::size_t size, off_t at, int& err) {
    while (size > 0) {
        const ssize_t k = ::pwrite(fd, bytes, size, at);
        if (k < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        bytes += k;
        size -= static_cast<std::size_t>(k);
        at += k;
    }
    return true;
}

// A device or FIFO gets the bytes as they come.
TFileWriteResult WriteThrough(const std::string& path, const std::string& target,
                              const TFileFiller& fill) {
    const int fd = Open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return Failure("write", path, errno);
    int err = 0;
    const bool ok = fill(fd, err);
    ::close(fd);
    return ok ? TFileWriteResult{true, {}} : Failure("write", path, err);
}

// A regular file that cannot be replaced (it has other hard links, or its folder may
// not be written) is rewritten in place once the new contents are complete. The space
// is claimed before anything old is touched: blocks for the whole new length, then the
// part beyond the old end, so a full disk fails while the old contents are whole.
TFileWriteResult RewriteInPlace(const std::string& path, const std::string& target,
                                const TFileFiller& fill, TFileDurability durability) {
    std::string bytes;
    int err = 0;
    if (!FillMemory(fill, bytes, err)) return Failure("write", path, err);
    const int fd = Open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return Failure("write", path, errno);
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok) err = errno;
    const off_t oldSize = st.st_size;
    const off_t newSize = static_cast<off_t>(bytes.size());
    if (ok && newSize > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, newSize) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS)
        ok = false, err = errno;
    if (ok && newSize > oldSize)
        ok = WriteAllAt(fd, bytes.data() + oldSize, static_cast<std::size_t>(newSize - oldSize),
                        oldSize, err);
    if (!ok) {
        // Back to the old length, which also gives back blocks claimed beyond it.
        (void)!::ftruncate(fd, oldSize);
        ::close(fd);
        return Failure("write", path, err);
    }
    ok = WriteAllAt(fd, bytes.data(), static_cast<std::size_t>(std::min(oldSize, newSize)), 0, err);
    if (ok && ::ftruncate(fd, newSize) != 0) ok = false, err = errno;
    if (ok && durability == fdSyncEach && ::fsync(fd) != 0) ok = false, err = errno;
    if (::close(fd) != 0 && ok) ok = false, err = errno;
    return ok ? TFileWriteResult{true, {}} : Failure("write", path, err);
}

// When a new name's file may be made without a name first: before anything else
// (the caller expects a new name), once the name is known to be free, or not at all
// (the contents are already made and go the ordinary way).
enum class TUnnamed { First, IfNew, Never };

// What became of an attempt to write an unnamed file and link it in.
struct TUnnamedAttempt {
    enum { Linked, Failed, Ordinary } Kind = Ordinary;
    TFileWriteResult Result; // Failed
    bool Filled = false;     // Ordinary: the contents are in Bytes
    std::string Bytes;
};

// Fills a file without a name in `folder` and names it `target` once whole, so an
// interruption leaves nothing behind and the folder changes once. Ordinary when the
// name exists (taken meanwhile) or this system cannot make or name such a file.
TUnnamedAttempt WriteUnnamed(const std::string& path, const std::string& folder,
                             const std::string& target, const TFileFiller& fill,
                             TFileDurability durability) {
    TUnnamedAttempt a;
    const int fd = Open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            a.Kind = TUnnamedAttempt::Failed;
            a.Result = Failure("create a file in", folder, errno);
        }
        return a;
    }
    int err = 0;
    bool ok = fill(fd, err);
    if (ok && durability == fdSyncEach && ::fsync(fd) != 0) ok = false, err = errno;
    if (ok && LinkUnnamed(fd, target)) {
        a.Kind = TUnnamedAttempt::Linked;
        if (::close(fd) != 0) {
            a.Kind = TUnnamedAttempt::Failed;
            a.Result = Failure("write", path, errno);
        }
        return a;
    }
    a.Filled = ok && ReadBack(fd, a.Bytes, err);
    if (!a.Filled) {
        a.Kind = TUnnamedAttempt::Failed;
        a.Result = Failure("write", path, err);
    }
    ::close(fd);
    return a;
}

TFileWriteResult WriteFile(const std::string& path, const TFileFiller& fill, TFileWriteRule rule,
                           TFileDurability durability, TUnnamed unnamed);

// The end of an unnamed attempt: done, failed, or the ordinary way with the contents
// it already made.
std::optional<TFileWriteResult> Settle(TUnnamedAttempt& a, const std::string& path,
                                       TFileWriteRule rule, TFileDurability durability) {
    if (a.Kind == TUnnamedAttempt::Linked) return TFileWriteResult{true, {}};
    if (a.Kind == TUnnamedAttempt::Failed) return a.Result;
    if (!a.Filled) return std::nullopt;
    const std::string& bytes = a.Bytes;
    return WriteFile(
        path, [&](int fd, int& err) { return WriteAll(fd, bytes.data(), bytes.size(), err); }, rule,
        durability, TUnnamed::Never);
}

TFileWriteResult WriteFile(const std::string& path, const TFileFiller& fill, TFileWriteRule rule,
                           TFileDurability durability, TUnnamed unnamed) {
    if (const int own = OwnDescriptor(path); own >= 0) {
        // Written where the descriptor stands, as a shell's redirection has it: appended
        // after ">>", into a pipe or socket as it comes.
        int err = 0;
        return fill(own, err) ? TFileWriteResult{true, {}} : Failure("write", path, err);
    }
    if (unnamed == TUnnamed::First && !path.empty() && !path.ends_with('/')) {
        // Linking fails on any existing name, so links, devices and files in place
        // still get their own treatment below.
        const auto slash = path.rfind('/');
        auto attempt =
            WriteUnnamed(path, slash == std::string::npos ? "." : path.substr(0, slash + 1), path,
                         fill, durability);
        if (auto done = Settle(attempt, path, rule, durability)) return *done;
        unnamed = TUnnamed::Never; // no unnamed files here
    }
    struct stat existing {};
    bool exists = false;
    const TLinkEnd end = FollowLinks(path, existing, exists);
    if (end.Kind == TLinkEnd::Failed) return Failure("write", path, end.Error);
    if (end.Kind == TLinkEnd::Refused)
        return {false, "cannot write " + path + ": " + end.Target +
                           " is another user's link in a shared sticky folder, which is not "
                           "followed: " +
                           std::strerror(EACCES)};
    if (end.Kind == TLinkEnd::OwnDescriptor) {
        int err = 0;
        return fill(end.Descriptor, err) ? TFileWriteResult{true, {}} : Failure("write", path, err);
    }
    const std::string& target = end.Target;
    const auto slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.empty()) return {false, "cannot write " + path + ": it names a directory"};
    const std::string shownDir = dir.empty() ? "." : dir;

    if (exists) {
        if (S_ISDIR(existing.st_mode)) return Failure("write", path, EISDIR);
        const bool regular = S_ISREG(existing.st_mode);
        if (rule == fwRegularFile && !regular)
            return {false, "cannot write " + path + ": not a regular file"};
        if (S_ISCHR(existing.st_mode) || S_ISFIFO(existing.st_mode))
            return WriteThrough(path, target, fill);
        if (!regular)
            return {false, "cannot write " + path + ": not a regular file, device or FIFO"};
        // As cp does: a file its owner made read-only stays as it is (root may write it).
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return Failure("write", path, errno);
        if (existing.st_nlink > 1) return RewriteInPlace(path, target, fill, durability);
    } else if (unnamed == TUnnamed::IfNew) {
        auto attempt = WriteUnnamed(path, shownDir, target, fill, durability);
        if (auto done = Settle(attempt, path, rule, durability)) return *done;
    }

    std::string temp;
    TTempName registered;
    const int fd = CreateTemporary(dir, base, exists, temp, registered);
    if (fd < 0) {
        const int err = errno;
        // A file the user may write in a folder they may not: written in place, as the
        // shell's ">" would. The settings store and the text files keep their old file
        // whole instead.
        if (exists && rule == fwReplaceName && (err == EACCES || err == EPERM))
            return RewriteInPlace(path, target, fill, durability);
        return Failure("create a file in", shownDir, err);
    }

    // A replacement takes the owner and mode of the file it replaces (the owner first:
    // a change of owner clears the set-id bits).
    if (exists) {
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
            (void)!::fchown(fd, existing.st_uid, existing.st_gid);
        ::fchmod(fd, existing.st_mode & 07777);
    }

    TFileWriteResult result{true, {}};
    int err = 0;
    if (!fill(fd, err))
        result = Failure("write", path, err);
    else if (durability == fdSyncEach && ::fsync(fd) != 0)
        result = Failure("write", path, errno);
    if (::close(fd) != 0 && result.Written) result = Failure("write", path, errno);
    if (result.Written && ::rename(temp.c_str(), target.c_str()) != 0)
        result = Failure("write", path, errno);
    if (!result.Written) ::unlink(temp.c_str());
    return result;
}

} // namespace

bool WriteAll(int fd, const char* bytes, std::size_t size, int& err) {
    while (size > 0) {
        const ssize_t k = ::write(fd, bytes, size);
        if (k < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        bytes += k;
        size -= static_cast<std::size_t>(k);
    }
    return true;
}

TFileWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                     TFileWriteRule rule, TFileDurability durability,
                                     TFileNameHint hint) {
    return WriteFileAtomically(
        path, [&](int fd, int& err) { return WriteAll(fd, bytes.data(), bytes.size(), err); }, rule,
        durability, hint);
}

TFileWriteResult WriteFileAtomically(const std::string& path, const TFileFiller& fill,
                                     TFileWriteRule rule, TFileDurability durability,
                                     TFileNameHint hint) {
    return WriteFile(path, fill, rule, durability,
                     hint == fnNew ? TUnnamed::First : TUnnamed::IfNew);
}

std::string SyncFileSystem(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "cannot flush " + path + ": " + std::strerror(errno);
    const int rc = ::syncfs(fd);
    const int err = errno;
    ::close(fd);
    return rc == 0 ? std::string() : "cannot flush " + path + ": " + std::strerror(err);
}

void RemoveTemporariesOnSignal() {
    struct sigaction sa {};
    sa.sa_handler = RemoveTemporariesAndDie;
    sigemptyset(&sa.sa_mask);
    for (const int sig : kEndingSignals)
        sigaddset(&sa.sa_mask, sig);
    for (const int sig : kEndingSignals)
        ::sigaction(sig, &sa, nullptr);
}

TFileReadResult ReadRegularFile(const std::string& path) {
    TFileReadResult r;
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = Open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        r.Error = errno;
        r.Kind = r.Error == ENOENT ? TFileReadResult::Missing : TFileReadResult::Failed;
        return r;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        r.Error = errno;
        r.Kind = S_ISREG(st.st_mode) ? TFileReadResult::Failed : TFileReadResult::NotRegular;
        ::close(fd);
        return r;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    r.Bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == r.Bytes.size()) r.Bytes.resize(r.Bytes.size() * 2);
        const ssize_t k = ::read(fd, r.Bytes.data() + got, r.Bytes.size() - got);
        if (k < 0 && errno == EINTR) continue;
        if (k < 0) {
            r.Kind = TFileReadResult::Failed;
            r.Error = errno;
            r.Bytes.clear();
            break;
        }
        if (k == 0) break;
        got += static_cast<std::size_t>(k);
    }
    if (r.Kind == TFileReadResult::Read) r.Bytes.resize(got);
    ::close(fd);
    return r;
}

int RemoveStaleTemporaries(const std::string& folder, const std::vector<std::string>& names) {
    const std::string shown = folder.empty() ? "." : folder;
    std::vector<std::string> stems;
    for (const std::string& name : names)
        stems.push_back("." + TemporaryStem(shown, name) + ".");
    DIR* dir = ::opendir(shown.c_str());
    if (!dir) return 0;
    const time_t now = ::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() <= kRandomLetters) continue;
        const std::string_view stem = name.substr(0, name.size() - kRandomLetters);
        if (std::find(stems.begin(), stems.end(), stem) == stems.end() ||
            name.substr(stem.size()).find_first_not_of(kLetters) != std::string_view::npos)
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        // Ours, whole and untouched for long: a running writer keeps its file fresh.
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink != 1 ||
            now - st.st_mtime < kStaleTemporaryAge.count())
            continue;
        if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace composer
