#include "qr/picture_output.h"

#include <QBuffer>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "qr/svg_writer.h"

namespace qr {
namespace {

constexpr int kScreenDpi = 96;

bool Replayable(const platform::TMetafile& metafile) {
    return !metafile.Empty() && !metafile.Recording();
}

} // namespace

QByteArray MetafileToSvg(const platform::TMetafile& metafile, const QString& title) {
    if (!Replayable(metafile)) return {};
    return PictureToSvg(metafile.Picture(), QSize(metafile.Width(), metafile.Height()), kScreenDpi,
                        title);
}

QByteArray MetafileToPdf(const platform::TMetafile& metafile, const QString& title) {
    if (!Replayable(metafile)) return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kScreenDpi);
        writer.setCreator(QStringLiteral("Varoku"));
        if (!title.isEmpty()) writer.setTitle(title);
        const QSizeF points(metafile.Width() * 72.0 / kScreenDpi,
                            metafile.Height() * 72.0 / kScreenDpi);
        writer.setPageLayout(QPageLayout(QPageSize(points, QPageSize::Point), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer)) return {};
        painter.drawPicture(0, 0, metafile.Picture());
        painter.end();
    }
    return bytes;
}

QImage MetafileToImage(const platform::TMetafile& metafile, const QColor& background) {
    if (!Replayable(metafile)) return {};
    QImage image(metafile.Width(), metafile.Height(), QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.drawPicture(0, 0, metafile.Picture());
    painter.end();
    return image;
}

QByteArray ImageToPng(const QImage& image) {
    if (image.isNull()) return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace qr
