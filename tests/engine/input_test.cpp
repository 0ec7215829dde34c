// Input preparation, escapes, division among symbols, parity, the division check and the
// validating setters.
#include <gtest/gtest.h>

#include <vector>

#include "qr/engine/bitstream.h"
#include "tests/engine/engine_test_util.h"

using namespace qr::engine;
using namespace engine_test;

namespace {

TEST(FindChar, PositionsAreOneBased) {
    struct Row {
        const char* text;
        int start, expected;
    };
    const Row rows[] = {
        {"a~b~c", 1, 2}, {"a~b~c", 2, 2},  {"a~b~c", 3, 4}, {"a~b~c", 5, 0}, {"a~b~c", 6, 0},
        {"a~b~c", 0, 0}, {"a~b~c", -3, 0}, {"", 1, 0},      {"~", 1, 1},
    };
    for (const Row& r : rows)
        EXPECT_EQ(FindChar('~', r.text, r.start), r.expected) << r.text << " " << r.start;
}

TEST(PrepareInput, EscapesAndTheirMalformedForms) {
    struct Row {
        std::string code;
        bool binaryOperation;
        std::string prepared;
        bool binary;
        bool binaryOperationAfter;
    };
    const Row rows[] = {
        {"", true, "", false, true},
        {"A~0D0A~B", false, "A~0D0A~B", false, false},
        {"A~0D0A~B", true, Bytes({0x41, 0x0D, 0x0A, 0x42}), false, true},
        {"~00~", true, std::string(1, '\0'), true, true},
        {"~1b~", true, Bytes({0x1B}), true, true},
        {"~09~", true, "\t", false, true},
        {"~7F~", true, Bytes({0x7F}), false, true},
        {"a~~b", true, "a~b", false, true},
        {"~~", true, "~", false, true},
        {"~41~~42~", true, "AB", false, true},
        {"x~414243~y", true, "xABCy", false, true},
        {"~fFeE~", true, Bytes({0xFF, 0xEE}), false, true},
        // Malformed: odd digit count, not hexadecimal, a lone tilde. Taken literally,
        // and the escapes switch themselves off.
        {"~0~", true, "~0~", false, false},
        {"~1G~", true, "~1G~", false, false},
        {"abc~", true, "abc~", false, false},
        {"~00~ and ~", true, "~00~ and ~", false, false},
        {"~1b~~zz~", true, "~1b~~zz~", false, false},
    };
    for (const Row& r : rows) {
        bool binaryOperation = r.binaryOperation;
        bool binary = !r.binary;
        std::string out = "stale contents";
        const int len = PrepareInput(r.code, binaryOperation, binary, out);
        SCOPED_TRACE(r.code);
        EXPECT_EQ(len, static_cast<int>(r.prepared.size()));
        ASSERT_EQ(out.size(), r.prepared.size() + 4);
        EXPECT_EQ(out.substr(0, r.prepared.size()), r.prepared);
        EXPECT_EQ(out.substr(r.prepared.size()), std::string(4, '\0'));
        EXPECT_EQ(binary, r.binary);
        EXPECT_EQ(binaryOperation, r.binaryOperationAfter);
    }
}

TEST(PrepareInput, EngineReportsLenBinaryAndSwitchesEscapesOff) {
    TQRSymbolEngine e;
    EXPECT_EQ(e.Len(), 0);
    e.SetCode("A~00~B");
    EXPECT_EQ(e.Len(), 6); // escapes off: literal
    e.SetBinaryOperation(true);
    EXPECT_EQ(e.Len(), 3);
    EXPECT_TRUE(e.Binary());
    EXPECT_EQ(AsString(e.PreparedInput()), Bytes({'A', 0, 'B'}));
    e.SetCode("~0~");
    EXPECT_EQ(e.Len(), 3);
    EXPECT_FALSE(e.BinaryOperation());
    EXPECT_FALSE(e.Binary());

    // In a form designer the text is only stored.
    TQRSymbolEngine d;
    d.SetDesignMode(true);
    d.SetCode("abc");
    EXPECT_EQ(d.Code(), "abc");
    EXPECT_EQ(d.Len(), 0);
    d.SetBinaryOperation(true);
    EXPECT_FALSE(d.BinaryOperation());
}

struct DivisionRow {
    std::string input;
    int count;
    TQRMode mode;
    std::vector<int> offsets; // expected Offset[0..Count]
    TQRMode modeAfter;
};

std::string Hiragana(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += Bytes({0x82, 0xA0 + 2 * i});
    return s;
}

TEST(DivideInput, SlicesCountsAndModes) {
    const DivisionRow rows[] = {
        {"", 1, qrSingle, {0, 0}, qrSingle},
        {"", 5, qrConnect, {0, 0}, qrSingle},
        {"0123456789", 4, qrConnect, {0, 3, 6, 9, 10}, qrConnect},
        {"012345678", 4, qrConnect, {0, 2, 4, 6, 9}, qrConnect},
        {"0123456", 2, qrPlus, {0, 4, 7}, qrPlus},
        {"012", 4, qrConnect, {0, 1, 2, 3}, qrConnect},
        {"0123", 1, qrSingle, {0, 4}, qrSingle},
        // A request for several symbols while single turns into structured append, and
        // more than 16 into plain pieces.
        {"0123456789", 2, qrSingle, {0, 5, 10}, qrConnect},
        {std::string(40, 'x'),
         17,
         qrConnect,
         {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 40},
         qrPlus},
        {std::string(40, 'x'),
         20,
         qrConnect,
         {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36, 38, 40},
         qrPlus},
        // Double-byte characters are never cut: back when the slice keeps a byte ...
        {Hiragana(3), 2, qrConnect, {0, 2, 6}, qrConnect},
        // ... forward when it would be empty, and not at all when the rest is one character.
        {Hiragana(2), 4, qrSingle, {0, 2, 4}, qrConnect},
        {"ab" + Hiragana(1) + "c", 2, qrConnect, {0, 2, 5}, qrConnect},
        {"a" + Hiragana(2), 2, qrConnect, {0, 3, 5}, qrConnect},
        // A trail byte outside the trail set, and half-width katakana, are cut anywhere.
        {Bytes({0x82, 0x7F, 0x82, 0x7F}), 2, qrConnect, {0, 2, 4}, qrConnect},
        {Bytes({0x82, 0x20, 0x41, 0x42}), 4, qrConnect, {0, 1, 2, 3, 4}, qrConnect},
        {Bytes({0xB1, 0xB2, 0xB3, 0xB4}), 2, qrConnect, {0, 2, 4}, qrConnect},
        // Lead bytes that are trails of the character before: the run's parity decides.
        {Bytes({0x82, 0x82, 0x82, 0x41}), 2, qrConnect, {0, 2, 4}, qrConnect},
        {Bytes({0x41, 0x82, 0x82, 0x82, 0xA0, 0x41}), 2, qrConnect, {0, 3, 6}, qrConnect},
        {Bytes({0x41, 0x82, 0x82, 0x41}), 2, qrConnect, {0, 1, 4}, qrConnect},
    };
    for (const DivisionRow& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r.input) + " count " + std::to_string(r.count));
        TQRSymbolEngine e;
        e.SetCode(r.input);
        e.SetMode(r.mode);
        e.SetCount(r.count);
        e.DivideInput();
        ASSERT_NO_THROW(e.CheckDivision());
        EXPECT_EQ(e.Count(), static_cast<int>(r.offsets.size()) - 1);
        std::vector<int> got;
        for (int i = 0; i <= e.Count(); ++i)
            got.push_back(e.Offset(i));
        EXPECT_EQ(got, r.offsets);
        EXPECT_EQ(e.Mode(), r.modeAfter);
    }
}

