#include "qr/svg_writer.h"

#include <QBuffer>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QTransform>

#include <cmath>
#include <optional>
#include <string>

namespace qr {
namespace {

// Coordinates of whole pixels (all the component draws) are written exactly, whatever
// their size; anything else (text positions) with six significant digits, where SVG
// pictures have always put Qt's text, so captions stand where they always stood.
void AppendNumber(QByteArray& out, qreal v) {
    if (v == std::floor(v) && std::fabs(v) < 1e15) {
        out += std::to_string(static_cast<long long>(v)).c_str();
    } else {
        out += QByteArray::number(v, 'g', 6);
    }
}

QByteArray ColorText(const QColor& color) {
    return color.name(QColor::HexRgb).toLatin1();
}

// fill="..." (and its opacity) for a brush; none for no brush.
QByteArray FillAttributes(const QBrush& brush) {
    if (brush.style() == Qt::NoBrush) return "fill=\"none\"";
    QByteArray out = "fill=\"" + ColorText(brush.color()) + "\"";
    if (brush.color().alpha() != 255) {
        out += " fill-opacity=\"";
        AppendNumber(out, brush.color().alphaF());
        out += "\"";
    }
    return out;
}

QByteArray StrokeAttributes(const QPen& pen) {
    if (pen.style() == Qt::NoPen || pen.brush().style() == Qt::NoBrush) return {};
    QByteArray out = " stroke=\"" + ColorText(pen.color()) + "\"";
    if (pen.color().alpha() != 255) {
        out += " stroke-opacity=\"";
        AppendNumber(out, pen.color().alphaF());
        out += "\"";
    }
    out += " stroke-width=\"";
    // A zero width is Qt's cosmetic pen: one pixel.
    AppendNumber(out, pen.widthF() > 0 ? pen.widthF() : 1.0);
    out += "\"";
    switch (pen.capStyle()) {
    case Qt::FlatCap:
        break;
    case Qt::RoundCap:
        out += " stroke-linecap=\"round\"";
        break;
    default:
        out += " stroke-linecap=\"square\"";
        break;
    }
    switch (pen.joinStyle()) {
    case Qt::RoundJoin:
        out += " stroke-linejoin=\"round\"";
        break;
    case Qt::BevelJoin:
        out += " stroke-linejoin=\"bevel\"";
        break;
    default:
        break;
    }
    return out;
}

QByteArray TransformAttribute(const QTransform& t) {
    if (t.isIdentity()) return {};
    QByteArray out = " transform=\"matrix(";
    const qreal m[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    for (int i = 0; i < 6; ++i) {
        if (i > 0) out += ',';
        AppendNumber(out, m[i]);
    }
    return out + ")\"";
}

QByteArray Escaped(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    // XML allows no other control characters, and a reader refuses the whole file
    // for one of them.
    for (const QChar ch : text)
        if (ch.unicode() >= 0x20 || ch == u'\t' || ch == u'\n' || ch == u'\r') kept += ch;
    return kept.toHtmlEscaped().toUtf8();
}

// The rectangle a path outlines as QPainterPath::addRect does (clockwise on screen
// from the top left corner), or nothing.
std::optional<QRectF> AsRectangle(const QPainterPath& path) {
    if (path.elementCount() != 5) return std::nullopt;
    QPointF p[5];
    for (int i = 0; i < 5; ++i) {
        const QPainterPath::Element& e = path.elementAt(i);
        if (e.type != (i == 0 ? QPainterPath::MoveToElement : QPainterPath::LineToElement))
            return std::nullopt;
        p[i] = e;
    }
    const bool rectangle = p[1].y() == p[0].y() && p[2].x() == p[1].x() && p[3].y() == p[2].y() &&
                           p[3].x() == p[0].x() && p[4] == p[0];
    if (!rectangle || p[1].x() <= p[0].x() || p[2].y() <= p[1].y()) return std::nullopt;
    return QRectF(p[0], p[2]);
}

class TSvgEngine : public QPaintEngine {
public:
    TSvgEngine()
        : QPaintEngine(QPaintEngine::AllFeatures &
                       ~(QPaintEngine::PatternBrush | QPaintEngine::PerspectiveTransform |
                         QPaintEngine::ConicalGradientFill | QPaintEngine::PorterDuff)) {}

    QByteArray Body;

    bool begin(QPaintDevice*) override {
        Body.clear();
        run_.clear();
        return true;
    }
    bool end() override {
        Flush();
        return true;
    }
    Type type() const override { return QPaintEngine::SVG; }

    void updateState(const QPaintEngineState& s) override {
        const auto dirty = s.state();
        if (dirty & DirtyBrush) brush_ = s.brush();
        if (dirty & DirtyPen) pen_ = s.pen();
        if (dirty & DirtyTransform) transform_ = s.transform();
    }

    void drawRects(const QRect* rects, int count) override {
        for (int i = 0; i < count; ++i)
            AddRect(QRectF(rects[i]));
    }
    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i)
            AddRect(rects[i]);
    }

