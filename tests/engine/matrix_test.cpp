// Function patterns, reserved areas and the zig-zag placement of codewords.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "qr/engine/matrix.h"
#include "tests/engine/engine_test_util.h"

using namespace qr::engine;
using namespace engine_test;

namespace {

struct Placed {
    TQRMatrix m{};
    int n = 0;
};

// Function patterns of the version, then the given codewords (the rest zero).
std::unique_ptr<Placed> Place(int version, const std::vector<std::uint8_t>& head,
                              std::uint8_t fill = 0) {
    auto p = std::make_unique<Placed>();
    const TQRVersionInfo& info = VersionTable[version];
    p->n = info.Modules;
    std::vector<std::uint8_t> words(static_cast<std::size_t>(info.TotalCodewords), fill);
    std::copy(head.begin(), head.end(), words.begin());
    PutFunctionPatterns(p->m, info);
    PlaceCodewords(p->m, p->n, words);
    return p;
}

int CountCells(const Placed& p, bool function, bool dataBit) {
    int count = 0;
    for (int r = 0; r < p.n; ++r)
        for (int c = 0; c < p.n; ++c)
            if (IsFunction(p.m, r, c) == function && IsDataBit(p.m, r, c) == dataBit) ++count;
    return count;
}

TEST(Placement, DataCellsHoldEveryCodewordBitAndTheRemainder) {
    for (int v = 1; v <= 40; ++v) {
        const auto p = Place(v, {}, 0xFF);
        const TQRVersionInfo& info = VersionTable[v];
        EXPECT_EQ(CountCells(*p, false, true), info.TotalCodewords * 8) << v;
        EXPECT_EQ(CountCells(*p, false, false), info.RemainderBits) << v;
        EXPECT_EQ(CountCells(*p, true, true), 0) << v;
        for (int r = 0; r < p->n; ++r)
            ASSERT_TRUE(IsFunction(p->m, r, 6)) << v << " row " << r;
        // Nothing outside the symbol is touched.
        for (int r = 0; r < kMaxModules; ++r)
            for (int c = 0; c < kMaxModules; ++c)
                if (r >= p->n || c >= p->n) {
                    ASSERT_EQ(Cell(p->m, r, c), 0) << v;
                }
    }
}

TEST(Placement, WhereSingleBitsLand) {
    struct Row {
        int version;
        int codeword; // index in the sequence
        std::uint8_t value;
        int row, column; // -k stands for N - k
    };
    const Row rows[] = {
        {1, 0, 0x80, -1, -1},
        {1, 0, 0x40, -1, -2},
        {1, 0, 0x20, -2, -1},
        {1, 0, 0x10, -2, -2},
        {1, 25, 0x01, 12, 0}, // the last bit of version 1
        {2, 0, 0x80, -1, -1},
        {40, 0, 0x80, -1, -1},
        // Version 40 has no remainder cells: the last bit ends the downward pair (1, 0)
        // just above the version area of the lower-left corner.
        {40, 3705, 0x01, 165, 0},
        // Version 1, 4th codeword: the first column pair turns at the top after 12 rows
        // of 2 cells (24 bits = 3 codewords), so codeword 3 starts at the top of the next
        // pair, going down.
        {1, 3, 0x80, 9, 18},
        {1, 3, 0x40, 9, 17},
        {1, 3, 0x20, 10, 18},
    };
    for (const Row& r : rows) {
        std::vector<std::uint8_t> head(static_cast<std::size_t>(r.codeword + 1), 0);
        head.back() = r.value;
        const auto p = Place(r.version, head);
        const int row = Resolve(r.row, p->n);
        const int column = Resolve(r.column, p->n);
        EXPECT_EQ(CountCells(*p, false, true), 1);
        EXPECT_TRUE(IsDataBit(p->m, row, column))
            << "version " << r.version << " codeword " << r.codeword << " value " << int(r.value);
    }
}

TEST(Placement, ColumnPairAfterEightSevenIsFiveFour) {
    // Version 1: the pair (8, 7) runs upwards through rows 12..9; the bit after its last
    // one starts the pair (5, 4) at row 9, going down. Column 6 is skipped.
    Placed empty;
    PutFunctionPatterns(empty.m, VersionTable[1]);
    int before = 0; // data cells in the pairs right of column 7
    for (int c = 20; c >= 7; --c)
        for (int r = 0; r < 21; ++r)
            if (!IsFunction(empty.m, r, c)) ++before;
    for (auto [bit, row, column] :
         {std::tuple{before - 1, 9, 7}, {before, 9, 5}, {before + 1, 9, 4}, {before + 2, 10, 5}}) {
        std::vector<std::uint8_t> words(26, 0);
        words[static_cast<std::size_t>(bit / 8)] = static_cast<std::uint8_t>(0x80 >> (bit % 8));
        Placed p;
        PutFunctionPatterns(p.m, VersionTable[1]);
        PlaceCodewords(p.m, 21, words);
        EXPECT_TRUE(IsDataBit(p.m, row, column)) << "bit " << bit;
    }
}

TEST(FunctionPatterns, FindersSeparatorsTimingAndDarkModule) {
    for (int v : {1, 2, 7, 21, 40}) {
        Placed p;
        PutFunctionPatterns(p.m, VersionTable[v]);
        const int n = VersionTable[v].Modules;
        // Finder corners dark, their light ring, separators light.
        for (auto [r, c] :
             {std::pair{0, 0}, {0, n - 1}, {n - 1, 0}, {3, 3}, {3, n - 4}, {n - 4, 3}})
            EXPECT_EQ(Cell(p.m, r, c), kFunctionBit | kDarkBit) << v;
        for (auto [r, c] :
             {std::pair{1, 1}, {5, n - 2}, {n - 2, 5}, {7, 7}, {7, n - 8}, {n - 8, 7}})
            EXPECT_EQ(Cell(p.m, r, c), kFunctionBit) << v;
        EXPECT_EQ(Cell(p.m, 8, 6), kFunctionBit | kDarkBit);
        EXPECT_EQ(Cell(p.m, 6, 9), kFunctionBit);
        EXPECT_EQ(Cell(p.m, n - 9, 6), kFunctionBit | ((n - 9) % 2 == 0 ? kDarkBit : 0));
        // Reserved cells: light function cells until the format step.
        for (int k = 0; k < 15; ++k) {
            const TCellRef a = FormatListA[k], b = FormatListB[k];
            EXPECT_EQ(Cell(p.m, Resolve(a.Row, n), Resolve(a.Column, n)), kFunctionBit) << k;
            EXPECT_EQ(Cell(p.m, Resolve(b.Row, n), Resolve(b.Column, n)), kFunctionBit) << k;
        }
        EXPECT_EQ(Cell(p.m, n - 8, 8), kFunctionBit);
        for (int k = 0; k < 18; ++k) {
            const TCellRef a = VersionCellA(k, n), b = VersionCellB(k, n);
            EXPECT_EQ(IsFunction(p.m, a.Row, a.Column), v >= 7) << v << " " << k;
            EXPECT_EQ(IsFunction(p.m, b.Row, b.Column), v >= 7) << v << " " << k;
            if (v >= 7) {
                EXPECT_FALSE(IsDark(p.m, a.Row, a.Column));
            }
        }
    }
}

TEST(FunctionPatterns, AlignmentPatternsSkipTheFinderCorners) {
    struct Row {
        int version;
        std::vector<std::pair<int, int>> centres; // all drawn centres
    };
    const Row rows[] = {
        {1, {}},
        {2, {{18, 18}}},
        {7, {{6, 22}, {22, 6}, {22, 22}, {22, 38}, {38, 22}, {38, 38}}},
    };
    for (const Row& r : rows) {
        Placed p;
        PutFunctionPatterns(p.m, VersionTable[r.version]);
        const int n = VersionTable[r.version].Modules;
        // An alignment centre is a dark function cell ringed by light function cells.
        int found = 0;
        for (int a = 2; a < n - 2; ++a)
            for (int b = 2; b < n - 2; ++b) {
                if (Cell(p.m, a, b) != (kFunctionBit | kDarkBit)) continue;
                bool ring = true;
                for (int i = -1; i <= 1; ++i)
                    for (int j = -1; j <= 1; ++j)
                        if ((i || j) && Cell(p.m, a + i, b + j) != kFunctionBit) ring = false;
                bool outer = true;
                for (int i = -2; i <= 2; ++i)
                    for (int j = -2; j <= 2; ++j)
                        if ((std::abs(i) == 2 || std::abs(j) == 2) &&
                            Cell(p.m, a + i, b + j) != (kFunctionBit | kDarkBit))
                            outer = false;
                if (!ring || !outer) continue;
                // Finder centres look the same from inside; skip them.
                if ((a == 3 || a == n - 4) && (b == 3 || b == n - 4)) continue;
                ++found;
                EXPECT_NE(std::find(r.centres.begin(), r.centres.end(), std::pair{a, b}),
                          r.centres.end())
                    << "version " << r.version << " centre " << a << "," << b;
            }
        EXPECT_EQ(found, static_cast<int>(r.centres.size())) << r.version;
    }
}

} // namespace
