// The module matrix of one symbol: finder, separator, alignment and timing patterns, the
// reserved format and version areas, and the zig-zag placement of the codewords.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "qr/engine/symbol_tables.h"

namespace qr::engine {

// Cell flags: the codeword bit placed in a data cell, the final colour, function cell.
inline constexpr std::uint8_t kDataBit = 1;
inline constexpr std::uint8_t kDarkBit = 2;
inline constexpr std::uint8_t kFunctionBit = 4;

// 177 x 177 cells row by row; a version uses the top-left N x N.
inline constexpr int kMatrixStride = kMaxModules;
using TQRMatrix = std::array<std::uint8_t, kMaxModules * kMaxModules>;

// The cell at (row, column); both 0..176, row 0 at the top.
constexpr std::uint8_t& Cell(TQRMatrix& m, int row, int column) {
    return m[static_cast<std::size_t>(row * kMatrixStride + column)];
}
constexpr std::uint8_t Cell(const TQRMatrix& m, int row, int column) {
    return m[static_cast<std::size_t>(row * kMatrixStride + column)];
}
// Flag tests; the caller keeps row and column inside the matrix.
constexpr bool IsDark(const TQRMatrix& m, int row, int column) {
    return (Cell(m, row, column) & kDarkBit) != 0;
}
constexpr bool IsDataBit(const TQRMatrix& m, int row, int column) {
    return (Cell(m, row, column) & kDataBit) != 0;
}
constexpr bool IsFunction(const TQRMatrix& m, int row, int column) {
    return (Cell(m, row, column) & kFunctionBit) != 0;
}

// A cell of a reserved list; a negative coordinate -k stands for N - k.
struct TCellRef {
    int Row;
    int Column;
};
// The coordinate of a reserved list in a symbol of n modules.
constexpr int Resolve(int coordinate, int n) {
    return coordinate < 0 ? n + coordinate : coordinate;
}

// Cells of format-information bits 0..14: list A beside the upper-left finder and along
// the lower-left one, list B along the upper-right finder and beside the upper-left one.
inline constexpr std::array<TCellRef, 15> FormatListA{{{0, 8},
                                                       {1, 8},
                                                       {2, 8},
                                                       {3, 8},
                                                       {4, 8},
                                                       {5, 8},
                                                       {7, 8},
                                                       {8, 8},
                                                       {-7, 8},
                                                       {-6, 8},
                                                       {-5, 8},
                                                       {-4, 8},
                                                       {-3, 8},
                                                       {-2, 8},
                                                       {-1, 8}}};
inline constexpr std::array<TCellRef, 15> FormatListB{{{8, -1},
                                                       {8, -2},
                                                       {8, -3},
                                                       {8, -4},
                                                       {8, -5},
                                                       {8, -6},
                                                       {8, -7},
                                                       {8, -8},
                                                       {8, 7},
                                                       {8, 5},
                                                       {8, 4},
                                                       {8, 3},
                                                       {8, 2},
                                                       {8, 1},
                                                       {8, 0}}};
// The module that is dark in every symbol, beside the lower-left finder.
inline constexpr TCellRef DarkModuleCell{-8, 8};

// Cells of version-information bit k (0..17) for a symbol of n modules.
constexpr TCellRef VersionCellA(int k, int n) {
    return {n - 11 + k % 3, k / 3};
}
constexpr TCellRef VersionCellB(int k, int n) {
    return {k / 3, n - 11 + k % 3};
}

// Clears the whole matrix and draws the function patterns of the version, reserving the
// format cells, the dark module cell and (version 7 and up) the version cells.
void PutFunctionPatterns(TQRMatrix& m, const TQRVersionInfo& version);
// The same for a caller that knows every set cell to lie in the top-left used x used
// square (0..177): only that square is cleared.
void PutFunctionPatterns(TQRMatrix& m, const TQRVersionInfo& version, int used);

// Writes the codewords, most significant bit first, into the non-function cells of an
// N x N symbol in zig-zag order from the bottom-right corner.
void PlaceCodewords(TQRMatrix& m, int n, std::span<const std::uint8_t> codewords);

} // namespace qr::engine