    void drawPath(const QPainterPath& path) override {
        // A recording keeps filled rectangles as paths of this shape.
        if (const auto rect = AsRectangle(path)) {
            AddRect(*rect);
            return;
        }
        WritePath(path);
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        if (count <= 0) return;
        QPainterPath path(points[0]);
        for (int i = 1; i < count; ++i)
            path.lineTo(points[i]);
        if (mode == PolylineMode) {
            const QBrush brush = brush_;
            brush_ = Qt::NoBrush;
            WritePath(path);
            brush_ = brush;
            return;
        }
        path.closeSubpath();
        path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        drawPath(path);
    }
    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override {
        QPolygonF polygon;
        polygon.reserve(count);
        for (int i = 0; i < count; ++i)
            polygon << QPointF(points[i]);
        drawPolygon(polygon.constData(), count, mode);
    }

    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        // Text takes the pen's colour, so without a pen there is nothing to see.
        if (pen_.style() == Qt::NoPen) return;
        Flush();
        const QFont font = item.font();
        Body += "<text fill=\"" + ColorText(pen_.color()) + "\"";
        if (pen_.color().alpha() != 255) {
            Body += " fill-opacity=\"";
            AppendNumber(Body, pen_.color().alphaF());
            Body += "\"";
        }
        Body += TransformAttribute(transform_);
        Body += " xml:space=\"preserve\" x=\"";
        AppendNumber(Body, p.x());
        Body += "\" y=\"";
        AppendNumber(Body, p.y());
        Body += "\" font-family=\"" + Escaped(font.family()) + "\" font-size=\"";
        AppendNumber(Body, font.pixelSize() > 0 ? font.pixelSize()
                                                : font.pointSizeF() * resolution_ / 72.0);
        Body += "\" font-weight=\"" + QByteArray::number(font.weight()) + "\" font-style=\"" +
                (font.italic() ? "italic" : "normal") + "\">" + Escaped(item.text()) + "</text>\n";
    }

    void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& source) override {
        Flush();
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        pixmap.copy(source.toAlignedRect()).save(&buffer, "PNG");
        Body += "<image" + TransformAttribute(transform_) + " x=\"";
        AppendNumber(Body, r.x());
        Body += "\" y=\"";
        AppendNumber(Body, r.y());
        Body += "\" width=\"";
        AppendNumber(Body, r.width());
        Body += "\" height=\"";
        AppendNumber(Body, r.height());
        Body += "\" preserveAspectRatio=\"none\" xlink:href=\"data:image/png;base64,";
        Body += png.toBase64() + "\"/>\n";
    }

    void SetResolution(int dpi) { resolution_ = dpi; }

