// The mask choice on bit planes against the plain cell-by-cell evaluation: penalties of
// random matrices of every size, the early stop, recolouring and the choice itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "qr/engine/detail/symbol_steps.h"
#include "qr/engine/mask_planes.h"
#include "qr/engine/masking.h"
#include "tests/engine/engine_test_util.h"
#include "tests/support/plain_penalty.h"

using namespace qr::engine;
using namespace engine_test;

namespace {

using namespace test_support;

using qr::engine::detail::Steps;

// Recolours data cells one by one, as the mask conditions read: the reference for
// ApplyMask and the matrix the reference penalty is taken of.
void RecolourPlainly(TQRMatrix& m, int n, int mask) {
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            std::uint8_t& cell = Cell(m, i, j);
            if (cell & kFunctionBit) continue;
            const bool dark = ((cell & kDataBit) != 0) != MaskCondition(mask, i, j);
            cell = static_cast<std::uint8_t>((cell & ~kDarkBit) | (dark ? kDarkBit : 0));
        }
}

enum TLayout { kScattered, kSymbolSparse, kSymbolDense, kSymbolEven, kStripes };

// A matrix of n modules. Scattered: function cells anywhere, stray flags everywhere
// (data bits on function cells, dark bits on data cells, bits outside the symbol).
// Symbol layouts: the function patterns of the version and data bits of the given
// density, often with finder-like runs and long runs written into them. Stripes: long
// runs of one colour across whole rows and columns.
std::unique_ptr<TQRMatrix> RandomMatrix(std::mt19937& rng, int version, TLayout layout) {
    auto m = std::make_unique<TQRMatrix>();
    const int n = 4 * version + 17;
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> cell(0, n - 1);
    if (layout == kScattered) {
        for (auto& c : *m)
            c = static_cast<std::uint8_t>(byte(rng) & 7);
        for (int k = 0; k < 3 * n; ++k)
            Cell(*m, cell(rng), cell(rng)) &= ~kFunctionBit;
        return m;
    }
    PutFunctionPatterns(*m, VersionTable[version]);
    const int density = layout == kSymbolSparse ? 20 : layout == kSymbolDense ? 235 : 128;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (!IsFunction(*m, i, j) && byte(rng) < density) Cell(*m, i, j) |= kDataBit;
    if (layout == kStripes) {
        for (int k = 0; k < n / 4; ++k) {
            const int line = cell(rng);
            const bool horizontal = byte(rng) & 1;
            const bool set = byte(rng) & 1;
            for (int t = 0; t < n; ++t) {
                std::uint8_t& c = horizontal ? Cell(*m, line, t) : Cell(*m, t, line);
                if (c & kFunctionBit) continue;
                c = set ? (c | kDataBit) : (c & ~kDataBit);
            }
        }
    }
    // Finder-like patterns in the data bits, some with and some without a light margin.
    static const char* const finders[] = {"0101110100", "1011101", "00101110100", "1101110101"};
    for (int k = 0; k < n / 8; ++k) {
        const char* f = finders[byte(rng) % 4];
        const int length = static_cast<int>(std::char_traits<char>::length(f));
        const int line = cell(rng);
        const int start = std::uniform_int_distribution<int>(0, n - length)(rng);
        const bool horizontal = byte(rng) & 1;
        for (int t = 0; t < length; ++t) {
            std::uint8_t& c = horizontal ? Cell(*m, line, start + t) : Cell(*m, start + t, line);
            if (c & kFunctionBit) continue;
            c = f[t] == '1' ? (c | kDataBit) : (c & ~kDataBit);
        }
    }
    return m;
}

int ReferencePenalty(const TQRMatrix& m, int n, int mask) {
    auto copy = std::make_unique<TQRMatrix>(m);
    RecolourPlainly(*copy, n, mask);
    return MaskPenalty(*copy, n);
}

TEST(PlanePenalty, EqualsThePlainEvaluationOnRandomMatricesOfEverySize) {
    std::mt19937 rng(1337);
    auto planes = std::make_unique<TMaskPlanes>();
    int matrices = 0;
    int finderScores = 0;
    for (int version = 1; version <= 40; ++version)
        for (int round = 0; round < 50; ++round) {
            const auto layout = static_cast<TLayout>(round % 5);
            const auto m = RandomMatrix(rng, version, layout);
            const int n = 4 * version + 17;
            LoadMaskPlanes(*planes, *m, n);
            ++matrices;
            // Half the masks per matrix (the plain evaluation is slow); every layout meets
            // every mask within ten rounds.
            const int firstMask = round / 5 % 2 * 4;
            for (int mask = firstMask; mask < firstMask + 4; ++mask) {
                auto masked = std::make_unique<TQRMatrix>(*m);
                RecolourPlainly(*masked, n, mask);
                const int expected = MaskPenalty(*masked, n);
                ASSERT_EQ(PlanePenalty(*planes, mask), expected)
                    << "version " << version << " layout " << layout << " mask " << mask << " runs "
                    << PenaltyRuns(*masked, n) << " blocks " << PenaltyBlocks(*masked, n)
                    << " finders " << PenaltyFinders(*masked, n);
                finderScores += PenaltyFinders(*masked, n) > 0 ? 1 : 0;
            }
        }
    EXPECT_EQ(matrices, 2000);
    // The finder rule was exercised, not only scored zero.
    EXPECT_GT(finderScores, 500);
}

