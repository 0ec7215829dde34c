// The lines of a batch's file, streamed: read once, in a fixed amount of memory, with
// the text lines kept aside in an unnamed temporary file so that the pictures can be
// named from the number of lines before the first is drawn.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "cli/options.h"

namespace cli {

struct TBatchLine {
    std::int64_t Number = 0; // 1-based line number in the file
    bool TooLong = false;    // longer than kMaxInputBytes: Text is empty
    std::string Text;        // without its line break (LF, or CR LF)
};

class TBatchLines {
public:
    TBatchLines() = default;
    ~TBatchLines();
    TBatchLines(const TBatchLines&) = delete;
    TBatchLines& operator=(const TBatchLines&) = delete;

    // Reads FILE ("-": standard input) to its end. Empty lines are counted and
    // skipped; a leading byte-order mark is dropped when `utf8`. The error names the
    // file (or the temporary file) and the system's reason.
    TOutcome Read(const std::string& path, bool utf8);

    std::int64_t Total() const { return total_; } // every line, empty ones too
    std::int64_t Count() const { return count_; } // the lines that hold text

    // The next text line in file order, from any thread; false after the last (or
    // when the temporary file cannot be read back, with ReadBackError set).
    bool Next(TBatchLine& line);
    std::string ReadBackError() const;

private:
    bool Keep(std::int64_t number, bool tooLong, std::string_view text);

    std::FILE* kept_ = nullptr;
    std::int64_t total_ = 0;
    std::int64_t count_ = 0;
    std::int64_t handed_ = 0;
    mutable std::mutex mutex_;
    std::string readBackError_;
};

} // namespace cli
