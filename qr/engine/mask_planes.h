// Choosing the mask: the penalty weights, and the symbol as bit planes (every row and
// every column as 64-bit words) on which the eight candidates are scored with shifts,
// masks and popcount.
#pragma once

#include <array>
#include <climits>
#include <cstdint>

#include "qr/engine/masking.h"
#include "qr/engine/matrix.h"

namespace qr::engine {

// Penalty weights: a run of five equal modules in a row or column (each further module
// adds one), a 2 x 2 block of one colour, a finder-like pattern with light on both
// sides, and every full 5 % by which the dark share is away from half.
inline constexpr int kPenaltyN1 = 3;
inline constexpr int kPenaltyN2 = 3;
inline constexpr int kPenaltyN3 = 40;
inline constexpr int kPenaltyN4 = 10;

// The dark-share rule alone: dark of total (> 0) modules.
int PenaltyDarkShare(int dark, int total);

// The work area of the mask choice, filled once per symbol by LoadMaskPlanes: lines 0 to
// n - 1 of the four planes, in which the bits at positions n and beyond are zero.
struct TMaskPlanes {
    int N = 0;
    // Row planes: Base is every cell's colour before masking (function cells as drawn,
    // data cells dark where their codeword bit is 1); Data marks the cells a mask
    // recolours. BaseT and DataT are the same by columns.
    TPlane Base{};
    TPlane Data{};
    TPlane BaseT{};
    TPlane DataT{};
    // One masked candidate by rows and by columns; entry 0 and entry n + 1 are light
    // lines outside the symbol, line k is entry k + 1.
    std::array<TPlaneLine, kMaxModules + 2> Rows{};
    std::array<TPlaneLine, kMaxModules + 2> Columns{};
};

// Packs the N x N symbol of m (1 <= n <= 177) into planes, taking its dark, data and
// function flags as ApplyMask reads them.
void LoadMaskPlanes(TMaskPlanes& planes, const TQRMatrix& m, int n);

// Penalty of the loaded symbol after ApplyMask(mask 0..7) over the dark bits of all
// cells (the sum of the four weighted rules), computed on the planes.
// The result is exact when it is below limit; otherwise it is some value >= limit (the
// evaluation stops once the rules counted so far reach the limit).
int PlanePenalty(TMaskPlanes& planes, int mask, int limit = INT_MAX);

// Sets the dark bits of the N x N symbol in m, unchanged since it was loaded, to its
// colours under mask 0..7: the same as ApplyMask(m, n, mask), from the planes.
void StoreMaskedColours(const TMaskPlanes& planes, int mask, TQRMatrix& m);

// Applies masktype when it is 0..7; otherwise scores masks 0..7 in order on the bit
// planes of the symbol (loaded into planes), keeps the first lowest score, reports it in
// masktypeR and applies it.
void ChooseMask(TQRMatrix& m, int n, int masktype, int& masktypeR, TMaskPlanes& planes);

} // namespace qr::engine
