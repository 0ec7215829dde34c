#include "composer/atomic_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

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
bool FollowLinks(std::string& name, int& err) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
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

// The whole new contents of a file, gathered in memory before an in-place rewrite.
bool FillMemory(const TFileFiller& fill, std::string& bytes, int& err) {
    const int fd = ::memfd_create("varoku", MFD_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return false;
    }
    bool ok = fill(fd, err);
    const off_t size = ok ? ::lseek(fd, 0, SEEK_END) : 0;
    if (ok && size < 0) ok = false, err = errno;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size));
        std::size_t got = 0;
        while (ok && got < bytes.size()) {
            const ssize_t k =
                ::pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
            if (k < 0 && errno == EINTR) continue;
            if (k <= 0)
                ok = false, err = k < 0 ? errno : EIO;
            else
                got += static_cast<std::size_t>(k);
        }
    }
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
                                     TFileWriteRule rule, TFileDurability durability) {
    return WriteFileAtomically(
        path, [&](int fd, int& err) { return WriteAll(fd, bytes.data(), bytes.size(), err); }, rule,
        durability);
}

TFileWriteResult WriteFileAtomically(const std::string& path, const TFileFiller& fill,
                                     TFileWriteRule rule, TFileDurability durability) {
    std::string target = path;
    int err = 0;
    if (!FollowLinks(target, err)) return Failure("write", path, err);
    const auto slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.empty()) return {false, "cannot write " + path + ": it names a directory"};

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists) {
        if (S_ISDIR(existing.st_mode)) return Failure("write", path, EISDIR);
        if (S_ISCHR(existing.st_mode) || S_ISFIFO(existing.st_mode))
            return WriteThrough(path, target, fill, false, durability);
        if (!S_ISREG(existing.st_mode))
            return {false, "cannot write " + path + ": not a regular file, device or FIFO"};
        if (rule == fwKeepExisting && ::access(target.c_str(), W_OK) != 0)
            return Failure("write", path, errno);
        if (existing.st_nlink > 1) return WriteThrough(path, target, fill, true, durability);
    }

    std::string temp = (slash == std::string::npos ? std::string() : dir) + "." + base + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return Failure("create a file in", dir, errno);
    const TTempName registered(temp);

    // mkstemp makes the file private; give it the owner and mode the file is to have
    // (the owner first: a change of owner clears the set-id bits).
    mode_t mode = 0;
    if (exists) {
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
            (void)!::fchown(fd, existing.st_uid, existing.st_gid);
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

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
