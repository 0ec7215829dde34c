// What the component draws: pictures that a real reader decodes in every orientation,
// the grid of linked symbols, failed symbols, and the pixel-level layout facts.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QSvgGenerator>
#include <QSvgRenderer>
#include <QTransform>

#include <random>
#include <string>

#include "platform/shift_jis.h"
#include "qr/engine/detail/symbol_steps.h"
#include "qr/picture_output.h"
#include "qr/picture_transform.h"
#include "tests/qr/qr_test_util.h"

namespace {

using qr::TQRCode;
using qr_test::BoundsOf;
using qr_test::Dark;

constexpr QRgb kGreen = 0x00FF00;
constexpr qr::TColor kGreenColor = 0x00FF00;

std::string Text(int n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 .,:/";
    std::string s;
    for (int i = 0; i < n; ++i)
        s.push_back(alphabet[rng() % alphabet.size()]);
    return s;
}

std::string Slice(const TQRCode& code, int k) {
    const auto bytes = code.Engine().Slice(k);
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

class Drawing : public qr_test::AppTest {
protected:
    // A component that sizes itself to its block and draws once all is set.
    void Configure(int version, int pxmag) {
        code.SetSymbolEnabled(false);
        code.SetMatch(true);
        code.SetVersion(version);
        code.SetPxmag(pxmag);
    }

    TQRCode code;
};

TEST_F(Drawing, SingleSymbolsDecodeToTheirBytes) {
    struct Row {
        int version, level, pxmag, emode, mask;
        std::string text;
        const char* ecLevel;
    };
    const Row rows[] = {
        {1, 0, 2, -1, -1, "HELLO WORLD", "L"},
        {2, 1, 1, -1, -1, "https://example.jp/", "M"},
        {5, 2, 3, 2, 3, Text(40, 1), "Q"},
        // Shift-JIS kanji and kana: 日本語のテキスト
        {3, 3, 2, 3, -1, "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67", "H"},
        {12, 1, 2, 0, 6, std::string(300, '7'), "M"},
        {25, 3, 2, -1, -1, Text(500, 2), "H"},
        {40, 0, 1, -1, -1, Text(2900, 3), "L"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "version " << row.version << " level " << row.level
                                          << " pxmag " << row.pxmag);
        TQRCode one;
        one.SetSymbolEnabled(false);
        one.SetMatch(true);
        one.SetVersion(row.version);
        one.SetEclevel(row.level);
        one.SetPxmag(row.pxmag);
        one.SetEmode(row.emode);
        one.SetMasktype(row.mask);
        one.SetCode(row.text);
        one.SetSymbolEnabled(true);
        ASSERT_TRUE(one.SymbolDisped());
        const int side = (17 + 4 * row.version + 8) * row.pxmag;
        EXPECT_EQ(one.Width(), side);
        EXPECT_EQ(one.Height(), side);
        const auto read = test_support::ReadPicture(one.BitmapImage());
        ASSERT_TRUE(read.Valid) << read.Error;
        EXPECT_EQ(read.Bytes, row.text);
        EXPECT_EQ(read.EcLevel, row.ecLevel);
        if (row.mask >= 0) {
            EXPECT_EQ(one.MasktypeR(), row.mask);
        }
    }
}

TEST_F(Drawing, LinkedSymbolsFillTheGridInReadingOrder) {
    for (const int column : {4, 3}) {
        SCOPED_TRACE(::testing::Message() << "Column " << column);
        TQRCode linked;
        linked.SetSymbolEnabled(false);
        linked.SetMatch(true);
        linked.SetVersion(4);
        linked.SetPxmag(2);
        linked.SetSymbolSpaceUp(6);
        linked.SetSymbolSpaceRight(10);
        linked.SetMode(qr::qrConnect);
        linked.SetCount(4);
        linked.SetColumn(column);
        linked.SetCode(Text(200, 7));
        linked.SetSymbolEnabled(true);
        ASSERT_TRUE(linked.SymbolDisped());
        ASSERT_EQ(linked.Count(), 4);
        EXPECT_EQ(linked.Width(), linked.SymbolWidthA());
        EXPECT_EQ(linked.Height(), linked.SymbolHeightA());

        const auto results = test_support::ReadPictureAll(linked.BitmapImage());
        ASSERT_EQ(results.size(), 4u);
        std::vector<bool> seen(4, false);
        for (const auto& r : results) {
            ASSERT_GE(r.SequenceIndex, 0);
            ASSERT_LT(r.SequenceIndex, 4);
            seen[r.SequenceIndex] = true;
            EXPECT_EQ(r.SequenceSize, 4);
            EXPECT_EQ(r.SequenceId, std::to_string(linked.Parity()));
            EXPECT_EQ(r.Bytes, Slice(linked, r.SequenceIndex + 1));
            const int cellX = r.CenterX / linked.SymbolWidthS();
            const int cellY = r.CenterY / linked.SymbolHeightS();
            EXPECT_EQ(cellX, r.SequenceIndex % column);
            EXPECT_EQ(cellY, r.SequenceIndex / column);
        }
        EXPECT_EQ(seen, std::vector<bool>(4, true));
    }
}

TEST_F(Drawing, EveryOrientationAndMirrorDecodesAndTurnsTheControl) {
    for (const int angle : {0, 90, 180, 270}) {
        for (const bool reverse : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "Angle " << angle << " Reverse " << reverse);
            TQRCode turned;
            turned.SetSymbolEnabled(false);
            turned.SetMatch(true);
            turned.SetVersion(2);
            turned.SetPxmag(3);
            turned.SetCount(2);
            turned.SetColumn(2); // a block twice as wide as high shows the exchange
            turned.SetAngle(angle);
            turned.SetReverse(reverse);
            turned.SetCode("ROTATE AND MIRROR");
            turned.SetSymbolEnabled(true);
            ASSERT_TRUE(turned.SymbolDisped());

            const bool quarter = angle == 90 || angle == 270;
            const int blockW = turned.SymbolWidthA();
            const int blockH = turned.SymbolHeightA();
            EXPECT_EQ(turned.Width(), quarter ? blockH : blockW);
            EXPECT_EQ(turned.Height(), quarter ? blockW : blockH);
            EXPECT_EQ(turned.BitmapImage().size(), turned.size());

            const auto results = test_support::ReadPictureAll(turned.BitmapImage());
            ASSERT_EQ(results.size(), 2u);
            for (const auto& r : results) {
                EXPECT_EQ(r.Orientation, angle);
                EXPECT_EQ(r.Mirrored, reverse);
                EXPECT_EQ(r.Bytes, Slice(turned, r.SequenceIndex + 1));
            }
        }
    }
}

TEST_F(Drawing, FailedSecondSymbolStopsThePass) {
    for (const bool clearOption : {false, true}) {
        SCOPED_TRACE(::testing::Message() << "ClearOption " << clearOption);
        TQRCode failing;
        int painted = 0;
        failing.OnPaintedSymbol = [&](TQRCode*, bool) { ++painted; };
        failing.SetSymbolEnabled(false);
        failing.SetMatch(true);
        failing.SetPxmag(2);
        failing.SetEmode(0); // numeric only: the letters of symbol 2 cannot be encoded
        failing.SetMode(qr::qrPlus);
        failing.SetCount(3);
        failing.SetColumn(3);
        failing.SetClearOption(clearOption);
        failing.SetCode("1111111111AAAAAAAAAA3333333333");
        failing.SetSymbolEnabled(true);

        EXPECT_FALSE(failing.SymbolDisped());
        EXPECT_EQ(painted, 1);
        if (clearOption) {
            EXPECT_FALSE(failing.Picture().HasGraphic());
            continue;
        }
        const QImage image = failing.BitmapImage();
        const auto results = test_support::ReadPictureAll(image);
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(results[0].Bytes, "1111111111");
        // Cells 2 and 3 hold the background only.
        const int cell = failing.SymbolWidthS();
        EXPECT_TRUE(BoundsOf(image.copy(cell, 0, 2 * cell, image.height()), 0x000000).isNull());
    }
}

TEST_F(Drawing, SymbolDebugBuildsWithoutDrawing) {
    Configure(1, 2);
    code.SetSymbolDebug(true);
    code.SetClearOption(true);
    code.SetCode("DEBUG");
    code.SetSymbolEnabled(true);
    EXPECT_TRUE(code.SymbolDisped());
    EXPECT_GE(code.MasktypeR(), 0);
    const QImage image = code.BitmapImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(BoundsOf(image, 0x000000).isNull());
}

TEST_F(Drawing, ModulesSitAtTheCellOriginPlusSpaceAndQuietZone) {
    struct Row {
        int pxmag, left, top, spaceUp, spaceLeft;
    };
    const Row rows[] = {{1, 0, 0, 0, 0}, {3, 5, 7, 2, 3}, {2, 0, 11, 9, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << "pxmag " << row.pxmag << " at " << row.left << "," << row.top);
        TQRCode placed;
        placed.SetSymbolEnabled(false);
        placed.SetMatch(true);
        placed.SetPxmag(row.pxmag);
        placed.SetSymbolLeft(row.left);
        placed.SetSymbolTop(row.top);
        placed.SetSymbolSpaceUp(row.spaceUp);
        placed.SetSymbolSpaceLeft(row.spaceLeft);
        placed.SetCode("MODULES");
        placed.SetSymbolEnabled(true);
        const QImage image = placed.BitmapImage();
        const int m = row.pxmag;
        ASSERT_EQ(image.width(), row.left + row.spaceLeft + 29 * m);
        ASSERT_EQ(image.height(), row.top + row.spaceUp + 29 * m);
        const int x0 = row.left + row.spaceLeft + 4 * m;
        const int y0 = row.top + row.spaceUp + 4 * m;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                bool dark = false;
                if (x >= x0 && y >= y0 && x < x0 + 21 * m && y < y0 + 21 * m) {
                    dark = placed.Engine().IsDark((y - y0) / m, (x - x0) / m);
                }
                ASSERT_EQ(Dark(image, x, y), dark) << "pixel " << x << "," << y;
            }
        }
    }
}

