#include "platform/image_control.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/font_mapping.h"

namespace platform {
namespace {

// Windows system colour indices (COLOR_WINDOW ...) onto the nearest palette role.
QColor SystemColor(int index) {
    const QPalette palette =
        QGuiApplication::instance() ? QGuiApplication::palette() : QPalette(Qt::white);
    switch (index) {
    case 5:
        return palette.color(QPalette::Base); // window
    case 7:                                   // menu text
    case 8:
        return palette.color(QPalette::Text); // window text
    case 13:
        return palette.color(QPalette::Highlight);
    case 14:
        return palette.color(QPalette::HighlightedText);
    case 15:
        return palette.color(QPalette::Button); // button face
    case 16:
        return palette.color(QPalette::Mid); // button shadow
    case 17:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 9: // caption text
    case 18:
        return palette.color(QPalette::ButtonText);
    case 20:
        return palette.color(QPalette::Light); // button highlight
    case 21:
        return palette.color(QPalette::Shadow);
    case 22:
        return palette.color(QPalette::Midlight);
    case 23:
        return palette.color(QPalette::ToolTipText);
    case 24:
        return palette.color(QPalette::ToolTipBase);
    default:
        return palette.color(QPalette::Window);
    }
}

} // namespace

QColor ColorToQColor(TColor color) {
    if ((color >> 24) == 0xFF) return SystemColor(static_cast<int>(color & 0xFF));
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

TColor QColorToColor(const QColor& color) {
    const QRgb rgb = color.rgb();
    return static_cast<TColor>(qRed(rgb)) | (static_cast<TColor>(qGreen(rgb)) << 8) |
           (static_cast<TColor>(qBlue(rgb)) << 16);
}

QFont TFont::ToQFont() const {
    QFont font(MapFontFamily(Name));
    int pixels = std::abs(Height);
    if (Height > 0) {
        // A positive height is the whole cell; take off the internal leading the way
        // Windows does, by the family's own proportion of em to cell.
        QFont probe = font;
        probe.setPixelSize(100);
        const QFontMetrics metrics(probe);
        const int cell = metrics.ascent() + metrics.descent();
        if (cell > 0) pixels = static_cast<int>(std::lround(Height * 100.0 / cell));
    }
    font.setPixelSize(std::max(1, pixels));
    font.setBold(Bold);
    font.setItalic(Italic);
    font.setUnderline(Underline);
    font.setStrikeOut(StrikeOut);
    return font;
}

// ---- TCanvas ----------------------------------------------------------------------

TCanvas::~TCanvas() {
    Release();
}

void TCanvas::SetFont(const TFont& font) {
    if (font == font_) return;
    font_ = font;
    qfont_ = font_.ToQFont();
    if (painter_) painter_->setFont(qfont_);
}

QPainter* TCanvas::Painter() {
    if (!painter_) {
        if (!device_->paintEngine()) return nullptr;
        painter_ = std::make_unique<QPainter>(device_);
        painter_->setFont(qfont_);
        painter_->setPen(Qt::NoPen);
    }
    return painter_.get();
}

void TCanvas::Release() {
    if (!painter_) return;
    painter_->end();
    painter_.reset();
}

void TCanvas::FillRect(int left, int top, int right, int bottom, TColor color) {
    if (right <= left || bottom <= top) return;
    const QRect rect(left, top, right - left, bottom - top);
    FillRects(&rect, 1, color);
}

void TCanvas::FillRects(const QRect* rects, int count, TColor color) {
    if (count <= 0) return;
    QPainter* painter = Painter();
    if (!painter) return;
    // The brush changes only with the colour, so a recording holds one state change
    // for a whole run of rectangles instead of one per rectangle.
    const QColor qcolor = ColorToQColor(color);
    if (painter->brush().style() != Qt::SolidPattern || painter->brush().color() != qcolor) {
        painter->setBrush(qcolor);
    }
    painter->drawRects(rects, count);
}

QFontMetrics TCanvas::Metrics() const {
    // An empty bitmap has no resolution to measure against; pixel-sized fonts measure
    // the same on the screen.
    return device_->paintEngine() ? QFontMetrics(qfont_, device_) : QFontMetrics(qfont_);
}

QSize TCanvas::TextExtent(const QString& text) {
    if (text.isEmpty()) return QSize(0, 0);
    const QFontMetrics metrics = Metrics();
    return QSize(metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent());
}

void TCanvas::TextOut(int x, int y, const QString& text, TColor background) {
    QPainter* painter = text.isEmpty() ? nullptr : Painter();
    if (!painter) return;
    const QFontMetrics metrics = Metrics();
    const QSize extent = TextExtent(text);
    FillRect(x, y, x + extent.width(), y + extent.height(), background);
    painter->setPen(ColorToQColor(font_.Color));
    painter->drawText(x, y + metrics.ascent(), text);
    painter->setPen(Qt::NoPen);
}

// ---- TBitmap ----------------------------------------------------------------------

TBitmap::TBitmap(QImage image) : image_(std::move(image)), canvas_(&image_) {
    if (!image_.isNull()) format_ = image_.format();
}

void TBitmap::SetSize(int width, int height) {
    canvas_.Release();
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == image_.width() && height == image_.height()) return;
    if (width == 0 || height == 0) {
        image_ = QImage();
        return;
    }
    QImage resized(width, height, format_);
    if (resized.format() == QImage::Format_Indexed8) resized.setColorTable(image_.colorTable());
    resized.fill(Qt::white);
    if (!image_.isNull()) {
        QPainter painter(&resized);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, image_);
    }
    image_ = std::move(resized);
}