private:
    void WritePath(const QPainterPath& path) {
        Flush();
        if (path.isEmpty()) return;
        Body += "<path " + FillAttributes(brush_) + StrokeAttributes(pen_) +
                TransformAttribute(transform_);
        if (path.fillRule() == Qt::OddEvenFill) Body += " fill-rule=\"evenodd\"";
        Body += " d=\"";
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element& e = path.elementAt(i);
            switch (e.type) {
            case QPainterPath::MoveToElement:
                Body += 'M';
                break;
            case QPainterPath::LineToElement:
                Body += 'L';
                break;
            case QPainterPath::CurveToElement:
                Body += 'C';
                break;
            case QPainterPath::CurveToDataElement:
                Body += ' ';
                break;
            }
            AppendNumber(Body, e.x);
            Body += ' ';
            AppendNumber(Body, e.y);
        }
        Body += "\"/>\n";
    }

    // A filled rectangle joins the run of rectangles before it when it has the same
    // fill and place; with a pen it is a path of its own.
    void AddRect(const QRectF& rect) {
        if (rect.isEmpty() || brush_.style() == Qt::NoBrush) {
            if (!rect.isEmpty() && pen_.style() != Qt::NoPen) {
                QPainterPath path;
                path.addRect(rect);
                WritePath(path);
            }
            return;
        }
        if (pen_.style() != Qt::NoPen) {
            QPainterPath path;
            path.addRect(rect);
            WritePath(path);
            return;
        }
        const QByteArray head = "<path " + FillAttributes(brush_) + TransformAttribute(transform_);
        if (head != runHead_ || runCount_ == kRectanglesPerSvgPath) Flush();
        runHead_ = head;
        // Same-turning rectangles under the nonzero rule: overlaps stay filled.
        run_ += 'M';
        AppendNumber(run_, rect.x());
        run_ += ' ';
        AppendNumber(run_, rect.y());
        run_ += 'h';
        AppendNumber(run_, rect.width());
        run_ += 'v';
        AppendNumber(run_, rect.height());
        run_ += 'h';
        AppendNumber(run_, -rect.width());
        run_ += 'z';
        ++runCount_;
    }

    void Flush() {
        if (run_.isEmpty()) return;
        Body += runHead_ + " d=\"" + run_ + "\"/>\n";
        run_.clear();
        runHead_.clear();
        runCount_ = 0;
    }

    QBrush brush_;
    QPen pen_;
    QTransform transform_;
    int resolution_ = 96;
    QByteArray runHead_;
    QByteArray run_;
    int runCount_ = 0;
};

class TSvgDevice : public QPaintDevice {
public:
    TSvgDevice(QSize size, int dpi) : size_(size), dpi_(dpi) { engine_.SetResolution(dpi); }
    QPaintEngine* paintEngine() const override { return &engine_; }
    const QByteArray& Body() const { return engine_.Body; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return qRound(size_.width() * 25.4 / dpi_);
        case PdmHeightMM:
            return qRound(size_.height() * 25.4 / dpi_);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return dpi_;
        case PdmNumColors:
            return 0xFFFFFFFF;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(m);
        }
    }

private:
    QSize size_;
    int dpi_;
    mutable TSvgEngine engine_;
};

} // namespace

QByteArray PictureToSvg(const QPicture& picture, QSize size, int dpi, const QString& title) {
    if (size.isEmpty() || dpi <= 0) return {};
    TSvgDevice device(size, dpi);
    QPainter painter;
    if (!painter.begin(&device)) return {};
    painter.drawPicture(0, 0, picture);
    painter.end();

    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<svg width=\"";
    out += QByteArray::number(size.width() * 25.4 / dpi, 'g', 6) + "mm\" height=\"";
    out += QByteArray::number(size.height() * 25.4 / dpi, 'g', 6) + "mm\"\n viewBox=\"0 0 ";
    out += QByteArray::number(size.width()) + ' ' + QByteArray::number(size.height());
    out += "\"\n xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
           "version=\"1.2\" baseProfile=\"tiny\">\n";
    if (!title.isEmpty()) out += "<title>" + Escaped(title) + "</title>\n";
    out += device.Body();
    out += "</svg>\n";
    return out;
}

} // namespace qr
