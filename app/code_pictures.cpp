#include "app/code_pictures.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/shift_jis.h"
#include "qr/engine/raster.h"
#include "qr/picture_output.h"
#include "qr/picture_transform.h"
#include "qr/qr_code.h"

namespace {

const QString kTitle = QStringLiteral("QR code");

} // namespace

TSaveFormat SaveFormatFor(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("svg")) return sfSvg;
    if (suffix == QLatin1String("pdf")) return sfPdf;
    return sfPng;
}

std::unique_ptr<qr::TQRCode> DrawingCopy(const qr::TQRCode& shown, bool vector, int column) {
    if (!shown.SymbolDisped() || !shown.ShownSymbols().Complete()) return nullptr;
    auto copy = std::make_unique<qr::TQRCode>();
    copy->SetSymbolEnabled(false);
    copy->SetMatch(true);
    if (vector) copy->SetSymbolPicture(qr::picEMF);
    copy->SetColumn(column > 0 ? column : shown.Column());
    copy->SetNumbering(shown.Numbering());
    copy->SetCommentUp(shown.CommentUp());
    copy->SetCommentUpLoc(shown.CommentUpLoc());
    copy->SetCommentDown(shown.CommentDown());
    copy->SetCommentDownLoc(shown.CommentDownLoc());
    copy->SetComFont(&shown.ComFont());
    copy->SetSymbolLeft(shown.SymbolLeft());
    copy->SetSymbolTop(shown.SymbolTop());
    copy->SetSymbolSpaceUp(shown.SymbolSpaceUp());
    copy->SetSymbolSpaceDown(shown.SymbolSpaceDown());
    // The window's panel is taller than its symbols, so it shows the caption below a
    // symbol even without a band for it; a picture of the symbols' own size needs one.
    const std::string down = shown.Count() > 1
                                 ? qr::NumberedComment(shown.Numbering(), shown.CommentDown(), 1)
                                 : shown.CommentDown();
    if (!down.empty()) {
        platform::TBitmap probe;
        probe.SetSize(1, 1);
        probe.Canvas().SetFont(shown.ComFont());
        const int band = probe.Canvas().TextExtent(platform::ShiftJisToQString(down)).height();
        copy->SetSymbolSpaceDown(std::max(shown.SymbolSpaceDown(), band));
    }
    copy->SetSymbolSpaceLeft(shown.SymbolSpaceLeft());
    copy->SetSymbolSpaceRight(shown.SymbolSpaceRight());
    copy->SetSymbolColor(shown.SymbolColor());
    copy->SetBackColor(shown.BackColor());
    if (!vector) {
        copy->SetAngle(shown.Angle());
        copy->SetReverse(shown.Reverse());
    }
    // The symbols the window shows, not a second encoding of its text: what is saved,
    // dropped or printed is what is on the screen.
    copy->PaintBuiltSymbols(shown.Engine(), shown.ShownSymbols());
    if (!copy->SymbolDisped()) return nullptr;
    return copy;
}

QByteArray CodePicture(const qr::TQRCode& shown, TSaveFormat format) {
    const std::unique_ptr<qr::TQRCode> copy = DrawingCopy(shown, format != sfPng);
    if (!copy) return {};
    if (format == sfPng) return qr::ImageToPng(copy->BitmapImage());
    // The component leaves the turn and mirror of a recording to its callers.
    std::unique_ptr<platform::TMetafile> turned;
    const platform::TMetafile* picture =
        qr::TurnedMetafile(copy->MetafilePicture(), copy->Width(), copy->Height(), shown.Angle(),
                           shown.Reverse(), turned);
    if (!picture) return {};
    return format == sfSvg ? qr::MetafileToSvg(*picture, kTitle)
                           : qr::MetafileToPdf(*picture, kTitle);
}

QMimeData* CodeMimeData(const qr::TQRCode& shown) {
    const std::unique_ptr<qr::TQRCode> bitmap = DrawingCopy(shown, false);
    if (!bitmap) return nullptr;
    const QImage image = bitmap->BitmapImage();
    const QByteArray png = qr::ImageToPng(image);
    const QByteArray svg = CodePicture(shown, sfSvg);
    if (png.isEmpty()) return nullptr;
    auto* data = new QMimeData;
    data->setImageData(image);
    data->setData(QString::fromLatin1(qr::kMimePng), png);
    if (!svg.isEmpty()) data->setData(QString::fromLatin1(qr::kMimeSvg), svg);
    return data;
}

