// The component's pictures as files and clipboard data: a recorded vector picture as
// SVG (the stand-in for an enhanced metafile) or PDF (the stand-in for a classic
// Windows metafile), and any picture as a raster image or PNG bytes.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include "platform/image_control.h"

namespace qr {

inline constexpr const char* kMimeSvg = "image/svg+xml";
inline constexpr const char* kMimePdf = "application/pdf";
inline constexpr const char* kMimePng = "image/png";

// The recording replayed into SVG, sized to the metafile in pixels. Empty when the
// metafile is empty or still recording.
QByteArray MetafileToSvg(const platform::TMetafile& metafile, const QString& title = {});

// The recording replayed into a one-page PDF whose page is the metafile at screen
// resolution (96 pixels to the inch). Empty when the metafile is empty or recording.
QByteArray MetafileToPdf(const platform::TMetafile& metafile, const QString& title = {});

// The recording rendered into a 32-bit bitmap of the metafile's size; pixels the
// recording does not cover are `background`. Null for an empty metafile.
QImage MetafileToImage(const platform::TMetafile& metafile, const QColor& background);

// PNG bytes of an image; empty for a null image.
QByteArray ImageToPng(const QImage& image);

} // namespace qr
