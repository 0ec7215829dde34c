// The pictures varoku-qr draws straight from the engine's module matrices, without Qt:
// standard PBM, PNG without captions and the utf8 terminal text (SVG and EPS are in
// cli/vector_picture.h). A PNG here is the same, pixel for pixel, as the component's
// bitmap for the same settings: a 4-module quiet zone around each symbol (or Margin),
// Scale pixels per module, the symbols in a grid of Column cells per row, then the
// turn and the mirror of the whole picture.
#pragma once

#include <cstdint>
#include <string>

#include "cli/options.h"
#include "cli/symbols.h"

namespace cli {

// Whether a PNG of these settings needs the component (captions, or numbers that
// become captions); without, PlainPng draws the same pixels.
bool PngNeedsComponent(const TDrawing& drawing);

// Each draws the symbols that PrepareSymbols built (`symbols`), and gives nothing (or an
// error) when they are not all there.

// One raw Netpbm bitmap ("P4") per symbol, one after the other in the same file, each
// (side + 2 * margin) * pxmag pixels square, dark modules black.
std::string StandardPbm(const TSymbolModules& symbols, int pxmag,
                        int margin = qr::engine::kQuietZone);

// The component's bitmap of the symbols as a PNG file, at drawing.Scale pixels per
// module, with drawing.Dpi written and the colours' opacity kept.
TPicture PlainPng(const TSymbolModules& symbols, const TDrawing& drawing);

// The symbols as text: two module rows per line in
// half-block characters, each symbol with a Margin-module quiet zone, symbols one below the
// other with an empty line between. A dark module is a drawn cell (a light one with
// Invert); Angle and Mirror turn and mirror each symbol.
std::string Utf8Picture(const TSymbolModules& symbols, const TDrawing& drawing);

} // namespace cli
