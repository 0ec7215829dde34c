#include "app/code_pictures.h"

#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "platform/shift_jis.h"
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
    if (!shown.SymbolDisped()) return nullptr;
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
    copy->SetVersion(shown.Version());
    copy->SetEclevel(shown.Eclevel());
    copy->SetEmode(shown.Emode());
    copy->SetEci(shown.Eci());
    copy->SetSegments(shown.Segments());
    copy->SetMasktype(shown.Masktype());
    copy->SetPxmag(shown.Pxmag());
    copy->SetMode(shown.Mode());
    copy->SetCount(shown.Count());
    copy->SetBinaryOperation(shown.BinaryOperation());
    copy->SetCode(shown.Code());
    copy->SetSymbolEnabled(true);

    // A copy that split the text elsewhere would put different symbols in the file than
    // the window shows; better no file than that.
    const auto& drawn = copy->Engine();
    const auto& wanted = shown.Engine();
    if (!copy->SymbolDisped() || drawn.Count() != wanted.Count()) return nullptr;
    for (int k = 0; k <= wanted.Count(); ++k)
        if (drawn.Offset(k) != wanted.Offset(k)) return nullptr;
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

int PrintCode(const qr::TQRCode& shown, QPrinter& printer, const TPrintLayout& layout) {
    // One symbol to a row of the recording, so each cell (symbol and captions) can be
    // cut out and placed on the page by itself.
    const std::unique_ptr<qr::TQRCode> copy = DrawingCopy(shown, true, 1);
    if (!copy) return 0;
    const platform::TMetafile* picture = copy->MetafilePicture();
    if (!picture) return 0;
    const int count = copy->Count();
    const int cellW = copy->SymbolWidthS();
    const int cellH = copy->SymbolHeightS();
    const int left = copy->SymbolLeft();
    const int top = copy->SymbolTop();

    const double moduleMm = std::clamp(layout.ModuleMm, kMinModuleMm, kMaxModuleMm);
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    // Device pixels per picture pixel; a picture pixel is 1/Pxmag of a module.
    double scale = moduleMm / copy->Pxmag() / 25.4 * printer.resolution();
    scale = std::min({scale, area.width() / cellW, area.height() / cellH});
    const double w = cellW * scale;
    const double h = cellH * scale;
    const int perRow = std::max(1, static_cast<int>(area.width() / w));
    const int perColumn = std::max(1, static_cast<int>(area.height() / h));
    const int perPage = layout.SymbolPerPage ? 1 : perRow * perColumn;

    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    int pages = 1;
    for (int k = 1; k <= count; ++k) {
        const int slot = (k - 1) % perPage;
        if (k > 1 && slot == 0) {
            if (!printer.newPage()) break;
            ++pages;
        }
        painter.save();
        painter.translate((slot % perRow) * w, (slot / perRow) * h);
        painter.scale(scale, scale);
        painter.setClipRect(QRect(0, 0, cellW, cellH));
        painter.translate(-left, -top - (k - 1) * cellH);
        // A recording replays scaled by the device's resolution over its own; undo that,
        // the scale above already says how large a picture pixel is on paper.
        const double replay =
            static_cast<double>(picture->Picture().logicalDpiX()) / printer.logicalDpiX();
        painter.scale(replay, replay);
        painter.drawPicture(0, 0, picture->Picture());
        painter.restore();
    }
    painter.end();
    return pages;
}

QImage SymbolImage(qr::engine::TQRSymbolEngine& engine, int s, int modulePixels) {
    if (modulePixels < 1 || s < 1 || s > engine.Count()) return {};
    if (engine.BuildSymbolFrom(engine.Slice(s), s) != qr::engine::brBuilt) return {};
    const int modules = engine.Modules();
    const int side = (modules + 8) * modulePixels;
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(255);
    for (int y = 0; y < side; ++y) {
        uchar* line = image.scanLine(y);
        const int row = y / modulePixels - 4;
        for (int x = 0; x < side; ++x)
            if (engine.IsDark(row, x / modulePixels - 4)) line[x] = 0;
    }
    return image;
}
