// Mask patterns, the penalty rules, the mask choice and the format and version words.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "qr/engine/detail/symbol_steps.h"
#include "qr/engine/masking.h"
#include "tests/engine/engine_test_util.h"
#include "tests/support/plain_penalty.h"

using namespace qr::engine;
using namespace engine_test;

namespace {

using namespace test_support;

using qr::engine::detail::Steps;

// An n x n picture from rows of '#' (dark) and '.' (light).
std::unique_ptr<TQRMatrix> Picture(const std::vector<std::string>& rows) {
    auto m = std::make_unique<TQRMatrix>();
    m->fill(0);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            if (rows[r][c] == '#') Cell(*m, static_cast<int>(r), static_cast<int>(c)) = kDarkBit;
    return m;
}

TEST(Penalty, RulesOnSmallPictures) {
    struct Row {
        const char* name;
        std::vector<std::string> rows;
        int runs, blocks, finders, total;
    };
    const Row rows[] = {
        // Runs of 4 score nothing; every 2x2 square counts; 0 % dark is 10 steps off.
        {"4x4 light", {"....", "....", "....", "...."}, 0, 27, 0, 127},
        // A run of 5 ending at the edge scores 3.
        {"5x5 light", {".....", ".....", ".....", ".....", "....."}, 30, 48, 0, 178},
        // A run of 7 scores 5.
        {"7x7 dark", std::vector<std::string>(7, "#######"), 70, 108, 0, 278},
        // A finder-like row with the edge on both sides scores 40 in every row; the
        // columns are runs of 7 (5 each); adjacent equal columns 2-3 and 3-4 give
        // squares; 35 of 49 dark is 71 %.
        {"finder rows", std::vector<std::string>(7, "#.###.#"), 35, 36, 280, 391},
        // Only one light module is needed on each side. The light row is a run of 9.
        {"finder with margins",
         {".#.###.#.", ".........", "#.#.#.#.#", ".#.#.#.#.", "#.#.#.#.#", ".#.#.#.#.", "#.#.#.#.#",
          ".#.#.#.#.", "#.#.#.#.#"},
         7,
         0,
         40,
         -1},
        // No light module after the pattern: no score.
        {"finder without margin",
         {"#.###.##", "#.#.#.#.", ".#.#.#.#", "#.#.#.#.", ".#.#.#.#", "#.#.#.#.", ".#.#.#.#",
          "#.#.#.#."},
         0,
         0,
         0,
         -1},
    };
    for (const Row& r : rows) {
        const auto m = Picture(r.rows);
        const int n = static_cast<int>(r.rows.size());
        EXPECT_EQ(PenaltyRuns(*m, n), r.runs) << r.name;
        EXPECT_EQ(PenaltyBlocks(*m, n), r.blocks) << r.name;
        EXPECT_EQ(PenaltyFinders(*m, n), r.finders) << r.name;
        if (r.total >= 0) {
            EXPECT_EQ(MaskPenalty(*m, n), r.total) << r.name;
        }
    }
}

TEST(Penalty, DarkShareIsTruncatedBeforeTheDistance) {
    struct Row {
        int dark, total, score;
    };
    const Row rows[] = {
        {45, 100, 10}, {55, 100, 10}, {455, 1000, 10}, {549, 1000, 0},
        {50, 100, 0},  {0, 441, 100}, {441, 441, 100}, {44, 100, 10},
        {40, 100, 20}, {39, 100, 20}, {221, 441, 0},   {6000, 10000, 20},
    };
    for (const Row& r : rows)
        EXPECT_EQ(PenaltyDarkShare(r.dark, r.total), r.score) << r.dark << "/" << r.total;
}

TEST(Mask, ConditionsMatchTheirFormulas) {
    // Cells inverted in the top-left 6 x 6 corner, row by row ('#' = inverted).
    const std::vector<std::string> expected[8] = {
        {"#.#.#.", ".#.#.#", "#.#.#.", ".#.#.#", "#.#.#.", ".#.#.#"},
        {"######", "......", "######", "......", "######", "......"},
        {"#..#..", "#..#..", "#..#..", "#..#..", "#..#..", "#..#.."},
        {"#..#..", "..#..#", ".#..#.", "#..#..", "..#..#", ".#..#."},
        {"###...", "###...", "...###", "...###", "###...", "###..."},
        {"######", "#.....", "#..#..", "#.#.#.", "#..#..", "#....."},
        {"######", "###...", "##.##.", "#.#.#.", "#.##.#", "#...##"},
        {"#.#.#.", "...###", "#...##", ".#.#.#", "###...", ".###.."},
    };
    for (int mask = 0; mask < 8; ++mask)
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j)
                EXPECT_EQ(MaskCondition(mask, i, j), expected[mask][i][j] == '#')
                    << "mask " << mask << " at " << i << "," << j;
}

TEST(Mask, ApplyRecoloursDataCellsOnlyAndUndoesEarlierMasks) {
    TQRSymbolEngine e;
    e.SetVersion(7);
    e.SetMasktype(3);
    e.SetCode("MASKING");
    e.DivideInput();
    ASSERT_EQ(e.BuildSymbol(1), 0);
    EXPECT_EQ(e.MasktypeR(), 3);
    const int n = e.Modules();
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c)
            if (!e.IsFunction(r, c)) {
                ASSERT_EQ(e.IsDark(r, c), e.IsDataBit(r, c) != MaskCondition(3, r, c));
            }

    auto m = std::make_unique<TQRMatrix>(Steps(e).Matrix());
    auto direct = std::make_unique<TQRMatrix>(Steps(e).Matrix());
    ApplyMask(*m, n, 5);
    ApplyMask(*m, n, 0);
    ApplyMask(*direct, n, 0);
    EXPECT_EQ(*m, *direct);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c)
            if (e.IsFunction(r, c)) {
                ASSERT_EQ(Cell(*m, r, c), Cell(Steps(e).Matrix(), r, c));
            }
}

