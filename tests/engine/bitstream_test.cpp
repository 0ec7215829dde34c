// Mode analysis, segment costs, fixed-mode refusals, the bit layout of the data
// codewords, terminator and padding.
#include <gtest/gtest.h>

#include <vector>

#include "qr/engine/bitstream.h"
#include "qr/engine/detail/char_class.h"
#include "qr/engine/detail/symbol_steps.h"
#include "tests/engine/engine_test_util.h"

using namespace qr::engine;
using namespace engine_test;

namespace {

using qr::engine::detail::Steps;

struct Segment {
    int mode;
    int length; // bytes
    int bits;   // cost, header included
    bool operator==(const Segment&) const = default;
};

void PrintTo(const Segment& s, std::ostream* os) {
    *os << "(mode " << s.mode << ", " << s.length << " bytes, " << s.bits << " bits)";
}

std::vector<Segment> Analyse(const std::string& text, int version) {
    const TQRVersionInfo& info = VersionTable[version];
    std::vector<Segment> out;
    int pos = 0;
    int mode = -1;
    while (int n = NextSegment(info, AsBytes(text), pos, mode)) {
        out.push_back({mode, n, SegmentBits(info, mode, n)});
        pos += n;
    }
    return out;
}

std::string Hiragana3() {
    return Bytes({0x82, 0xA0, 0x82, 0xA2, 0x82, 0xA4});
}

TEST(ModeAnalysis, SegmentsOfTheGreedyLookAhead) {
    struct Row {
        std::string text;
        int version;
        std::vector<Segment> segments;
    };
    const Row rows[] = {
        {"HELLO WORLD", 1, {{1, 11, 74}}},
        {"hello 12345", 1, {{2, 6, 60}, {0, 5, 31}}}, // the space joins the 8-bit run
        {"a123", 1, {{2, 4, 44}}},                    // a tie merges
        {"a1234", 1, {{2, 1, 20}, {0, 4, 28}}},
        {"12a", 1, {{2, 3, 36}}},
        {"12345a", 1, {{0, 5, 31}, {2, 1, 20}}},
        {"ab1234567cd", 1, {{2, 2, 28}, {0, 7, 38}, {2, 2, 28}}}, // sandwich pays the restart
        {"A1234567B", 1, {{1, 9, 63}}},
        {"TEL:0123456789", 1, {{1, 4, 35}, {0, 10, 48}}},
        {Hiragana3(), 1, {{3, 6, 51}}},
        {"A" + Bytes({0x82, 0xA0}) + "B", 1, {{1, 1, 19}, {3, 2, 25}, {1, 1, 19}}},
        {"a123", 10, {{2, 4, 52}}},
        {"abcDEFGHIJKLM", 10, {{2, 3, 44}, {1, 10, 70}}},
        {"abcDEFGH", 10, {{2, 8, 84}}},
        // Lead bytes without a proper trail, half-width katakana, 0xEC and up: 8-bit.
        {"A" + Bytes({0x82}), 1, {{2, 2, 28}}},
        {Bytes({0x82, 0x7F}), 1, {{2, 2, 28}}},
        {Bytes({0xB1, 0xB2, 0xDF}), 1, {{2, 3, 36}}},
        {Bytes({0xEC, 0x40, 0xFC, 0x40}), 1, {{2, 4, 44}}},
        // The Kanji range ends at 0xEBBF.
        {Bytes({0xEB, 0xBF}), 1, {{3, 2, 25}}},
        {Bytes({0xEB, 0xC0}), 1, {{2, 2, 28}}},
        {Bytes({0xEB, 0xFC, 0x88, 0x9F}), 1, {{2, 2, 28}, {3, 2, 25}}},
        {"", 1, {}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(Analyse(r.text, r.version), r.segments)
            << testing::PrintToString(r.text) << " at version " << r.version;
}

TEST(ModeAnalysis, ClassesOfBytes) {
    struct Row {
        std::string bytes;
        int pos, cls;
    };
    const Row rows[] = {
        {"5", 0, 0},
        {"Z", 0, 1},
        {"z", 0, 2},
        {":", 0, 1},
        {"", 0, -1},
        {"5", 1, -1},
        {Bytes({0x93, 0x5F}), 0, 3},
        {Bytes({0x93}), 0, 2},
        {Bytes({0x93, 0xFD}), 0, 2},
        {Bytes({0xE0, 0x40}), 0, 3},
        {Bytes({0x80, 0x40}), 0, 2},
        {Bytes({0xA0, 0x40}), 0, 2},
        {Bytes({0xEB, 0xBF}), 0, 3},
        {Bytes({0xEB, 0xC0}), 0, 2},
        {Bytes({0x00}), 0, 2},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ClassAt(AsBytes(r.bytes), r.pos), r.cls) << testing::PrintToString(r.bytes);
}

// Reads the segments back out of the data codewords.
struct Decoded {
    std::vector<int> modes;
    std::vector<int> counts;
    int bitsUsed = 0;
};

Decoded ReadSegments(TQRSymbolEngine& e, bool connect = false) {
    Decoded d;
    const TQRVersionInfo& info = e.VersionInfo();
    TBitReader bits(Steps(e).DataCodewordBuffer());
    const int total = static_cast<int>(Steps(e).DataCodewordBuffer().size()) * 8;
    if (connect) bits.Read(20);
    while (total - bits.Position() >= 4) {
        const int indicator = bits.Read(4);
        if (indicator == 0) break;
        const int mode = indicator == 1 ? 0 : indicator == 2 ? 1 : indicator == 4 ? 2 : 3;
        const int count = bits.Read(info.CountBits[mode]);
        d.modes.push_back(mode);
        d.counts.push_back(count);
        const int n = mode == 3 ? 2 * count : count;
        bits.Read(SegmentBits(info, mode, n) - 4 - info.CountBits[mode]);
    }
    d.bitsUsed = bits.Position();
    return d;
}

TEST(Encoding, StandardNumericExample) {
    TQRSymbolEngine e;
    e.SetEclevel(1);
    ASSERT_TRUE(Steps(e).LoadSymbol(AsBytes("01234567"), 1));
    ASSERT_EQ(Steps(e).EncodeAuto(), 0);
    const std::vector<std::uint8_t> expected{0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11,
                                             0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11};
    const auto data = Steps(e).DataCodewordBuffer();
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.end()), expected);
    EXPECT_EQ(e.EmodeR(), 0);
}

TEST(Encoding, SegmentRulesWriteTheRightValues) {
    struct Row {
        std::string data;
        int emode;
        std::vector<int> fields; // widths and values after the mode indicator and count
    };
    // Pairs of (bits, value).
    const Row rows[] = {
        {"012", 0, {10, 12}},
        {"01234", 0, {10, 12, 7, 34}},
        {"0123", 0, {10, 12, 4, 3}},
        {"AC-42", 1, {11, 10 * 45 + 12, 11, 41 * 45 + 4, 6, 2}},
        {"a\xFF", 2, {8, 0x61, 8, 0xFF}},
        {Bytes({0x93, 0x5F, 0xE4, 0xAA}), 3, {13, 0x0D9F, 13, 0x1AAA}},
        {Bytes({0x81, 0x40, 0x9F, 0xFC, 0xE0, 0x40, 0xEB, 0xBF}),
         3,
         {13, 0x0000, 13, 0x173C, 13, 0x1740, 13, 0x1FFF}},
    };
    for (const Row& r : rows) {
        TQRSymbolEngine e;
        e.SetVersion(2);
        e.SetEmode(r.emode);
        ASSERT_TRUE(Steps(e).LoadSymbol(AsBytes(r.data), 1));
        ASSERT_EQ(Steps(e).EncodeFixed(), 0);
        TBitReader bits(Steps(e).DataCodewordBuffer());
        EXPECT_EQ(bits.Read(4), ModeIndicator[r.emode]);
        const int n = static_cast<int>(r.data.size());
        EXPECT_EQ(bits.Read(e.VersionInfo().CountBits[r.emode]), r.emode == 3 ? n / 2 : n);
        for (std::size_t i = 0; i < r.fields.size(); i += 2)
            EXPECT_EQ(bits.Read(r.fields[i]), r.fields[i + 1])
                << testing::PrintToString(r.data) << " field " << i / 2;
        EXPECT_EQ(bits.Read(4), 0) << "terminator";
    }
}

TEST(Encoding, FixedModesRefuseWhatTheyCannotCarry) {
    struct Row {
        std::string data;
        int emode;
        int result;
    };
    const Row rows[] = {
        {"0123456789", 0, 0},
        {"12 34", 0, -1},
        {"12a", 0, -1},
        {"HELLO WORLD", 1, 0},
        {"Hello", 1, -1},
        {Bytes({0xC1}), 1, -1},
        {Bytes({0, 0xFF, 0x82}), 2, 0},
        {"", 2, 0},
        {Bytes({0x88, 0x9F}), 3, 0},
        {Bytes({0x88, 0x9F, 0x88}), 3, -1},
        {Bytes({0x88, 0x3F}), 3, -1},
        {Bytes({0x88, 0x7F}), 3, -1},
        {Bytes({0x88, 0xFD}), 3, -1},
        {Bytes({0xA0, 0x40}), 3, -1},
        {Bytes({0xEC, 0x40}), 3, -1},
        {"AB", 3, -1},
        {Bytes({0xEB, 0xBF}), 3, 0},
        {Bytes({0xEB, 0xC0}), 3, -1},
        {"", 3, 0},
    };
    for (const Row& r : rows) {
        TQRSymbolEngine e;
        e.SetEmode(r.emode);
        ASSERT_TRUE(Steps(e).LoadSymbol(AsBytes(r.data), 1));
        EXPECT_EQ(Steps(e).EncodeFixed(), r.result)
            << testing::PrintToString(r.data) << " mode " << r.emode;
        EXPECT_EQ(e.EmodeR(), r.emode);
    }
}

TEST(Encoding, EmptySlices) {
    TQRSymbolEngine a; // automatic: terminator and pads only
    ASSERT_TRUE(Steps(a).LoadSymbol({}, 1));
    a.SetEmode(2);
    a.SetEmode(-1);
    ASSERT_EQ(Steps(a).EncodeAuto(), 0);
    EXPECT_EQ(a.EmodeR(), -1);
    std::vector<std::uint8_t> expected{0x00};
    for (int i = 1; i < 19; ++i)
        expected.push_back(i % 2 ? 0xEC : 0x11);
    auto data = Steps(a).DataCodewordBuffer();
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.end()), expected);

    TQRSymbolEngine f; // fixed: one header with count 0
    f.SetEmode(2);
    ASSERT_TRUE(Steps(f).LoadSymbol({}, 1));
    ASSERT_EQ(Steps(f).EncodeFixed(), 0);
    data = Steps(f).DataCodewordBuffer();
    EXPECT_EQ(data[0], 0x40);
    EXPECT_EQ(data[1], 0x00);
    EXPECT_EQ(data[2], 0xEC);
}

