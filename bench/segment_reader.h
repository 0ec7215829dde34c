// Reads the data bits back out of any encoder's finished QR symbol: format information,
// unmasking, the codeword order and the block interleaving, then the segments up to the
// terminator. The segmentation benchmark measures every encoder's symbols with it, so
// that all are counted alike and each is checked to carry the very bytes it was given.
#pragma once

#include <functional>
#include <string>

namespace bench {

struct TReadSymbol {
    bool Ok = false;
    std::string Error;
    int Version = 0;
    int Level = 0;     // 0 L, 1 M, 2 Q, 3 H
    int Bits = 0;      // before the terminator: ECI headers and segments
    int Segments = 0;  // numeric, alphanumeric, byte and Kanji segments
    int Eci = -1;      // the last designator read, -1 for none
    std::string Bytes; // the data as bytes (Kanji as their Shift-JIS pairs)
};

// side modules per side; dark(row, column), row 0 at the top, without quiet zone.
TReadSymbol ReadSymbolBits(int side, const std::function<bool(int, int)>& dark);

} // namespace bench
