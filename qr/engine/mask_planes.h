// The symbol as bit planes (every row and every column as 64-bit words) on which the
// eight mask candidates are scored with shifts, masks and popcount.
#pragma once

#include <array>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>

#include "qr/engine/masking.h"
#include "qr/engine/matrix.h"

namespace qr::engine {

// Words of one line of up to 177 modules; bit k of word w is module 64 * w + k.
inline constexpr int kPlaneWords = 3;
using TPlaneLine = std::array<std::uint64_t, kPlaneWords>;
using TPlane = std::array<TPlaneLine, kMaxModules>;

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

// Bits of mask 0..7 along row i (bit j set where MaskCondition(mask, i, j) holds), by
// i % 12: every mask condition repeats every 12 rows and every 12 columns.
using TMaskLines = std::array<std::array<TPlaneLine, 12>, 8>;

constexpr TMaskLines MakeMaskLines(bool alongRow) {
    TMaskLines t{};
    for (int mask = 0; mask < 8; ++mask)
        for (int phase = 0; phase < 12; ++phase)
            for (int k = 0; k < 64 * kPlaneWords; ++k) {
                const bool on =
                    alongRow ? MaskCondition(mask, phase, k) : MaskCondition(mask, k, phase);
                if (on) t[mask][phase][k / 64] |= std::uint64_t{1} << (k % 64);
            }
    return t;
}
inline constexpr TMaskLines MaskRowBits = MakeMaskLines(true);
// The same along column j (bit i set where MaskCondition(mask, i, j) holds), by j % 12.
inline constexpr TMaskLines MaskColumnBits = MakeMaskLines(false);

// Eight cells from p, the first in the low byte (count < 8: only count cells, the rest 0).
inline std::uint64_t LoadCells(const std::uint8_t* p, int count = 8) {
    std::uint64_t x = 0;
    if (std::endian::native == std::endian::little && count == 8) {
        std::memcpy(&x, p, 8);
        return x;
    }
    for (int k = 0; k < count; ++k)
        x |= std::uint64_t{p[k]} << (8 * k);
    return x;
}
inline void StoreCells(std::uint8_t* p, std::uint64_t x, int count = 8) {
    if (std::endian::native == std::endian::little && count == 8) {
        std::memcpy(p, &x, 8);
        return;
    }
    for (int k = 0; k < count; ++k)
        p[k] = static_cast<std::uint8_t>(x >> (8 * k));
}

// Bit k of bits (0..255) as bit 0 of byte k.
constexpr std::uint64_t SpreadBits(std::uint64_t bits) {
    constexpr std::uint64_t low = 0x0101010101010101;
    return ((((bits * low) & 0x8040201008040201) + 0x7F7F7F7F7F7F7F7F) >> 7) & low;
}
static_assert(SpreadBits(0) == 0 && SpreadBits(0xFF) == 0x0101010101010101 &&
              SpreadBits(0x81) == 0x0100000000000001);

// Packs the N x N symbol of m (1 <= n <= 177) into planes, taking its dark, data and
// function flags as ApplyMask reads them.
void LoadMaskPlanes(TMaskPlanes& planes, const TQRMatrix& m, int n);

// MaskPenalty of the loaded symbol after ApplyMask(mask 0..7), computed on the planes.
// The result is exact when it is below limit; otherwise it is some value >= limit (the
// evaluation stops once the rules counted so far reach the limit).
int PlanePenalty(TMaskPlanes& planes, int mask, int limit = INT_MAX);

// Sets the dark bits of the N x N symbol in m, unchanged since it was loaded, to its
// colours under mask 0..7: the same as ApplyMask(m, n, mask), from the planes.
void StoreMaskedColours(const TMaskPlanes& planes, int mask, TQRMatrix& m);

} // namespace qr::engine