TEST_F(Drawing, TurnedBlockLandsAtItsPositionInTheUnturnedControl) {
    for (const int angle : {0, 90, 180, 270}) {
        SCOPED_TRACE(::testing::Message() << "Angle " << angle);
        TQRCode placed;
        placed.SetSymbolEnabled(false);
        placed.SetWidth(300);
        placed.SetHeight(200);
        placed.SetPxmag(2);
        placed.SetCount(2);
        placed.SetColumn(2);
        placed.SetSymbolLeft(10);
        placed.SetSymbolTop(5);
        placed.SetBackColor(kGreenColor);
        placed.SetNumbering(qr::nbrNone); // no captions outside the block
        placed.SetAngle(angle);
        placed.SetCode("AB");
        placed.SetSymbolEnabled(true);
        ASSERT_TRUE(placed.SymbolDisped());
        EXPECT_EQ(placed.Width(), 300);
        EXPECT_EQ(placed.Height(), 200);
        const QImage image = placed.BitmapImage();
        ASSERT_EQ(image.size(), QSize(300, 200));
        const bool quarter = angle == 90 || angle == 270;
        const QSize block = quarter ? QSize(58, 116) : QSize(116, 58);
        EXPECT_EQ(BoundsOf(image, kGreen), QRect(QPoint(10, 5), block));
        const auto results = test_support::ReadPictureAll(image);
        ASSERT_EQ(results.size(), 2u);
        EXPECT_EQ(results[0].Orientation, angle);
    }
}