TEST(Encoding, TerminatorShrinksToTheRoomLeft) {
    // 1-H holds 72 bits: 17 digits take 71, leaving a 1-bit terminator and no pads.
    TQRSymbolEngine e;
    e.SetEclevel(3);
    ASSERT_TRUE(Steps(e).LoadSymbol(AsBytes("12345678901234567"), 1));
    ASSERT_EQ(Steps(e).EncodeAuto(), 0);
    EXPECT_EQ(SegmentBits(e.VersionInfo(), 0, 17), 71);
    EXPECT_EQ(Steps(e).DataCodewordBuffer().back() & 1, 0);
    EXPECT_NE(Steps(e).DataCodewordBuffer().back(), 0x11);
    ASSERT_TRUE(Steps(e).LoadSymbol(AsBytes("123456789012345678"), 1));
    EXPECT_EQ(Steps(e).EncodeAuto(), -1);

    // Pads alternate 0xEC 0x11 after the codeword boundary.
    TQRSymbolEngine p;
    ASSERT_TRUE(Steps(p).LoadSymbol(AsBytes("1"), 1));
    ASSERT_EQ(Steps(p).EncodeAuto(), 0);
    const auto data = Steps(p).DataCodewordBuffer();
    // 0001 0000000001 0001 0000 | pads
    EXPECT_EQ(data[0], 0x10);
    EXPECT_EQ(data[1], 0x04);
    EXPECT_EQ(data[2], 0x40);
    for (std::size_t i = 3; i < data.size(); ++i)
        EXPECT_EQ(data[i], i % 2 ? 0xEC : 0x11) << i;
}

