// The image control, its picture and canvas, and the Windows font faces.
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include "platform/font_mapping.h"
#include "platform/image_control.h"
#include "tests/support/qt_app.h"

namespace {

using platform::TBitmap;
using platform::TImage;
using platform::TMetafile;
using platform::TPicture;

class ImageControl : public ::testing::Test {
protected:
    void SetUp() override { test_support::EnsureQtApp(); }
};

int CountColor(const QImage& image, QRgb rgb) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF);
    }
    return n;
}

TEST_F(ImageControl, ColoursKeepRedInTheLowByte) {
    EXPECT_EQ(platform::ColorToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(platform::ColorToQColor(0x00FF00), QColor(0, 255, 0));
    EXPECT_EQ(platform::ColorToQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(platform::QColorToColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
    // A system colour follows the palette, not its low bytes.
    EXPECT_EQ(platform::ColorToQColor(0xFF000005),
              QGuiApplication::palette().color(QPalette::Base));
}

TEST_F(ImageControl, FillRectCoversStartAndExcludesEnd) {
    struct Row {
        int left, top, right, bottom;
        int filled;
    };
    const Row rows[] = {
        {0, 0, 1, 1, 1},      {2, 3, 7, 5, 10}, {5, 5, 5, 9, 0}, // empty width
        {8, 8, 4, 9, 0},                                         // reversed
        {-3, -3, 2, 2, 4},                                       // clipped at the corner
        {15, 10, 40, 30, 25},                                    // clipped at the far side
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << row.left << "," << row.top << " - " << row.right << "," << row.bottom);
        TBitmap bitmap;
        bitmap.SetSize(20, 15);
        bitmap.Canvas().FillRect(row.left, row.top, row.right, row.bottom, 0x0000FF);
        const QImage& image = bitmap.Image();
        EXPECT_EQ(CountColor(image, qRgb(255, 0, 0)), row.filled);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const bool inside =
                    x >= row.left && x < row.right && y >= row.top && y < row.bottom;
                ASSERT_EQ(image.pixel(x, y) == qRgb(255, 0, 0), inside) << x << "," << y;
            }
        }
    }
}

TEST_F(ImageControl, TextOutFillsExactlyTheMeasuredBoxBehindTheGlyphs) {
    TBitmap bitmap;
    bitmap.SetSize(200, 60);
    platform::TFont font;
    font.Height = -16;
    font.Color = 0xFF0000; // blue glyphs
    bitmap.Canvas().SetFont(font);
    const QString text = QString::fromUtf8("QR コード");
    const QSize extent = bitmap.Canvas().TextExtent(text);
    ASSERT_GT(extent.width(), 40);
    EXPECT_GE(extent.height(), 16);
    bitmap.Canvas().TextOut(7, 9, text, 0x00FF00);
    const QImage& image = bitmap.Image();

    int outside = 0;
    int glyph = 0;
    const QRect box(QPoint(7, 9), extent);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            if (!box.contains(x, y)) {
                outside += p != 0xFFFFFF;
            } else {
                glyph += qBlue(p) > 128 && qGreen(p) < 128;
            }
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(glyph, 20);
    EXPECT_EQ(image.pixel(7, 9) & 0xFFFFFF, 0x00FF00u); // background box corner

    EXPECT_EQ(bitmap.Canvas().TextExtent(QString()), QSize(0, 0));
}

TEST_F(ImageControl, BitmapResizeKeepsWhatStillFits) {
    TBitmap bitmap;
    EXPECT_TRUE(bitmap.Empty());
    bitmap.SetSize(10, 10);
    bitmap.Canvas().FillRect(0, 0, 10, 10, 0x000000);
    bitmap.SetSize(20, 5);
    const QImage& image = bitmap.Image();
    EXPECT_EQ(image.size(), QSize(20, 5));
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(CountColor(image, 0x000000), 50);
    EXPECT_EQ(CountColor(image, 0xFFFFFF), 50);
    bitmap.SetSize(0, 5);
    EXPECT_TRUE(bitmap.Empty());
    // Drawing on an empty bitmap is harmless and does nothing.
    bitmap.Canvas().FillRect(0, 0, 3, 3, 0);
    EXPECT_TRUE(bitmap.Empty());
}

