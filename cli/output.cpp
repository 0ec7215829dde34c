#include "cli/output.h"

#include <unistd.h>

#include <cstring>

#include "composer/atomic_file.h"

namespace cli {

namespace {

// Collects lines into large blocks so that a big picture takes few system calls.
class TBlockWriter {
public:
    explicit TBlockWriter(int fd) : fd_(fd) { buffer_.reserve(kBlock); }

    bool Put(const std::string& line, int& err) {
        if (buffer_.size() + line.size() + 1 > kBlock && !Flush(err)) return false;
        if (line.size() + 1 > kBlock)
            return composer::WriteAll(fd_, line.data(), line.size(), err) &&
                   composer::WriteAll(fd_, "\n", 1, err);
        buffer_ += line;
        buffer_ += '\n';
        return true;
    }

    bool Flush(int& err) {
        const bool ok = composer::WriteAll(fd_, buffer_.data(), buffer_.size(), err);
        buffer_.clear();
        return ok;
    }

private:
    static constexpr std::size_t kBlock = 1 << 20;

    int fd_;
    std::string buffer_;
};

bool WriteAllLines(int fd, const std::vector<std::string>& lines, int& err) {
    TBlockWriter out(fd);
    for (const auto& line : lines)
        if (!out.Put(line, err)) return false;
    return out.Flush(err);
}

// Standard output for an empty path; otherwise the program's one atomic writer, which
// writes through a device or FIFO and replaces a link's target rather than the link.
std::string Write(const std::string& path, const composer::TFileFiller& fill, TWriteKind kind) {
    if (path.empty()) {
        int err = 0;
        if (fill(STDOUT_FILENO, err)) return {};
        return std::string("cannot write standard output: ") + std::strerror(err);
    }
    return composer::WriteFileAtomically(
               path, fill, composer::fwReplaceName,
               kind == wkSingle ? composer::fdSyncEach : composer::fdCallerSyncs,
               kind == wkBatchNew ? composer::fnNew : composer::fnMayExist)
        .Error;
}

} // namespace

std::string WriteLines(const std::string& path, const std::vector<std::string>& lines,
                       TWriteKind kind) {
    return Write(
        path, [&](int fd, int& err) { return WriteAllLines(fd, lines, err); }, kind);
}

std::string WriteBytes(const std::string& path, std::string_view bytes, TWriteKind kind) {
    return Write(
        path,
        [&](int fd, int& err) { return composer::WriteAll(fd, bytes.data(), bytes.size(), err); },
        kind);
}

} // namespace cli
