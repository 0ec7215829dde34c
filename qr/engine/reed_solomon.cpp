#include "qr/engine/reed_solomon.h"

namespace qr::engine {

namespace {

constexpr bool GeneratorsUsable() {
    // Exponent form cannot hold a zero coefficient; every used degree must be present.
    for (int n = 1; n <= kMaxGeneratorDegree; ++n) {
        if (!IsGeneratorDegree(n)) continue;
        for (int j = 0; j < n; ++j)
            if (GaloisField.Exp[Generators[n][j]] == 0) return false;
    }
    for (int v = kMinVersion; v <= kMaxVersion; ++v)
        for (const TQRLevelInfo& level : VersionTable[v].Levels)
            if (!IsGeneratorDegree(level.Groups[0].EcCodewords())) return false;
    return true;
}
static_assert(GeneratorsUsable());
static_assert(GaloisField.Exp[8] == 29 && GaloisField.Exp[11] == 232 && GaloisField.Log[29] == 8);
// g_7 = x^7 + a^87 x^6 + a^229 x^5 + a^146 x^4 + a^149 x^3 + a^238 x^2 + a^102 x + a^21
static_assert(Generators[7][0] == 87 && Generators[7][3] == 149 && Generators[7][6] == 21);

// Every block's error correction in one table row per data codeword: the products of
// each byte value with the coefficients of the block's generator, for the degrees that
// blocks use (at most 32, four words of eight coefficients; the top ones zero).
constexpr int kProductWords = 4;
using TProductTable = std::array<std::array<std::uint64_t, kProductWords>, 256>;

constexpr bool IsBlockDegree(int n) {
    return n <= 8 * kProductWords && IsGeneratorDegree(n);
}

constexpr std::array<int, 8 * kProductWords + 1> ProductSlot = [] {
    std::array<int, 8 * kProductWords + 1> slot{};
    int next = 0;
    for (int n = 0; n <= 8 * kProductWords; ++n)
        slot[n] = IsBlockDegree(n) ? next++ : -1;
    return slot;
}();

constexpr int kProductTables = [] {
    int count = 0;
    for (int n = 0; n <= 8 * kProductWords; ++n)
        count += IsBlockDegree(n) ? 1 : 0;
    return count;
}();

constexpr std::array<TProductTable, kProductTables> GeneratorProducts = [] {
    std::array<TProductTable, kProductTables> tables{};
    for (int n = 0; n <= 8 * kProductWords; ++n) {
        if (!IsBlockDegree(n)) continue;
        TProductTable& t = tables[ProductSlot[n]];
        for (int f = 1; f < 256; ++f)
            for (int j = 0; j < n; ++j) {
                const int product = GaloisField.Exp[(Generators[n][j] + GaloisField.Log[f]) % 255];
                t[f][j / 8] |= static_cast<std::uint64_t>(product) << (8 * (j % 8));
            }
    }
    return tables;
}();

constexpr bool EveryBlockHasProducts() {
    for (int v = kMinVersion; v <= kMaxVersion; ++v)
        for (const TQRLevelInfo& level : VersionTable[v].Levels)
            if (!IsBlockDegree(level.Groups[0].EcCodewords())) return false;
    return true;
}
static_assert(EveryBlockHasProducts());

} // namespace

void MakeErrorCorrection(const TQRLevelInfo& level, std::span<const std::uint8_t> data,
                         std::span<std::uint8_t> ec) {
    int p = 0;
    int q = 0;
    for (int g = 0; g < level.GroupCount; ++g) {
        const TQRBlockGroup& group = level.Groups[g];
        const int k = group.BlockDataCodewords;
        const int n = group.EcCodewords();
        const auto& products = GeneratorProducts[ProductSlot[n]];
        for (int b = 0; b < group.Blocks; ++b) {
            // The remainder so far, byte j in bits 8 * (j % 8) of word j / 8.
            std::uint64_t r0 = 0, r1 = 0, r2 = 0, r3 = 0;
            for (int step = 0; step < k; ++step) {
                const auto& row = products[(data[p + step] ^ r0) & 0xFF];
                r0 = ((r0 >> 8) | (r1 << 56)) ^ row[0];
                r1 = ((r1 >> 8) | (r2 << 56)) ^ row[1];
                r2 = ((r2 >> 8) | (r3 << 56)) ^ row[2];
                r3 = (r3 >> 8) ^ row[3];
            }
            const std::uint64_t words[kProductWords] = {r0, r1, r2, r3};
            for (int j = 0; j < n; ++j)
                ec[q + j] = static_cast<std::uint8_t>(words[j / 8] >> (8 * (j % 8)));
            p += k;
            q += n;
        }
    }
}

int InterleaveCodewords(const TQRLevelInfo& level, std::span<const std::uint8_t> data,
                        std::span<const std::uint8_t> ec, std::span<std::uint8_t> out) {
    const TQRBlockGroup& last = level.Groups[level.GroupCount - 1];
    int pos = 0;
    for (int pass = 0; pass < 2; ++pass) {
        const bool dataPass = pass == 0;
        const int width = dataPass ? last.BlockDataCodewords : last.EcCodewords();
        for (int i = 0; i < width; ++i) {
            int start = 0;
            for (int g = 0; g < level.GroupCount; ++g) {
                const TQRBlockGroup& group = level.Groups[g];
                const int length = dataPass ? group.BlockDataCodewords : group.EcCodewords();
                for (int b = 0; b < group.Blocks; ++b, start += length)
                    if (i < length) out[pos++] = (dataPass ? data : ec)[start + i];
            }
        }
    }
    return pos;
}

} // namespace qr::engine