TEST_F(ImageControl, ScanLinesSeeTheDrawing) {
    TBitmap bitmap;
    bitmap.SetSize(4, 2);
    bitmap.Canvas().FillRect(1, 1, 2, 2, 0x0000FF);
    const auto* row = reinterpret_cast<const QRgb*>(bitmap.ScanLine(1));
    EXPECT_EQ(row[1] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(row[0] & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(ImageControl, RecordingReplaysAsTheBitmapDraws) {
    TBitmap bitmap;
    bitmap.SetSize(40, 30);
    TMetafile metafile;
    metafile.SetWidth(40);
    metafile.SetHeight(30);
    platform::TCanvas& recording = metafile.BeginRecording();
    EXPECT_TRUE(metafile.Recording());
    for (platform::TCanvas* canvas : {&bitmap.Canvas(), &recording}) {
        canvas->FillRect(0, 0, 40, 30, 0xFFFFFF);
        canvas->FillRect(3, 4, 17, 9, 0x000000);
        canvas->FillRect(20, 10, 21, 29, 0x0000FF);
    }
    metafile.EndRecording();
    EXPECT_FALSE(metafile.Recording());

    QImage replay(40, 30, QImage::Format_RGB32);
    replay.fill(Qt::gray);
    QPainter painter(&replay);
    painter.drawPicture(0, 0, metafile.Picture());
    painter.end();
    EXPECT_EQ(replay, bitmap.Image());
}

TEST_F(ImageControl, PictureHoldsOneKindAtATimeAndTellsTheControl) {
    TImage control;
    EXPECT_EQ(control.Width(), 105);
    EXPECT_FALSE(control.Picture().HasGraphic());

    control.SetAutoSize(true);
    control.Picture().SetBitmap(QImage(30, 20, QImage::Format_RGB32));
    EXPECT_EQ(control.size(), QSize(30, 20));

    TMetafile& metafile = control.Picture().Metafile();
    EXPECT_EQ(control.Picture().GraphicKind(), TPicture::Kind::Metafile);
    EXPECT_TRUE(metafile.Empty());

    TBitmap& bitmap = control.Picture().Bitmap(); // a new, empty bitmap replaces it
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(control.Picture().GraphicKind(), TPicture::Kind::Bitmap);

    control.SetAutoSize(false);
    control.SetWidth(12);
    control.SetHeight(34);
    EXPECT_EQ(control.size(), QSize(12, 34));
    control.Picture().Clear();
    EXPECT_FALSE(control.Picture().HasGraphic());
}

TEST_F(ImageControl, ControlShowsItsPictureAtTheTopLeftUnscaled) {
    TImage control;
    control.SetWidth(50);
    control.SetHeight(40);
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::red);
    control.Picture().SetBitmap(image);
    QImage shown = control.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(50, 40));
    EXPECT_EQ(shown.pixel(9, 9), qRgb(255, 0, 0));
    EXPECT_NE(shown.pixel(10, 10), qRgb(255, 0, 0));

    control.SetStretch(true);
    shown = control.grab().toImage();
    EXPECT_EQ(shown.pixel(49, 39), qRgb(255, 0, 0));
}

TEST_F(ImageControl, WindowsFacesFindAnInstalledJapaneseFont) {
    struct Row {
        const char* face;
        bool proportional;
    };
    const Row rows[] = {
        {"ＭＳ Ｐゴシック", true}, {"ＭＳ ゴシック", false}, {"MS PGothic", true},
        {"MS UI Gothic", true},    {"ＭＳ 明朝", false},     {"メイリオ", true},
    };
    for (const Row& row : rows) {
        const QString face = QString::fromUtf8(row.face);
        SCOPED_TRACE(face.toStdString());
        const QString mapped = platform::MapFontFamily(face);
        EXPECT_NE(mapped, face);
        const QFont font = platform::WindowsFont(face, 12);
        EXPECT_EQ(QFontInfo(font).family(), mapped);
        EXPECT_EQ(font.pixelSize(), 12);
        const QFontMetrics metrics(font);
        EXPECT_TRUE(metrics.inFontUcs4(U'あ'));
        EXPECT_TRUE(metrics.inFontUcs4(U'漢'));
        // Fixed-pitch faces give a full-width character twice a half-width one.
        if (!row.proportional) {
            EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("ii")),
                      metrics.horizontalAdvance(QStringLiteral("WW")));
        }
    }
    EXPECT_EQ(platform::MapFontFamily(QStringLiteral("DejaVu Sans")),
              QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(platform::MapFontFamily(QStringLiteral("No Such Face")),
              QStringLiteral("No Such Face"));
}

TEST_F(ImageControl, SubstitutionsLetAPlainQFontUseTheWindowsFace) {
    platform::InstallFontSubstitutions();
    const QFont font(QString::fromUtf8("ＭＳ Ｐゴシック"));
    EXPECT_EQ(QFontInfo(font).family(),
              platform::MapFontFamily(QString::fromUtf8("ＭＳ Ｐゴシック")));
}

} // namespace
