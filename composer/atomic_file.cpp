#include "composer/atomic_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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
namespace {

TFileWriteResult Failure(const std::string& what, const std::string& path, int err) {
    return {false, "cannot " + what + " " + path + ": " + std::strerror(err)};
}

// The names of the temporary files being written, for the signal handler. Fixed slots
// of plain characters: a handler may read them, and a batch writes from a few threads.
constexpr int kTempSlots = 64;
struct TTempSlot {
    std::atomic<bool> Used{false};
    std::atomic<bool> Live{false};
    // Zero from the start, so the table is set up at compile time and its pages are
    // touched only when a slot is used.
    char Name[PATH_MAX] = {};
};
TTempSlot g_temps[kTempSlots];

class TTempName {
public:
    explicit TTempName(const std::string& name) {
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

extern "C" void RemoveTemporariesAndDie(int sig) {
    for (auto& slot : g_temps)
        if (slot.Live.load()) ::unlink(slot.Name);
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

// A symbolic link followed to the name it finally points at, existing or not (a
// dangling link's target is created). Relative targets count from the link's folder.
// `exists` and `st` tell what that name is.
bool FollowLinks(std::string& name, struct stat& st, bool& exists, int& err) {
    for (int hops = 0; hops < 40; ++hops) {
        exists = ::lstat(name.c_str(), &st) == 0;
        if (!exists || !S_ISLNK(st.st_mode)) return true;
        char target[PATH_MAX];
        const ssize_t n = ::readlink(name.c_str(), target, sizeof target - 1);
        if (n < 0) {
            err = errno;
            return false;
        }
        target[n] = '\0';
        if (target[0] == '/') {
            name = target;
        } else {
            const auto slash = name.rfind('/');
            name =
                (slash == std::string::npos ? std::string() : name.substr(0, slash + 1)) + target;
        }
    }
    err = ELOOP;
    return false;
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

// A file named after `base` that did not exist, opened for writing; its mode is 0666
// less the umask (the mode a new file gets) or private when `private_` is set.
int CreateTemporary(const std::string& folder, const std::string& base, bool private_,
                    std::string& name) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "." + base + ".";
        for (int i = 0; i < 6; ++i)
            name += kLetters[::arc4random_uniform(sizeof kLetters - 1)];
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                              private_ ? 0600 : 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
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

// A device or FIFO gets the bytes as they come; a file with other hard links is
// overwritten and cut to the new length only once the new contents are complete.
TFileWriteResult WriteThrough(const std::string& path, const std::string& target,
                              const TFileFiller& fill, bool regular, TFileDurability durability) {
    std::string bytes;
    int err = 0;
    if (regular && !FillMemory(fill, bytes, err)) return Failure("write", path, err);
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return Failure("write", path, errno);
    bool ok = regular ? WriteAll(fd, bytes.data(), bytes.size(), err) : fill(fd, err);
    if (ok && regular && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        ok = false, err = errno;
    if (ok && regular && durability == fdSyncEach && ::fsync(fd) != 0) ok = false, err = errno;
    if (::close(fd) != 0 && ok && regular) ok = false, err = errno;
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
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
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
    std::string target = path;
    struct stat existing {};
    bool exists = false;
    int err = 0;
    if (!FollowLinks(target, existing, exists, err)) return Failure("write", path, err);
    const auto slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.empty()) return {false, "cannot write " + path + ": it names a directory"};
    const std::string shownDir = dir.empty() ? "." : dir;

    if (exists) {
        if (S_ISDIR(existing.st_mode)) return Failure("write", path, EISDIR);
        if (S_ISCHR(existing.st_mode) || S_ISFIFO(existing.st_mode))
            return WriteThrough(path, target, fill, false, durability);
        if (!S_ISREG(existing.st_mode))
            return {false, "cannot write " + path + ": not a regular file, device or FIFO"};
        if (rule == fwKeepExisting && ::access(target.c_str(), W_OK) != 0)
            return Failure("write", path, errno);
        if (existing.st_nlink > 1) return WriteThrough(path, target, fill, true, durability);
    } else if (unnamed == TUnnamed::IfNew) {
        auto attempt = WriteUnnamed(path, shownDir, target, fill, durability);
        if (auto done = Settle(attempt, path, rule, durability)) return *done;
    }

    std::string temp;
    const int fd = CreateTemporary(dir, base, exists, temp);
    if (fd < 0) return Failure("create a file in", shownDir, errno);
    const TTempName registered(temp);

    // A replacement takes the owner and mode of the file it replaces (the owner first:
    // a change of owner clears the set-id bits).
    if (exists) {
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
            (void)!::fchown(fd, existing.st_uid, existing.st_gid);
        ::fchmod(fd, existing.st_mode & 07777);
    }

    TFileWriteResult result{true, {}};
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
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
}

} // namespace composer