// The automatic choice is the first of the lowest scores, evaluated before the format
// information (its cells and the dark module count as light). Every version once, then
// small ones, where ties are met.
TEST(Mask, AutomaticChoiceTakesTheFirstLowestScore) {
    TInputMaker make(21);
    int ties = 0;
    for (int round = 0; round < 400 && (round < 80 || ties < 3); ++round) {
        TQRSymbolEngine e;
        e.SetVersion(round < 40 ? round + 1 : 1 + round % 3);
        e.SetEclevel(round % 4);
        e.SetCode(make.Mixed(make.Uniform(0, 12)));
        e.DivideInput();
        ASSERT_EQ(Steps(e).EncodeAuto(), 0);
        Steps(e).MakeErrorCorrection();
        Steps(e).InterleaveCodewords();
        Steps(e).PutFunctionPatterns();
        Steps(e).PlaceCodewords();
        const int n = e.Modules();
        auto m = std::make_unique<TQRMatrix>(Steps(e).Matrix());
        int scores[8];
        for (int mask = 0; mask < 8; ++mask) {
            ApplyMask(*m, n, mask);
            scores[mask] = MaskPenalty(*m, n);
        }
        const int best = static_cast<int>(std::min_element(scores, scores + 8) - scores);
        if (std::count(scores, scores + 8, scores[best]) > 1) ++ties;
        Steps(e).ChooseMask();
        ASSERT_EQ(e.MasktypeR(), best);
        EXPECT_FALSE(e.IsDark(n - 8, 8));
        Steps(e).PutFormatInformation();
        EXPECT_TRUE(e.IsDark(n - 8, 8));
    }
    EXPECT_GE(ties, 3) << "no tie was met: the tie-break went untested";
}

int ReadWord(const TQRSymbolEngine& e, bool listA, int bits) {
    const int n = e.Modules();
    int word = 0;
    for (int k = 0; k < bits; ++k) {
        TCellRef cell;
        if (bits == 15) {
            const TCellRef ref = listA ? FormatListA[k] : FormatListB[k];
            cell = {Resolve(ref.Row, n), Resolve(ref.Column, n)};
        } else {
            cell = listA ? VersionCellA(k, n) : VersionCellB(k, n);
        }
        if (e.IsDark(cell.Row, cell.Column)) word |= 1 << k;
    }
    return word;
}

// Remainder of word divided by the generator of degree bits, polynomials over GF(2).
int PolyRemainder(int word, int generator, int bits) {
    for (int b = 31 - __builtin_clz(static_cast<unsigned>(word | 1)); b >= bits; --b)
        if (word & (1 << b)) word ^= generator << (b - bits);
    return word;
}

TEST(FormatInformation, WordsInBothCopies) {
    struct Row {
        int eclevel, mask, word;
    };
    const Row rows[] = {{1, 0, 0x5412}, {0, 0, 0x77C4}, {3, 7, 0x083B}, {2, 5, 0x2183}};
    for (const Row& r : rows) {
        TQRSymbolEngine e;
        e.SetEclevel(r.eclevel);
        e.SetMasktype(r.mask);
        e.SetCode("FORMAT");
        e.DivideInput();
        ASSERT_EQ(e.BuildSymbol(1), 0);
        EXPECT_EQ(ReadWord(e, true, 15), r.word);
        EXPECT_EQ(ReadWord(e, false, 15), r.word);
        EXPECT_TRUE(e.IsDark(e.Modules() - 8, 8));
    }
    // Every word carries its level and mask in its top five bits (after the XOR mask) and
    // is a multiple of the generator 0x537 below them.
    for (int level = 0; level < 4; ++level)
        for (int mask = 0; mask < 8; ++mask) {
            const int w = FormatWord(level, mask) ^ 0x5412;
            EXPECT_EQ(w >> 10, ((level ^ 1) << 3) | mask);
            EXPECT_EQ(PolyRemainder(w, 0x537, 10), 0) << level << " " << mask;
        }
    // Any two format words differ in at least 7 bits (BCH(15,5)).
    for (int a = 0; a < 32; ++a)
        for (int b = a + 1; b < 32; ++b)
            EXPECT_GE(__builtin_popcount(static_cast<unsigned>(FormatWord(a >> 3, a & 7) ^
                                                               FormatWord(b >> 3, b & 7))),
                      7);
}

TEST(VersionInformation, WordsFromVersion7) {
    for (int v = 0; v < 7; ++v)
        EXPECT_EQ(VersionWords[v], -1);
    for (int v = 7; v <= 40; ++v)
        EXPECT_EQ(PolyRemainder(VersionWords[v], 0x1F25, 12), 0) << v;
    for (int v : {7, 8, 21, 40}) {
        TQRSymbolEngine e;
        e.SetVersion(v);
        e.SetCode("VERSION");
        e.DivideInput();
        ASSERT_EQ(e.BuildSymbol(1), 0);
        EXPECT_EQ(ReadWord(e, true, 18), VersionWords[v]) << v;
        EXPECT_EQ(ReadWord(e, false, 18), VersionWords[v]) << v;
        EXPECT_EQ(VersionWords[v] >> 12, v);
    }
    // Below version 7 those cells are ordinary data cells.
    TQRSymbolEngine e;
    e.SetVersion(6);
    e.SetCode("VERSION");
    e.DivideInput();
    ASSERT_EQ(e.BuildSymbol(1), 0);
    for (int k = 0; k < 18; ++k) {
        const TCellRef a = VersionCellA(k, e.Modules());
        EXPECT_FALSE(e.IsFunction(a.Row, a.Column));
    }
}

} // namespace