TEST(Encoding, AutomaticSegmentsRoundTripThroughTheBits) {
    TQRSymbolEngine e;
    e.SetVersion(5);
    const std::string text = "ab1234567cd" + Hiragana3() + "TEL:0123456789";
    ASSERT_TRUE(Steps(e).LoadSymbol(AsBytes(text), 1));
    ASSERT_EQ(Steps(e).EncodeAuto(), 0);
    const Decoded d = ReadSegments(e);
    EXPECT_EQ(d.modes, (std::vector<int>{2, 0, 2, 3, 1, 0}));
    EXPECT_EQ(d.counts, (std::vector<int>{2, 7, 2, 3, 4, 10}));
    EXPECT_EQ(e.EmodeR(), 0);
}

TEST(Encoding, StructuredAppendHeaderComesFirst) {
    TQRSymbolEngine e;
    e.SetMode(qrConnect);
    e.SetCount(3);
    e.SetCode(std::string(30, 'x') + "Z"); // parity 'Z' = 0x5A
    e.DivideInput();
    e.CheckDivision();
    ASSERT_EQ(e.Parity(), 0x5A);
    ASSERT_EQ(e.BuildSymbol(2), 0);
    TBitReader bits(Steps(e).DataCodewordBuffer());
    EXPECT_EQ(bits.Read(4), 3);
    EXPECT_EQ(bits.Read(4), 1); // symbol 2
    EXPECT_EQ(bits.Read(4), 2); // of 3
    EXPECT_EQ(bits.Read(8), 0x5A);
    EXPECT_EQ(bits.Read(4), 4); // then the 8-bit segment

    // At 1-L a single symbol takes 17 bytes, a linked one only 15.
    struct Row {
        TQRMode mode;
        int bytes, result;
    };
    for (const Row& r : {Row{qrSingle, 17, 0}, Row{qrSingle, 18, -1}, Row{qrConnect, 15, 0},
                         Row{qrConnect, 16, -1}, Row{qrPlus, 17, 0}}) {
        TQRSymbolEngine s;
        s.SetMode(r.mode);
        ASSERT_TRUE(
            Steps(s).LoadSymbol(AsBytes(std::string(static_cast<std::size_t>(r.bytes), 'q')), 1));
        EXPECT_EQ(Steps(s).EncodeAuto(), r.result) << r.mode << " " << r.bytes;
    }
}

