#include "qr/engine/mask_planes.h"

#include <bit>

namespace qr::engine {

namespace {

constexpr std::uint64_t kByteLow = 0x0101010101010101;

// Bit 0 of each of the eight bytes of lanes, byte k becoming bit k.
inline unsigned GatherBits(std::uint64_t lanes) {
    return static_cast<unsigned>((lanes * 0x0102040810204080) >> 56);
}

// Bit j of word i becomes bit i of word j, for i and j below size (32 or 64): a bit
// transposition in place. With size 32, bits 32..63 and words 32..63 must be zero.
void TransposeBlock(std::uint64_t (&a)[64], int size) {
    std::uint64_t m = size == 64 ? 0x00000000FFFFFFFF : 0x0000FFFF0000FFFF;
    for (int j = size / 2; j != 0; j >>= 1, m ^= m << j)
        for (int k = 0; k < size; k = ((k | j) + 1) & ~j) {
            const std::uint64_t t = ((a[k] >> j) ^ a[k | j]) & m;
            a[k] ^= t << j;
            a[k | j] ^= t;
        }
}

void Transpose(const TPlane& in, TPlane& out, int n) {
    for (int c = 0; c < n; ++c)
        out[c] = {};
    const int words = (n + 63) / 64;
    std::uint64_t block[64];
    for (int bi = 0; bi < words; ++bi)
        for (int bj = 0; bj < words; ++bj) {
            for (int k = 0; k < 64; ++k) {
                const int row = 64 * bi + k;
                block[k] = row < n ? in[row][bj] : 0;
            }
            // The smallest symbols fit a 32 x 32 block, a third of the work.
            TransposeBlock(block, n <= 32 ? 32 : 64);
            for (int k = 0; k < 64 && 64 * bj + k < n; ++k)
                out[64 * bj + k][bi] = block[k];
        }
}

// Bits 0..count-1 set in a line.
[[gnu::always_inline]] inline TPlaneLine FirstBits(int count) {
    TPlaneLine line{};
    for (int w = 0; w < kPlaneWords; ++w) {
        const int bits = count - 64 * w;
        line[w] = bits >= 64 ? ~std::uint64_t{0} : bits > 0 ? (std::uint64_t{1} << bits) - 1 : 0;
    }
    return line;
}

template <int W>
[[gnu::always_inline]] inline void MaskLines(std::array<TPlaneLine, kMaxModules + 2>& out,
                                             const TPlane& base, const TPlane& data,
                                             const std::array<TPlaneLine, 12>& mask, int n) {
    out[0] = {};
    int phase = 0;
    for (int t = 0; t < n; ++t) {
        for (int w = 0; w < W; ++w)
            out[t + 1][w] = base[t][w] ^ (mask[phase][w] & data[t][w]);
        if (++phase == 12) phase = 0;
    }
    out[n + 1] = {};
}

// Runs and finder-like patterns along the lines (each bit position is one line across
// them): a run of k >= 5 has k - 4 windows of five equal modules and one first window,
// so it scores windows + (N1 - 1) * first windows = N1 + (k - 5).
template <int W>
[[gnu::always_inline]] inline int AlongLines(const std::array<TPlaneLine, kMaxModules + 2>& lines,
                                             int n, const TPlaneLine& valid) {
    int windows = 0;
    int firsts = 0;
    int finders = 0;
    for (int w = 0; w < W; ++w) {
        const auto x = [&](int t) { return lines[t + 1][w]; };
        if (n >= 5) {
            std::uint64_t e0 = ~(x(0) ^ x(1));
            std::uint64_t e1 = ~(x(1) ^ x(2));
            std::uint64_t e2 = ~(x(2) ^ x(3));
            std::uint64_t previous = 0;
            for (int t = 0; t + 5 <= n; ++t) {
                const std::uint64_t e3 = ~(x(t + 3) ^ x(t + 4));
                const std::uint64_t window = e0 & e1 & e2 & e3 & valid[w];
                windows += std::popcount(window);
                firsts += std::popcount(window & ~previous);
                previous = window;
                e0 = e1;
                e1 = e2;
                e2 = e3;
            }
        }
        // Light (or outside) on both sides of dark-light-dark-dark-dark-light-dark.
        for (int t = 0; t + 7 <= n; ++t) {
            const std::uint64_t f = ~x(t - 1) & x(t) & ~x(t + 1) & x(t + 2) & x(t + 3) & x(t + 4) &
                                    ~x(t + 5) & x(t + 6) & ~x(t + 7);
            finders += std::popcount(f);
        }
    }
    return windows + (kPenaltyN1 - 1) * firsts + kPenaltyN3 * finders;
}

// 2 x 2 blocks of one colour and the dark modules, from the rows.
template <int W>
[[gnu::always_inline]] inline int BlocksAndDark(const std::array<TPlaneLine, kMaxModules + 2>& rows,
                                                int n, const TPlaneLine& pairs, int& dark) {
    dark = 0;
    for (int t = 0; t < n; ++t)
        for (int w = 0; w < W; ++w)
            dark += std::popcount(rows[t + 1][w]);
    int blocks = 0;
    for (int t = 0; t + 1 < n; ++t) {
        const TPlaneLine& a = rows[t + 1];
        const TPlaneLine& b = rows[t + 2];
        std::uint64_t v[W + 1];
        std::uint64_t nextA[W + 1];
        for (int w = 0; w < W; ++w) {
            v[w] = ~(a[w] ^ b[w]);
            nextA[w] = a[w];
        }
        v[W] = 0;
        nextA[W] = 0;
        for (int w = 0; w < W; ++w) {
            const std::uint64_t vRight = (v[w] >> 1) | (v[w + 1] << 63);
            const std::uint64_t aRight = (a[w] >> 1) | (nextA[w + 1] << 63);
            blocks += std::popcount(v[w] & vRight & ~(a[w] ^ aRight) & pairs[w]);
        }
    }
    return kPenaltyN2 * blocks;
}

template <int W> [[gnu::always_inline]] inline int Penalty(TMaskPlanes& p, int mask, int limit) {
    const int n = p.N;
    MaskLines<W>(p.Rows, p.Base, p.Data, MaskRowBits[mask], n);
    int dark = 0;
    int score = BlocksAndDark<W>(p.Rows, n, FirstBits(n - 1), dark);
    score += PenaltyDarkShare(dark, n * n);
    if (score >= limit) return score;
    const TPlaneLine valid = FirstBits(n);
    score += AlongLines<W>(p.Rows, n, valid);
    if (score >= limit) return score;
    MaskLines<W>(p.Columns, p.BaseT, p.DataT, MaskColumnBits[mask], n);
    return score + AlongLines<W>(p.Columns, n, valid);
}

} // namespace

void LoadMaskPlanes(TMaskPlanes& planes, const TQRMatrix& m, int n) {
    planes.N = n;
    for (int t = 0; t < n; ++t) {
        TPlaneLine& base = planes.Base[t];
        TPlaneLine& data = planes.Data[t];
        base = {};
        data = {};
        const std::uint8_t* row = m.data() + static_cast<std::ptrdiff_t>(t) * kMatrixStride;
        for (int j = 0; j < n; j += 8) {
            const int count = n - j < 8 ? n - j : 8;
            const std::uint64_t x = LoadCells(row + j, count);
            const std::uint64_t function = x >> 2;
            // A function cell keeps its colour; a data cell starts from its codeword bit.
            const std::uint64_t colour = ((function & (x >> 1)) | (~function & x)) & kByteLow;
            const unsigned keep = (1u << count) - 1;
            base[j / 64] |= std::uint64_t{GatherBits(colour) & keep} << (j % 64);
            data[j / 64] |= std::uint64_t{GatherBits(~function & kByteLow) & keep} << (j % 64);
        }
    }
    Transpose(planes.Base, planes.BaseT, n);
    Transpose(planes.Data, planes.DataT, n);
}

// Counting is most of the work: on x86-64, processors that have a popcount instruction
// get their own copy of the whole evaluation, chosen once when the program loads.
#if defined(__x86_64__) && defined(__GNUC__)
#define VAROKU_POPCOUNT_COPIES __attribute__((target_clones("popcnt", "default")))
#else
#define VAROKU_POPCOUNT_COPIES
#endif
VAROKU_POPCOUNT_COPIES int PlanePenalty(TMaskPlanes& planes, int mask, int limit) {
    if (planes.N <= 64) return Penalty<1>(planes, mask, limit);
    if (planes.N <= 128) return Penalty<2>(planes, mask, limit);
    return Penalty<3>(planes, mask, limit);
}

void StoreMaskedColours(const TMaskPlanes& planes, int mask, TQRMatrix& m) {
    const int n = planes.N;
    for (int i = 0; i < n; ++i) {
        const TPlaneLine& invert = MaskRowBits[mask][i % 12];
        const TPlaneLine& base = planes.Base[i];
        const TPlaneLine& data = planes.Data[i];
        std::uint8_t* row = m.data() + static_cast<std::ptrdiff_t>(i) * kMatrixStride;
        for (int j = 0; j < n; j += 8) {
            const int count = n - j < 8 ? n - j : 8;
            const int w = j / 64;
            const std::uint64_t dark = ((base[w] ^ (invert[w] & data[w])) >> (j % 64)) & 0xFF;
            const std::uint64_t x = LoadCells(row + j, count);
            StoreCells(row + j, (x & ~(kByteLow * kDarkBit)) | (SpreadBits(dark) * kDarkBit),
                       count);
        }
    }
}

int PenaltyDarkShare(int dark, int total) {
    const int percent = 100 * dark / total;
    const int distance = percent > 50 ? percent - 50 : 50 - percent;
    return kPenaltyN4 * (distance / 5);
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

} // namespace qr::engine
