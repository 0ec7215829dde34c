// Segmentation of the automatic mode analysis: which rule chooses the segments
// (TQRSegments), and the optimal rule itself, the fewest bits over numeric,
// alphanumeric, 8-bit and Kanji segments by dynamic programming over the characters,
// with its fixed-size work area. The greedy rule lives in bitstream.cpp; this stage
// only chooses, bitstream.cpp writes what it chose.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "qr/engine/symbol_tables.h"

namespace qr::engine {

// sgGreedy: the component's documented one-run look-ahead (the initial value, symbols
// as they have always been); sgOptimal: the fewest bits for the version being built.
enum TQRSegments : std::uint8_t { sgGreedy, sgOptimal };

// What the optimal rule may do with the text.
struct TSegmentRule {
    // Kanji mode for the double-byte Shift-JIS characters that are Kanji pairs
    // (IsKanjiPair), the text read as Shift-JIS characters from its start. False: every
    // byte is a character of its own and no Kanji mode (a character set other than
    // Shift-JIS).
    bool Kanji = true;
    // A Kanji pair may also go in an 8-bit segment (cheaper beside 8-bit bytes). False
    // keeps every byte of 0x80 or more that is part of a Kanji pair out of byte mode.
    bool KanjiInBytes = true;
};

// The work area of one optimal segmentation, for a slice of up to kMaxSliceBytes.
struct TSegmentWork {
    // Per byte: while the costs run, the mode each state came from (2 bits per state);
    // after OptimalSegments, the mode of the segment that holds the byte.
    std::array<std::uint8_t, kMaxSliceBytes> Modes{};
    // Bit i set: byte i starts a character.
    std::array<std::uint64_t, (kMaxSliceBytes + 63) / 64> Starts{};
};

// Bits of the optimal segmentation of bytes at the version (mode indicators, count
// fields and data of every segment; 0 for no bytes). Allocates nothing.
int OptimalBits(std::span<const std::uint8_t> bytes, const TQRVersionInfo& version,
                TSegmentRule rule);

// The same, and work.Modes[0..size) holds the mode of every byte: a run of one mode is
// one segment. bytes holds at most kMaxSliceBytes.
int OptimalSegments(std::span<const std::uint8_t> bytes, const TQRVersionInfo& version,
                    TSegmentRule rule, TSegmentWork& work);

// The text read as Shift-JIS characters: whether it has a Kanji pair, and a byte of
// 0x80 or more outside the Kanji pairs (which needs an 8-bit segment whatever the rule).
struct TKanjiScan {
    bool Kanji = false;
    bool HighByteOutside = false;
};
TKanjiScan ScanKanji(std::span<const std::uint8_t> bytes);

} // namespace qr::engine