// The ECI header: where it goes, which designator auto picks, what it costs and that
// other character sets keep Kanji mode out. Designators are read back as written.
TEST(Encoding, EciHeaderFollowsTheStructuredAppendHeader) {
    struct Row {
        const char* text;
        int eci;
        int emode;
        bool connect;
        int designator; // -1: no ECI header expected
        std::vector<int> modes;
    };
    const std::string kanji = Hiragana3();                  // three Kanji-mode pairs
    const std::string halfKana = "\xB6\xC0\xB6\xC5";        // ｶﾀｶﾅ
    const std::string kanjiKana = kanji + halfKana + kanji; // bytes between Kanji
    const Row rows[] = {
        {"ABC", kEciAuto, kEmodeAuto, false, -1, {1}},         // ASCII: no header
        {kanji.c_str(), kEciAuto, kEmodeAuto, false, -1, {3}}, // Kanji alone: none
        {kanjiKana.c_str(), kEciAuto, kEmodeAuto, false, 20, {3, 2, 3}},
        {kanjiKana.c_str(), kEciAuto, kEmodeAuto, true, 20, {3, 2, 3}},
        {kanjiKana.c_str(), kEciNone, kEmodeAuto, false, -1, {3, 2, 3}},
        {"ABC", 26, kEmodeAuto, false, 26, {1}},         // fixed: always written
        {kanji.c_str(), 26, kEmodeAuto, false, 26, {2}}, // UTF-8: no Kanji mode
        {kanji.c_str(), 20, kEmodeAuto, false, 20, {3}}, // Shift-JIS keeps it
        {halfKana.c_str(), kEciAuto, emEightBit, false, 20, {2}},
        {"abc", kEciAuto, emEightBit, false, -1, {2}},
        {"123", 1000, kEmodeAuto, false, 1000, {0}},     // two-byte designator
        {"123", 999999, kEmodeAuto, false, 999999, {0}}, // three-byte designator
    };
    for (const Row& r : rows) {
        TQRSymbolEngine e;
        e.SetVersion(5);
        ASSERT_TRUE(e.SetEci(r.eci));
        e.SetEmode(r.emode);
        if (r.connect) {
            e.SetMode(qrConnect);
            e.SetCount(2);
        }
        e.SetCode(std::string(r.text) + (r.connect ? r.text : ""));
        e.DivideInput();
        e.CheckDivision();
        ASSERT_EQ(e.BuildSymbol(1), brBuilt) << r.text;
        TBitReader bits(Steps(e).DataCodewordBuffer());
        if (r.connect) {
            EXPECT_EQ(bits.Read(4), 3) << "structured append first";
            bits.Read(16);
        }
        if (r.designator >= 0) {
            EXPECT_EQ(bits.Read(4), 7) << r.text;
            int value = bits.Read(8);
            if (value & 0x80)
                value = (value & 0x40) ? ((value & 0x1F) << 16) | bits.Read(16)
                                       : ((value & 0x3F) << 8) | bits.Read(8);
            EXPECT_EQ(value, r.designator) << r.text;
        }
        std::vector<int> modes;
        const TQRVersionInfo& info = e.VersionInfo();
        for (int indicator; (indicator = bits.Read(4)) != 0;) {
            const int mode = indicator == 1 ? 0 : indicator == 2 ? 1 : indicator == 4 ? 2 : 3;
            ASSERT_TRUE(indicator == 1 || indicator == 2 || indicator == 4 || indicator == 8)
                << r.text << " indicator " << indicator;
            const int count = bits.Read(info.CountBits[mode]);
            modes.push_back(mode);
            bits.Read(SegmentBits(info, mode, mode == 3 ? 2 * count : count) - 4 -
                      info.CountBits[mode]);
        }
        EXPECT_EQ(modes, r.modes) << r.text << " eci " << r.eci;
    }
    // A linked set announces Shift-JIS in every symbol when one needs it: readers join
    // the set and decode it with one character set.
    TQRSymbolEngine set;
    set.SetEci(kEciAuto);
    set.SetMode(qrConnect);
    set.SetCount(2);
    set.SetVersion(5);
    set.SetCode(Hiragana3() + Hiragana3() + halfKana + "ab");
    set.DivideInput();
    set.CheckDivision();
    ASSERT_EQ(set.Slice(1).size(), 8u); // four Kanji, nothing for byte mode
    for (int s = 1; s <= 2; ++s) {
        ASSERT_EQ(set.BuildSymbol(s), brBuilt);
        TBitReader bits(Steps(set).DataCodewordBuffer());
        bits.Read(20);
        EXPECT_EQ(bits.Read(4), 7) << "symbol " << s;
        EXPECT_EQ(bits.Read(8), 20) << "symbol " << s;
    }
    // Out of range designators are refused and change nothing.
    TQRSymbolEngine e;
    for (const int bad : {-3, 1000000})
        EXPECT_FALSE(e.SetEci(bad));
    EXPECT_EQ(e.Eci(), kEciNone);
}

