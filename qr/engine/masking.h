// Data masks (the patterns, by cell and as precomputed line bits) and the format and
// version information written around the finders once the mask is known. Scoring the
// masks is mask_planes' job.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "qr/engine/matrix.h"

namespace qr::engine {

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

// Words of one line of up to 177 modules; bit k of word w is module 64 * w + k.
inline constexpr int kPlaneWords = 3;
using TPlaneLine = std::array<std::uint64_t, kPlaneWords>;
using TPlane = std::array<TPlaneLine, kMaxModules>;

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

// Recolours every data cell of the N x N symbol: its codeword bit, inverted where the
// mask condition holds. Function cells are left alone.
void ApplyMask(TQRMatrix& m, int n, int mask);

// Writes the format word of eclevel and mask into both format lists, darkens the dark
// module and, from version 7, writes both copies of the version word.
void PutFormatInformation(TQRMatrix& m, const TQRVersionInfo& version, int eclevel, int mask);

} // namespace qr::engine