TEST_F(Drawing, RedrawingAMirroredQuarterTurnKeepsWhatWasThere) {
    // Without a background, each pass draws onto the picture as it stands; a second
    // identical pass must leave it exactly as the first did.
    TQRCode overlay;
    overlay.SetSymbolEnabled(false);
    overlay.SetWidth(300);
    overlay.SetHeight(200);
    overlay.SetTransparent(true);
    overlay.SetPxmag(2);
    overlay.SetSymbolLeft(20);
    overlay.SetSymbolTop(30);
    overlay.SetAngle(90);
    overlay.SetReverse(true);
    overlay.SetCode("OVERLAY");
    overlay.SetSymbolEnabled(true);
    const QImage first = overlay.BitmapImage();
    overlay.Redraw();
    EXPECT_EQ(overlay.BitmapImage(), first);
    const auto read = test_support::ReadPicture(first);
    ASSERT_TRUE(read.Valid) << read.Error;
    EXPECT_TRUE(read.Mirrored);
}

TEST_F(Drawing, TransparentPaintsOnlyModulesAndTextBoxes) {
    code.SetSymbolEnabled(false);
    code.SetWidth(120);
    code.SetHeight(120);
    code.SetTransparent(true);
    code.SetBackColor(kGreenColor);
    code.SetSymbolLeft(10);
    code.SetCode("CLEAR");
    code.Clear();
    code.SetSymbolEnabled(true);
    const QImage image = code.BitmapImage();
    EXPECT_TRUE(BoundsOf(image, kGreen).isNull());
    EXPECT_EQ(BoundsOf(image, 0x000000), QRect(14, 4, 21, 21));

    code.SetCommentDown("T");
    EXPECT_FALSE(BoundsOf(code.BitmapImage(), kGreen).isNull());
}

