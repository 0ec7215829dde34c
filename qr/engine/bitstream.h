// Data codewords of one symbol: the bit writer, automatic mode analysis (segments of
// numeric, alphanumeric, 8-bit and Kanji) and fixed-mode encoding, terminator and pads.
#pragma once

#include <cstdint>
#include <span>

#include "qr/engine/input.h"
#include "qr/engine/symbol_tables.h"

namespace qr::engine {

// Writes bits most significant first into the data codeword buffer of one symbol.
struct TBitStream {
    std::span<std::uint8_t, kMaxDataCodewords> Buffer;
    int DataCodewords = 0; // of the symbol's version and level
    int BytePos = 0;
    int BitPos = 7; // next bit to be written, 7 = most significant
};

// What the encoder reads besides the bytes: the symbol's table row and level, and the
// structured-append facts used in connect mode.
struct TEncodeContext {
    const TQRVersionInfo* Version = nullptr;
    int Eclevel = 0;
    TQRMode Mode = qrSingle;
    int Count = 1;
    int Parity = 0;
    int SymbolNumber = 1; // 1-based
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

// Encodes bytes with automatic mode analysis: 0, or -1 when a segment does not fit.
// On success emodeR becomes the last segment's mode (-1 for no segment).
int EncodeAuto(std::span<const std::uint8_t> bytes, const TEncodeContext& ctx, TBitStream& bs,
               int& emodeR);

// Encodes bytes as one segment of mode emode (0..3): 0, or -1 when it does not fit or
// a byte is not allowed in the mode.
int EncodeFixed(std::span<const std::uint8_t> bytes, const TEncodeContext& ctx, int emode,
                TBitStream& bs);

} // namespace qr::engine
