#include "tests/support/phone_reader.h"

#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

extern char** environ;

namespace test_support {

namespace {

std::string Unhex(const std::string& hex, bool& ok) {
    std::string out;
    ok = hex.size() % 2 == 0;
    auto digit = [&ok](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        ok = false;
        return 0;
    };
    for (std::size_t i = 0; ok && i + 1 < hex.size(); i += 2)
        out += static_cast<char>(digit(hex[i]) * 16 + digit(hex[i + 1]));
    return out;
}

// The Java reader as a child process, talking over one socket (a socket rather than
// pipes: a send to a reader that died fails with EPIPE instead of killing the test
// with SIGPIPE).
class TJavaReader {
public:
    ~TJavaReader() {
        if (fd_ >= 0) ::close(fd_); // end of input: the reader returns from main
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }

    TPhoneReading Read(const std::uint8_t* pixels, int width, int height, int rowStride) {
        std::lock_guard lock(mutex_);
        TPhoneReading reading;
        if (error_.empty() && pid_ <= 0) Start();
        if (error_.empty()) Exchange(pixels, width, height, rowStride, reading);
        if (!error_.empty()) reading.Error = error_;
        return reading;
    }

private:
    void Start() {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
            error_ = std::string("socketpair: ") + std::strerror(errno);
            return;
        }
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, fds[1], 0);
        ::posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        std::string java = VAROKU_JAVA, classPath = VAROKU_PHONE_READER_CLASSPATH;
        std::string heap = "-Xmx256m", gc = "-XX:+UseSerialGC", cp = "-cp", main = "PhoneReader";
        char* argv[] = {java.data(),      heap.data(), gc.data(), cp.data(),
                        classPath.data(), main.data(), nullptr};
        const int spawned = ::posix_spawn(&pid_, java.c_str(), &actions, nullptr, argv, environ);
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        fd_ = fds[0];
        if (spawned != 0) {
            pid_ = 0;
            error_ = "cannot start the ZXing Java reader " + java + ": " + std::strerror(spawned) +
                     " (scripts/install-deps installs default-jdk-headless and "
                     "libzxing-core-java)";
        }
    }

    void Exchange(const std::uint8_t* pixels, int width, int height, int rowStride,
                  TPhoneReading& reading) {
        if (rowStride == 0) rowStride = width;
        std::string request = std::to_string(width) + " " + std::to_string(height) + "\n";
        request.reserve(request.size() + static_cast<std::size_t>(width) * height);
        for (int y = 0; y < height; ++y) {
            const auto* row = pixels + static_cast<std::ptrdiff_t>(y) * rowStride;
            request.append(reinterpret_cast<const char*>(row), static_cast<std::size_t>(width));
        }
        for (std::size_t sent = 0; sent < request.size();) {
            const ssize_t n =
                ::send(fd_, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return Died("while taking a picture");
            sent += static_cast<std::size_t>(n);
        }
        for (;;) {
            std::string line;
            if (!NextLine(line)) return Died("before its answer was complete");
            const std::size_t tab = line.find('\t');
            bool ok = tab != std::string::npos;
            const std::string key = line.substr(0, tab);
            const std::string value = ok ? Unhex(line.substr(tab + 1), ok) : std::string();
            if (!ok) {
                error_ = "the ZXing Java reader answered a malformed line: " + line;
                return;
            }
            if (key == "end") return;
            if (key == "error") {
                reading.Error = "the ZXing Java reader failed: " + value;
                continue;
            }
            if (key == "symbol") {
                TPhoneSymbol s;
                if (std::sscanf(value.c_str(), "%d %d %d", &s.Index, &s.Count, &s.Parity) != 3) {
                    error_ = "the ZXing Java reader answered a malformed symbol: " + value;
                    return;
                }
                reading.Symbols.push_back(s);
                continue;
            }
            if (key == "result") {
                reading.Results.emplace_back();
                continue;
            }
            if (reading.Results.empty()) {
                error_ = "the ZXing Java reader answered " + key + " before any result";
                return;
            }
            TPhoneResult& r = reading.Results.back();
            if (key == "text") r.Text = value;
            if (key == "type") r.Type = value;
            if (key == "sa-sequence") r.SaSequence = std::atoi(value.c_str());
            if (key == "sa-parity") r.SaParity = std::atoi(value.c_str());
            if (key.starts_with("field.")) r.Fields.emplace(key.substr(6), value);
        }
    }

    bool NextLine(std::string& line) {
        for (;;) {
            if (const std::size_t nl = buffer_.find('\n', scanned_); nl != std::string::npos) {
                line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                scanned_ = 0;
                return true;
            }
            scanned_ = buffer_.size();
            char chunk[1 << 16];
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    void Died(const char* when) {
        int status = 0;
        std::string how = "ended";
        if (::waitpid(pid_, &status, 0) == pid_) {
            how = WIFEXITED(status) ? "exited with status " + std::to_string(WEXITSTATUS(status))
                  : WIFSIGNALED(status) ? "was killed by signal " + std::to_string(WTERMSIG(status))
                                        : how;
        }
        pid_ = -1; // reaped: nothing to wait for at exit, and no restart
        error_ = "the ZXing Java reader " + how + " " + when + " (anything it wrote is above)";
    }

    std::mutex mutex_;
    pid_t pid_ = 0; // 0 before the start, -1 after the reader ended
    int fd_ = -1;
    std::string buffer_;
    std::size_t scanned_ = 0;
    std::string error_;
};

TJavaReader& Reader() {
    static TJavaReader reader;
    return reader;
}

} // namespace

std::vector<std::string> TPhoneResult::All(const std::string& field) const {
    std::vector<std::string> values;
    for (auto [it, end] = Fields.equal_range(field); it != end; ++it)
        values.push_back(it->second);
    return values;
}

std::string TPhoneResult::First(const std::string& field) const {
    // Entries of one key keep their order, so the lower bound is the first one read.
    const auto it = Fields.lower_bound(field);
    return it == Fields.end() || it->first != field ? std::string() : it->second;
}

TPhoneReading PhoneRead(const std::uint8_t* pixels, int width, int height, int rowStride) {
    return Reader().Read(pixels, width, height, rowStride);
}

TPhoneReading PhoneRead(const TGreyImage& image) {
    return PhoneRead(image.Pixels.data(), image.Width, image.Height, image.Width);
}

} // namespace test_support
