#include "qr/engine/masking.h"

#include <climits>

#include "qr/engine/mask_planes.h"

namespace qr::engine {

static_assert(FormatWord(1, 0) == 0x5412 && FormatWord(0, 0) == 0x77C4 &&
              FormatWord(3, 7) == 0x083B);
static_assert(VersionWords[6] == -1 && VersionWords[7] == 0x07C94 && VersionWords[40] == 0x28C69);

namespace {

// Dark bit of cell k along line `line`: along a row when horizontal, else down a column.
// The plain evaluation stays as simple as the rule; the mask choice scores on bit planes.
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
            if (run >= 5) score += 3 + (run - 5);
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
            if (lightBefore && lightAfter) score += 40;
        }
    return score;
}

} // namespace

// Eight cells at a time: the mask's bits for the row come from its precomputed lines.
void ApplyMask(TQRMatrix& m, int n, int mask) {
    constexpr std::uint64_t low = 0x0101010101010101;
    for (int i = 0; i < n; ++i) {
        const TPlaneLine& invert = MaskRowBits[mask][i % 12];
        std::uint8_t* row = m.data() + static_cast<std::ptrdiff_t>(i) * kMatrixStride;
        for (int j = 0; j < n; j += 8) {
            const int count = n - j < 8 ? n - j : 8;
            const std::uint64_t x = LoadCells(row + j, count);
            const std::uint64_t function = ((x >> 2) & low) * 0xFF;
            const std::uint64_t dark = ((x & low) ^ SpreadBits((invert[j / 64] >> (j % 64)) & 0xFF))
                                       << 1;
            const std::uint64_t data = (x & ~(low << 1)) | dark;
            StoreCells(row + j, (x & function) | (data & ~function), count);
        }
    }
}

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
                score += 3;
        }
    return score;
}

int PenaltyFinders(const TQRMatrix& m, int n) {
    return FinderPenalty(TLineReader{m.data(), true}, n) +
           FinderPenalty(TLineReader{m.data(), false}, n);
}

int PenaltyDarkShare(int dark, int total) {
    const int percent = 100 * dark / total;
    const int distance = percent > 50 ? percent - 50 : 50 - percent;
    return 10 * (distance / 5);
}

int MaskPenalty(const TQRMatrix& m, int n) {
    const TLineReader rows{m.data(), true};
    int dark = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            dark += rows.Dark(i, j) ? 1 : 0;
    return PenaltyRuns(m, n) + PenaltyBlocks(m, n) + PenaltyFinders(m, n) +
           PenaltyDarkShare(dark, n * n);
}

void ChooseMask(TQRMatrix& m, int n, int masktype, int& masktypeR, TMaskPlanes& planes) {
    if (masktype >= 0 && masktype <= 7) {
        ApplyMask(m, n, masktype);
        masktypeR = masktype;
        return;
    }
    LoadMaskPlanes(planes, m, n);
    int best = 0;
    int bestScore = INT_MAX;
    for (int mask = 0; mask < 8; ++mask) {
        // A mask that cannot beat the best so far is not scored to the end.
        const int score = PlanePenalty(planes, mask, bestScore);
        if (score < bestScore) {
            best = mask;
            bestScore = score;
        }
    }
    masktypeR = best;
    StoreMaskedColours(planes, best, m);
}

void PutFormatInformation(TQRMatrix& m, const TQRVersionInfo& version, int eclevel, int mask) {
    const int n = version.Modules;
    const int format = FormatWord(eclevel, mask);
    for (int k = 0; k < 15; ++k) {
        if (!((format >> k) & 1)) continue;
        Cell(m, Resolve(FormatListA[k].Row, n), Resolve(FormatListA[k].Column, n)) |= kDarkBit;
        Cell(m, Resolve(FormatListB[k].Row, n), Resolve(FormatListB[k].Column, n)) |= kDarkBit;
    }
    Cell(m, Resolve(DarkModuleCell.Row, n), Resolve(DarkModuleCell.Column, n)) |= kDarkBit;

    const int word = VersionWords[version.VersionNo];
    if (word == -1) return;
    for (int k = 0; k < 18; ++k) {
        if (!((word >> k) & 1)) continue;
        const TCellRef a = VersionCellA(k, n);
        const TCellRef b = VersionCellB(k, n);
        Cell(m, a.Row, a.Column) |= kDarkBit;
        Cell(m, b.Row, b.Column) |= kDarkBit;
    }
}

} // namespace qr::engine
