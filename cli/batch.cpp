#include "cli/batch.h"

#include <malloc.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/batch_lines.h"
#include "cli/draw_library.h"
#include "cli/input.h"
#include "cli/produce.h"
#include "cli/text_encoding.h"
#include "composer/atomic_file.h"

namespace cli {

namespace {

// Progress on standard error: one line rewritten in place on a terminal, a line per
// tenth otherwise (a log should not fill with carriage returns).
class TProgress {
public:
    TProgress(std::int64_t total, bool on)
        : total_(total), on_(on), terminal_(::isatty(STDERR_FILENO) == 1) {}

    void Done(std::int64_t done) {
        if (!on_) return;
        const auto d = static_cast<long long>(done);
        const auto t = static_cast<long long>(total_);
        if (terminal_) {
            shown_ = std::fprintf(stderr, "\rvaroku-qr: %lld of %lld lines", d, t) - 1;
            if (done == total_) Clear();
        } else if (done * 10 / total_ != (done - 1) * 10 / total_) {
            std::fprintf(stderr, "varoku-qr: %lld of %lld lines\n", d, t);
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
    std::int64_t total_;
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

std::string Padded(std::int64_t number, int width) {
    std::string s = std::to_string(number);
    return std::string(width > static_cast<int>(s.size()) ? width - s.size() : 0, '0') + s;
}

// Draws and writes the lines on `jobs` threads (this one among them), each with an
// engine of its own, taking the lines one by one from `lines`. Outcomes go to `report`
// in line order, one at a time: whichever thread finishes the next line to report
// reports it and every finished line after it, so messages and progress read as with
// one thread and nobody waits on a reporter. A new file is made without a name and
// named at the end, so the threads share the folder's lock only for that last step.
template <typename TDraw, typename TReport>
void DrawInParallel(TBatchLines& lines, int jobs, TDraw draw, TReport report) {
    // Outcomes wait in memory until reported: the threads stay at most this many lines
    // ahead of the reporting, however long one line takes, and each holds one line.
    const std::size_t ahead = 16 * static_cast<std::size_t>(jobs);
    std::vector<std::optional<TOutcome>> outcomes(ahead);
    std::vector<std::int64_t> numbers(ahead);
    std::mutex mutex;
    std::mutex reading;
    std::condition_variable room;
    std::size_t handed = 0;
    std::size_t reported = 0;
    auto work = [&] {
        // The engine keeps every work area of a version 40 symbol inside itself.
        auto engine = std::make_unique<qr::engine::TQRSymbolEngine>();
        TBatchLine line;
        for (;;) {
            std::size_t i;
            {
                // Taken in file order, so the i-th line handed out is the i-th to report.
                std::lock_guard lock(reading);
                if (!lines.Next(line)) return;
                i = handed++;
            }
            {
                std::unique_lock lock(mutex);
                room.wait(lock, [&] { return i < reported + ahead; });
            }
            TOutcome outcome = draw(line, *engine);
            std::lock_guard lock(mutex);
            outcomes[i % ahead] = std::move(outcome);
            numbers[i % ahead] = line.Number;
            const std::size_t before = reported;
            for (; outcomes[reported % ahead]; ++reported) {
                report(numbers[reported % ahead], *outcomes[reported % ahead]);
                outcomes[reported % ahead].reset();
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
    TBatchLines lines;
    if (auto read = lines.Read(options.BatchFile, options.InputEncoding == TInputEncoding::Utf8);
        !read.Ok()) {
        std::fprintf(stderr, "varoku-qr: %s\n", read.Error.c_str());
        return read.Exit;
    }
    if (lines.Count() == 0) {
        std::fprintf(stderr, "varoku-qr: %s holds no text: every line is empty\n",
                     options.BatchFile == "-" ? "standard input" : options.BatchFile.c_str());
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
    // Every line allocates and frees the same few hundred kilobytes (zlib's state, the
    // pixels); handing them back to the system each time cost more than drawing.
    ::mallopt(M_MMAP_THRESHOLD, 64 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 256 << 20);

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
    jobs = static_cast<int>(std::min<std::int64_t>(jobs, lines.Count()));
    const int width = static_cast<int>(std::to_string(lines.Total()).size());
    const std::string base = dir.ends_with('/') ? dir : dir + "/";

    auto draw = [&](TBatchLine& line, qr::engine::TQRSymbolEngine& engine) {
        if (line.TooLong) {
            TOutcome tooLong;
            tooLong.Exit = kExitNoFit;
            tooLong.Error = "the line is longer than " + std::to_string(kMaxInputBytes) +
                            " bytes; no set of symbols can hold it";
            return tooLong;
        }
        TSymbolRequest request = options.Symbols;
        std::string code = std::move(line.Text);
        const bool utf8 = options.InputEncoding == TInputEncoding::Utf8;
        const std::string typed = options.Verify && utf8 ? code : std::string();
        if (utf8 && !IsPlainAscii(code)) {
            auto text = EncodeText(options, code);
            if (!text.Ok()) return static_cast<TOutcome>(std::move(text));
            request.Eci = TextEci(request.Eci, text.Utf8);
            code = std::move(text.Bytes);
        }
        engine = qr::engine::TQRSymbolEngine();
        const std::string path =
            base + Padded(line.Number, width) + PictureExtension(*options.Type);
        return Produce(options, request, code, path, engine, made ? wkBatchNew : wkBatch, typed);
    };

    TProgress progress(lines.Count(), lines.Count() > kBatchProgressFrom);
    std::int64_t failed = 0;
    std::int64_t done = 0;
    // A line's status means what it would for the one text; the batch takes the worst.
    int worst = kExitOk;
    auto report = [&](std::int64_t number, TOutcome& outcome) {
        const auto n = static_cast<long long>(number);
        if (!outcome.Error.empty() || !outcome.Warnings.empty()) progress.Clear();
        for (const auto& w : outcome.Warnings)
            std::fprintf(stderr, "varoku-qr: line %lld: warning: %s\n", n, w.c_str());
        if (!outcome.Error.empty()) {
            ++failed;
            worst = std::max(worst, outcome.Exit);
            std::fprintf(stderr, "varoku-qr: line %lld: %s\n", n, outcome.Error.c_str());
        }
        progress.Done(++done);
    };
    if (jobs <= 1) {
        auto engine = std::make_unique<qr::engine::TQRSymbolEngine>();
        TBatchLine line;
        while (lines.Next(line)) {
            auto outcome = draw(line, *engine);
            report(line.Number, outcome);
        }
    } else {
        DrawInParallel(lines, jobs, draw, report);
    }
    if (const auto error = lines.ReadBackError(); !error.empty()) {
        progress.Clear();
        std::fprintf(stderr, "varoku-qr: %s\n", error.c_str());
        return kExitUsage;
    }
    // Each file was named only once whole; one flush of the file system makes them
    // all durable, far cheaper than a flush per file.
    if (failed < done) {
        if (const auto error = composer::SyncFileSystem(dir); !error.empty()) {
            std::fprintf(stderr, "varoku-qr: %s\n", error.c_str());
            return kExitUsage;
        }
    }
    if (failed > 0 && failed == done) {
        if (made) ::rmdir(dir.c_str());
        std::fprintf(stderr, "varoku-qr: all %lld lines failed; nothing was written\n",
                     static_cast<long long>(failed));
        return worst;
    }
    if (failed > 0) {
        std::fprintf(stderr, "varoku-qr: %lld of %lld lines failed; the others are in %s\n",
                     static_cast<long long>(failed), static_cast<long long>(done), dir.c_str());
        return worst;
    }
    return kExitOk;
}

} // namespace cli