TEST_F(Drawing, CaptionsArePlacedByLocationAndSpace) {
    struct Row {
        qr::TLocation location;
        bool upper;
        int space; // SymbolSpaceUp for the upper caption, SymbolSpaceDown for the lower
        const char* text;
    };
    const Row rows[] = {
        {qr::locLeft, false, 20, "No. 1"},
        {qr::locCenter, false, 20, "No. 1"},
        {qr::locRight, false, 20, "No. 1"},
        {qr::locCenter, false, 0, "No. 1"},
        {qr::locLeft, true, 0, "Up"},
        {qr::locRight, true, 30, "Up"},
        {qr::locCenter, true, 30, "\x93\xfa\x96\x7b"}, // 日本
        {qr::locRight, false, 20, "A caption far wider than its cell"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << "location " << int(row.location) << " upper " << row.upper << " space "
                     << row.space << " '" << row.text << "'");
        TQRCode captioned;
        captioned.SetSymbolEnabled(false);
        captioned.SetWidth(260);
        captioned.SetHeight(240);
        captioned.SetTransparent(true); // only the caption's box is green
        captioned.SetBackColor(kGreenColor);
        captioned.SetPxmag(2);
        captioned.SetSymbolSpaceLeft(36);
        captioned.SetSymbolSpaceRight(36); // cell 130 wide
        captioned.SetSymbolLeft(10);
        captioned.SetSymbolTop(40);
        if (row.upper) {
            captioned.SetSymbolSpaceUp(row.space);
            captioned.SetCommentUp(row.text);
            captioned.SetCommentUpLoc(row.location);
        } else {
            captioned.SetSymbolSpaceDown(row.space);
            captioned.SetCommentDown(row.text);
            captioned.SetCommentDownLoc(row.location);
        }
        captioned.SetCode("CAPTION");
        captioned.SetSymbolEnabled(true);
        ASSERT_TRUE(captioned.SymbolDisped());

        platform::TBitmap probe;
        probe.SetSize(10, 10);
        probe.Canvas().SetFont(captioned.ComFont());
        const QSize extent = probe.Canvas().TextExtent(platform::ShiftJisToQString(row.text));
        const int w = extent.width();
        const int h = extent.height();
        ASSERT_GT(w, 0);
        int offset = 0;
        if (row.location == qr::locCenter) offset = (130 - w) / 2;
        if (row.location == qr::locRight) offset = 130 - w;
        if (offset < 0) offset = 0;
        int y = 0;
        if (row.upper) {
            y = row.space >= h ? 40 : 40 + row.space - h;
        } else {
            y = row.space >= h ? 40 + 58 + row.space - h : 40 + 58;
        }
        const QRect expected = QRect(10 + offset, y, w, h) & QRect(0, 0, 260, 240);
        EXPECT_EQ(BoundsOf(captioned.BitmapImage(), kGreen), expected);
    }
}

TEST_F(Drawing, VectorPictureIsClosedAfterTheLastSymbolAndOnePixelLarger) {
    Configure(3, 2);
    code.SetSymbolPicture(qr::picEMF);
    code.SetMode(qr::qrConnect);
    code.SetCount(2);
    code.SetColumn(2);
    code.SetCommentDown("V");
    code.SetSymbolSpaceDown(16);
    code.SetCode(Text(60, 11));
    code.SetSymbolEnabled(true);
    ASSERT_TRUE(code.SymbolDisped());
    const platform::TMetafile* metafile = code.MetafilePicture();
    ASSERT_NE(metafile, nullptr);
    EXPECT_FALSE(metafile->Recording());
    EXPECT_EQ(code.Width(), code.SymbolWidthA());
    EXPECT_EQ(metafile->Width(), code.Width() + 1);
    EXPECT_EQ(metafile->Height(), code.Height() + 1);

    const QImage rendered = qr::MetafileToImage(*metafile, Qt::white);
    const auto results = test_support::ReadPictureAll(rendered);
    ASSERT_EQ(results.size(), 2u);
    for (const auto& r : results)
        EXPECT_EQ(r.Bytes, Slice(code, r.SequenceIndex + 1));

    // Angle and mirror leave a vector picture alone.
    code.SetAngle(90);
    ASSERT_NE(code.MetafilePicture(), nullptr);
    EXPECT_EQ(code.MetafilePicture()->Width(), code.SymbolWidthA() + 1);
}

