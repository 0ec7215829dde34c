// Symbol parameters of QR code versions 1 to 40 and levels L, M, Q, H, and the per-byte
// tables of the encoder. Everything here is constant and computed at compile time.
#pragma once

#include <array>
#include <cstdint>

namespace qr::engine {

// Versions and the bounds of every work area, from the largest symbols.
inline constexpr int kMinVersion = 1;
inline constexpr int kMaxVersion = 40;
inline constexpr int kLevelCount = 4;              // TQREclevel
inline constexpr int kModeCount = 4;               // TQREmode
inline constexpr int kMaxModules = 177;            // side of a version 40 symbol
inline constexpr int kMaxDataCodewords = 2956;     // 40-L
inline constexpr int kMaxTotalCodewords = 3706;    // version 40
inline constexpr int kMaxEcCodewords = 2430;       // 40-H
inline constexpr int kMaxBlockDataCodewords = 123; // largest data block (38-L)
inline constexpr int kMaxSliceBytes = 7089;        // most digits of any symbol (40-L)

// Light modules round every symbol, on each side, wherever a symbol is drawn.
inline constexpr int kQuietZone = 4;

inline constexpr int kMaxAlignCount = 7;

// Error-correction levels, weakest first; the published Eclevel is their int value.
enum TQREclevel { ecL, ecM, ecQ, ecH };
// Segment modes; the published Emode is their int value or kEmodeAuto.
enum TQREmode { emNumeric, emAlphanumeric, emEightBit, emKanji };
inline constexpr int kEmodeAuto = -1;
// Masks 0..kMaskCount-1; the published Masktype adds kMaskAuto.
inline constexpr int kMaskCount = 8;
inline constexpr int kMaskAuto = -1;

// One group of equal Reed-Solomon blocks: c codewords per block, k of them data,
// r errors correctable. Only c and k are used by the build.
struct TQRBlockGroup {
    std::int32_t Blocks = 0;
    std::int32_t BlockCodewords = 0;     // c
    std::int32_t BlockDataCodewords = 0; // k
    std::int32_t Correctable = 0;        // r
    constexpr std::int32_t EcCodewords() const { return BlockCodewords - BlockDataCodewords; }
};

// Parameters of one version at one error-correction level.
struct TQRLevelInfo {
    std::int32_t DataCodewords = 0;
    std::array<std::int32_t, kModeCount> ModeCapacity{}; // characters of one segment per mode
    std::int32_t GroupCount = 0;                         // 1 or 2
    std::array<TQRBlockGroup, 2> Groups{};               // fewer data codewords first
    constexpr std::int32_t BlockCount() const { return Groups[0].Blocks + Groups[1].Blocks; }
};

// Parameters of one version.
struct TQRVersionInfo {
    std::int32_t VersionNo = 0;
    std::int32_t Modules = 0; // 4 * version + 17
    std::int32_t TotalCodewords = 0;
    std::int32_t RemainderBits = 0;
    std::array<std::int32_t, kModeCount> CountBits{}; // character count indicator width per mode
    std::array<TQRLevelInfo, kLevelCount> Levels{};
    std::int32_t AlignCount = 0;
    std::array<std::int32_t, kMaxAlignCount> AlignPos{}; // ascending; unused entries 0
};

// The whole table, indexed by version 1..40; entry 0 is all zero and never used.
using TQRVersionTable = std::array<TQRVersionInfo, kMaxVersion + 1>;

// 4-bit mode indicator by mode 0..3 (the structured-append indicator 3 is written apart).
inline constexpr std::array<int, kModeCount> ModeIndicator{1, 2, 4, 8};

// Shift-JIS lead bytes of code page 932: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsShiftJisLeadByte(std::uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Alphanumeric value of bytes 0x00-0x7F ("0"-"9", "A"-"Z", space $ % * + - . / :), else -1.
inline constexpr std::array<std::int8_t, 128> AlnumValue = [] {
    std::array<std::int8_t, 128> t{};
    for (auto& v : t)
        v = -1;
    for (int c = '0'; c <= '9'; ++c)
        t[c] = static_cast<std::int8_t>(c - '0');
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] = static_cast<std::int8_t>(c - 'A' + 10);
    const char symbols[] = " $%*+-./:";
    for (int i = 0; i < 9; ++i)
        t[static_cast<unsigned char>(symbols[i])] = static_cast<std::int8_t>(36 + i);
    return t;
}();

