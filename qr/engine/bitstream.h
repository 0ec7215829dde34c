// Data codewords of one symbol: the bit writer, automatic mode analysis (segments of
// numeric, alphanumeric, 8-bit and Kanji) and fixed-mode encoding, terminator and pads.
#pragma once

#include <cstdint>
#include <span>

#include "qr/engine/input.h"
#include "qr/engine/segments.h"
#include "qr/engine/symbol_tables.h"

namespace qr::engine {

// Writes bits most significant first into the data codeword buffer of one symbol.
struct TBitStream {
    std::span<std::uint8_t, kMaxDataCodewords> Buffer;
    int DataCodewords = 0; // of the symbol's version and level
    int BytePos = 0;
    int BitPos = 7; // next bit to be written, 7 = most significant
};

// Extended channel interpretation (ECI): which character set a reader is told the
// symbol's bytes are in. kEciNone writes no designator (readers guess, and ISO/IEC
// 18004 makes byte segments ISO-8859-1 by default); kEciAuto announces Shift-JIS only
// in a symbol whose byte segments hold a byte of 0x80 or more, where the guess goes
// wrong; 0..999999 is written at the start of every symbol.
inline constexpr int kEciNone = -1;
inline constexpr int kEciAuto = -2;
inline constexpr int kEciShiftJis = 20;
inline constexpr int kEciUtf8 = 26;
inline constexpr int kMaxEci = 999999;

// Bits of the ECI header for a designator: mode indicator and 8, 16 or 24 bits.
constexpr int EciHeaderBits(int designator) {
    return designator < 0 ? 0 : designator < 128 ? 12 : designator < 16384 ? 20 : 28;
}

// Kanji mode reads its pairs as Shift-JIS whatever the designator, so under any other
// character set every byte goes in byte mode.
constexpr bool EciAllowsKanji(int eci) {
    return eci == kEciNone || eci == kEciAuto || eci == kEciShiftJis;
}

// What the encoder reads besides the bytes: the symbol's table row and level, the
// structured-append facts used in connect mode, and how the automatic analysis chooses
// its segments.
struct TEncodeContext {
    const TQRVersionInfo* Version = nullptr;
    int Eclevel = 0;
    TQRMode Mode = qrSingle;
    int Count = 1;
    int Parity = 0;
    int SymbolNumber = 1; // 1-based
    int Eci = kEciNone;   // kEciNone, kEciAuto or a designator 0..999999
    TQRSegments Segments = sgGreedy;
    TSegmentWork* Work = nullptr; // the optimal rule's work area (EncodeAuto needs it)
};

// Clears the whole buffer, takes DataCodewords from the context, puts the cursor at
// byte 0 bit 7 and, in connect mode, writes the 20-bit structured-append header.
void StartBitStream(TBitStream& bs, const TEncodeContext& ctx);

// Appends the low n bits of value, most significant first; n <= 0 writes nothing. The
// caller checks the room first (RemainingBits).
void PutBits(TBitStream& bs, int n, std::uint32_t value);

// Data bits still free in the symbol.
int RemainingBits(const TBitStream& bs);

// Cost in bits of a segment of n input bytes of the mode (0..3), header included.
int SegmentBits(const TQRVersionInfo& version, int mode, int n);

// Length in bytes of the next segment from pos (0 at the end, mode then unchanged) and
// its mode, by the greedy one-run look-ahead of the automatic analysis.
int NextSegment(const TQRVersionInfo& version, std::span<const std::uint8_t> bytes, int pos,
                int& mode);

// The designator the symbol of these bytes carries under ctx.Eci (kEciNone for none):
// kEciAuto gives kEciShiftJis when the analysis (automatic, or the fixed emode) puts
// a byte of 0x80 or more in a byte segment. The optimal rule (automatic, ctx.Segments
// sgOptimal at ctx.Version) also announces Shift-JIS when putting Kanji pairs among
// 8-bit bytes saves more than the 12 bits of the header.
int EciFor(std::span<const std::uint8_t> bytes, const TEncodeContext& ctx, int emode);

// Writes the ECI header of a designator (nothing for kEciNone); -1 when it does not fit.
int PutEciHeader(TBitStream& bs, int designator);

// Bits the automatic analysis spends on bytes under ctx (its version, Eci and
// Segments): the ECI header and every segment, without the structured-append header,
// terminator and pads. Allocates nothing and needs no work area.
int AutoDataBits(std::span<const std::uint8_t> bytes, const TEncodeContext& ctx);

// Encodes bytes with automatic mode analysis by the rule of ctx.Segments (sgOptimal
// needs ctx.Work): 0, or -1 when the segments do not fit. On success emodeR becomes
// the last segment's mode (-1 for no segment).
int EncodeAuto(std::span<const std::uint8_t> bytes, const TEncodeContext& ctx, TBitStream& bs,
               int& emodeR);

// Encodes bytes as one segment of mode emode (0..3): 0, or -1 when it does not fit or
// a byte is not allowed in the mode.
int EncodeFixed(std::span<const std::uint8_t> bytes, const TEncodeContext& ctx, int emode,
                TBitStream& bs);

} // namespace qr::engine
