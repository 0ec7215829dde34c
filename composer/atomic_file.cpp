#include "composer/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "composer/file_error.h"

namespace composer {
namespace {

TFileWriteResult Failure(const std::string& what, const std::string& path, int err) {
    return {false, "cannot " + what + " " + path + ": " + std::strerror(err)};
}

// The name that is replaced: under fwKeepExisting a symbolic link's final target.
std::string ReplacedName(const std::string& path, TFileWriteRule rule) {
    if (rule != fwKeepExisting) return path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved)) return path; // a dangling link is replaced itself
    return resolved;
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
                                     TFileWriteRule rule) {
    return WriteFileAtomically(
        path, [&](int fd, int& err) { return WriteAll(fd, bytes.data(), bytes.size(), err); },
        rule);
}

TFileWriteResult WriteFileAtomically(const std::string& path, const TFileFiller& fill,
                                     TFileWriteRule rule) {
    const std::string target = ReplacedName(path, rule);
    const auto slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.empty()) return {false, "cannot write " + path + ": it names a directory"};

    struct stat existing {};
    const bool exists = rule == fwKeepExisting && ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return Failure("write", path, EISDIR);
    if (exists && ::access(target.c_str(), W_OK) != 0) return Failure("write", path, errno);

    std::string temp = (slash == std::string::npos ? std::string() : dir) + "." + base + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Failure("create a file in", dir, errno);

    // mkstemp makes the file private; give it the mode the file is to have.
    mode_t mode = 0;
    if (exists) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    int err = 0;
    TFileWriteResult result{true, {}};
    if (!fill(fd, err))
        result = Failure("write", path, err);
    else if (::fsync(fd) != 0)
        result = Failure("write", path, errno);
    if (::close(fd) != 0 && result.Written) result = Failure("write", path, errno);
    if (result.Written && ::rename(temp.c_str(), target.c_str()) != 0)
        result = Failure("write", path, errno);
    if (!result.Written) ::unlink(temp.c_str());
    return result;
}

void SaveFileAtomically(const QString& path, std::string_view bytes) {
    const TFileWriteResult result = WriteFileAtomically(path.toStdString(), bytes, fwKeepExisting);
    if (!result.Written)
        throw EFileWriteError("Cannot create file \"" + path.toStdString() + "\". " + result.Error);
}

} // namespace composer
