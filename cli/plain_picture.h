// The pictures varoku-qr draws straight from the engine's module matrices, without Qt:
// standard PBM, PNG without captions and the utf8 terminal text. A PNG here is the
// same, pixel for pixel, as the component's bitmap for the same settings: a 4-module
// quiet zone around each symbol, Pxmag pixels per module, the symbols in a grid of
// Column cells per row, then the turn and the mirror of the whole picture.
#pragma once

#include <cstdint>
#include <string>

#include "cli/options.h"
#include "qr/engine/symbol_engine.h"

namespace cli {

struct TPlainPicture {
    int Exit = kExitOk;
    std::string Error;
    std::string Bytes;
};

// Whether a PNG of these settings needs the component (captions, or numbers that
// become captions); without, PlainPng draws the same pixels.
bool PngNeedsComponent(const TDrawing& drawing);

// One raw Netpbm bitmap ("P4") per symbol of the engine's last division, one after
// the other in the same file, each (Modules() + 8) * Pxmag() pixels square, dark
// modules black. Empty when a symbol cannot be built.
std::string StandardPbm(qr::engine::TQRSymbolEngine& engine);

// The component's bitmap of the engine's symbols as a PNG file.
TPlainPicture PlainPng(qr::engine::TQRSymbolEngine& engine, const TDrawing& drawing);

// The symbols of the engine's last division as text: two module rows per line in
// half-block characters, each symbol with a 4-module quiet zone, symbols one below the
// other with an empty line between. A dark module is a drawn cell (a light one with
// Invert); Angle and Mirror turn and mirror each symbol.
std::string Utf8Picture(qr::engine::TQRSymbolEngine& engine, const TDrawing& drawing);

} // namespace cli
