#include "cli/verify.h"

#include <algorithm>

#include "cli/png_reader.h"
#include "composer/read_back.h"
#include "qr/engine/raster.h"

namespace cli {

namespace {

// Where each symbol's centre falls in a picture of the layout's grid at pxmag pixels a
// module: its cell's centre, turned clockwise and then mirrored as the grid is.
std::vector<composer::TPicturePoint> Centres(const TSymbolModules& set,
                                             const qr::engine::TQRLayout& layout, int pxmag) {
    const int count = static_cast<int>(set.Built.size());
    const int cell = set.Side + 2 * layout.Quiet;
    const int columns = std::min(layout.Column, count);
    const int rows = (count + layout.Column - 1) / layout.Column;
    const double w = static_cast<double>(columns) * cell, h = static_cast<double>(rows) * cell;
    std::vector<composer::TPicturePoint> out;
    for (int s = 0; s < count; ++s) {
        const double x = (s % layout.Column + 0.5) * cell, y = (s / layout.Column + 0.5) * cell;
        double tx = x, ty = y, tw = w;
        switch (layout.Angle) {
        case 90:
            tx = h - y, ty = x, tw = h;
            break;
        case 180:
            tx = w - x, ty = h - y;
            break;
        case 270:
            tx = y, ty = w - x, tw = h;
            break;
        }
        if (layout.Mirror) tx = tw - tx;
        out.push_back({static_cast<int>(tx * pxmag), static_cast<int>(ty * pxmag)});
    }
    return out;
}

} // namespace

TVerifyResult VerifyPicture(const TVerifyRequest& r) {
    TVerifyResult result;
    const TDrawing& drawing = *r.Drawing;
    const TSymbolModules& set = *r.Symbols;
    composer::TDrawnSymbols drawn;
    drawn.Bytes = r.Payload;
    drawn.Text = r.Text;
    drawn.Linked = r.Linked;
    TGreyPicture picture;
    // The component's pictures have caption bands whose height only it knows: those are
    // read from their modules, as are the types we have no rasteriser for.
    int pxmag = r.Pxmag;
    // The component's pictures keep the standard quiet zone; ours take --margin.
    const int margin = r.FromComponent ? qr::engine::kQuietZone : drawing.Margin;
    if (r.Type == TPictureType::Png && !r.FromComponent) {
        std::string error;
        if (!DecodePng(r.Bytes, picture, error)) {
            result.Exit = kExitUnread;
            result.Error = "the picture does not read back: " + error;
            return result;
        }
    } else {
        pxmag = 1;
        const auto grid =
            qr::engine::LayOutSymbols(set, {drawing.Column, margin, drawing.Angle, drawing.Mirror});
        picture.Width = grid.Width;
        picture.Height = grid.Height;
        picture.Pixels.assign(grid.Dark.size(), 255);
        for (std::size_t i = 0; i < grid.Dark.size(); ++i)
            if (grid.Dark[i]) picture.Pixels[i] = 0;
        result.FromModules = true;
    }
    // A mirrored picture is meant to be seen through glass or from behind: it is read as
    // seen that way, mirrored back.
    if (drawing.Mirror) {
        for (int y = 0; y < picture.Height; ++y) {
            auto* row = picture.Pixels.data() + static_cast<std::size_t>(y) * picture.Width;
            std::reverse(row, row + picture.Width);
        }
    }
    const qr::engine::TQRLayout unmirrored{drawing.Column, margin, drawing.Angle, false};
    drawn.Centres = Centres(set, unmirrored, pxmag);
    drawn.CellWidth = drawn.CellHeight = (set.Side + 2 * margin) * pxmag;
    drawn.Enlarge = (3 + pxmag - 1) / pxmag;
    drawn.Pad = std::max(0, qr::engine::kQuietZone - margin) * pxmag;
    const auto check =
        composer::ReadBack(picture.Pixels.data(), picture.Width, picture.Height, 0, drawn);
    if (!check.Ok()) {
        result.Exit = kExitUnread;
        result.Error = composer::ReadCheckMessage(check);
    }
    return result;
}

} // namespace cli