TEST(PlanePenalty, SmallAndOddSizes) {
    // Sizes that are no version's, down to a single module, including lines that end at a
    // word boundary or one module past it.
    std::mt19937 rng(7);
    auto planes = std::make_unique<TMaskPlanes>();
    for (int n : {1, 2, 4, 5, 6, 7, 8, 9, 63, 64, 65, 127, 128, 129, 176}) {
        for (int round = 0; round < 6; ++round) {
            auto m = std::make_unique<TQRMatrix>();
            std::bernoulli_distribution function(round < 3 ? 0.1 : 0.6);
            std::bernoulli_distribution bit(round % 3 == 0 ? 0.5 : round % 3 == 1 ? 0.05 : 0.95);
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j)
                    Cell(*m, i, j) = static_cast<std::uint8_t>((function(rng) ? kFunctionBit : 0) |
                                                               (bit(rng) ? kDataBit : 0) |
                                                               (bit(rng) ? kDarkBit : 0));
            LoadMaskPlanes(*planes, *m, n);
            for (int mask = 0; mask < 8; ++mask)
                ASSERT_EQ(PlanePenalty(*planes, mask), ReferencePenalty(*m, n, mask))
                    << "n " << n << " round " << round << " mask " << mask;
        }
    }
}

TEST(PlanePenalty, StopsOnlyAtTheLimit) {
    std::mt19937 rng(99);
    auto planes = std::make_unique<TMaskPlanes>();
    for (int version : {1, 9, 10, 27, 28, 40}) {
        const auto m = RandomMatrix(rng, version, kSymbolEven);
        const int n = 4 * version + 17;
        LoadMaskPlanes(*planes, *m, n);
        for (int mask = 0; mask < 8; ++mask) {
            const int exact = PlanePenalty(*planes, mask);
            // Below the limit the score is exact; at or above it, never below the limit.
            EXPECT_EQ(PlanePenalty(*planes, mask, exact + 1), exact);
            for (int limit : {0, 1, exact / 4, exact / 2, exact - 1, exact})
                EXPECT_GE(PlanePenalty(*planes, mask, limit), limit) << version << " " << mask;
        }
    }
}

TEST(ApplyMask, MatchesThePlainRecolouringAndLeavesTheRestAlone) {
    std::mt19937 rng(5);
    for (int version : {1, 2, 3, 7, 11, 12, 15, 28, 39, 40})
        for (int mask = 0; mask < 8; ++mask) {
            const auto m = RandomMatrix(rng, version, kScattered);
            auto fast = std::make_unique<TQRMatrix>(*m);
            auto plain = std::make_unique<TQRMatrix>(*m);
            const int n = 4 * version + 17;
            ApplyMask(*fast, n, mask);
            RecolourPlainly(*plain, n, mask);
            ASSERT_TRUE(*fast == *plain) << "version " << version << " mask " << mask;
        }
}

// Every version: the mask that the build chooses is the first lowest of the plain
// penalties, and the finished matrix is that mask applied.
TEST(ChooseMask, FirstLowestPlainPenaltyForEveryVersion) {
    TInputMaker make(404);
    for (int version = 1; version <= 40; ++version)
        for (int round = 0; round < 2; ++round) {
            TQRSymbolEngine e;
            e.SetVersion(version);
            e.SetEclevel((version + round) % 4);
            const int room = VersionTable[version].Levels[e.Eclevel()].ModeCapacity[2];
            e.SetCode(round == 0 ? make.Mixed(make.Uniform(0, room)) : make.Binary(room / 3));
            e.DivideInput();
            ASSERT_EQ(Steps(e).EncodeAuto(), 0);
            Steps(e).MakeErrorCorrection();
            Steps(e).InterleaveCodewords();
            Steps(e).PutFunctionPatterns();
            Steps(e).PlaceCodewords();
            const int n = e.Modules();
            const auto placed = std::make_unique<TQRMatrix>(Steps(e).Matrix());
            int scores[8];
            for (int mask = 0; mask < 8; ++mask)
                scores[mask] = ReferencePenalty(*placed, n, mask);
            const int best = static_cast<int>(std::min_element(scores, scores + 8) - scores);
            Steps(e).ChooseMask();
            ASSERT_EQ(e.MasktypeR(), best) << "version " << version << " round " << round;
            auto expected = std::make_unique<TQRMatrix>(*placed);
            RecolourPlainly(*expected, n, best);
            ASSERT_TRUE(Steps(e).Matrix() == *expected) << "version " << version;
        }
}

} // namespace