TEST(DivideInput, EveryCountOverDoubleByteTextKeepsCharactersWhole) {
    TInputMaker make(3);
    for (int round = 0; round < 200; ++round) {
        const std::string text = make.Mixed(make.Uniform(0, 300));
        TQRSymbolEngine e;
        e.SetCode(text);
        e.SetCount(make.Uniform(1, 1024));
        e.DivideInput();
        ASSERT_NO_THROW(e.CheckDivision());
        const auto input = e.PreparedInput();
        std::string joined;
        for (int s = 1; s <= e.Count(); ++s) {
            const int cut = e.Offset(s - 1);
            if (s > 1) {
                EXPECT_FALSE(IsSecondByte(input, cut) && TrailBytes[input[cut]]) << cut;
            }
            joined += AsString(e.Slice(s));
        }
        EXPECT_EQ(joined, text);
    }
}

// Under ECI 26 the text is UTF-8: no symbol starts inside a character (one, two, three
// and four bytes), whatever the count.
TEST(DivideInput, EveryCountOverUtf8TextKeepsCharactersWhole) {
    TInputMaker make(5);
    const char* const characters[] = {"a", "é", "あ", "𠮷"};
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int n = make.Uniform(0, 200); n > 0; --n)
            text += characters[make.Uniform(0, 3)];
        TQRSymbolEngine e;
        e.SetEci(kEciUtf8);
        e.SetCode(text);
        e.SetCount(make.Uniform(1, 300));
        e.DivideInput();
        ASSERT_NO_THROW(e.CheckDivision());
        std::string joined;
        for (int s = 1; s <= e.Count(); ++s) {
            const std::string slice = AsString(e.Slice(s));
            if (!slice.empty()) {
                ASSERT_NE(static_cast<unsigned char>(slice[0]) & 0xC0, 0x80) << s;
            }
            joined += slice;
        }
        EXPECT_EQ(joined, text);
    }
}

