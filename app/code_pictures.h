// The window's code outside the window: the same drawing as files (PNG, SVG, PDF),
// as drag-and-drop data, on printed pages, and as single symbols for the large view.
// Every picture is drawn from the symbols the component shows, by a hidden copy of it,
// so a file, a drop, a page and the clipboard never disagree with the window.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <memory>
#include <vector>

class QMimeData;
class QPageLayout;
class QPrinter;

namespace qr {
class TQRCode;
namespace engine {
struct TModuleGrid;
struct TSymbolModules;
} // namespace engine
} // namespace qr

enum TSaveFormat { sfPng, sfSvg, sfPdf };

// The format a file name asks for by its suffix (any case); PNG for anything else.
TSaveFormat SaveFormatFor(const QString& path);

// A hidden component that draws `shown`'s code as `shown` does (code, division,
// version, level, mask, captions, font, colours, turn and mirror) from the symbols it
// shows, sized to them, as a bitmap (vector false) or a recorded vector picture. Null
// when `shown` shows no complete picture.
std::unique_ptr<qr::TQRCode> DrawingCopy(const qr::TQRCode& shown, bool vector, int column = 0);

// The shown code as file bytes; empty when nothing is shown or the picture cannot be made.
QByteArray CodePicture(const qr::TQRCode& shown, TSaveFormat format);

// Drag-and-drop data: the picture as an image, as PNG bytes and as SVG. Null when
// nothing is shown.
QMimeData* CodeMimeData(const qr::TQRCode& shown);

// How the printed symbols are laid out: each module ModuleMm millimetres wide, the
// symbols with their captions side by side as many to a page as fit (or one to a page).
struct TPrintLayout {
    double ModuleMm = 0.5;
    bool SymbolPerPage = false;
};
inline constexpr double kMinModuleMm = 0.2;
inline constexpr double kMaxModuleMm = 5.0;

// Prints the shown code on `printer`, which is begun and ended here. A symbol that does
// not fit the printable area at the asked size is shrunk to fit. Returns the number of
// pages printed, 0 when nothing is shown or the printer cannot be started.
int PrintCode(const qr::TQRCode& shown, QPrinter& printer, const TPrintLayout& layout);

// The pages PrintCode would print on paper of `page`, drawn as grey pictures at about
// `modulePixels` pixels to the module, fewer for small modules on a large page (the
// pixels drawn to a module, rounded down, in `drawnModulePixels`): what the window reads
// back before it prints.
std::vector<QImage> PrintedPages(const qr::TQRCode& shown, const QPageLayout& page,
                                 const TPrintLayout& layout, int modulePixels = 4,
                                 int* drawnModulePixels = nullptr);

// A laid-out block of modules, black on white, `modulePixels` pixels to the module.
QImage GridImage(const qr::engine::TModuleGrid& grid, int modulePixels);

// Symbol s (1-based) of a built set, black on white with its quiet zone, `modulePixels`
// pixels to the module. Null when the set does not hold it.
QImage SymbolImage(const qr::engine::TSymbolModules& symbols, int s, int modulePixels);
