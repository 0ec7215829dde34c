#include "cli/output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

namespace cli {

namespace {

// Collects lines into large blocks so that a big picture takes few system calls.
class TBlockWriter {
public:
    explicit TBlockWriter(int fd) : fd_(fd) { buffer_.reserve(kBlock); }

    bool Put(const std::string& line) {
        if (buffer_.size() + line.size() + 1 > kBlock && !Flush()) return false;
        if (line.size() + 1 > kBlock) return WriteAll(line.data(), line.size()) && WriteAll("\n", 1);
        buffer_ += line;
        buffer_ += '\n';
        return true;
    }

    bool Flush() {
        const bool ok = WriteAll(buffer_.data(), buffer_.size());
        buffer_.clear();
        return ok;
    }

    int Errno() const { return errno_; }

    // Unbuffered, for bytes that are already one block.
    bool Write(const char* p, std::size_t n) { return WriteAll(p, n); }

private:
    static constexpr std::size_t kBlock = 1 << 20;

    bool WriteAll(const char* p, std::size_t n) {
        while (n > 0) {
            const ssize_t k = ::write(fd_, p, n);
            if (k < 0) {
                if (errno == EINTR) continue;
                errno_ = errno;
                return false;
            }
            p += k;
            n -= static_cast<std::size_t>(k);
        }
        return true;
    }

    int fd_;
    int errno_ = 0;
    std::string buffer_;
};

bool WriteAllLines(int fd, const std::vector<std::string>& lines, int& err) {
    TBlockWriter out(fd);
    for (const auto& line : lines)
        if (!out.Put(line)) {
            err = out.Errno();
            return false;
        }
    if (!out.Flush()) {
        err = out.Errno();
        return false;
    }
    return true;
}

std::string Failure(const std::string& what, const std::string& path, int err) {
    return "cannot " + what + " " + path + ": " + std::strerror(err);
}

// Writes through `fill` to standard output (empty path) or to a temporary file beside
// path that replaces it once complete.
std::string WriteAtomically(const std::string& path, const std::function<bool(int fd, int& err)>& fill) {
    int err = 0;
    if (path.empty()) {
        if (!fill(STDOUT_FILENO, err)) return Failure("write", "standard output", err);
        return {};
    }

    const auto slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) return "cannot write " + path + ": it names a directory";
    std::string temp = (slash == std::string::npos ? std::string() : dir) + "." + base + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Failure("create a file in", dir, errno);

    // mkstemp makes the file private; give it the mode any new file would get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);

    std::string error;
    if (!fill(fd, err))
        error = Failure("write", path, err);
    else if (::fsync(fd) != 0)
        error = Failure("write", path, errno);
    if (::close(fd) != 0 && error.empty()) error = Failure("write", path, errno);
    if (error.empty() && ::rename(temp.c_str(), path.c_str()) != 0) error = Failure("write", path, errno);
    if (!error.empty()) ::unlink(temp.c_str());
    return error;
}

}  // namespace

std::string WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    return WriteAtomically(path, [&](int fd, int& err) { return WriteAllLines(fd, lines, err); });
}

std::string WriteBytes(const std::string& path, std::string_view bytes) {
    return WriteAtomically(path, [&](int fd, int& err) {
        TBlockWriter out(fd);
        if (out.Write(bytes.data(), bytes.size())) return true;
        err = out.Errno();
        return false;
    });
}

}  // namespace cli
