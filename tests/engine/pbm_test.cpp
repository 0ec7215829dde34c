// The PBM text: header, line counts, picture format, and the pictures read back.
#include <gtest/gtest.h>

#include "tests/engine/engine_test_util.h"

using namespace qr::engine;
using namespace engine_test;

namespace {

// Picture number k (0-based) of a PBM text as a grey image.
test_support::TGreyImage PictureOf(const std::vector<std::string>& lines, int k, int width) {
    test_support::TGreyImage image;
    image.Width = image.Height = width;
    const std::size_t first = 3 + static_cast<std::size_t>(k) * (2 + width) + 2;
    for (int y = 0; y < width; ++y) {
        const std::string& line = lines.at(first + static_cast<std::size_t>(y));
        for (int x = 0; x < width; ++x)
            image.Pixels.push_back(line.at(static_cast<std::size_t>(2 * x + 1)) == '1' ? 0 : 255);
    }
    return image;
}

TEST(Pbm, Version1SingleSymbolLayout) {
    TQRSymbolEngine e;
    e.SetCode("PBM TEXT");
    e.DivideInput();
    e.CheckDivision();
    const auto& lines = e.PBM();
    ASSERT_EQ(lines.size(), 34u);
    EXPECT_EQ(lines[0], "P1");
    EXPECT_EQ(lines[1], "Single Mode (Count = 1)");
    EXPECT_EQ(lines[2], "29 29");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "");
    std::string blank;
    for (int i = 0; i < 29; ++i)
        blank += " 0";
    for (std::size_t i = 5; i < 34; ++i) {
        ASSERT_EQ(lines[i].size(), 58u) << i;
        for (std::size_t c = 0; c < 58; c += 2) {
            ASSERT_EQ(lines[i][c], ' ');
            ASSERT_TRUE(lines[i][c + 1] == '0' || lines[i][c + 1] == '1');
        }
    }
    for (std::size_t i : {5u, 8u, 30u, 33u})
        EXPECT_EQ(lines[i], blank) << i;
    // Row r of the symbol is picture line 4 + r, column c is entry 4 + c.
    for (int r = 0; r < 21; ++r)
        for (int c = 0; c < 21; ++c)
            ASSERT_EQ(
                lines[static_cast<std::size_t>(9 + r)][static_cast<std::size_t>(2 * (4 + c) + 1)],
                e.IsDark(r, c) ? '1' : '0');
    // The engine's own list, rebuilt in place: an earlier reference sees the next read.
    e.SetVersion(2);
    e.PBM();
    EXPECT_EQ(lines[2], "33 33");
}

TEST(Pbm, MagnificationRepeatsEntriesAndLines) {
    TQRSymbolEngine e;
    e.SetPxmag(2);
    e.SetCode("ZOOM");
    e.DivideInput();
    const auto& lines = e.PBM();
    EXPECT_EQ(lines[2], "58 58");
    ASSERT_EQ(lines.size(), 5u + 58u);
    for (int r = 0; r < 21; ++r)
        for (int c = 0; c < 21; ++c) {
            const char want = e.IsDark(r, c) ? '1' : '0';
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    ASSERT_EQ(lines[static_cast<std::size_t>(5 + 8 + 2 * r + dy)]
                                   [static_cast<std::size_t>(2 * (8 + 2 * c + dx) + 1)],
                              want);
        }
}

TEST(Pbm, ModeLinesAndOnePicturePerSymbolReadBack) {
    struct Row {
        TQRMode mode;
        int count;
        const char* modeLine;
    };
    for (const Row& r :
         {Row{qrConnect, 3, "Connect Mode (Count = 3)"}, Row{qrPlus, 2, "Plus Mode (Count = 2)"},
          Row{qrPlus, 17, "Plus Mode (Count = 17)"}}) {
        TQRSymbolEngine e;
        e.SetVersion(2);
        e.SetMode(r.mode);
        e.SetCount(r.count);
        e.SetCode("THE PICTURES OF THE PBM TEXT 0123456789");
        e.DivideInput();
        e.CheckDivision();
        const auto& lines = e.PBM();
        EXPECT_EQ(lines[1], r.modeLine);
        ASSERT_EQ(lines.size(), 3u + static_cast<std::size_t>(r.count) * (2 + 33));
        for (int k = 0; k < r.count; ++k) {
            EXPECT_EQ(lines[3 + static_cast<std::size_t>(k) * 35], "");
            EXPECT_EQ(lines[4 + static_cast<std::size_t>(k) * 35], "");
            const auto z = test_support::ZxingRead(PictureOf(lines, k, 33));
            ASSERT_TRUE(z.Valid) << z.Error;
            EXPECT_EQ(z.Bytes, AsString(e.Slice(k + 1)));
            EXPECT_EQ(z.SequenceIndex, r.mode == qrConnect ? k : -1);
        }
        EXPECT_EQ(e.SymbolNumber(), r.count);
    }
}

TEST(Pbm, StopsAtTheFirstSymbolThatFails) {
    TQRSymbolEngine e;
    e.SetEmode(0);
    e.SetMode(qrConnect);
    e.SetCount(3);
    e.SetCode("1234x6789"); // the second slice is not numeric
    e.DivideInput();
    e.CheckDivision();
    EXPECT_EQ(e.PBM().size(), 3u + 31u);
    EXPECT_EQ(e.PBM()[1], "Connect Mode (Count = 3)");

    // A slice above 7089 bytes is never built.
    TQRSymbolEngine big;
    big.SetVersion(40);
    big.SetCode(std::string(7090, '1'));
    big.DivideInput();
    EXPECT_EQ(big.PBM().size(), 3u);
    EXPECT_EQ(big.PBM()[2], "185 185");
    EXPECT_EQ(big.BuildSymbol(1), brNotLoaded);
    big.SetCode(std::string(7089, '1'));
    big.DivideInput();
    EXPECT_EQ(big.PBM().size(), 3u + 2u + 185u);
}

// Boundaries of an earlier division that no longer match the input select nothing.
TEST(Pbm, StaleDivisionBuildsNothingPastTheInput) {
    TQRSymbolEngine e;
    e.SetMode(qrConnect);
    e.SetCount(4);
    e.SetCode(std::string(400, 'A'));
    e.DivideInput();
    e.CheckDivision();
    e.SetCode("SHORT"); // 5 bytes; the slices still say 0..99, 100..199, ...
    EXPECT_EQ(e.BuildSymbol(1), brNotLoaded);
    EXPECT_EQ(e.BuildSymbol(4), brNotLoaded);
    EXPECT_EQ(e.PBM().size(), 3u);
    e.SetCount(9); // symbol 5 would start at the old end, 400
    EXPECT_EQ(e.BuildSymbol(5), brNotLoaded);
    EXPECT_TRUE(e.Slice(5).empty());
    e.DivideInput();
    EXPECT_EQ(e.BuildSymbol(1), 0);
}

} // namespace