TEST(CheckDivision, ParityIsTheXorOfTheInputInConnectMode) {
    TQRSymbolEngine e;
    EXPECT_EQ(e.Parity(), 0);
    e.SetCode("AB");
    e.SetMode(qrConnect);
    e.DivideInput();
    e.CheckDivision();
    EXPECT_EQ(e.Parity(), 0x03);

    e.SetCode("0123456789");
    e.DivideInput();
    e.CheckDivision();
    EXPECT_EQ(e.Parity(), '0' ^ '1' ^ '2' ^ '3' ^ '4' ^ '5' ^ '6' ^ '7' ^ '8' ^ '9');

    // Other modes leave the last parity alone.
    e.SetMode(qrSingle);
    e.SetCode("Z");
    e.DivideInput();
    e.CheckDivision();
    EXPECT_EQ(e.Parity(), 0x01);
}

TEST(CheckDivision, MessageNamesTheFirstInconsistency) {
    std::vector<std::uint8_t> input(200, 'x');
    struct Row {
        int len, count, mode, column;
        std::vector<std::pair<int, int>> offsets; // entries to set
        const char* message;
    };
    const Row rows[] = {
        {-1, 1, 0, 16, {}, "Illegal Len : -1"},
        {10, 0, 0, 16, {}, "Illegal Count : 0"},
        {10, 1025, 0, 16, {}, "Illegal Count : 1025"},
        {10, 1, 3, 16, {}, "Illegal Mode : 3"},
        {10, 1, 0, 0, {}, "Illegal Column : 0"},
        {10, 1, 0, 1025, {}, "Illegal Column : 1025"},
        {0, 2, 1, 16, {}, "Illegal Count : 2"},
        {0, 1, 1, 16, {}, "Illegal Mode : 1"},
        {0, 1, 0, 16, {{0, 4}}, "Illegal Offset[0] : 4"},
        {0, 1, 0, 16, {{1, 7}}, "Illegal Offset[1] : 7"},
        {2, 3, 1, 16, {}, "Illegal Count : 3"},
        {10, 2, 0, 16, {{1, 5}, {2, 10}}, "Illegal Count : 2"},
        {100, 17, 1, 16, {}, "Illegal Count : 17"},
        {100, 1, 2, 16, {{1, 100}}, "Illegal Count : 1"},
        {10, 1, 0, 16, {{0, 1}, {1, 10}}, "Illegal Offset[0] : 1"},
        {10, 2, 1, 16, {{1, 5}, {2, 9}}, "Illegal Offset[2] : 9"},
        {200, 4, 1, 16, {{1, 50}, {2, 130}, {3, 120}, {4, 200}}, "Illegal Offset[3] : 120"},
        {200, 4, 1, 16, {{1, 50}, {2, 50}, {3, 150}, {4, 200}}, "Illegal Offset[2] : 50"},
        {200, 4, 1, 16, {{1, 50}, {2, 100}, {3, 250}, {4, 200}}, "Illegal Offset[4] : 200"},
    };
    for (const Row& r : rows) {
        std::array<int, kOffsetCount> offset{};
        for (auto [i, v] : r.offsets)
            offset[static_cast<std::size_t>(i)] = v;
        int parity = 99;
        try {
            CheckDivision(input, r.len, r.count, r.mode, r.column, offset, parity);
            ADD_FAILURE() << "no error, expected " << r.message;
        } catch (const EQRDivisionError& error) {
            EXPECT_STREQ(error.what(), r.message);
        }
        EXPECT_EQ(parity, 99) << r.message;
    }
    // Through the engine: a division that was not redone after the input grew.
    TQRSymbolEngine e;
    e.SetCode("ABC");
    EXPECT_THROW(
        try { e.CheckDivision(); } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "Illegal Offset[1] : 0");
            throw;
        },
        EQRDivisionError);
}

