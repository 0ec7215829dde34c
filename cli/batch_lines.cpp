#include "cli/batch_lines.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cli/input.h"

namespace cli {

namespace {

// A file nobody else can see, gone with the process: O_TMPFILE where the file system
// offers it, else a name removed at once.
std::FILE* UnnamedTemporaryFile() {
    const char* env = std::getenv("TMPDIR");
    const std::string folder = env && *env ? env : "/tmp";
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::string name = folder + "/.varoku-qr-batch.XXXXXX";
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) return nullptr;
        ::unlink(name.c_str());
    }
    std::FILE* f = ::fdopen(fd, "w+b");
    if (!f) ::close(fd);
    return f;
}

// Each kept line: its number, its length (kTooLongMark for a line beyond the limit,
// whose bytes are not kept), its bytes.
constexpr std::uint64_t kTooLongMark = ~std::uint64_t{0};

} // namespace

TBatchLines::~TBatchLines() {
    if (kept_) std::fclose(kept_);
}

bool TBatchLines::Keep(std::int64_t number, bool tooLong, std::string_view text) {
    const std::uint64_t head[2] = {static_cast<std::uint64_t>(number),
                                   tooLong ? kTooLongMark : text.size()};
    ++count_;
    return std::fwrite(head, sizeof head, 1, kept_) == 1 &&
           (text.empty() || std::fwrite(text.data(), text.size(), 1, kept_) == 1);
}

TOutcome TBatchLines::Read(const std::string& path, bool utf8) {
    TOutcome r;
    const bool stdinput = path == "-";
    const std::string name = stdinput ? "standard input" : path;
    const int fd = stdinput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        r.Exit = kExitUsage;
        r.Error = "cannot open " + path + ": " + std::strerror(errno);
        return r;
    }
    kept_ = UnnamedTemporaryFile();
    if (!kept_) {
        r.Exit = kExitUsage;
        r.Error =
            std::string("cannot make a temporary file for the lines: ") + std::strerror(errno);
        if (!stdinput) ::close(fd);
        return r;
    }
    // One line at a time: at most kMaxInputBytes of it are held, the rest only counted.
    std::string line;
    std::uint64_t length = 0;
    bool first = true;
    bool kept = true;
    auto endLine = [&] {
        ++total_;
        if (first && utf8 && line.starts_with("\xEF\xBB\xBF")) {
            line.erase(0, 3);
            length -= 3;
        }
        first = false;
        const bool tooLong = length > kMaxInputBytes;
        if (!tooLong && line.ends_with('\r')) line.pop_back(), --length;
        if (length > 0) kept = kept && Keep(total_, tooLong, tooLong ? "" : line);
        line.clear();
        length = 0;
    };
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            r.Exit = kExitUsage;
            r.Error = "cannot read " + name + ": " + std::strerror(errno);
            break;
        }
        if (n == 0) {
            if (length > 0) endLine();
            break;
        }
        std::string_view chunk(buf, static_cast<std::size_t>(n));
        while (!chunk.empty()) {
            const std::size_t end = chunk.find('\n');
            const std::string_view part = chunk.substr(0, end);
            // Room for a byte-order mark and a CR beyond the limit.
            if (line.size() < kMaxInputBytes + 4)
                line.append(part.substr(0, kMaxInputBytes + 4 - line.size()));
            length += part.size();
            if (end == std::string_view::npos) break;
            endLine();
            chunk.remove_prefix(end + 1);
        }
    }
    if (!stdinput) ::close(fd);
    if (r.Ok() && (!kept || std::fflush(kept_) != 0 || std::fseek(kept_, 0, SEEK_SET) != 0)) {
        r.Exit = kExitUsage;
        r.Error = std::string("cannot keep the lines in a temporary file: ") + std::strerror(errno);
    }
    return r;
}

bool TBatchLines::Next(TBatchLine& line) {
    std::lock_guard lock(mutex_);
    if (handed_ >= count_ || !readBackError_.empty()) return false;
    std::uint64_t head[2];
    bool read = std::fread(head, sizeof head, 1, kept_) == 1;
    if (read) {
        line.Number = static_cast<std::int64_t>(head[0]);
        line.TooLong = head[1] == kTooLongMark;
        line.Text.resize(line.TooLong ? 0 : head[1]);
        read = line.Text.empty() || std::fread(line.Text.data(), line.Text.size(), 1, kept_) == 1;
    }
    if (!read) {
        readBackError_ = std::string("cannot read the lines back from their temporary file: ") +
                         (std::ferror(kept_) ? std::strerror(errno) : "it was cut short");
        return false;
    }
    ++handed_;
    return true;
}

std::string TBatchLines::ReadBackError() const {
    std::lock_guard lock(mutex_);
    return readBackError_;
}

} // namespace cli
