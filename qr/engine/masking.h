// Data masks, the penalty that chooses among them, and the format and version
// information written around the finders once the mask is known.
#pragma once

#include <array>
#include <cstdint>

#include "qr/engine/matrix.h"

namespace qr::engine {

struct TMaskPlanes;

// True where mask 0..7 inverts the cell at row i, column j.
constexpr bool MaskCondition(int mask, int i, int j) {
    switch (mask) {
    case 0:
        return (i + j) % 2 == 0;
    case 1:
        return i % 2 == 0;
    case 2:
        return j % 3 == 0;
    case 3:
        return (i + j) % 3 == 0;
    case 4:
        return (i / 2 + j / 3) % 2 == 0;
    case 5:
        return (i * j) % 2 + (i * j) % 3 == 0;
    case 6:
        return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default:
        return ((i * j) % 3 + (i + j) % 2) % 2 == 0;
    }
}

// The 15-bit format word of level 0..3 (L, M, Q, H) and mask 0..7, bit 0 least significant.
constexpr int FormatWord(int eclevel, int mask) {
    const int d = ((eclevel ^ 1) << 3) | mask;
    int v = d << 10;
    for (int b = 14; b >= 10; --b)
        if (v & (1 << b)) v ^= 0x537 << (b - 10);
    return ((d << 10) + v) ^ 0x5412;
}

// The 18-bit version words by version 0..40; -1 below version 7 (no version information).
inline constexpr std::array<int, kMaxVersion + 1> VersionWords = [] {
    std::array<int, kMaxVersion + 1> t{};
    for (int v = 0; v <= kMaxVersion; ++v) {
        if (v < 7) {
            t[v] = -1;
            continue;
        }
        int r = v << 12;
        for (int b = 17; b >= 12; --b)
            if (r & (1 << b)) r ^= 0x1F25 << (b - 12);
        t[v] = (v << 12) | r;
    }
    return t;
}();

// Recolours every data cell of the N x N symbol: its codeword bit, inverted where the
// mask condition holds. Function cells are left alone.
void ApplyMask(TQRMatrix& m, int n, int mask);

// Penalty score of the N x N symbol as it stands, over the dark bits of all cells: the
// sum of the four rules below. The plain evaluation, cell by cell; it is the reference
// that any faster evaluation must equal.
int MaskPenalty(const TQRMatrix& m, int n);

// Rule 1: every maximal run of k >= 5 equal modules in a row or column adds k - 2.
int PenaltyRuns(const TQRMatrix& m, int n);
// Rule 2: every 2 x 2 square of one colour adds 3 (overlapping squares each count).
int PenaltyBlocks(const TQRMatrix& m, int n);
// Rule 3: dark-light-dark-dark-dark-light-dark in a row or column, with a light module or
// the edge on both sides, adds 40.
int PenaltyFinders(const TQRMatrix& m, int n);
// Rule 4: 10 for every full 5 points by which the truncated dark percentage is away
// from 50; total > 0.
int PenaltyDarkShare(int dark, int total);

// Applies masktype when it is 0..7; otherwise scores masks 0..7 in order (on the bit
// planes of the symbol, loaded into planes), keeps the first lowest score, reports it in
// masktypeR and applies it. The choice is the one MaskPenalty would make.
void ChooseMask(TQRMatrix& m, int n, int masktype, int& masktypeR, TMaskPlanes& planes);

// Writes the format word of eclevel and mask into both format lists, darkens the dark
// module and, from version 7, writes both copies of the version word.
void PutFormatInformation(TQRMatrix& m, const TQRVersionInfo& version, int eclevel, int mask);

} // namespace qr::engine
