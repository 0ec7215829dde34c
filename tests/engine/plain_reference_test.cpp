// The bit writer and the codeword placement, which move several bits at a time, against
// plain walks that move one bit at a time.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "qr/engine/bitstream.h"
#include "qr/engine/detail/symbol_steps.h"
#include "qr/engine/matrix.h"
#include "tests/engine/engine_test_util.h"

using namespace qr::engine;
using namespace engine_test;

namespace {

using qr::engine::detail::Steps;

TEST(PlainReference, PutBitsWritesEveryValueAtEveryOffset) {
    std::mt19937 rng(31);
    for (int round = 0; round < 200; ++round) {
        std::array<std::uint8_t, kMaxDataCodewords> buffer{};
        TBitStream bs{buffer};
        TEncodeContext ctx;
        ctx.Version = &VersionTable[40];
        StartBitStream(bs, ctx);
        std::vector<std::pair<int, std::uint32_t>> written;
        int total = 0;
        while (total < 2000) {
            const int n = std::uniform_int_distribution<int>(0, 20)(rng);
            const std::uint32_t value = rng();
            PutBits(bs, n, value);
            written.emplace_back(n, value);
            total += n;
            ASSERT_EQ(bs.BytePos * 8 + 7 - bs.BitPos, total);
        }
        TBitReader reader(buffer);
        for (const auto& [n, value] : written) {
            const std::uint32_t low = n == 0 ? 0 : value & ((1u << n) - 1);
            ASSERT_EQ(static_cast<std::uint32_t>(reader.Read(n)), low) << "round " << round;
        }
        // Nothing beyond the last bit.
        for (int k = total; k < 8 * (total / 8 + 1); ++k)
            ASSERT_EQ(reader.Read(1), 0);
        for (std::size_t i = static_cast<std::size_t>(total / 8 + 1); i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], 0);
    }
}

// The zig-zag walk one cell at a time: up and down column pairs from the bottom-right,
// the vertical timing column skipped, function cells passed over.
void PlaceWalking(TQRMatrix& m, int n, const std::vector<std::uint8_t>& codewords) {
    const int bits = static_cast<int>(codewords.size()) * 8;
    int next = 0;
    bool upward = true;
    for (int right = n - 1; right >= 1; right -= 2, upward = !upward) {
        if (right == 6) right = 5;
        for (int k = 0; k < n; ++k) {
            const int row = upward ? n - 1 - k : k;
            for (int column : {right, right - 1}) {
                if (IsFunction(m, row, column) || next >= bits) continue;
                if ((codewords[next / 8] >> (7 - next % 8)) & 1) Cell(m, row, column) |= kDataBit;
                ++next;
            }
        }
    }
}

TEST(PlainReference, PlacementOfFullAndShortSequencesForEveryVersion) {
    std::mt19937 rng(8);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int version = 1; version <= 40; ++version) {
        const TQRVersionInfo& info = VersionTable[version];
        // All codewords; a prefix; one codeword more than fits.
        for (int count :
             {info.TotalCodewords, byte(rng) % info.TotalCodewords, info.TotalCodewords + 1}) {
            std::vector<std::uint8_t> words(static_cast<std::size_t>(count));
            for (auto& w : words)
                w = static_cast<std::uint8_t>(byte(rng));
            auto fast = std::make_unique<TQRMatrix>();
            auto plain = std::make_unique<TQRMatrix>();
            PutFunctionPatterns(*fast, info);
            PutFunctionPatterns(*plain, info);
            PlaceCodewords(*fast, info.Modules, words);
            PlaceWalking(*plain, info.Modules, words);
            ASSERT_TRUE(*fast == *plain) << "version " << version << ", " << count << " codewords";
        }
    }
}

} // namespace

namespace {

// Whatever the engine built before, the cells of its new symbol equal a fresh engine's.
TEST(PlainReference, SymbolEqualsAFreshEnginesAfterAnyEarlierBuild) {
    TInputMaker make(12);
    TQRSymbolEngine used;
    for (int round = 0; round < 60; ++round) {
        const int version = make.Uniform(1, 40);
        // An earlier build of another (often larger) version leaves its cells behind.
        used.SetVersion(make.Uniform(1, 40));
        used.SetEclevel(make.Uniform(0, 3));
        used.SetCode(make.Mixed(make.Uniform(0, 40)));
        used.DivideInput();
        used.BuildSymbol(1);

        TQRSymbolEngine fresh;
        for (TQRSymbolEngine* e : {&used, &fresh}) {
            e->SetVersion(version);
            e->SetEclevel(round % 4);
            e->SetCode("ROUND " + std::to_string(round));
            e->DivideInput();
            ASSERT_EQ(e->BuildSymbol(1), brBuilt);
        }
        const int n = fresh.Modules();
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c)
                ASSERT_EQ(Cell(Steps(used).Matrix(), r, c), Cell(Steps(fresh).Matrix(), r, c))
                    << "round " << round << " cell " << r << "," << c;
    }
}

} // namespace
