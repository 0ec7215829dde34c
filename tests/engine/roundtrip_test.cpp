// Symbols of every version, level, mode and mask, read back by zxing-cpp and zbar.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "qr/engine/bitstream.h"
#include "tests/engine/engine_test_util.h"

using namespace qr::engine;
using namespace engine_test;

namespace {

constexpr char kLevelName[] = "LMQH";

struct TSweepCase {
    int Eclevel;
    int Emode;    // -1 automatic
    int Masktype; // -1 automatic
    std::string Data;
    const char* Kind;
    TQRSegments Segments = sgGreedy;
};

// Builds every symbol of the division and checks each against both readers.
void BuildAndRead(TQRSymbolEngine& e, const std::string& what, bool useZbar) {
    e.DivideInput();
    e.CheckDivision();
    for (int s = 1; s <= e.Count(); ++s) {
        SCOPED_TRACE(what + " symbol " + std::to_string(s) + "/" + std::to_string(e.Count()));
        ASSERT_EQ(e.BuildSymbol(s), 0);
        const std::string slice = AsString(e.Slice(s));
        if (e.Masktype() >= 0) {
            EXPECT_EQ(e.MasktypeR(), e.Masktype());
        }
        const auto z = ReadZxing(e);
        ASSERT_TRUE(z.Valid) << z.Error;
        EXPECT_EQ(z.Bytes, slice);
        EXPECT_EQ(z.EcLevel, std::string(1, kLevelName[e.Eclevel()]));
        if (e.Mode() == qrConnect) {
            EXPECT_EQ(z.SequenceIndex, s - 1);
            EXPECT_EQ(z.SequenceSize, e.Count());
            EXPECT_EQ(z.SequenceId, std::to_string(e.Parity()));
        } else {
            EXPECT_EQ(z.SequenceIndex, -1);
        }
        if (useZbar && e.Mode() != qrConnect) {
            const auto b = ReadZbar(e);
            ASSERT_TRUE(b.has_value()) << "zbar found no symbol";
            EXPECT_EQ(*b, slice);
        }
    }
}

class VersionSweep : public testing::TestWithParam<int> {};

TEST_P(VersionSweep, EveryLevelModeAndMaskReadsBack) {
    const int v = GetParam();
    TInputMaker make(static_cast<std::uint32_t>(1000 + v));
    const TQRVersionInfo& info = VersionTable[v];
    std::vector<TSweepCase> cases;
    for (int l = 0; l < 4; ++l) {
        const auto& cap = info.Levels[l].ModeCapacity;
        const int mask = (v * 4 + l) % 8;
        // Full symbols in each fixed mode, so every data and error-correction block is
        // exercised at the edge of the table.
        cases.push_back({l, 0, -1, make.Digits(cap[0]), "numeric, full"});
        cases.push_back({l, 1, mask, make.Alnum(cap[1]), "alphanumeric, full"});
        cases.push_back({l, 2, -1, make.Binary(cap[2]), "8-bit, full"});
        cases.push_back({l, 3, (mask + 3) % 8, make.Kanji(cap[3]), "Kanji, full"});
        // Automatic analysis over mixed runs, long and short.
        cases.push_back(
            {l, -1, -1, make.Mixed(make.Uniform(cap[2] / 2, cap[2] * 3 / 4)), "mixed, automatic"});
        cases.push_back({l, -1, (mask + 5) % 8,
                         make.Mixed(make.Uniform(1, std::min(40, cap[2] / 2))), "mixed, short"});
        cases.push_back({l, -1, -1, make.Digits(make.Uniform(1, cap[0])), "digits, automatic"});
        cases.push_back({l, -1, mask, make.Kanji(make.Uniform(1, cap[3] / 2)) + make.Alnum(3),
                         "Kanji and text, automatic"});
        cases.push_back({l, -1, (mask + 1) % 8, make.Binary(make.Uniform(1, cap[2] / 2 + 1)),
                         "bytes, automatic"});
        cases.push_back(
            {l, -1, -1, make.Alnum(make.Uniform(1, cap[1] / 2 + 1)), "alphanumeric, automatic"});
        cases.push_back({l, -1, -1, make.Mixed(make.Uniform(cap[2] / 2, cap[2] * 3 / 4)),
                         "mixed, optimal", sgOptimal});
        cases.push_back({l, -1, mask, make.Mixed(make.Uniform(1, std::min(40, cap[2] / 2))),
                         "mixed short, optimal", sgOptimal});
    }
    for (const TSweepCase& c : cases) {
        TQRSymbolEngine e;
        e.SetVersion(v);
        e.SetEclevel(c.Eclevel);
        e.SetEmode(c.Emode);
        e.SetMasktype(c.Masktype);
        e.SetSegments(c.Segments);
        e.SetCode(c.Data);
        BuildAndRead(e,
                     std::to_string(v) + "-" + kLevelName[c.Eclevel] + " " + c.Kind + " (" +
                         std::to_string(c.Data.size()) + " bytes)",
                     true);
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionSweep, testing::Range(1, 41));

// Structured append: 2 to 16 linked symbols, each with its position, the total and the
// parity of the whole input.
class ConnectSweep : public testing::TestWithParam<int> {};

TEST_P(ConnectSweep, LinkedSymbolsCarryIndexCountAndParity) {
    const int count = GetParam();
    TInputMaker make(static_cast<std::uint32_t>(5000 + count));
    for (int round = 0; round < 4; ++round) {
        const int v = 1 + (count * 7 + round * 13) % 40;
        const int l = (count + round) % 4;
        const int perSymbol = VersionTable[v].Levels[l].ModeCapacity[2] / 2;
        TQRSymbolEngine e;
        e.SetVersion(v);
        e.SetEclevel(l);
        e.SetMode(qrConnect);
        e.SetCount(count);
        e.SetMasktype(round % 2 == 1 ? (count + round) % 8 : -1);
        e.SetSegments(round == 1 ? sgOptimal : sgGreedy);
        const int len = make.Uniform(count, count * perSymbol);
        e.SetCode(round == 2   ? make.Kanji(len / 2 + 1)
                  : round == 3 ? make.Digits(len)
                               : make.Mixed(len));
        BuildAndRead(e, std::to_string(v) + "-" + kLevelName[l] + " connect", false);
        EXPECT_EQ(e.Mode(), qrConnect);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, ConnectSweep, testing::Range(2, 17));

// Plain pieces: independent symbols without a header, read by both readers.
TEST(PlusSweep, PiecesAreIndependentSymbols) {
    TInputMaker make(77);
    for (int count : {2, 5, 17, 40}) {
        TQRSymbolEngine e;
        e.SetVersion(3);
        e.SetEclevel(count % 4);
        e.SetMode(qrPlus);
        e.SetCount(count);
        e.SetCode(make.Mixed(count * 20));
        BuildAndRead(e, "plus " + std::to_string(count), true);
        EXPECT_EQ(e.Mode(), qrPlus);
    }
}

// The optimal segments under every ECI rule read back as their bytes, and as their
// text where a designator says Shift-JIS: Kanji folded among bytes, digits in
// alphanumeric runs, at versions of each count-field class.
TEST(OptimalSweep, EveryEciRuleReadsBack) {
    const std::string japanese = "\x96\xBE\x93\xFA"
                                 "10\x8E\x9E\x82\xC9\x89\x77\x91\x4F\x82\xC5"
                                 "\x81\x42TEL 03-1234-5678 \xB6\xC5 a\x93\x8C"
                                 "b\x8B\x9E"
                                 "c";
    const std::string utf8 = "明日10時に駅前で。TEL 03-1234-5678 ｶﾅ a東b京c";
    TInputMaker make(31);
    const std::string texts[] = {japanese, "Meeting at the station tomorrow at ten",
                                 "\x93\x8C\x8B\x9E \x91\xE5\x8D\xE3", make.Mixed(150),
                                 make.Mixed(40)};
    for (const int version : {9, 20, 30})
        for (const int eci : {kEciNone, kEciAuto, kEciShiftJis, kEciUtf8})
            for (const std::string& text : texts) {
                TQRSymbolEngine e;
                e.SetVersion(version);
                e.SetEclevel(ecM);
                e.SetEci(eci);
                e.SetSegments(sgOptimal);
                e.SetCode(text);
                BuildAndRead(e,
                             "optimal version " + std::to_string(version) + " eci " +
                                 std::to_string(eci) + " " + testing::PrintToString(text),
                             false);
                if (text == japanese && (eci == kEciShiftJis || eci == kEciAuto)) {
                    const auto z = ReadZxing(e);
                    EXPECT_EQ(z.Text, utf8) << "eci " << eci;
                }
            }
}

// Lead byte 0xEB ends the Kanji range at trail 0xBF; 0xEBC0 and above travel as 8-bit
// bytes, and a fixed Kanji symbol refuses them.
TEST(KanjiRangeEnd, PairsAboveEBBFReadBackAsTheirBytes) {
    struct Row {
        std::string data;
        int emode;
        int expected;
    };
    const Row rows[] = {
        {Bytes({0xEB, 0xBF}), -1, 0}, {Bytes({0xEB, 0xC0}), -1, 0},
        {Bytes({0xEB, 0xFC}), -1, 0}, {Bytes({0xEB, 0xBF, 0xEB, 0xC0, 0xEB, 0xFC}), -1, 0},
        {Bytes({0xEB, 0xBF}), 3, 0},  {Bytes({0xEB, 0xC0}), 3, -1},
        {Bytes({0xEB, 0xFC}), 3, -1}, {Bytes({0x88, 0x9F, 0xEB, 0xC0}), 3, -1},
    };
    for (const Row& row : rows) {
        TQRSymbolEngine e;
        e.SetEmode(row.emode);
        e.SetCode(row.data);
        e.DivideInput();
        e.CheckDivision();
        ASSERT_EQ(e.BuildSymbol(1), row.expected);
        if (row.expected != 0) continue;
        const auto z = ReadZxing(e);
        ASSERT_TRUE(z.Valid) << z.Error;
        EXPECT_EQ(z.Bytes, row.data);
    }
}

} // namespace
