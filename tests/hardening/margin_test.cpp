// Error margin, capacity edges and every two-byte pair.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "qr/engine/symbol_tables.h"
#include "symbol_sweep.h"

namespace hardening {
namespace {

// Flips the bits of `error` in codeword `index` of the symbol's final sequence.
void CorruptCodeword(std::vector<std::uint8_t>& dark, int n,
                     const std::vector<std::pair<int, int>>& cells, int index, std::uint8_t error) {
    for (int bit = 0; bit < 8; ++bit)
        if (error & (0x80 >> bit)) {
            auto [r, c] = cells[static_cast<std::size_t>(index * 8 + bit)];
            dark[static_cast<std::size_t>(r * n + c)] ^= 1;
        }
}

// As many codewords per block as the level can correct, corrupted: the reader recovers
// the bytes exactly.
TEST(ErrorMargin, CorrectableCodewordsPerBlockAreRecovered) {
    std::mt19937 rng(18004);
    int recovered = 0;
    for (int level = 0; level < 4; ++level)
        for (int version : {1, 2, 3, 5, 7, 9, 10, 14, 20, 27, 33, 40}) {
            TQRSymbolEngine engine;
            engine.SetVersion(version);
            engine.SetEclevel(level);
            engine.SetEmode(2);
            const auto& info = engine.VersionInfo().Levels[level];
            engine.SetCode(RandomText(rng, 2, info.ModeCapacity[2] * 9 / 10));
            engine.DivideInput();
            engine.CheckDivision();
            ASSERT_EQ(engine.BuildSymbol(1), qr::engine::brBuilt);
            const int n = engine.Modules();
            std::vector<std::uint8_t> dark(static_cast<std::size_t>(n * n));
            for (int r = 0; r < n; ++r)
                for (int c = 0; c < n; ++c)
                    dark[r * n + c] = engine.IsDark(r, c);

            const auto cells = test_support::DataCellOrder(version);
            const auto owner = test_support::CodewordBlocks(version, level);
            const int firstGroupBlocks = info.Groups[0].Blocks;
            std::vector<std::vector<int>> members(static_cast<std::size_t>(info.BlockCount()));
            for (int i = 0; i < static_cast<int>(owner.size()); ++i)
                members[owner[i]].push_back(i);
            for (int b = 0; b < info.BlockCount(); ++b) {
                const int r = info.Groups[b < firstGroupBlocks ? 0 : 1].Correctable;
                ASSERT_GT(r, 0);
                std::shuffle(members[b].begin(), members[b].end(), rng);
                for (int k = 0; k < r; ++k)
                    CorruptCodeword(dark, n, cells, members[b][k],
                                    static_cast<std::uint8_t>(1 + rng() % 255));
            }
            auto at = [&](int r, int c) { return dark[r * n + c] != 0; };
            test_support::TSymbolExpectation expect;
            expect.Version = version;
            ASSERT_FALSE(test_support::CheckSymbol(expect, at).Ok)
                << "the corruption did not reach the data";
            const auto read = test_support::ZxingReadModules(n, at, 4, 2, true);
            const auto slice = engine.Slice(1);
            ASSERT_TRUE(read.Valid)
                << "version " << version << " level " << level << ": " << read.Error;
            EXPECT_EQ(read.Bytes, std::string(slice.begin(), slice.end()))
                << version << "-" << level;
            ++recovered;
        }
    std::printf("error margin: %d corrupted symbols recovered\n", recovered);
}

// Text of `chars` characters that automatic analysis also keeps in one segment of
// `mode`: digits; letters and signs without digits; lower-case letters, half-width kana
// and control bytes; Kanji.
std::string FullText(int mode, int chars, int seed) {
    std::mt19937 rng(static_cast<unsigned>(seed));
    if (mode == 0 || mode == 3) return RandomText(rng, mode, mode == 3 ? 2 * chars : chars);
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    std::string s;
    for (int i = 0; i < chars; ++i) {
        if (mode == 1) {
            s += kLetters[rng() % 35];
        } else {
            const int pick = static_cast<int>(rng() % 3);
            s += static_cast<char>(pick == 0   ? 'a' + rng() % 26
                                   : pick == 1 ? 0xA1 + rng() % 63
                                               : rng() % 32);
        }
    }
    return s;
}

// One more character of the same kind.
std::string OneMore(int mode) {
    static const char* const kMore[] = {"1", "A", "a", "\x88\x9F"};
    return kMore[mode];
}

// The largest input the capacity table allows builds and reads back, in the fixed mode
// and in automatic analysis; one character more is refused cleanly.
TEST(CapacityEdges, EveryVersionLevelAndModeHoldsItsCapacityAndNoMore) {
    int held = 0;
    for (int version = 1; version <= 40; ++version)
        for (int level = 0; level < 4; ++level)
            for (int mode = 0; mode < 4; ++mode) {
                TQRSymbolEngine engine;
                engine.SetVersion(version);
                engine.SetEclevel(level);
                engine.SetMasktype((version + level) % 8);
                const int capacity = engine.VersionInfo().Levels[level].ModeCapacity[mode];
                const std::string full = FullText(mode, capacity, version * 16 + level * 4 + mode);
                const std::string over = full + OneMore(mode);
                const std::string where =
                    std::to_string(version) + "-" + "LMQH"[level] + " mode " + std::to_string(mode);
                for (int emode : {mode, -1}) {
                    engine.SetEmode(emode);
                    engine.SetCode(full);
                    engine.DivideInput();
                    engine.CheckDivision();
                    ASSERT_EQ(engine.BuildSymbol(1), qr::engine::brBuilt)
                        << where << " emode " << emode;
                    const auto check = CheckBuilt(engine, 1, false);
                    ASSERT_TRUE(check.Ok) << where << ": " << check.Error;
                    EXPECT_EQ(check.Reading.SegmentModes, std::vector<int>{mode}) << where;
                    if (emode >= 0) {
                        const auto read = ReadBuilt(engine);
                        ASSERT_TRUE(read.Valid) << where << ": " << read.Error;
                        EXPECT_EQ(read.Bytes, full) << where;
                    }
                    engine.SetCode(over);
                    engine.DivideInput();
                    engine.CheckDivision();
                    // 7090 digits are more than any symbol holds: refused before encoding.
                    const auto refusal = over.size() > qr::engine::kMaxSliceBytes
                                             ? qr::engine::brNotLoaded
                                             : qr::engine::brNotEncoded;
                    EXPECT_EQ(engine.BuildSymbol(1), refusal)
                        << where << " one character over, emode " << emode;
                }
                ++held;
            }
    EXPECT_EQ(held, 640);
}

bool IsKanji(int lead, int trail) {
    const bool leadOk = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEB);
    const bool trailOk = trail >= 0x40 && trail <= 0xFC && trail != 0x7F;
    return leadOk && trailOk && !(lead == 0xEB && trail > 0xBF);
}

// Builds the chunk as one 40-L symbol and reads it back both ways; returns the modes
// that carried each byte.
std::vector<std::uint8_t> CarryChunk(const std::string& chunk) {
    TQRSymbolEngine engine;
    engine.SetVersion(40);
    engine.SetMasktype(0);
    engine.SetCode(chunk);
    engine.DivideInput();
    engine.CheckDivision();
    EXPECT_EQ(engine.BuildSymbol(1), qr::engine::brBuilt);
    const auto check = CheckBuilt(engine, 1, false);
    EXPECT_TRUE(check.Ok) << check.Error;
    const auto read = ReadBuilt(engine);
    EXPECT_TRUE(read.Valid) << read.Error;
    EXPECT_EQ(read.Bytes, chunk);
    return check.Reading.ByteModes;
}

// Every one of the 65,536 byte pairs: Kanji characters travel in Kanji mode, every
// other pair as bytes, and all read back unchanged.
TEST(KanjiCoverage, EveryTwoBytePairRoundTrips) {
    std::string chunk;
    int kanji = 0, others = 0;
    auto flushKanji = [&] {
        if (chunk.empty()) return;
        const auto modes = CarryChunk(chunk);
        ASSERT_EQ(modes.size(), chunk.size());
        for (std::size_t i = 0; i < modes.size(); ++i)
            ASSERT_EQ(modes[i], 3) << "byte " << i;
        chunk.clear();
    };
    for (int lead = 0; lead < 256; ++lead)
        for (int trail = 0; trail < 256; ++trail)
            if (IsKanji(lead, trail)) {
                chunk += static_cast<char>(lead);
                chunk += static_cast<char>(trail);
                ++kanji;
                if (chunk.size() == 2 * 1817) flushKanji();
            }
    flushKanji();

    // Other pairs, each followed by a line feed so that no pair can join its neighbour.
    std::vector<int> pairsInChunk;
    auto flushOthers = [&] {
        if (chunk.empty()) return;
        const auto modes = CarryChunk(chunk);
        ASSERT_EQ(modes.size(), chunk.size());
        for (std::size_t i = 0; i < pairsInChunk.size(); ++i)
            ASSERT_TRUE(modes[3 * i] != 3 && modes[3 * i + 1] != 3)
                << std::hex << "pair 0x" << pairsInChunk[i] << " went into Kanji mode";
        chunk.clear();
        pairsInChunk.clear();
    };
    for (int lead = 0; lead < 256; ++lead)
        for (int trail = 0; trail < 256; ++trail)
            if (!IsKanji(lead, trail)) {
                chunk += static_cast<char>(lead);
                chunk += static_cast<char>(trail);
                chunk += '\n';
                pairsInChunk.push_back(lead << 8 | trail);
                ++others;
                if (chunk.size() >= 1500) flushOthers();
            }
    flushOthers();
    EXPECT_EQ(kanji + others, 65536);
    EXPECT_EQ(kanji, 43 * 188 - 61);
}

} // namespace
} // namespace hardening
