// Reading our own symbols back from the pixels we show or write, as a phone's reader
// (zxing-cpp) reads them, and checking them against what we encoded: every symbol found,
// each in its place, a linked set joined in its structured-append order, and the joined
// bytes and presented text compared with the payload. No Qt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "composer/presented.h"

namespace composer {

struct TReadSymbol {
    std::string Bytes; // the symbol's data bytes
    std::string Text;  // as zxing-cpp presents them (UTF-8)
    int Index = -1;    // structured append: 0-based position, -1 when not linked
    int Count = -1;    // structured append: symbols in the set
};

struct TPicturePoint {
    int X = 0;
    int Y = 0;
};

// What we drew: the payload, and where each symbol is in the picture (symbol 1 first).
// A phone is pointed at one symbol at a time, so each is read from its own cell.
struct TDrawnSymbols {
    std::string Bytes; // the payload as encoded (Shift-JIS or UTF-8)
    std::string Text;  // the same as UTF-8 text, as typed; empty when not known
    std::vector<TPicturePoint> Centres;
    int CellWidth = 0;  // pixels round each centre that belong to its symbol, quiet zone
    int CellHeight = 0; // included
    // Each cell is read enlarged this many times (nearest neighbour): the reader wants
    // about three pixels a module, as a camera has of a picture on a screen.
    int Enlarge = 1;
    // Light pixels added round each cell before it is read: a picture drawn with a thin
    // quiet zone is read as it would be on a light page.
    int Pad = 0;
    bool Linked = false; // structured append
};

enum class TReadProblem {
    None,
    Missing,     // a symbol was not read at its place (Symbol)
    Misplaced,   // the symbol at place Symbol is another of the set (Found: its number)
    BytesDiffer, // joined bytes differ from the payload (Difference says where)
    TextDiffers, // the bytes agree but the text a phone presents does not
};

struct TReadCheck {
    TReadProblem Problem = TReadProblem::None;
    int Symbol = 0; // 1-based place the problem is at, 0 when it is not one symbol's
    int Found = 0;  // Misplaced: the number the symbol at that place carries (1-based)
    std::vector<TReadSymbol> Symbols; // as read, place by place
    std::string Bytes;                // joined in structured-append order
    std::string Text; // the text a phone presents (zxing-cpp's character-set handling)
    TPresentedDifference Difference; // BytesDiffer, TextDiffers
    bool Ok() const { return Problem == TReadProblem::None; }
};

// Reads each symbol's cell of a width x height 8-bit grey picture (rowStride bytes a row,
// 0: width; dark is 0) and checks what it holds against `drawn`.
TReadCheck ReadBack(const std::uint8_t* grey, int width, int height, int rowStride,
                    const TDrawnSymbols& drawn);

// A picture that left the window (a saved file, a dragged or copied image, a printed
// page), 8-bit grey, dark 0; RowStride 0 means Width.
struct TGreyPicture {
    const std::uint8_t* Grey = nullptr;
    int Width = 0;
    int Height = 0;
    int RowStride = 0;
};

// Reads every symbol found anywhere in `pictures`, as a phone pointed at each in turn
// reads it, in whichever turn the page was drawn, and checks the `symbols` found
// against `drawn` (its Centres are not used; Enlarge and Pad apply to each picture). A
// linked set is joined by its structured-append numbers; plain symbols in the order
// that makes up the payload where one does, since a phone reads each by itself.
TReadCheck ReadPictures(const std::vector<TGreyPicture>& pictures, int symbols,
                        const TDrawnSymbols& drawn);

// One line in English for varoku-qr: "" when the check passed.
std::string ReadCheckMessage(const TReadCheck& check);

} // namespace composer
