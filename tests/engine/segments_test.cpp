// The optimal segmentation: the bits it spends on texts the greedy rule wastes bits on (by
// hand below), never more than the greedy rule on random text, the segments and ECI
// it writes, and that the bits it counts are the bits the symbol holds.
#include <gtest/gtest.h>

#include <vector>

#include "qr/engine/bitstream.h"
#include "qr/engine/detail/symbol_steps.h"
#include "qr/engine/segments.h"
#include "tests/engine/engine_test_util.h"

using namespace qr::engine;
using namespace engine_test;

namespace {

using qr::engine::detail::Steps;

const std::string kTokyoOsaka = "\x93\x8C\x8B\x9E \x91\xE5\x8D\xE3"; // 東京 大阪

struct TWritten {
    int Eci = -1;                                // designator, -1 for none
    std::vector<std::pair<int, int>> Segments{}; // mode, count field
    int Bits = 0;                                // ECI header and segments
};

// Builds the engine's one symbol and reads back what its data codewords hold.
TWritten BuildAndRead(TQRSymbolEngine& e) {
    TWritten w;
    e.DivideInput();
    e.CheckDivision();
    EXPECT_EQ(e.BuildSymbol(1), brBuilt);
    const auto data = Steps(e).DataCodewordBuffer();
    const int total = static_cast<int>(data.size()) * 8;
    const TQRVersionInfo& info = e.VersionInfo();
    TBitReader bits(data);
    w.Bits = total;
    while (total - bits.Position() >= 4) {
        const int at = bits.Position();
        const int indicator = bits.Read(4);
        if (indicator == 0) {
            w.Bits = at; // the terminator is not data
            break;
        }
        if (indicator == 7) {
            w.Eci = bits.Read(8);
            continue; // designators below 128 only in these tests
        }
        const int mode = indicator == 1 ? 0 : indicator == 2 ? 1 : indicator == 4 ? 2 : 3;
        const int count = bits.Read(info.CountBits[mode]);
        w.Segments.emplace_back(mode, count);
        bits.Read(SegmentBits(info, mode, mode == 3 ? 2 * count : count) - 4 -
                  info.CountBits[mode]);
    }
    if (w.Bits == total) w.Bits = bits.Position();
    return w;
}

int Bits(const std::string& text, int version, int eci, TQRSegments segments) {
    TEncodeContext ctx;
    ctx.Version = &VersionTable[version];
    ctx.Eci = eci;
    ctx.Segments = segments;
    return AutoDataBits(AsBytes(text), ctx);
}

// Versions 1-9 have count fields of 10 (numeric), 9 (alphanumeric), 8 (byte) and 8
// (Kanji) bits, after a 4-bit mode indicator; a Shift-JIS designator costs 12 bits.
//
// "Meeting at the station tomorrow at ten", 38 bytes. Greedy: a capital starts the
//   text and every word after a space, so it cuts 7 byte segments ("Meeting", " at",
//   " the", " station", " tomorrow", " at", " ten"): 7 x 12 + 38 x 8 = 84 + 304 = 388.
//   Optimal: one byte segment, 12 + 304 = 316.
// "03-1234-5678". Greedy: alphanumeric "03-" (13 + 11 + 6 = 30), alphanumeric "1234-"
//   (13 + 22 + 6 = 41), numeric "5678" (14 + 10 + 4 = 28): 99. Optimal: one
//   alphanumeric segment of 12, 13 + 6 x 11 = 79.
// "東京 大阪", 9 bytes. Greedy: Kanji 2 (12 + 26 = 38), alphanumeric " " (13 + 6 = 19),
//   Kanji 2 (38): 95. Optimal without ECI: one byte segment, 12 + 72 = 84. Under
//   automatic ECI that byte segment needs the Shift-JIS designator, 84 + 12 = 96 > 95,
//   so the Kanji stay apart (95, no header); under designator 20 the header is paid
//   anyway (12 + 84 = 96, against 12 + 95 greedy).
// At version 10 (count fields 12, 11, 16, 10) "Meeting ..." is one byte segment of
//   4 + 16 + 304 = 324, and the greedy's 7 pay 7 x 20 + 304 = 444.
TEST(OptimalSegments, WastefulGreedyExamplesCostWhatTheHandCountSays) {
    struct Row {
        std::string text;
        int version, eci;
        int greedy, optimal;
        int designator;                              // written by optimal, -1 none
        std::vector<std::pair<int, int>> segments{}; // optimal: mode, count field
    };
    const Row rows[] = {
        {"Meeting at the station tomorrow at ten", 1, kEciNone, 388, 316, -1, {{2, 38}}},
        {"Meeting at the station tomorrow at ten", 1, kEciAuto, 388, 316, -1, {{2, 38}}},
        {"Meeting at the station tomorrow at ten", 10, kEciNone, 444, 324, -1, {{2, 38}}},
        {"03-1234-5678", 1, kEciNone, 99, 79, -1, {{1, 12}}},
        {kTokyoOsaka, 1, kEciNone, 95, 84, -1, {{2, 9}}},
        {kTokyoOsaka, 1, kEciAuto, 95, 95, -1, {{3, 2}, {1, 1}, {3, 2}}},
        {kTokyoOsaka, 1, kEciShiftJis, 107, 96, 20, {{2, 9}}},
        // UTF-8 has no Kanji mode: bytes alone.
        {kTokyoOsaka, 1, kEciUtf8, 96, 96, 26, {{2, 9}}},
        // Alternating bytes and Kanji: the header buys one byte segment. Greedy: five
        // byte segments of one (5 x 20) and four Kanji (4 x 25) = 200; optimal: 12 +
        // 12 + 13 x 8 = 128.
        {"a\x93\x8C"
         "b\x8B\x9E"
         "c\x91\xE5"
         "d\x8D\xE3"
         "e",
         1,
         kEciAuto,
         200,
         128,
         20,
         {{2, 13}}},
        // 0xF0 0x41 is one Shift-JIS character (user-defined): optimal keeps it in one
        // byte segment (28) before 15 capitals (13 + 77 + 6 = 96), 124; greedy saves 3
        // bits by cutting it, byte "\xF0" (20) and alphanumeric "A..P" (101), 121.
        {"\xF0"
         "ABCDEFGHIJKLMNOP",
         1,
         kEciNone,
         121,
         124,
         -1,
         {{2, 2}, {1, 15}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r.text) + " version " + std::to_string(r.version) +
                     " eci " + std::to_string(r.eci));
        EXPECT_EQ(Bits(r.text, r.version, r.eci, sgGreedy), r.greedy);
        EXPECT_EQ(Bits(r.text, r.version, r.eci, sgOptimal), r.optimal);
        // Built at the largest version of the same count-field class, where it fits.
        TQRSymbolEngine e;
        e.SetVersion(r.version < 10 ? 9 : 26);
        e.SetEci(r.eci);
        EXPECT_TRUE(e.SetSegments(sgOptimal));
        e.SetCode(r.text);
        const TWritten w = BuildAndRead(e);
        EXPECT_EQ(w.Eci, r.designator);
        EXPECT_EQ(w.Segments, r.segments);
        EXPECT_EQ(w.Bits, r.optimal);
        EXPECT_EQ(e.EmodeR(), r.segments.back().first);
    }
}

// Runs of every class of character, as they come in mail and cards: digits, capitals
// and alphanumeric punctuation, lower-case words, Kanji pairs, half-width katakana,
// controls, and now and then arbitrary bytes.
std::string RandomText(TInputMaker& make, int n) {
    std::string s;
    while (static_cast<int>(s.size()) < n) {
        const int run = make.Uniform(1, 12);
        switch (make.Uniform(0, 7)) {
        case 0:
            s += make.Digits(run);
            break;
        case 1:
        case 2:
            s += make.Alnum(run);
            break;
        case 3:
            for (int i = 0; i < run; ++i)
                s.push_back(static_cast<char>(make.Uniform('a', 'z')));
            break;
        case 4:
        case 5:
            s += make.Kanji(run);
            break;
        case 6:
            for (int i = 0; i < run; ++i)
                s.push_back(static_cast<char>(make.Uniform(0xA1, 0xDF)));
            break;
        default:
            s += make.Uniform(0, 1) ? "\r\n" : make.Binary(run);
            break;
        }
    }
    s.resize(static_cast<std::size_t>(n));
    return s;
}

// Whether a greedy segment starts inside a double-byte Shift-JIS character (the text
// read from its start): the greedy rule looks at each byte alone and may start a Kanji
// segment at a trail byte, or put the trail of a pair that is no Kanji (0xF040, say)
// into an alphanumeric segment. The bytes still read back, but a reader decoding
// segment by segment sees broken characters. The optimal rule cuts only between
// characters, so on such arbitrary bytes greedy can be a few bits shorter.
bool GreedyCutsACharacter(const std::string& text, int version) {
    const auto bytes = AsBytes(text);
    const int n = static_cast<int>(bytes.size());
    std::vector<bool> starts(static_cast<std::size_t>(n) + 1, false);
    for (int i = 0; i < n;) {
        starts[static_cast<std::size_t>(i)] = true;
        i += IsShiftJisLeadByte(bytes[i]) && i + 1 < n && TrailBytes[bytes[i + 1]] ? 2 : 1;
    }
    int mode = kEmodeAuto;
    for (int pos = 0, length; (length = NextSegment(VersionTable[version], bytes, pos, mode));
         pos += length)
        if (!starts[static_cast<std::size_t>(pos)]) return true;
    return false;
}

// The property, seeded: optimal never spends more than greedy, under every ECI rule and
// at versions of each count-field class, except where greedy cuts a character; and for
// one text in eight the symbol is built and holds exactly the bits counted.
TEST(OptimalSegments, NeverMoreBitsThanGreedy) {
    TInputMaker make(2024);
    const int versions[] = {1, 5, 9, 10, 20, 26, 27, 40};
    const int ecis[] = {kEciNone, kEciAuto, kEciShiftJis, kEciUtf8};
    int texts = 0;
    int saved = 0;
    for (int round = 0; round < 3000; ++round) {
        const int version = versions[round % 8];
        const int eci = ecis[(round / 8) % 4];
        const int cap = VersionTable[version].Levels[ecL].ModeCapacity[emEightBit];
        const std::string text = RandomText(make, make.Uniform(0, std::min(cap, 600)));
        const int greedy = Bits(text, version, eci, sgGreedy);
        const int optimal = Bits(text, version, eci, sgOptimal);
        if (optimal > greedy) {
            ASSERT_TRUE(eci != kEciUtf8 && GreedyCutsACharacter(text, version))
                << testing::PrintToString(text) << " version " << version << " eci " << eci
                << ": optimal " << optimal << ", greedy " << greedy;
        }
        ++texts;
        saved += greedy - optimal;
        if (round % 8 != 0 || eci == kEciUtf8 ||
            optimal > 8 * VersionTable[version].Levels[ecL].DataCodewords)
            continue;
        TQRSymbolEngine e;
        e.SetVersion(version);
        e.SetEci(eci);
        e.SetSegments(sgOptimal);
        e.SetCode(text);
        EXPECT_EQ(BuildAndRead(e).Bits, optimal) << testing::PrintToString(text);
    }
    EXPECT_GT(saved, texts); // more than a bit per text on average, or the rule is idle
}

// A linked set under automatic ECI: one symbol whose Kanji are worth folding among
// bytes makes every symbol announce Shift-JIS; otherwise none does.
TEST(OptimalSegments, LinkedSetAnnouncesShiftJisInEverySymbolOrNone) {
    const std::string folded = "a\x93\x8C"
                               "b\x8B\x9E"
                               "c\x91\xE5"
                               "d\x8D\xE3"
                               "e";
    for (const bool fold : {true, false}) {
        TQRSymbolEngine e;
        e.SetEci(kEciAuto);
        e.SetSegments(sgOptimal);
        e.SetVersion(3);
        e.SetMode(qrConnect);
        e.SetCount(2);
        // Cut in the middle: the Kanji and bytes in symbol 1, digits in symbol 2.
        const std::string first = fold ? folded : kTokyoOsaka;
        e.SetCode(first + std::string(first.size(), '7'));
        e.DivideInput();
        e.CheckDivision();
        for (int s = 1; s <= 2; ++s) {
            ASSERT_EQ(e.BuildSymbol(s), brBuilt);
            TBitReader bits(Steps(e).DataCodewordBuffer());
            bits.Read(20);
            if (fold) {
                EXPECT_EQ(bits.Read(4), 7) << "symbol " << s;
                EXPECT_EQ(bits.Read(8), 20) << "symbol " << s;
            } else {
                EXPECT_NE(bits.Read(4), 7) << "symbol " << s;
            }
        }
    }
}

} // namespace
