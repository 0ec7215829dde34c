#include "cli/batch.h"

#include <malloc.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/draw_library.h"
#include "cli/input.h"
#include "cli/produce.h"
#include "composer/atomic_file.h"

namespace cli {

namespace {

struct TLine {
    int Number = 0;        // 1-based line number in the file
    std::string_view Text; // in the bytes read
};

// Non-empty lines; a CR before the LF belongs to the line break, not to the text.
std::vector<TLine> SplitLines(std::string_view bytes, int& total) {
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

// The processors this process may run on, as nproc counts them: a batch started
// under taskset or in a container limited to some processors starts no more threads.
int UsableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

std::string Padded(int number, int width) {
    std::string s = std::to_string(number);
    return std::string(width > static_cast<int>(s.size()) ? width - s.size() : 0, '0') + s;
}

// Draws and writes the lines on `jobs` threads (this one among them), each with an
// engine of its own. Outcomes go to `report` in line order, one at a time: whichever
// thread finishes the next line to report reports it and every finished line after
// it, so messages and progress read as with one thread and nobody waits on a
// reporter. A new file is made without a name and named at the end, so the threads
// share the folder's lock only for that last step.
template <typename TDraw, typename TReport>
void DrawInParallel(std::size_t count, int jobs, TDraw draw, TReport report) {
    std::vector<std::optional<TOutcome>> outcomes(count);
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable room;
    // Outcomes wait in memory until reported: the threads stay at most this many lines
    // ahead of the reporting, however long one line takes.
    const std::size_t ahead = 16 * static_cast<std::size_t>(jobs);
    std::size_t reported = 0;
    auto work = [&] {
        // The engine keeps every work area of a version 40 symbol inside itself.
        auto engine = std::make_unique<qr::engine::TQRSymbolEngine>();
        for (std::size_t i; (i = next.fetch_add(1)) < count;) {
            {
                std::unique_lock lock(mutex);
                room.wait(lock, [&] { return i < reported + ahead; });
            }
            TOutcome outcome = draw(i, *engine);
            std::lock_guard lock(mutex);
            outcomes[i] = std::move(outcome);
            const std::size_t before = reported;
            for (; reported < count && outcomes[reported]; ++reported) {
                report(reported, *outcomes[reported]);
                outcomes[reported].reset();
            }
            if (reported != before) room.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < jobs; ++t)
        threads.emplace_back(work);
    work();
    for (auto& thread : threads)
        thread.join();
}

} // namespace

int RunBatch(const TCliOptions& options) {
    const std::string& dir = options.OutputPath;
    // The input first: a batch that cannot start leaves no empty folder behind.
    auto input = ReadFileOrStdin(options.BatchFile, std::numeric_limits<std::size_t>::max());
    if (!input.Ok()) {
        std::fprintf(stderr, "varoku-qr: %s\n", input.Error.c_str());
        return input.Exit;
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
    // Every line allocates and frees the same few hundred kilobytes (zlib's state, the
    // pixels); handing them back to the system each time cost more than drawing.
    ::mallopt(M_MMAP_THRESHOLD, 64 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 256 << 20);
    if (options.InputEncoding == TInputEncoding::Utf8 && input.Bytes.starts_with("\xEF\xBB\xBF"))
        input.Bytes.erase(0, 3);
    int total = 0;
    const auto lines = SplitLines(input.Bytes, total);

    // The component is a widget and lives on this thread alone; the plain pictures are
    // drawn on as many threads as asked for.
    std::optional<TDrawSession> gui;
    int jobs = options.Jobs > 0 ? options.Jobs : UsableProcessors();
    if (NeedsComponent(options)) {
        std::string error;
        const TDrawEntries* entries = DrawLibrary(error);
        if (!entries) {
            std::fprintf(stderr, "varoku-qr: %s\n", error.c_str());
            return kExitUsage;
        }
        gui.emplace(*entries);
        jobs = 1;
    }
    jobs = std::min(jobs, static_cast<int>(std::max<std::size_t>(1, lines.size())));
    const int width = static_cast<int>(std::to_string(total).size());
    const std::string base = dir.ends_with('/') ? dir : dir + "/";

    // Lines that are not plain ASCII are converted here, one after the other: the
    // converter is not shared between threads. Plain ASCII is its own Shift-JIS, taken
    // as it stands by the thread that draws it.
    std::vector<std::optional<TInputResult>> converted(lines.size());
    if (options.InputEncoding == TInputEncoding::Utf8) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (!IsPlainAscii(lines[i].Text)) converted[i] = Utf8ToShiftJis(lines[i].Text);
    }

    auto path = [&](std::size_t i) {
        return base + Padded(lines[i].Number, width) + PictureExtension(*options.Type);
    };
    auto draw = [&](std::size_t i, qr::engine::TQRSymbolEngine& engine) {
        std::optional<TInputResult>& text = converted[i];
        if (text && !text->Ok()) return static_cast<TOutcome>(std::move(*text));
        const std::string code = text ? std::move(text->Bytes) : std::string(lines[i].Text);
        text.reset();
        engine = qr::engine::TQRSymbolEngine();
        const bool utf8 = options.InputEncoding == TInputEncoding::Utf8;
        return Produce(options, options.Symbols, code, path(i), engine, made ? wkBatchNew : wkBatch,
                       utf8 ? lines[i].Text : std::string_view());
    };

    TProgress progress(static_cast<int>(lines.size()),
                       static_cast<int>(lines.size()) > kBatchProgressFrom);
    int failed = 0;
    int done = 0;
    auto report = [&](std::size_t i, TOutcome& outcome) {
        const int number = lines[i].Number;
        if (!outcome.Error.empty() || !outcome.Warnings.empty()) progress.Clear();
        for (const auto& w : outcome.Warnings)
            std::fprintf(stderr, "varoku-qr: line %d: warning: %s\n", number, w.c_str());
        if (!outcome.Error.empty()) {
            ++failed;
            std::fprintf(stderr, "varoku-qr: line %d: %s\n", number, outcome.Error.c_str());
        }
        progress.Done(++done);
    };
    if (jobs <= 1) {
        auto engine = std::make_unique<qr::engine::TQRSymbolEngine>();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            auto outcome = draw(i, *engine);
            report(i, outcome);
        }
    } else {
        DrawInParallel(lines.size(), jobs, draw, report);
    }
    // Each file was named only once whole; one flush of the file system makes them
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