void TBitmap::SetPixelFormat(QImage::Format format) {
    canvas_.Release();
    format_ = format;
    if (!image_.isNull() && image_.format() != format) image_ = image_.convertToFormat(format);
}

std::uint8_t* TBitmap::ScanLine(int y) {
    canvas_.Release();
    return image_.scanLine(y);
}

const QImage& TBitmap::Image() {
    canvas_.Release();
    return image_;
}

// ---- TMetafile --------------------------------------------------------------------

TCanvas& TMetafile::BeginRecording() {
    canvas_.Release();
    picture_ = QPicture();
    canvas_.Painter();
    return canvas_;
}

void TMetafile::EndRecording() {
    if (!canvas_.Active()) return;
    canvas_.Release();
    picture_.setBoundingRect(QRect(0, 0, std::max(0, width_), std::max(0, height_)));
}

// ---- TPicture ---------------------------------------------------------------------

TBitmap& TPicture::Bitmap() {
    if (kind_ != Kind::Bitmap || !bitmap_) {
        metafile_.reset();
        bitmap_ = std::make_unique<TBitmap>();
        kind_ = Kind::Bitmap;
        Changed();
    }
    return *bitmap_;
}

TMetafile& TPicture::Metafile() {
    if (kind_ != Kind::Metafile || !metafile_) {
        bitmap_.reset();
        metafile_ = std::make_unique<TMetafile>();
        kind_ = Kind::Metafile;
        Changed();
    }
    return *metafile_;
}

void TPicture::SetBitmap(QImage image) {
    metafile_.reset();
    bitmap_ = std::make_unique<TBitmap>(std::move(image));
    kind_ = Kind::Bitmap;
    Changed();
}

void TPicture::Clear() {
    if (kind_ == Kind::None) return;
    bitmap_.reset();
    metafile_.reset();
    kind_ = Kind::None;
    Changed();
}

QSize TPicture::Size() const {
    switch (kind_) {
    case Kind::Bitmap:
        return QSize(bitmap_->Width(), bitmap_->Height());
    case Kind::Metafile:
        return QSize(metafile_->Width(), metafile_->Height());
    case Kind::None:
        break;
    }
    return QSize(0, 0);
}

void TPicture::Draw(QPainter& painter, const QRect* target) {
    switch (kind_) {
    case Kind::Bitmap: {
        const QImage& image = bitmap_->Image();
        if (image.isNull()) return;
        if (target) {
            painter.drawImage(*target, image);
        } else {
            painter.drawImage(0, 0, image);
        }
        return;
    }
    case Kind::Metafile: {
        // A recording still open has nothing to show yet.
        if (metafile_->Recording() || metafile_->Empty()) return;
        painter.save();
        if (target) {
            painter.translate(target->topLeft());
            painter.scale(double(target->width()) / metafile_->Width(),
                          double(target->height()) / metafile_->Height());
        }
        painter.drawPicture(0, 0, metafile_->Picture());
        painter.restore();
        return;
    }
    case Kind::None:
        return;
    }
}

// ---- TImage -----------------------------------------------------------------------

TImage::TImage(QWidget* parent) : QWidget(parent) {
    resize(105, 105);
    picture_.OnChange = [this] { PictureChanged(); };
}

TImage::~TImage() {
    picture_.OnChange = nullptr;
}

// A layout that holds the control asks its size hint, which follows the set size.
void TImage::SetWidth(int width) {
    resize(std::max(0, width), height());
    updateGeometry();
}

void TImage::SetHeight(int height) {
    resize(width(), std::max(0, height));
    updateGeometry();
}

void TImage::SetAutoSize(bool on) {
    autoSize_ = on;
    if (on) PictureChanged();
}

void TImage::SetStretch(bool on) {
    if (stretch_ == on) return;
    stretch_ = on;
    update();
}

void TImage::PictureChanged() {
    if (autoSize_ && picture_.HasGraphic()) {
        const QSize size = picture_.Size();
        if (size.width() > 0 && size.height() > 0) {
            resize(size);
            updateGeometry();
        }
    }
    update();
}

void TImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (stretch_) {
        const QRect target = rect();
        picture_.Draw(painter, &target);
    } else {
        picture_.Draw(painter);
    }
}

} // namespace platform