// Character class of every byte, as the cheapest mode that may carry it: digits,
// other alphanumerics, Kanji lead bytes (0x81-0x9F, 0xE0-0xEB), 8-bit for the rest.
inline constexpr std::array<std::uint8_t, 256> CharClass = [] {
    std::array<std::uint8_t, 256> t{};
    for (int b = 0; b < 256; ++b) {
        if (b >= '0' && b <= '9')
            t[b] = emNumeric;
        else if (b < 128 && AlnumValue[b] >= 0)
            t[b] = emAlphanumeric;
        else if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEB))
            t[b] = emKanji;
        else
            t[b] = emEightBit;
    }
    return t;
}();

// Bytes that may follow a Kanji lead byte: 0x40-0x7E and 0x80-0xFC.
inline constexpr std::array<bool, 256> TrailBytes = [] {
    std::array<bool, 256> t{};
    for (int b = 0x40; b <= 0xFC; ++b)
        t[b] = b != 0x7F;
    return t;
}();

// True when (lead, trail) is a character of the QR Kanji mode. The 13-bit Kanji value
// ends at 0xEBBF: the pairs 0xEBC0-0xEBFC would need a 14th bit and are not Kanji.
constexpr bool IsKanjiPair(std::uint8_t lead, std::uint8_t trail) {
    return CharClass[lead] == 3 && TrailBytes[trail] && !(lead == 0xEB && trail > 0xBF);
}

// The 13-bit Kanji mode value of a pair for which IsKanjiPair holds.
constexpr int KanjiValue(std::uint8_t lead, std::uint8_t trail) {
    return (lead - (lead <= 0x9F ? 0x81 : 0xC1)) * 0xC0 + (trail - 0x40);
}