TEST_F(Drawing, FailedVectorPaintKeepsTheSymbolsBeforeIt) {
    Configure(1, 2);
    code.SetSymbolPicture(qr::picWMF);
    code.SetEmode(0);
    code.SetMode(qr::qrPlus);
    code.SetCount(3);
    code.SetCode("1111111111AAAAAAAAAA3333333333");
    code.SetSymbolEnabled(true);
    EXPECT_FALSE(code.SymbolDisped());
    const platform::TMetafile* metafile = code.MetafilePicture();
    ASSERT_NE(metafile, nullptr);
    EXPECT_FALSE(metafile->Recording());
    EXPECT_EQ(metafile->Width(), code.Width()); // no growth after a failure
    const auto results = test_support::ReadPictureAll(qr::MetafileToImage(*metafile, Qt::white));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].Bytes, "1111111111");
}

TEST_F(Drawing, SymbolsBuiltElsewhereAreDrawnAsAPassOfItsOwnWithoutBuildingAgain) {
    struct Row {
        qr::TPictures picture;
        int angle;
        bool mirror;
        int count;
    };
    const Row rows[] = {{qr::picBMP, 90, true, 3},
                        {qr::picBMP, 0, false, 1},
                        {qr::picEMF, 0, false, 3},
                        {qr::picWMF, 0, false, 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.picture) + " angle " + std::to_string(row.angle) +
                     " count " + std::to_string(row.count));
        auto setUp = [&](TQRCode& c) {
            c.SetSymbolEnabled(false);
            c.SetMatch(true);
            c.SetSymbolPicture(row.picture);
            c.SetAngle(row.angle);
            c.SetReverse(row.mirror);
            c.SetColumn(2);
            c.SetCommentDown("No.");
            c.SetNumbering(qr::nbrTail);
            c.SetSymbolSpaceDown(16);
            c.SetVersion(4);
            c.SetPxmag(2);
            if (row.count > 1) c.SetMode(qr::qrConnect);
            c.SetCount(row.count);
        };
        TQRCode own;
        setUp(own);
        own.SetSegments(qr::engine::sgOptimal); // handed over with the engine
        own.SetCode(Text(40 * row.count, 5));
        own.SetSymbolEnabled(true);
        ASSERT_TRUE(own.SymbolDisped());

        qr::engine::TQRSymbolEngine planned = own.Engine();
        qr::engine::TSymbolModules modules;
        modules.Reset(planned.Count(), planned.Modules());
        for (int s = 1; s <= planned.Count(); ++s) {
            ASSERT_EQ(planned.BuildSymbol(s), qr::engine::brBuilt);
            modules.Keep(planned, s);
        }
        TQRCode drawn;
        setUp(drawn);
        const auto builds = qr::engine::detail::BuildsStarted();
        drawn.PaintBuiltSymbols(planned, modules);
        EXPECT_EQ(qr::engine::detail::BuildsStarted(), builds);
        ASSERT_TRUE(drawn.SymbolDisped());
        EXPECT_EQ(drawn.Column(), 2);
        EXPECT_EQ(drawn.Segments(), qr::engine::sgOptimal);
        if (row.picture == qr::picBMP) {
            EXPECT_EQ(drawn.BitmapImage(), own.BitmapImage());
        } else {
            ASSERT_NE(drawn.MetafilePicture(), nullptr);
            EXPECT_EQ(qr::MetafileToSvg(*drawn.MetafilePicture()),
                      qr::MetafileToSvg(*own.MetafilePicture()));
        }

        // A symbol missing from the set stops the pass as a failed build does.
        modules.Built.back() = false;
        drawn.PaintBuiltSymbols(planned, modules);
        EXPECT_FALSE(drawn.SymbolDisped());
    }
}

