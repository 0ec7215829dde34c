#include "cli/batch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/input.h"
#include "cli/picture.h"
#include "cli/produce.h"
#include "composer/atomic_file.h"

namespace cli {

namespace {

struct TLine {
    int Number = 0; // 1-based line number in the file
    std::string Text;
};

// Non-empty lines; a CR before the LF belongs to the line break, not to the text.
std::vector<TLine> SplitLines(const std::string& bytes, int& total) {
    std::vector<TLine> lines;
    total = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos) end = bytes.size();
        if (end > start && bytes[end - 1] == '\r') --end;
        ++total;
        if (end > start) lines.push_back({total, bytes.substr(start, end - start)});
        start = next;
    }
    return lines;
}

// Progress on standard error: one line rewritten in place on a terminal, a line per
// tenth otherwise (a log should not fill with carriage returns).
class TProgress {
public:
    TProgress(int total, bool on)
        : total_(total), on_(on), terminal_(::isatty(STDERR_FILENO) == 1) {}

    void Done(int done) {
        if (!on_) return;
        if (terminal_) {
            shown_ = std::fprintf(stderr, "\rvaroku-qr: %d of %d lines", done, total_) - 1;
            if (done == total_) Clear();
        } else if (done * 10 / total_ != (done - 1) * 10 / total_) {
            std::fprintf(stderr, "varoku-qr: %d of %d lines\n", done, total_);
        }
        std::fflush(stderr);
    }

    // Before any other message, so that it does not run into the progress line.
    void Clear() {
        if (shown_ <= 0) return;
        std::fprintf(stderr, "\r%*s\r", shown_, "");
        shown_ = 0;
    }

private:
    int total_;
    bool on_;
    bool terminal_;
    int shown_ = 0;
};

std::string Padded(int number, int width) {
    std::string s = std::to_string(number);
    return std::string(width > static_cast<int>(s.size()) ? width - s.size() : 0, '0') + s;
}

} // namespace

int RunBatch(const TCliOptions& options) {
    const std::string& dir = options.OutputPath;
    // The input first: a batch that cannot start leaves no empty folder behind.
    auto input = ReadFileOrStdin(options.BatchFile);
    if (!input.Error.empty()) {
        std::fprintf(stderr, "varoku-qr: %s\n", input.Error.c_str());
        return kExitUsage;
    }
    const bool made = ::mkdir(dir.c_str(), 0777) == 0;
    if (!made && errno != EEXIST) {
        std::fprintf(stderr, "varoku-qr: cannot make the folder %s: %s\n", dir.c_str(),
                     std::strerror(errno));
        return kExitUsage;
    }
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "varoku-qr: %s is not a folder\n", dir.c_str());
        return kExitUsage;
    }
    composer::RemoveTemporariesOnSignal();
    if (options.InputEncoding == TInputEncoding::Utf8 && input.Bytes.starts_with("\xEF\xBB\xBF"))
        input.Bytes.erase(0, 3);
    int total = 0;
    const auto lines = SplitLines(input.Bytes, total);
    input.Bytes.clear();

    std::optional<TGuiSession> gui;
    if (NeedsComponent(*options.Type)) gui.emplace();
    auto engine = std::make_unique<qr::engine::TQRSymbolEngine>();
    const int width = static_cast<int>(std::to_string(total).size());
    const std::string base = dir.ends_with('/') ? dir : dir + "/";

    TProgress progress(static_cast<int>(lines.size()),
                       static_cast<int>(lines.size()) > kBatchProgressFrom);
    int failed = 0;
    int done = 0;
    for (const auto& line : lines) {
        std::string error;
        std::vector<std::string> warnings;
        std::string code = line.Text;
        if (options.InputEncoding == TInputEncoding::Utf8) {
            auto converted = Utf8ToShiftJis(line.Text);
            error = converted.Error;
            code = std::move(converted.Bytes);
        }
        if (error.empty()) {
            const std::string path =
                base + Padded(line.Number, width) + PictureExtension(*options.Type);
            const auto product =
                Produce(options, options.Symbols, code, path, *engine, /*syncEach=*/false);
            error = product.Error;
            warnings = product.Warnings;
        }
        if (!error.empty() || !warnings.empty()) progress.Clear();
        for (const auto& w : warnings)
            std::fprintf(stderr, "varoku-qr: line %d: warning: %s\n", line.Number, w.c_str());
        if (!error.empty()) {
            ++failed;
            std::fprintf(stderr, "varoku-qr: line %d: %s\n", line.Number, error.c_str());
        }
        progress.Done(++done);
    }
    // Each file was renamed into place whole; one flush of the file system makes them
    // all durable, far cheaper than a flush per file.
    if (failed < static_cast<int>(lines.size())) {
        if (const auto error = composer::SyncFileSystem(dir); !error.empty()) {
            std::fprintf(stderr, "varoku-qr: %s\n", error.c_str());
            return kExitUsage;
        }
    }
    if (failed > 0 && failed == static_cast<int>(lines.size())) {
        if (made) ::rmdir(dir.c_str());
        std::fprintf(stderr, "varoku-qr: all %d lines failed; nothing was written\n", failed);
        return kExitNoFit;
    }
    if (failed > 0) {
        std::fprintf(stderr, "varoku-qr: %d of %d lines failed; the others are in %s\n", failed,
                     static_cast<int>(lines.size()), dir.c_str());
        return kExitNoFit;
    }
    return kExitOk;
}

} // namespace cli
