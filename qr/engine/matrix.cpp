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
    const int n = version.Modules;
    std::fill(m.begin(), m.end(), std::uint8_t{0});

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
    int row = n - 1;
    int column = n - 1;
    int horizontal = -1;
    int vertical = -1;
    for (const std::uint8_t codeword : codewords)
        for (int bit = 7; bit >= 0; --bit) {
            // The left edge is passed only after the last bit; tables that disagree with
            // the pattern would end here rather than write outside the symbol.
            if (column < 0) return;
            if ((codeword >> bit) & 1) Cell(m, row, column) |= kDataBit;
            do {
                column += horizontal;
                if (horizontal > 0) row += vertical;
                horizontal = -horizontal;
                if (row < 0 || row >= n) {
                    row -= vertical;
                    vertical = -vertical;
                    column -= 2;
                    if (column == 6) column = 5;
                }
            } while (column >= 0 && IsFunction(m, row, column));
        }
}

} // namespace qr::engine
