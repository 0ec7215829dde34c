// Compile-time checks that hold the symbol parameter table to itself and to the
// standard's published figures.
#include "qr/engine/symbol_tables.h"

namespace qr::engine {
namespace {

// Data modules of a version counted from its function patterns, independently of the
// codeword table: everything minus finders, separators, format areas, timing,
// alignment patterns and version areas.
constexpr int DataModules(int v) {
    const int n = 4 * v + 17;
    int result = n * n - 3 * 64 - 31 - 2 * (n - 16);
    const int align = v == 1 ? 0 : v / 7 + 2;
    if (align > 0) result -= 25 * (align * align - 3) - 10 * (align - 2);
    if (v >= 7) result -= 36;
    return result;
}

constexpr bool CodewordCapacityConsistent() {
    for (int v = kMinVersion; v <= kMaxVersion; ++v) {
        const TQRVersionInfo& info = VersionTable[v];
        if (info.VersionNo != v || info.Modules != 4 * v + 17) return false;
        if (info.TotalCodewords * 8 + info.RemainderBits != DataModules(v)) return false;
        if (info.TotalCodewords > kMaxTotalCodewords) return false;
    }
    return true;
}

constexpr bool BlocksConsistent() {
    for (int v = kMinVersion; v <= kMaxVersion; ++v) {
        const TQRVersionInfo& info = VersionTable[v];
        for (const TQRLevelInfo& level : info.Levels) {
            int total = 0, data = 0, ec = 0;
            for (int g = 0; g < level.GroupCount; ++g) {
                const TQRBlockGroup& group = level.Groups[g];
                if (group.Blocks <= 0 || group.BlockDataCodewords <= 0) return false;
                if (group.BlockDataCodewords > kMaxBlockDataCodewords) return false;
                if (group.EcCodewords() != level.Groups[0].EcCodewords()) return false;
                if (group.EcCodewords() > 30 || group.Correctable * 2 > group.EcCodewords())
                    return false;
                total += group.Blocks * group.BlockCodewords;
                data += group.Blocks * group.BlockDataCodewords;
                ec += group.Blocks * group.EcCodewords();
            }
            if (level.GroupCount == 2 &&
                level.Groups[1].BlockDataCodewords != level.Groups[0].BlockDataCodewords + 1)
                return false;
            if (level.GroupCount == 1 && level.Groups[1].Blocks != 0) return false;
            if (total != info.TotalCodewords || data != level.DataCodewords) return false;
            if (data + ec != total || ec > kMaxEcCodewords) return false;
            if (data > kMaxDataCodewords) return false;
        }
        // Higher levels hold fewer data codewords.
        for (int l = 1; l < kLevelCount; ++l)
            if (info.Levels[l].DataCodewords >= info.Levels[l - 1].DataCodewords) return false;
    }
    return true;
}

// Capacity n must fit and n + 1 must not, for every mode.
constexpr int CostBits(int mode, int n, int countBits) {
    const int head = 4 + countBits;
    switch (mode) {
    case emNumeric:
        return head + 10 * (n / 3) + (n % 3 == 1 ? 4 : n % 3 == 2 ? 7 : 0);
    case emAlphanumeric:
        return head + 11 * (n / 2) + (n % 2 ? 6 : 0);
    case emEightBit:
        return head + 8 * n;
    default:
        return head + 13 * n;
    }
}

constexpr bool CapacitiesConsistent() {
    for (int v = kMinVersion; v <= kMaxVersion; ++v) {
        const TQRVersionInfo& info = VersionTable[v];
        for (const TQRLevelInfo& level : info.Levels)
            for (int m = 0; m < kModeCount; ++m) {
                const int n = level.ModeCapacity[m];
                const int bits = level.DataCodewords * 8;
                if (CostBits(m, n, info.CountBits[m]) > bits) return false;
                if (CostBits(m, n + 1, info.CountBits[m]) <= bits) return false;
                if (n > kMaxSliceBytes) return false;
            }
    }
    return true;
}

constexpr bool AlignmentConsistent() {
    for (int v = kMinVersion; v <= kMaxVersion; ++v) {
        const TQRVersionInfo& info = VersionTable[v];
        const int expected = v == 1 ? 0 : v / 7 + 2;
        if (info.AlignCount != expected) return false;
        if (expected == 0) continue;
        if (info.AlignPos[0] != 6 || info.AlignPos[expected - 1] != info.Modules - 7) return false;
        // Equal even steps from the last centre back to the second one.
        const int step = info.AlignPos[expected - 1] - info.AlignPos[expected - 2];
        if (step % 2 != 0) return false;
        for (int i = 2; i < expected; ++i)
            if (info.AlignPos[i] - info.AlignPos[i - 1] != step) return false;
        for (int i = expected; i < kMaxAlignCount; ++i)
            if (info.AlignPos[i] != 0) return false;
    }
    return true;
}

static_assert(CodewordCapacityConsistent());
static_assert(BlocksConsistent());
static_assert(CapacitiesConsistent());
static_assert(AlignmentConsistent());

// Published figures.
constexpr bool Caps(int v, int l, int d, int n, int a, int b, int k) {
    const TQRLevelInfo& x = VersionTable[v].Levels[l];
    return x.DataCodewords == d && x.ModeCapacity[0] == n && x.ModeCapacity[1] == a &&
           x.ModeCapacity[2] == b && x.ModeCapacity[3] == k;
}
static_assert(Caps(1, 0, 19, 41, 25, 17, 10));
static_assert(Caps(1, 1, 16, 34, 20, 14, 8));
static_assert(Caps(1, 2, 13, 27, 16, 11, 7));
static_assert(Caps(1, 3, 9, 17, 10, 7, 4));
static_assert(Caps(10, 0, 274, 652, 395, 271, 167));
static_assert(Caps(40, 0, 2956, 7089, 4296, 2953, 1817));
static_assert(Caps(40, 3, 1276, 3057, 1852, 1273, 784));
static_assert(VersionTable[40].Levels[0].DataCodewords == kMaxDataCodewords);
static_assert(VersionTable[40].TotalCodewords - VersionTable[40].Levels[3].DataCodewords ==
              kMaxEcCodewords);
constexpr int LargestDataBlock() {
    int largest = 0;
    for (const TQRVersionInfo& info : VersionTable)
        for (const TQRLevelInfo& level : info.Levels)
            for (const TQRBlockGroup& group : level.Groups)
                largest = group.BlockDataCodewords > largest ? group.BlockDataCodewords : largest;
    return largest;
}
static_assert(LargestDataBlock() == kMaxBlockDataCodewords);

constexpr bool Group(int v, int l, int g, int blocks, int c, int k) {
    const TQRBlockGroup& x = VersionTable[v].Levels[l].Groups[g];
    return x.Blocks == blocks && x.BlockCodewords == c && x.BlockDataCodewords == k;
}
static_assert(Group(1, 0, 0, 1, 26, 19) && VersionTable[1].Levels[0].Groups[0].Correctable == 2);
static_assert(Group(7, 2, 0, 2, 32, 14) && Group(7, 2, 1, 4, 33, 15));
static_assert(Group(40, 3, 0, 20, 45, 15) && Group(40, 3, 1, 61, 46, 16));
static_assert(Group(5, 2, 0, 2, 33, 15) && Group(5, 2, 1, 2, 34, 16));

static_assert(AlnumValue['Z'] == 35 && AlnumValue[':'] == 44 && AlnumValue['a'] == -1);
static_assert(CharClass['7'] == 0 && CharClass['%'] == 1 && CharClass[0xEB] == 3 &&
              CharClass[0xEC] == 2 && CharClass[0xA0] == 2 && CharClass[0x80] == 2);
static_assert(!TrailBytes[0x7F] && TrailBytes[0x80] && TrailBytes[0xFC] && !TrailBytes[0xFD]);
static_assert(KanjiValue(0x93, 0x5F) == 0x0D9F && KanjiValue(0xE4, 0xAA) == 0x1AAA);
static_assert(KanjiValue(0xEB, 0xBF) == 0x1FFF && !IsKanjiPair(0xEB, 0xC0));

} // namespace
} // namespace qr::engine
