// The image control and its picture: a widget that shows either a raster bitmap (a
// QImage with direct row access) or a recorded vector picture (a QPicture standing in
// for an enhanced metafile), with a canvas that fills rectangles and writes and
// measures text. Also the colour and font values the canvas speaks.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QSize>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

// A colour as the designs give it: red in the low byte, then green, then blue. A value
// whose high byte is 0xFF names a system colour (its low byte is the colour index).
using TColor = std::uint32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;

QColor ColorToQColor(TColor color);
TColor QColorToColor(const QColor& color);

// A canvas font: a Windows face (mapped to an installed family when drawn), a height
// in pixels (negative: character height without internal leading, as Windows counts
// it; positive: cell height), a colour and the styles.
struct TFont {
    QString Name = QStringLiteral("ＭＳ Ｐゴシック");
    int Height = -12;
    TColor Color = clBlack;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;

    QFont ToQFont() const;
    bool operator==(const TFont&) const = default;
};

// A drawing surface on a bitmap or on a recording. The painter is opened on first use
// and closed by Release(), which the owner calls before it resizes or replaces the
// surface or reads its pixels.
class TCanvas {
public:
    explicit TCanvas(QPaintDevice* device) : device_(device) {}
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);

    // Fills left <= x < right, top <= y < bottom with a solid colour.
    void FillRect(int left, int top, int right, int bottom, TColor color);
    // Fills several rectangles (as QRect: left, top, width, height) in one colour.
    void FillRects(const QRect* rects, int count, TColor color);
    // Writes text with its upper-left corner at (x, y) in Font(), the box that
    // TextExtent reports filled with `background` behind the glyphs.
    void TextOut(int x, int y, const QString& text, TColor background);
    // Width and height of text in Font(); (0, 0) for an empty text.
    QSize TextExtent(const QString& text);

    bool Active() const { return painter_ != nullptr; }
    void Release();
    // The open painter, opened if need be; nullptr for a surface that cannot be drawn
    // on (an empty bitmap).
    QPainter* Painter();

private:
    QFontMetrics Metrics() const;

    QPaintDevice* device_;
    std::unique_ptr<QPainter> painter_;
    TFont font_;
    QFont qfont_ = font_.ToQFont();
};

// A raster bitmap. A new bitmap holds no image (Empty) until it is given a size.
class TBitmap {
public:
    TBitmap() : canvas_(&image_) {}
    explicit TBitmap(QImage image);

    bool Empty() const { return image_.isNull(); }
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    // Resizes, keeping the pixels that still fit; new pixels are white. A size of 0
    // in either direction leaves the bitmap empty.
    void SetSize(int width, int height);
    // Pixel format; changing it converts the pixels. An empty bitmap remembers the
    // format for its first size. The component draws in QImage::Format_RGB32.
    QImage::Format PixelFormat() const { return format_; }
    void SetPixelFormat(QImage::Format format);

    // Direct access to row y (0 at the top).
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const { return image_.constScanLine(y); }

    // The finished image, with any drawing in progress flushed.
    const QImage& Image();
    TCanvas& Canvas() { return canvas_; }

private:
    QImage image_;
    QImage::Format format_ = QImage::Format_RGB32;
    TCanvas canvas_;
};

// A recorded vector picture with its own width and height in screen pixels. Recording
// starts afresh with BeginRecording and the picture holds it after EndRecording.
class TMetafile {
public:
    TMetafile() : canvas_(&picture_) {}

    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetWidth(int width) { width_ = width; }
    void SetHeight(int height) { height_ = height; }

    TCanvas& BeginRecording();
    void EndRecording();
    bool Recording() const { return canvas_.Active(); }

    // The recording; replay it with QPainter::drawPicture into any paint device
    // (a widget, an image, the SVG writer, QPdfWriter).
    const QPicture& Picture() const { return picture_; }

private:
    QPicture picture_;
    TCanvas canvas_;
    int width_ = 0;
    int height_ = 0;
};

// What an image control shows: nothing, a bitmap or a metafile.
class TPicture {
public:
    enum class Kind { None, Bitmap, Metafile };

    Kind GraphicKind() const { return kind_; }
    bool HasGraphic() const { return kind_ != Kind::None; }
    // The bitmap; a picture that holds something else gets a new, empty bitmap.
    TBitmap& Bitmap();
    // The metafile; a picture that holds something else gets a new, empty metafile.
    TMetafile& Metafile();
    // Replaces whatever the picture holds by this image as its bitmap.
    void SetBitmap(QImage image);
    // Empties the picture.
    void Clear();
    // Size of the graphic; (0, 0) when there is none.
    QSize Size() const;
    // Draws the graphic at (0, 0), optionally scaled into `target`.
    void Draw(QPainter& painter, const QRect* target = nullptr);

    std::function<void()> OnChange;

    void Changed() {
        if (OnChange) OnChange();
    }

private:
    Kind kind_ = Kind::None;
    std::unique_ptr<TBitmap> bitmap_;
    std::unique_ptr<TMetafile> metafile_;
};

// The image control: shows its picture at the top-left corner, unscaled unless
// Stretch is on. With AutoSize on it takes the size of every new picture.
class TImage : public QWidget {
public:
    explicit TImage(QWidget* parent = nullptr);
    ~TImage() override;

    TPicture& Picture() { return picture_; }
    // The canvas of the picture's bitmap (the picture becomes a bitmap if needed).
    TCanvas& Canvas() { return picture_.Bitmap().Canvas(); }

    int Width() const { return width(); }
    int Height() const { return height(); }
    void SetWidth(int width);
    void SetHeight(int height);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);
    // Schedules a repaint of the control.
    void Invalidate() { update(); }

    QSize sizeHint() const override { return size(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void PictureChanged();

private:
    TPicture picture_;
    bool autoSize_ = false;
    bool stretch_ = false;
};

} // namespace platform