namespace {

// Lays the shown symbols out on pages whose printable area is `area` (device pixels at
// `resolution` dots an inch) and draws them with `painter`; `newPage` starts the next
// page and says whether it could. Returns the pages drawn.
int DrawPages(const qr::TQRCode& shown, QPainter& painter, const QRectF& area, double resolution,
              const TPrintLayout& layout, const std::function<bool()>& newPage) {
    const qr::engine::TSymbolModules& symbols = shown.ShownSymbols();
    const int count = static_cast<int>(symbols.Built.size());
    // Each symbol is drawn from its modules with its own captions only: a replayed
    // picture of the whole set, clipped to one cell, would still carry every other
    // symbol's captions on the page as hidden text.
    const auto caption = [&shown, count](const std::string& text, int k) {
        if (text.empty()) return QString();
        return platform::ShiftJisToQString(
            count > 1 ? qr::NumberedComment(shown.Numbering(), text, k) : text);
    };
    QFont font = shown.ComFont().ToQFont();
    font.setPointSizeF(9);
    painter.setFont(font);

    const double moduleMm = std::clamp(layout.ModuleMm, kMinModuleMm, kMaxModuleMm);
    const int side = qr::engine::LayOutSymbols(symbols, {}, 1, 1).Width;
    const double band = QFontMetricsF(font, painter.device()).height() * 1.4;
    const bool up = !shown.CommentUp().empty();
    const bool down = !shown.CommentDown().empty();
    const double captions = band * ((up ? 1 : 0) + (down ? 1 : 0));
    // Device pixels per module; a symbol that does not fit the page is shrunk to fit.
    double scale = moduleMm / 25.4 * resolution;
    scale = std::min({scale, area.width() / side, (area.height() - captions) / side});
    const double w = side * scale;
    const double h = side * scale + captions;
    const int perRow = std::max(1, static_cast<int>(area.width() / w));
    const int perColumn = std::max(1, static_cast<int>(area.height() / h));
    const int perPage = layout.SymbolPerPage ? 1 : perRow * perColumn;

    int pages = 1;
    for (int k = 1; k <= count; ++k) {
        const int slot = (k - 1) % perPage;
        if (k > 1 && slot == 0) {
            if (!newPage()) break;
            ++pages;
        }
        const QPointF origin((slot % perRow) * w, (slot / perRow) * h);
        const double top = origin.y() + (up ? band : 0);
        const qr::engine::TModuleGrid grid = qr::engine::LayOutSymbols(symbols, {}, k, 1);
        painter.fillRect(QRectF(origin.x(), top, w, side * scale), Qt::white);
        for (int y = 0; y < grid.Height; ++y)
            for (int x = 0; x < grid.Width; ++x)
                if (grid.IsDark(x, y))
                    painter.fillRect(QRectF(origin.x() + x * scale, top + y * scale, scale, scale),
                                     Qt::black);
        painter.setPen(Qt::black);
        if (up)
            painter.drawText(QRectF(origin.x(), origin.y(), w, band), Qt::AlignCenter,
                             caption(shown.CommentUp(), k));
        if (down)
            painter.drawText(QRectF(origin.x(), top + side * scale, w, band), Qt::AlignCenter,
                             caption(shown.CommentDown(), k));
    }
    return pages;
}

bool Printable(const qr::TQRCode& shown) {
    return shown.SymbolDisped() && shown.ShownSymbols().Complete() &&
           !shown.ShownSymbols().Built.empty();
}

} // namespace

int PrintCode(const qr::TQRCode& shown, QPrinter& printer, const TPrintLayout& layout) {
    if (!Printable(shown)) return 0;
    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    const int pages =
        DrawPages(shown, painter, printer.pageLayout().paintRectPixels(printer.resolution()),
                  printer.resolution(), layout, [&printer] { return printer.newPage(); });
    painter.end();
    return pages;
}

std::vector<QImage> PrintedPages(const qr::TQRCode& shown, const QPageLayout& page,
                                 const TPrintLayout& layout, int modulePixels,
                                 int* drawnModulePixels) {
    std::vector<QImage> pages;
    if (!Printable(shown) || modulePixels < 1) return pages;
    const double moduleMm = std::clamp(layout.ModuleMm, kMinModuleMm, kMaxModuleMm);
    // Small modules on a large page would take a picture of tens of megapixels: the
    // resolution is held to what keeps a page near eight, and the reader enlarges.
    const QRectF inches = page.paintRect(QPageLayout::Inch);
    const double most = std::sqrt(8e6 / std::max(1.0, inches.width() * inches.height()));
    const int resolution = std::max(
        1,
        static_cast<int>(std::min(std::lround(modulePixels * 25.4 / moduleMm), std::lround(most))));
    if (drawnModulePixels)
        *drawnModulePixels =
            std::max(1, static_cast<int>(resolution * moduleMm / 25.4)); // rounded down
    const QRect area = page.paintRectPixels(resolution);
    const auto blank = [&] {
        QImage image(area.size(), QImage::Format_Grayscale8);
        image.fill(255);
        const int perMetre = static_cast<int>(std::lround(resolution / 0.0254));
        image.setDotsPerMeterX(perMetre);
        image.setDotsPerMeterY(perMetre);
        return image;
    };
    pages.push_back(blank());
    QPainter painter(&pages.back());
    DrawPages(shown, painter, area, resolution, layout, [&] {
        painter.end();
        pages.push_back(blank());
        return painter.begin(&pages.back());
    });
    painter.end();
    return pages;
}

QImage GridImage(const qr::engine::TModuleGrid& grid, int modulePixels) {
    if (modulePixels < 1) return {};
    QImage image(grid.Width * modulePixels, grid.Height * modulePixels, QImage::Format_Grayscale8);
    image.fill(255);
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x)
            if (grid.IsDark(x / modulePixels, y / modulePixels)) line[x] = 0;
    }
    return image;
}

QImage SymbolImage(const qr::engine::TSymbolModules& symbols, int s, int modulePixels) {
    if (modulePixels < 1 || s < 1 || s > static_cast<int>(symbols.Built.size()) ||
        !symbols.Built[static_cast<std::size_t>(s - 1)])
        return {};
    return GridImage(qr::engine::LayOutSymbols(symbols, {}, s, 1), modulePixels);
}