namespace tables {

// Error-correction codewords per block, by level L, M, Q, H and version 1..40
// (ISO/IEC 18004, table of error correction characteristics).
inline constexpr int kEcPerBlock[kLevelCount][kMaxVersion] = {
    {7,  10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28,
     28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26,
     26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28},
    {13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30,
     28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28,
     30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
};

// Number of error-correction blocks, by level and version (same table).
inline constexpr int kBlocks[kLevelCount][kMaxVersion] = {
    {1, 1, 1, 1,  1,  2,  2,  2,  2,  4,  4,  4,  4,  4,  6,  6,  6,  6,  7,  8,
     8, 9, 9, 10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25},
    {1,  1,  1,  2,  2,  4,  4,  4,  5,  5,  5,  8,  9,  9,  10, 10, 11, 13, 14, 16,
     17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49},
    {1,  1,  2,  2,  4,  4,  6,  6,  8,  8,  8,  10, 12, 16, 12, 17, 16, 18, 21, 20,
     23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68},
    {1,  1,  2,  4,  4,  4,  5,  6,  8,  8,  11, 11, 16, 16, 18, 16, 19, 21, 25, 25,
     25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81},
};

// Total codewords and remainder bits by version (table of codeword capacity).
inline constexpr int kTotalCodewords[kMaxVersion] = {
    26,   44,   70,   100,  134,  172,  196,  242,  292,  346,  404,  466,  532,  581,
    655,  733,  815,  901,  991,  1085, 1156, 1258, 1364, 1474, 1588, 1706, 1828, 1921,
    2051, 2185, 2323, 2465, 2611, 2761, 2876, 3034, 3196, 3362, 3532, 3706};
inline constexpr int kRemainderBits[kMaxVersion] = {0, 7, 7, 7, 7, 7, 0, 0, 0, 0, 0, 0, 0, 3,
                                                    3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4, 3,
                                                    3, 3, 3, 3, 3, 3, 0, 0, 0, 0, 0, 0};

// Alignment-pattern centre coordinates by version (Annex E).
inline constexpr int kAlignPos[kMaxVersion][kMaxAlignCount] = {
    {},
    {6, 18},
    {6, 22},
    {6, 26},
    {6, 30},
    {6, 34},
    {6, 22, 38},
    {6, 24, 42},
    {6, 26, 46},
    {6, 28, 50},
    {6, 30, 54},
    {6, 32, 58},
    {6, 34, 62},
    {6, 26, 46, 66},
    {6, 26, 48, 70},
    {6, 26, 50, 74},
    {6, 30, 54, 78},
    {6, 30, 56, 82},
    {6, 30, 58, 86},
    {6, 34, 62, 90},
    {6, 28, 50, 72, 94},
    {6, 26, 50, 74, 98},
    {6, 30, 54, 78, 102},
    {6, 28, 54, 80, 106},
    {6, 32, 58, 84, 110},
    {6, 30, 58, 86, 114},
    {6, 34, 62, 90, 118},
    {6, 26, 50, 74, 98, 122},
    {6, 30, 54, 78, 102, 126},
    {6, 26, 52, 78, 104, 130},
    {6, 30, 56, 82, 108, 134},
    {6, 34, 60, 86, 112, 138},
    {6, 30, 58, 86, 114, 142},
    {6, 34, 62, 90, 118, 146},
    {6, 30, 54, 78, 102, 126, 150},
    {6, 24, 50, 76, 102, 128, 154},
    {6, 28, 54, 80, 106, 132, 158},
    {6, 32, 58, 84, 110, 136, 162},
    {6, 26, 54, 82, 110, 138, 166},
    {6, 30, 58, 86, 114, 142, 170},
};

// Codewords reserved against misdecoding in the smallest symbols; they reduce r.
constexpr int MisdecodeProtection(int version, int level) {
    if (version == 1) return level == ecL ? 3 : level == ecM ? 2 : 1;
    if (version == 2 && level == ecL) return 2;
    if (version == 3 && level == ecL) return 1;
    return 0;
}

// Largest number of characters of one segment of the mode in the given data bits.
constexpr int SegmentCapacity(int mode, int dataBits, int countBits) {
    const int bits = dataBits - 4 - countBits;
    int n = 0;
    if (bits > 0) {
        switch (mode) {
        case emNumeric:
            n = 3 * (bits / 10) + (bits % 10 >= 7 ? 2 : bits % 10 >= 4 ? 1 : 0);
            break;
        case emAlphanumeric:
            n = 2 * (bits / 11) + (bits % 11 >= 6 ? 1 : 0);
            break;
        case emEightBit:
            n = bits / 8;
            break;
        default:
            n = bits / 13;
            break;
        }
    }
    const int countLimit = (1 << countBits) - 1;
    return n < countLimit ? n : countLimit;
}

consteval TQRVersionTable MakeVersionTable() {
    TQRVersionTable t{};
    for (int v = kMinVersion; v <= kMaxVersion; ++v) {
        TQRVersionInfo& info = t[v];
        info.VersionNo = v;
        info.Modules = 4 * v + 17;
        info.TotalCodewords = kTotalCodewords[v - 1];
        info.RemainderBits = kRemainderBits[v - 1];
        if (v <= 9)
            info.CountBits = {10, 9, 8, 8};
        else if (v <= 26)
            info.CountBits = {12, 11, 16, 10};
        else
            info.CountBits = {14, 13, 16, 12};
        for (int l = 0; l < kLevelCount; ++l) {
            TQRLevelInfo& level = info.Levels[l];
            const int blocks = kBlocks[l][v - 1];
            const int ec = kEcPerBlock[l][v - 1];
            const int longBlocks = info.TotalCodewords % blocks;
            const int c = info.TotalCodewords / blocks;
            const int r = (ec - MisdecodeProtection(v, l)) / 2;
            level.DataCodewords = info.TotalCodewords - blocks * ec;
            level.Groups[0] = {blocks - longBlocks, c, c - ec, r};
            if (longBlocks > 0) level.Groups[1] = {longBlocks, c + 1, c + 1 - ec, r};
            level.GroupCount = longBlocks > 0 ? 2 : 1;
            for (int m = 0; m < kModeCount; ++m)
                level.ModeCapacity[m] =
                    SegmentCapacity(m, level.DataCodewords * 8, info.CountBits[m]);
        }
        for (int i = 0; i < kMaxAlignCount; ++i) {
            info.AlignPos[i] = kAlignPos[v - 1][i];
            if (info.AlignPos[i] != 0) info.AlignCount = i + 1;
        }
    }
    return t;
}

} // namespace tables

// The symbol parameter table, indexed by version 1..40 (entry 0 unused).
inline constexpr TQRVersionTable VersionTable = tables::MakeVersionTable();

} // namespace qr::engine
