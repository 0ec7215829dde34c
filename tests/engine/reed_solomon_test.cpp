// Error-correction codewords and interleaving.
#include <gtest/gtest.h>

#include <vector>

#include "qr/engine/reed_solomon.h"
#include "tests/engine/engine_test_util.h"

using namespace qr::engine;
using namespace engine_test;

namespace {

int Mul(int a, int b) {
    if (a == 0 || b == 0) return 0;
    return GaloisField.Exp[(GaloisField.Log[a] + GaloisField.Log[b]) % 255];
}

// Value of the codeword polynomial (data followed by error correction, highest power
// first) at x.
int Evaluate(const std::vector<std::uint8_t>& codeword, int x) {
    int y = 0;
    for (std::uint8_t c : codeword)
        y = Mul(y, x) ^ c;
    return y;
}

struct Blocks {
    std::array<std::uint8_t, kMaxDataCodewords> data{};
    std::array<std::uint8_t, kMaxEcCodewords> ec{};
};

TEST(ReedSolomon, StandardWorkedExample) {
    Blocks b;
    const std::vector<std::uint8_t> data{0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11,
                                         0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11};
    std::copy(data.begin(), data.end(), b.data.begin());
    MakeErrorCorrection(VersionTable[1].Levels[1], b.data, b.ec);
    const std::vector<std::uint8_t> expected{0xA5, 0x24, 0xD4, 0xC1, 0xED,
                                             0x36, 0xC7, 0x87, 0x2C, 0x55};
    EXPECT_EQ(std::vector<std::uint8_t>(b.ec.begin(), b.ec.begin() + 10), expected);
}

TEST(ReedSolomon, FieldAndGeneratorTables) {
    const int first[] = {1, 2, 4, 8, 16, 32, 64, 128, 29, 58, 116, 232};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(GaloisField.Exp[i], first[i]);
    EXPECT_EQ(GaloisField.Exp[255], 1);
    for (int i = 0; i < 255; ++i)
        EXPECT_EQ(GaloisField.Log[GaloisField.Exp[i]], i);
    // Every generator vanishes at its roots a^0 .. a^(n-1).
    for (int n = 1; n <= kMaxGeneratorDegree; ++n) {
        if (!IsGeneratorDegree(n)) continue;
        std::vector<std::uint8_t> g{1};
        for (int j = 0; j < n; ++j)
            g.push_back(GaloisField.Exp[Generators[n][j]]);
        for (int r = 0; r < n; ++r)
            EXPECT_EQ(Evaluate(g, GaloisField.Exp[r]), 0) << n << " " << r;
    }
}

// Every block, data followed by its error correction, is a codeword: it vanishes at
// a^0 .. a^(n-1). Covers every version and level, including k < n (1-H) and two groups.
TEST(ReedSolomon, EveryBlockOfEveryVersionAndLevelIsACodeword) {
    TInputMaker make(11);
    Blocks b;
    for (int v = 1; v <= 40; ++v)
        for (int l = 0; l < 4; ++l) {
            const TQRLevelInfo& level = VersionTable[v].Levels[l];
            for (int i = 0; i < level.DataCodewords; ++i)
                b.data[static_cast<std::size_t>(i)] =
                    static_cast<std::uint8_t>(make.Uniform(0, 255));
            MakeErrorCorrection(level, b.data, b.ec);
            int p = 0, q = 0;
            for (int g = 0; g < level.GroupCount; ++g) {
                const TQRBlockGroup& group = level.Groups[g];
                for (int k = 0; k < group.Blocks; ++k) {
                    std::vector<std::uint8_t> word(b.data.begin() + p,
                                                   b.data.begin() + p + group.BlockDataCodewords);
                    word.insert(word.end(), b.ec.begin() + q,
                                b.ec.begin() + q + group.EcCodewords());
                    for (int r = 0; r < group.EcCodewords(); ++r)
                        ASSERT_EQ(Evaluate(word, GaloisField.Exp[r]), 0)
                            << v << "-"
                            << "LMQH"[l] << " block " << k;
                    p += group.BlockDataCodewords;
                    q += group.EcCodewords();
                }
            }
        }
}

TEST(ReedSolomon, ZeroDataGivesZeroCorrection) {
    Blocks b;
    b.ec.fill(0x77);
    MakeErrorCorrection(VersionTable[1].Levels[3], b.data, b.ec);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(b.ec[static_cast<std::size_t>(i)], 0);
}

TEST(Interleave, SingleBlockIsDataThenCorrection) {
    Blocks b;
    for (int i = 0; i < 19; ++i)
        b.data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i + 1);
    for (int i = 0; i < 7; ++i)
        b.ec[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(100 + i);
    std::array<std::uint8_t, kMaxTotalCodewords> out{};
    ASSERT_EQ(InterleaveCodewords(VersionTable[1].Levels[0], b.data, b.ec, out), 26);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(out[static_cast<std::size_t>(i)], i + 1);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(out[static_cast<std::size_t>(19 + i)], 100 + i);
}

TEST(Interleave, TwoGroupsTakeTheLastDataCodewordFromLongerBlocksOnly) {
    // 5-Q: blocks of 15, 15, 16, 16 data codewords starting at 0, 15, 30, 46.
    Blocks b;
    for (int i = 0; i < 62; ++i)
        b.data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 72; ++i)
        b.ec[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(128 + i);
    std::array<std::uint8_t, kMaxTotalCodewords> out{};
    ASSERT_EQ(InterleaveCodewords(VersionTable[5].Levels[2], b.data, b.ec, out), 134);
    const int head[] = {0, 15, 30, 46, 1, 16, 31, 47};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[static_cast<std::size_t>(i)], head[i]);
    EXPECT_EQ(out[56], 14);
    EXPECT_EQ(out[59], 60);
    EXPECT_EQ(out[60], 45);                         // codeword 15 of block 3
    EXPECT_EQ(out[61], 61);                         // codeword 15 of block 4
    const int ecHead[] = {128, 146, 164, 182, 129}; // 18 per block
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(out[static_cast<std::size_t>(62 + i)], ecHead[i]);
    EXPECT_EQ(out[133], 128 + 71);
}

