// Capacities and character-count widths of the symbol table, checked through encoding.
#include <gtest/gtest.h>

#include "qr/engine/bitstream.h"
#include "qr/engine/detail/symbol_steps.h"
#include "tests/engine/engine_test_util.h"

using namespace qr::engine;
using namespace engine_test;

namespace {

using qr::engine::detail::Steps;

// One byte that every mode accepts in fixed encoding (Kanji counts pairs).
std::string Filler(int mode, int n) {
    switch (mode) {
    case 0:
        return std::string(static_cast<std::size_t>(n), '7');
    case 1:
        return std::string(static_cast<std::size_t>(n), 'Q');
    case 2:
        return std::string(static_cast<std::size_t>(n), 'q');
    default: {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += Bytes({0x88, 0x9F});
        return s;
    }
    }
}

int EncodeOnly(TQRSymbolEngine& e, const std::string& data) {
    if (!Steps(e).LoadSymbol(AsBytes(data), 1)) return -1;
    return e.Emode() == -1 ? Steps(e).EncodeAuto() : Steps(e).EncodeFixed();
}

// The published capacity fits in one symbol and one character more does not, for every
// version, level and mode.
TEST(Capacity, ExactlyTheTableFitsForEveryVersionLevelAndMode) {
    TQRSymbolEngine e;
    for (int v = 1; v <= 40; ++v)
        for (int l = 0; l < 4; ++l)
            for (int mode = 0; mode < 4; ++mode) {
                e.SetVersion(v);
                e.SetEclevel(l);
                e.SetEmode(mode);
                const int cap = VersionTable[v].Levels[l].ModeCapacity[mode];
                SCOPED_TRACE(testing::Message()
                             << v << "-"
                             << "LMQH"[l] << " mode " << mode << " capacity " << cap);
                EXPECT_EQ(EncodeOnly(e, Filler(mode, cap)), 0);
                EXPECT_EQ(EncodeOnly(e, Filler(mode, cap + 1)), -1);
            }
}

TEST(Capacity, PublishedFigures) {
    struct Row {
        int version, level, data, numeric, alnum, bytes, kanji;
    };
    // Figures the table's static_asserts do not already hold it to.
    const Row rows[] = {
        {10, 1, 216, 513, 311, 213, 131},
        {27, 2, 808, 1933, 1172, 805, 496},
    };
    for (const Row& r : rows) {
        const TQRLevelInfo& level = VersionTable[r.version].Levels[r.level];
        EXPECT_EQ(level.DataCodewords, r.data) << r.version;
        EXPECT_EQ(level.ModeCapacity[0], r.numeric) << r.version;
        EXPECT_EQ(level.ModeCapacity[1], r.alnum) << r.version;
        EXPECT_EQ(level.ModeCapacity[2], r.bytes) << r.version;
        EXPECT_EQ(level.ModeCapacity[3], r.kanji) << r.version;
    }
}

// The count field of an 8-bit segment is 8 bits wide up to version 9 and 16 from 10; the
// other modes widen at 10 and again at 27.
TEST(CountBits, WidthChangesAtVersions10And27) {
    struct Row {
        int version, mode;
        std::string data;
        int countBits;
    };
    const Row rows[] = {
        {9, 2, "a", 8},
        {10, 2, "a", 16},
        {26, 2, "a", 16},
        {27, 2, "a", 16},
        {9, 0, "1", 10},
        {10, 0, "1", 12},
        {26, 0, "1", 12},
        {27, 0, "1", 14},
        {9, 1, "A", 9},
        {10, 1, "A", 11},
        {27, 1, "A", 13},
        {9, 3, Bytes({0x88, 0x9F}), 8},
        {10, 3, Bytes({0x88, 0x9F}), 10},
        {27, 3, Bytes({0x88, 0x9F}), 12},
    };
    for (const Row& r : rows) {
        TQRSymbolEngine e;
        e.SetVersion(r.version);
        e.SetEmode(r.mode);
        ASSERT_EQ(EncodeOnly(e, r.data), 0);
        TBitReader bits(Steps(e).DataCodewordBuffer());
        EXPECT_EQ(bits.Read(4), ModeIndicator[r.mode]);
        EXPECT_EQ(bits.Read(r.countBits), 1) << "version " << r.version << " mode " << r.mode;
        EXPECT_EQ(SegmentBits(VersionTable[r.version], r.mode, 0), 4 + r.countBits);
    }
}

TEST(Capacity, PropertyFollowsVersionLevelModeAndCount) {
    TQRSymbolEngine e;
    EXPECT_EQ(e.Capacity(), 25); // 1-L alphanumeric while EmodeR is -1
    const std::pair<int, int> byMode[] = {{0, 41}, {1, 25}, {2, 17}, {3, 10}, {-1, 25}};
    for (auto [mode, cap] : byMode) {
        e.SetEmode(mode);
        EXPECT_EQ(e.Capacity(), cap) << mode;
    }

    TQRSymbolEngine f;
    f.SetVersion(10);
    f.SetCount(4);
    EXPECT_EQ(f.Capacity(), 4 * 395);
    // After an automatic symbol whose last segment was 8-bit the 8-bit figure applies.
    f.SetCode("abcdefgh");
    f.DivideInput();
    ASSERT_EQ(f.BuildSymbol(1), 0);
    EXPECT_EQ(f.EmodeR(), 2);
    EXPECT_EQ(f.Capacity(), f.Count() * 271);
}

} // namespace