// Whole pixels of the picture as `scale` pixels each.
QImage AtViewBoxScale(const QByteArray& svg, int scale) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return {};
    QImage image(renderer.viewBox().size() * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

TEST_F(Drawing, SvgRendersAsQtsOwnGeneratorRendersTheSameRecording) {
    Configure(4, 2);
    code.SetSymbolPicture(qr::picEMF);
    code.SetMode(qr::qrConnect);
    code.SetCount(2);
    code.SetColumn(2);
    code.SetCommentUp(platform::QStringToShiftJis(QStringLiteral("上の欄 & <x>")));
    code.SetCommentDown("No.");
    code.SetNumbering(qr::nbrHead);
    code.SetCommentDownLoc(qr::locRight);
    code.SetSymbolSpaceUp(16);
    code.SetSymbolSpaceDown(16);
    code.SetSymbolColor(0x804020);
    code.SetBackColor(0xE0FFFF);
    code.SetCode(Text(100, 3));
    code.SetSymbolEnabled(true);
    ASSERT_NE(code.MetafilePicture(), nullptr);
    for (const auto& [angle, mirror] :
         {std::pair{0, false}, {90, true}, {180, false}, {270, true}}) {
        SCOPED_TRACE(std::to_string(angle) + (mirror ? " mirrored" : ""));
        const auto turned =
            qr::TurnMetafile(*code.MetafilePicture(), code.Width(), code.Height(), angle, mirror);
        const QByteArray ours = qr::MetafileToSvg(*turned, QStringLiteral("t"));
        QByteArray qts;
        QBuffer buffer(&qts);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(QSize(turned->Width(), turned->Height()));
        generator.setViewBox(QRect(0, 0, turned->Width(), turned->Height()));
        generator.setResolution(96);
        QPainter painter(&generator);
        painter.drawPicture(0, 0, turned->Picture());
        painter.end();
        EXPECT_LT(ours.size(), qts.size());

        for (const int scale : {1, 3}) {
            const QImage image = AtViewBoxScale(ours, scale);
            ASSERT_FALSE(image.isNull());
            EXPECT_EQ(image, AtViewBoxScale(qts, scale)) << "scale " << scale;
        }
    }
}

// ---- The transforms themselves ----------------------------------------------------

QImage RandomImage(int w, int h, QImage::Format format, std::uint32_t seed) {
    QImage image(w, h, QImage::Format_RGB32);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFF));
    }
    return image.convertToFormat(format);
}

TEST(PictureTransform, TurnsAndMirrorsEveryDepthPixelForPixel) {
    const QImage::Format formats[] = {QImage::Format_Mono,  QImage::Format_Indexed8,
                                      QImage::Format_RGB16, QImage::Format_RGB888,
                                      QImage::Format_RGB32, QImage::Format_ARGB32};
    for (const QImage::Format format : formats) {
        SCOPED_TRACE(::testing::Message() << "format " << int(format));
        // Odd sizes keep 1-bit rows from ending on a byte boundary.
        const QImage source = RandomImage(37, 23, format, 5);
        for (const int angle : {90, 180, 270}) {
            const QImage turned = qr::RotateBitmap(source, angle);
            ASSERT_EQ(turned.format(), source.format());
            EXPECT_EQ(turned.colorTable(), source.colorTable());
            const QImage expected = source.transformed(QTransform().rotate(angle));
            ASSERT_EQ(turned.size(), expected.size()) << angle;
            for (int y = 0; y < turned.height(); ++y) {
                for (int x = 0; x < turned.width(); ++x) {
                    ASSERT_EQ(turned.pixel(x, y), expected.pixel(x, y))
                        << angle << " at " << x << "," << y;
                }
            }
        }
        EXPECT_EQ(qr::MirrorBitmap(source), source.mirrored(true, false));
    }
}

TEST(PictureTransform, QuarterTurnOfAWidePicture) {
    QImage source(300, 200, QImage::Format_RGB32);
    source.fill(Qt::white);
    source.setPixel(0, 199, qRgb(255, 0, 0)); // lower-left
    source.setPixel(0, 0, qRgb(0, 0, 255));   // upper-left
    const QImage turned = qr::RotateBitmap(source, 90);
    ASSERT_EQ(turned.size(), QSize(200, 300));
    EXPECT_EQ(turned.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(turned.pixel(199, 0), qRgb(0, 0, 255));
    const QImage mirrored = qr::MirrorBitmap(source);
    EXPECT_EQ(mirrored.pixel(299, 0), qRgb(0, 0, 255));
    EXPECT_EQ(mirrored.pixel(299, 199), qRgb(255, 0, 0));
}

TEST(PictureTransform, UnusualDepthsBecomeTwentyFourBits) {
    const QImage wide = RandomImage(5, 4, QImage::Format_RGBA64, 9);
    const QImage turned = qr::RotateBitmap(wide, 180);
    EXPECT_EQ(turned.format(), QImage::Format_RGB888);
    EXPECT_EQ(turned.pixel(0, 0), wide.pixel(4, 3));
    EXPECT_EQ(qr::RotateBitmap(wide, 45), wide); // not a turn the component makes
}

} // namespace