TEST(Interleave, EveryCodewordAppearsOnceAtEveryVersionAndLevel) {
    for (int v = 1; v <= 40; ++v)
        for (int l = 0; l < 4; ++l) {
            const TQRLevelInfo& level = VersionTable[v].Levels[l];
            // Tag every codeword by its source position (data 0.., correction after).
            std::vector<int> seen(static_cast<std::size_t>(VersionTable[v].TotalCodewords), 0);
            Blocks b;
            std::array<std::uint8_t, kMaxTotalCodewords> out{};
            // Two passes with the low and high byte of the tag.
            std::vector<int> tag(seen.size(), 0);
            for (int shift : {0, 8}) {
                for (int i = 0; i < level.DataCodewords; ++i)
                    b.data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i >> shift);
                const int ecCount = VersionTable[v].TotalCodewords - level.DataCodewords;
                for (int i = 0; i < ecCount; ++i)
                    b.ec[static_cast<std::size_t>(i)] =
                        static_cast<std::uint8_t>((level.DataCodewords + i) >> shift);
                ASSERT_EQ(InterleaveCodewords(level, b.data, b.ec, out),
                          VersionTable[v].TotalCodewords);
                for (std::size_t i = 0; i < tag.size(); ++i)
                    tag[i] |= out[i] << shift;
            }
            for (int t : tag)
                ++seen[static_cast<std::size_t>(t)];
            for (std::size_t i = 0; i < seen.size(); ++i)
                ASSERT_EQ(seen[i], 1) << v << "-"
                                      << "LMQH"[l] << " codeword " << i;
            // Data codewords come first.
            for (int i = 0; i < level.DataCodewords; ++i)
                ASSERT_LT(tag[static_cast<std::size_t>(i)], level.DataCodewords);
        }
}

} // namespace
