#include "qr/engine/reed_solomon.h"

#include <algorithm>

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

} // namespace

void MakeErrorCorrection(const TQRLevelInfo& level, std::span<const std::uint8_t> data,
                         std::span<std::uint8_t> ec,
                         std::span<std::uint8_t, kMaxBlockDataCodewords> reg) {
    int p = 0;
    int q = 0;
    for (int g = 0; g < level.GroupCount; ++g) {
        const TQRBlockGroup& group = level.Groups[g];
        const int k = group.BlockDataCodewords;
        const int n = group.EcCodewords();
        const auto& gen = Generators[n];
        for (int b = 0; b < group.Blocks; ++b) {
            std::fill(reg.begin(), reg.end(), std::uint8_t{0});
            std::copy_n(data.begin() + p, k, reg.begin());
            for (int step = 0; step < k; ++step) {
                const std::uint8_t lead = reg[0];
                std::copy(reg.begin() + 1, reg.end(), reg.begin());
                reg[kMaxBlockDataCodewords - 1] = 0;
                if (lead == 0) continue;
                const int logLead = GaloisField.Log[lead];
                for (int j = 0; j < n; ++j)
                    reg[j] ^= GaloisField.Exp[(gen[j] + logLead) % 255];
            }
            std::copy_n(reg.begin(), n, ec.begin() + q);
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
