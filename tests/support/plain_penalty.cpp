#include "tests/support/plain_penalty.h"

namespace test_support {

using qr::engine::kDarkBit;
using qr::engine::kMatrixStride;
using qr::engine::TQRMatrix;

namespace {

// The rules' weights, written here again so that a wrong weight in the engine shows.
constexpr int kRunWeight = 3;
constexpr int kBlockWeight = 3;
constexpr int kFinderWeight = 40;
constexpr int kDarkShareWeight = 10;

// Dark bit of cell k along line `line`: along a row when horizontal, else down a column.
struct TLineReader {
    const std::uint8_t* cells;
    bool horizontal;
    bool Dark(int line, int k) const {
        const int index = horizontal ? line * kMatrixStride + k : k * kMatrixStride + line;
        return (cells[index] & kDarkBit) != 0;
    }
};

int RunPenalty(const TLineReader& in, int n) {
    int score = 0;
    for (int line = 0; line < n; ++line) {
        int run = 1;
        bool colour = in.Dark(line, 0);
        for (int k = 1; k <= n; ++k) {
            if (k < n && in.Dark(line, k) == colour) {
                ++run;
                continue;
            }
            if (run >= 5) score += kRunWeight + (run - 5);
            if (k < n) colour = in.Dark(line, k);
            run = 1;
        }
    }
    return score;
}

int FinderPenalty(const TLineReader& in, int n) {
    static constexpr bool pattern[7] = {true, false, true, true, true, false, true};
    int score = 0;
    for (int line = 0; line < n; ++line)
        for (int j = 0; j <= n - 7; ++j) {
            bool match = true;
            for (int k = 0; k < 7 && match; ++k)
                match = in.Dark(line, j + k) == pattern[k];
            if (!match) continue;
            const bool lightBefore = j == 0 || !in.Dark(line, j - 1);
            const bool lightAfter = j == n - 7 || !in.Dark(line, j + 7);
            if (lightBefore && lightAfter) score += kFinderWeight;
        }
    return score;
}

} // namespace

int PenaltyRuns(const TQRMatrix& m, int n) {
    return RunPenalty(TLineReader{m.data(), true}, n) + RunPenalty(TLineReader{m.data(), false}, n);
}

int PenaltyBlocks(const TQRMatrix& m, int n) {
    const TLineReader rows{m.data(), true};
    int score = 0;
    for (int i = 0; i + 1 < n; ++i)
        for (int j = 0; j + 1 < n; ++j) {
            const bool c = rows.Dark(i, j);
            if (rows.Dark(i, j + 1) == c && rows.Dark(i + 1, j) == c &&
                rows.Dark(i + 1, j + 1) == c)
                score += kBlockWeight;
        }
    return score;
}

int PenaltyFinders(const TQRMatrix& m, int n) {
    return FinderPenalty(TLineReader{m.data(), true}, n) +
           FinderPenalty(TLineReader{m.data(), false}, n);
}

int PlainDarkShare(int dark, int total) {
    const int percent = 100 * dark / total;
    const int distance = percent > 50 ? percent - 50 : 50 - percent;
    return kDarkShareWeight * (distance / 5);
}

int MaskPenalty(const TQRMatrix& m, int n) {
    const TLineReader rows{m.data(), true};
    int dark = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            dark += rows.Dark(i, j) ? 1 : 0;
    return PenaltyRuns(m, n) + PenaltyBlocks(m, n) + PenaltyFinders(m, n) +
           PlainDarkShare(dark, n * n);
}

} // namespace test_support