TEST(Setters, OutOfRangeWritesAreIgnored) {
    TQRSymbolEngine e;
    e.SetColumn(0);
    e.SetColumn(1025);
    e.SetCount(0);
    e.SetCount(1025);
    e.SetVersion(0);
    e.SetVersion(41);
    e.SetPxmag(0);
    e.SetPxmag(11);
    e.SetEclevel(4);
    e.SetEclevel(-1);
    e.SetEmode(4);
    e.SetEmode(-2);
    e.SetMasktype(8);
    e.SetMasktype(-2);
    e.SetMode(static_cast<TQRMode>(3));
    EXPECT_EQ(e.Column(), 16);
    EXPECT_EQ(e.Count(), 1);
    EXPECT_EQ(e.Version(), 1);
    EXPECT_EQ(e.Pxmag(), 1);
    EXPECT_EQ(e.Eclevel(), 0);
    EXPECT_EQ(e.Emode(), -1);
    EXPECT_EQ(e.EmodeR(), -1);
    EXPECT_EQ(e.Masktype(), -1);
    EXPECT_EQ(e.MasktypeR(), -1);
    EXPECT_EQ(e.Mode(), qrSingle);

    e.SetColumn(1024);
    e.SetCount(1024);
    e.SetVersion(40);
    e.SetPxmag(10);
    e.SetEclevel(3);
    e.SetEmode(3);
    e.SetMasktype(7);
    EXPECT_EQ(e.Column(), 1024);
    EXPECT_EQ(e.Count(), 1024);
    EXPECT_EQ(e.Version(), 40);
    EXPECT_EQ(e.Pxmag(), 10);
    EXPECT_EQ(e.Eclevel(), 3);
    EXPECT_EQ(e.EmodeR(), 3);
    EXPECT_EQ(e.MasktypeR(), 7);
    e.SetEmode(-1);
    e.SetMasktype(-1);
    EXPECT_EQ(e.EmodeR(), -1);
    EXPECT_EQ(e.MasktypeR(), -1);
    EXPECT_EQ(e.Offset(-1), 0);
    EXPECT_EQ(e.Offset(1025), 0);
}

TEST(Setters, ModeClampsCount) {
    struct Row {
        int countBefore;
        TQRMode mode;
        int countAfter;
    };
    const Row rows[] = {
        {5, qrSingle, 1}, {1, qrConnect, 2},    {40, qrConnect, 16}, {9, qrConnect, 9},
        {1, qrPlus, 2},   {1024, qrPlus, 1024}, {300, qrPlus, 300},
    };
    for (const Row& r : rows) {
        TQRSymbolEngine e;
        e.SetCount(r.countBefore);
        e.SetMode(r.mode);
        EXPECT_EQ(e.Count(), r.countAfter);
        EXPECT_EQ(e.Mode(), r.mode);
    }
}

} // namespace
