#include "qr/engine/matrix.h"

#include <algorithm>

namespace qr::engine {

namespace {

constexpr std::uint8_t D = kFunctionBit | kDarkBit;
constexpr std::uint8_t L = kFunctionBit;

constexpr std::uint8_t Finder[7][7] = {
    {D, D, D, D, D, D, D}, {D, L, L, L, L, L, D}, {D, L, D, D, D, L, D}, {D, L, D, D, D, L, D},
    {D, L, D, D, D, L, D}, {D, L, L, L, L, L, D}, {D, D, D, D, D, D, D},
};
constexpr std::uint8_t Alignment[5][5] = {
    {D, D, D, D, D}, {D, L, L, L, D}, {D, L, D, L, D}, {D, L, L, L, D}, {D, D, D, D, D},
};

void Mark(TQRMatrix& m, TCellRef cell, int n) {
    Cell(m, Resolve(cell.Row, n), Resolve(cell.Column, n)) |= kFunctionBit;
}

} // namespace

void PutFunctionPatterns(TQRMatrix& m, const TQRVersionInfo& version) {
    PutFunctionPatterns(m, version, kMaxModules);
}

void PutFunctionPatterns(TQRMatrix& m, const TQRVersionInfo& version, int used) {
    const int n = version.Modules;
    for (int i = 0; i < used; ++i) {
        const auto row = m.begin() + static_cast<std::ptrdiff_t>(i) * kMatrixStride;
        std::fill(row, row + used, std::uint8_t{0});
    }

    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 7; ++j) {
            Cell(m, i, j) = Finder[i][j];
            Cell(m, i, n - 1 - j) = Finder[i][j];
            Cell(m, n - 1 - i, j) = Finder[i][j];
        }

    for (int i = 0; i < 8; ++i) {
        Cell(m, i, 7) = L;
        Cell(m, 7, i) = L;
        Cell(m, i, n - 8) = L;
        Cell(m, n - 8, i) = L;
        Cell(m, n - 1 - i, 7) = L;
        Cell(m, 7, n - 1 - i) = L;
    }

    for (int x = 0; x < version.AlignCount; ++x)
        for (int y = 0; y < version.AlignCount; ++y) {
            const int a = version.AlignPos[x];
            const int b = version.AlignPos[y];
            if (IsFunction(m, a, b)) continue;
            for (int i = 0; i < 5; ++i)
                for (int j = 0; j < 5; ++j)
                    Cell(m, a - 2 + i, b - 2 + j) = Alignment[i][j];
        }

    for (int i = 7; i <= n - 9; ++i) {
        const std::uint8_t v = i % 2 == 0 ? D : L;
        Cell(m, i, 6) = v;
        Cell(m, 6, i) = v;
    }

    for (int k = 0; k < 15; ++k) {
        Mark(m, FormatListA[k], n);
        Mark(m, FormatListB[k], n);
    }
    Mark(m, DarkModuleCell, n);

    if (version.VersionNo >= 7)
        for (int k = 0; k < 18; ++k) {
            Mark(m, VersionCellA(k, n), n);
            Mark(m, VersionCellB(k, n), n);
        }
}

void PlaceCodewords(TQRMatrix& m, int n, std::span<const std::uint8_t> codewords) {
    // The bits still to place, next one in the top bit; zeros follow the last codeword,
    // so the cells after it (the remainder bits) stay light without a test per cell.
    std::uint64_t bits = 0;
    int held = 0;
    std::size_t next = 0;
    bool upward = true;
    // Column pairs from the right edge; the vertical timing column is skipped.
    for (int right = n - 1; right >= 1; right -= 2, upward = !upward) {
        if (right == 6) right = 5;
        if (held <= 0 && next == codewords.size()) return;
        std::uint8_t* cells = m.data() + (upward ? (n - 1) * kMatrixStride : 0) + right;
        const std::ptrdiff_t step = upward ? -kMatrixStride : kMatrixStride;
        for (int k = 0; k < n; ++k, cells += step) {
            if (held < 2)
                for (; held <= 56 && next < codewords.size(); held += 8)
                    bits |= std::uint64_t{codewords[next++]} << (56 - held);
            // Both cells free is the rule; function cells interrupt only a few pairs.
            if (((cells[0] | cells[-1]) & kFunctionBit) == 0) {
                cells[0] |= static_cast<std::uint8_t>(bits >> 63);
                cells[-1] |= static_cast<std::uint8_t>((bits >> 62) & 1);
                bits <<= 2;
                held -= 2;
                continue;
            }
            for (int c = 0; c > -2; --c)
                if ((cells[c] & kFunctionBit) == 0) {
                    cells[c] |= static_cast<std::uint8_t>(bits >> 63);
                    bits <<= 1;
                    --held;
                }
        }
    }
}

} // namespace qr::engine