// The 12 bits of the header count against the room: 1-L holds 17 bytes alone, 16 after
// a designator; Capacity says the same.
TEST(Encoding, EciHeaderTakesItsRoom) {
    struct Row {
        int eci, bytes, result;
    };
    for (const Row& r : {Row{kEciNone, 17, 0}, Row{kEciAuto, 17, -1}, Row{kEciAuto, 16, 0},
                         Row{26, 16, 0}, Row{26, 17, -1}}) {
        TQRSymbolEngine s;
        s.SetEci(r.eci);
        ASSERT_TRUE(Steps(s).LoadSymbol(
            AsBytes(std::string(static_cast<std::size_t>(r.bytes), '\xB1')), 1));
        EXPECT_EQ(Steps(s).EncodeAuto(), r.result) << r.eci << " " << r.bytes;
    }
    TQRSymbolEngine e;
    e.SetEmode(emEightBit);
    EXPECT_EQ(e.Capacity(), 17);
    e.SetEci(kEciAuto);
    EXPECT_EQ(e.Capacity(), 16);
    e.SetEmode(emNumeric);
    EXPECT_EQ(e.Capacity(), 41); // auto writes no header without byte segments
    e.SetEci(26);
    EXPECT_EQ(e.Capacity(), 37);
}

TEST(Encoding, FailedSymbolLeavesEmodeRAlone) {
    TQRSymbolEngine e;
    e.SetCode("12345");
    e.DivideInput();
    ASSERT_EQ(e.BuildSymbol(1), 0);
    EXPECT_EQ(e.EmodeR(), 0);
    e.SetCode(std::string(30, 'z'));
    e.DivideInput();
    EXPECT_EQ(e.BuildSymbol(1), -1);
    EXPECT_EQ(e.EmodeR(), 0);
}

TEST(BitStream, PutBitsAndRemainingBits) {
    std::array<std::uint8_t, kMaxDataCodewords> buffer{};
    buffer[5] = 0xFF;
    TBitStream bs{buffer};
    TEncodeContext ctx;
    ctx.Version = &VersionTable[1];
    StartBitStream(bs, ctx);
    EXPECT_EQ(buffer[5], 0);
    EXPECT_EQ(RemainingBits(bs), 152);
    PutBits(bs, 3, 0b101);
    PutBits(bs, 0, 1);
    PutBits(bs, -2, 1);
    EXPECT_EQ(RemainingBits(bs), 149);
    PutBits(bs, 7, 0x7F);
    EXPECT_EQ(buffer[0], 0xBF);
    EXPECT_EQ(buffer[1], 0xC0);
    EXPECT_EQ(RemainingBits(bs), 142);
    EXPECT_EQ(bs.BytePos, 1);
    EXPECT_EQ(bs.BitPos, 5);
}

} // namespace
