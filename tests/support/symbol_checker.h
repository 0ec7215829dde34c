// A strict reader of finished module matrices: it reads a symbol back the way a careful
// decoder would and reports the first thing that is not exactly right. Independent of the
// engine's build steps; it shares only the standard's parameter table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace test_support {

struct TSymbolExpectation {
    int Version = 1;
    int Level = -1;             // 0 L .. 3 H; -1 accepts what the format information says
    int Mask = -1;              // 0..7 must be the mask used; -1 accepts any
    bool AutomaticMask = false; // the mask must be the lowest-scoring, lowest-numbered one
    const std::vector<std::uint8_t>* Bytes = nullptr; // the slice, when it is known
    int SequenceIndex = -1; // 0-based structured-append position; -1: no header expected
    int SequenceCount = 0;
    int Parity = -1;
};

struct TSymbolReading {
    int Level = -1;
    int Mask = -1;
    std::vector<std::uint8_t> Bytes;
    int SequenceIndex = -1; // -1 when the symbol carries no structured-append header
    int SequenceCount = 0;
    int Parity = -1;
    std::vector<int> SegmentModes;       // 0 numeric, 1 alphanumeric, 2 8-bit, 3 Kanji
    std::vector<std::uint8_t> ByteModes; // the mode that carried each byte of Bytes
};

struct TSymbolCheck {
    bool Ok = false;
    std::string Error; // the first fault found
    TSymbolReading Reading;
};

// Reads the N x N symbol of expect.Version (isDark(row, column), row 0 at the top) and
// checks: function patterns; both format copies agree and name level and mask; both
// version copies agree (version 7 and up); the codewords de-interleave into blocks with
// zero Reed-Solomon syndromes; the data parse into segments followed by a correct
// terminator, bit padding and 0xEC/0x11 pad codewords; remainder cells are light before
// masking; and, with AutomaticMask, that the mask has the lowest penalty.
TSymbolCheck CheckSymbol(const TSymbolExpectation& expect,
                         const std::function<bool(int, int)>& isDark);

// The cells that carry codeword bits, in placement order (codeword 0's bit 7 first; the
// version's remainder cells last).
std::vector<std::pair<int, int>> DataCellOrder(int version);

// For each codeword of the interleaved sequence of version and level, the number of the
// Reed-Solomon block it belongs to.
std::vector<int> CodewordBlocks(int version, int level);

// The penalty score of one N x N grid of colours (runs, 2 x 2 blocks, finder-like
// patterns, dark share), computed plainly line by line.
int ReferencePenalty(int n, const std::vector<std::uint8_t>& dark);

} // namespace test_support
