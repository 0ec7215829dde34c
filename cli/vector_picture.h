// SVG, PDF and EPS pictures of symbols without captions, written straight from the
// module matrices without Qt: the symbols laid out as the PNG lays them out (quiet zone, grid
// of Column cells, turn and mirror), each run of dark modules of a row one rectangle.
// With captions they are the component's (cli/picture.h).
#pragma once

#include "cli/options.h"
#include "cli/symbols.h"

namespace cli {

// An SVG of one unit a module in its view box, drawn Scale pixels a module, or with
// Dpi that size in inches; title SvgTitle ("QR code" unless given), description
// SvgDesc; the background left out when fully transparent.
TPicture SvgPicture(const TSymbolModules& symbols, const TDrawing& drawing);

// A one-page PDF whose page is the picture at Scale pixels a module, 96 pixels to the
// inch as the component's PDF (or Dpi); opacity as asked, title "QR code".
TPicture PdfPicture(const TSymbolModules& symbols, const TDrawing& drawing);

// An encapsulated PostScript picture, one point a pixel at Scale pixels a module (or
// Scale pixels at Dpi to the inch). PostScript has no transparency: a fully
// transparent background is left out, any other opacity below full refused.
TPicture EpsPicture(const TSymbolModules& symbols, const TDrawing& drawing);

} // namespace cli
