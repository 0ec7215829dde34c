// varoku-qr's pictures as a viewer shows them: every type decodes to the bytes it was
// given, turned and mirrored as asked; sets of symbols stand in their grid; colours
// and captions leave the symbols readable; the terminal text is the PBM's matrix; SVG
// stays one path per colour.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "tests/cli/pictures.h"
#include "tests/cli/run_cli.h"
#include "tests/support/qt_picture_reader.h"

namespace {

using cli_test::PictureOf;
using cli_test::RunQr;
using cli_test::ShiftJis;
using cli_test::TScratchDir;

const std::string kText = "Varoku テスト 0123456789";

// Runs varoku-qr with args plus "-o dir/out.<type>" and returns the file's picture.
QImage Draw(const TScratchDir& dir, const std::string& type, std::vector<std::string> args) {
    const std::string path = dir.Path() + "/out." + type;
    args.insert(args.begin(), {"-t", type, "-o", path});
    const auto r = RunQr(args);
    EXPECT_EQ(r.Exit, 0) << r.Err;
    EXPECT_TRUE(r.Err.empty()) << r.Err;
    EXPECT_TRUE(r.Out.empty());
    return PictureOf(type, cli_test::ReadFile(path));
}

TEST(VarokuQrPictures, EveryTypeDecodesTurnedAndMirroredAsAsked) {
    struct Row {
        const char* Type;
        int Angle;
        bool Mirror;
    };
    const Row rows[] = {
        {"png", 0, false}, {"png", 90, false}, {"png", 180, true},  {"png", 270, true},
        {"svg", 0, false}, {"svg", 90, true},  {"svg", 180, false}, {"svg", 270, false},
        {"pdf", 0, true},  {"pdf", 90, false}, {"pdf", 180, false}, {"pdf", 270, true},
        {"eps", 0, false}, {"eps", 90, true},  {"eps", 270, false},
    };
    TScratchDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.Type) + " angle " + std::to_string(row.Angle) +
                     (row.Mirror ? " mirrored" : ""));
        std::vector<std::string> args = {"--angle", std::to_string(row.Angle), "-s", "3", kText};
        if (row.Mirror) args.insert(args.begin(), "--mirror");
        const QImage picture = Draw(dir, row.Type, args);
        ASSERT_FALSE(picture.isNull());
        const auto read = test_support::ReadPicture(picture);
        ASSERT_TRUE(read.Valid) << read.Error;
        EXPECT_EQ(read.Bytes, ShiftJis(kText));
        EXPECT_EQ(read.Orientation, row.Angle);
        EXPECT_EQ(read.Mirrored, row.Mirror);
    }
}

TEST(VarokuQrPictures, SetsStandInTheirGridInReadingOrder) {
    TScratchDir dir;
    for (const char* type : {"png", "svg", "pdf", "eps"}) {
        SCOPED_TRACE(type);
        const QImage picture = Draw(
            dir, type,
            {"--split", "connect", "--count", "3", "--columns", "2", "-v", "2", kText + kText});
        auto symbols = test_support::ReadPictureAll(picture);
        ASSERT_EQ(symbols.size(), 3u);
        std::sort(symbols.begin(), symbols.end(),
                  [](const auto& a, const auto& b) { return a.SequenceIndex < b.SequenceIndex; });
        std::string joined;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(symbols[i].SequenceIndex, i);
            EXPECT_EQ(symbols[i].SequenceSize, 3);
            joined += symbols[i].Bytes;
        }
        EXPECT_EQ(joined, ShiftJis(kText + kText));
        // Two side by side, the third under the first.
        EXPECT_NEAR(symbols[0].CenterY, symbols[1].CenterY, 4);
        EXPECT_GT(symbols[1].CenterX, symbols[0].CenterX);
        EXPECT_NEAR(symbols[2].CenterX, symbols[0].CenterX, 4);
        EXPECT_GT(symbols[2].CenterY, symbols[0].CenterY);
    }
}

TEST(VarokuQrPictures, ColoursAreTheOnesAskedFor) {
    TScratchDir dir;
    const QImage picture = Draw(dir, "png", {"--fg", "#203080", "--bg", "F0E8D0", kText});
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            colours.insert(picture.pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(colours, (std::set<QRgb>{0x203080, 0xF0E8D0}));
    EXPECT_EQ(picture.pixel(0, 0) & 0xFFFFFF, 0xF0E8D0u);
    const auto read = test_support::ReadPicture(picture);
    ASSERT_TRUE(read.Valid) << read.Error;
    EXPECT_EQ(read.Bytes, ShiftJis(kText));

    const auto r = RunQr({"-t", "svg", "--fg", "#203080", "--bg", "#f0e8d0", kText});
    EXPECT_NE(r.Out.find("fill=\"#203080\""), std::string::npos);
    EXPECT_NE(r.Out.find("fill=\"#f0e8d0\""), std::string::npos);

    // The colour names of CSS, which Qt knows as well.
    for (const QString& name : QColor::colorNames()) {
        if (name == "transparent") continue;
        const auto named = RunQr({"-t", "svg", "--fg", name.toStdString(), "HELLO"});
        ASSERT_EQ(named.Exit, 0) << named.Err;
        EXPECT_NE(named.Out.find("fill=\"" + QColor(name).name().toStdString() + "\""),
                  std::string::npos)
            << name.toStdString();
    }

    // Opacity: a transparent background, half-transparent modules.
    const QImage clear = Draw(dir, "png", {"--fg", "#20308080", "--bg", "transparent", kText});
    EXPECT_EQ(qAlpha(clear.pixel(0, 0)), 0);
    std::set<int> alphas;
    for (int y = 0; y < clear.height(); ++y)
        for (int x = 0; x < clear.width(); ++x)
            alphas.insert(qAlpha(clear.pixel(x, y)));
    EXPECT_EQ(alphas, (std::set<int>{0, 0x80}));
    const auto svg = RunQr({"-t", "svg", "--fg", "#20308080", "--bg", "transparent", kText});
    EXPECT_NE(svg.Out.find("fill=\"#203080\" fill-opacity=\"0.502\""), std::string::npos);
    EXPECT_EQ(svg.Out.find("<path", svg.Out.find("<path") + 1), std::string::npos) << svg.Out;
    const auto seen = test_support::ReadPicture(PictureOf("svg", svg.Out));
    ASSERT_TRUE(seen.Valid) << seen.Error;
    EXPECT_EQ(seen.Bytes, ShiftJis(kText));
}

// The pictures varoku-qr draws itself take any quiet zone, up to 100 pixels a module
// and a resolution.
TEST(VarokuQrPictures, MarginScaleAndDpiAsAsked) {
    struct TRow {
        const char* Type;
        std::vector<std::string> Args;
        int Width;        // pixels of the picture as read (0: not checked)
        const char* Size; // the SVG's width attribute, the EPS's bounding box
        int DotsPerMetre; // PNG
    };
    // Version 1: 21 modules.
    const TRow rows[] = {
        {"png", {"-m", "0", "-s", "3"}, 63, nullptr, 0},
        {"png", {"-m", "10", "-s", "20", "--dpi", "300"}, 820, nullptr, 11811},
        {"png", {"--margin", "2", "--dpi", "72"}, 50, nullptr, 2835},
        {"svg", {"-m", "1", "-s", "4", "--dpi", "96"}, 0, "width=\"0.958in\"", 0},
        {"svg", {"-s", "50", "--dpi", "600"}, 0, "width=\"2.417in\"", 0},
        // 87 pixels at 72 to the inch are 87 points, read at 96 pixels to the inch, twice.
        {"pdf", {"-s", "3", "--dpi", "72", "--bg", "transparent"}, 232, "[0 0 87 87]", 0},
        {"pdf", {"-m", "0", "-s", "4"}, 168, "[0 0 63 63]", 0},
        {"eps", {"-m", "0", "-s", "3"}, 84, "%%BoundingBox: 0 0 63 63", 0},
        {"eps", {"-s", "2", "--dpi", "144"}, 116, "%%BoundingBox: 0 0 29 29", 0},
    };
    TScratchDir dir;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.Type) + " " + row.Args[0] + " " + row.Args[1]);
        auto args = row.Args;
        args.insert(args.end(), {"-v", "1", "HELLO"});
        const QImage picture = Draw(dir, row.Type, args);
        if (row.Width) {
            EXPECT_EQ(picture.width(), row.Width);
        }
        // On white, for the symbols drawn without a quiet zone.
        QImage padded(picture.width() + 80, picture.height() + 80, QImage::Format_RGB32);
        padded.fill(Qt::white);
        QPainter painter(&padded);
        painter.drawImage(40, 40, picture);
        painter.end();
        const auto read = test_support::ReadPicture(padded);
        ASSERT_TRUE(read.Valid) << read.Error;
        EXPECT_EQ(read.Bytes, "HELLO");
        if (row.DotsPerMetre) {
            EXPECT_EQ(picture.dotsPerMeterX(), row.DotsPerMetre);
        }
        if (row.Size) {
            args.insert(args.begin(), {"-t", row.Type});
            EXPECT_NE(RunQr(args).Out.find(row.Size), std::string::npos);
        }
    }
}

TEST(VarokuQrPictures, CaptionsGetTheirOwnBandAndNeverCoverAModule) {
    TScratchDir dir;
    const std::vector<std::string> args = {"--split",
                                           "connect",
                                           "--count",
                                           "2",
                                           "--comment-up",
                                           "上",
                                           "--comment-down",
                                           "No.",
                                           "--numbering",
                                           "tail",
                                           "--comment-loc",
                                           "center",
                                           "-v",
                                           "3",
                                           kText};
    for (const char* type : {"png", "svg", "pdf"}) {
        SCOPED_TRACE(type);
        const QImage picture = Draw(dir, type, args);
        const QImage plain =
            Draw(dir, type, {"--split", "connect", "--count", "2", "-v", "3", kText});
        // Same width, taller by the two bands. Vector pictures without captions are drawn
        // without the component, whose own are one pixel wider than their contents.
        EXPECT_NEAR(picture.width(), plain.width(), type == std::string("png") ? 0 : 3);
        EXPECT_GT(picture.height(), plain.height() + 10);
        const auto symbols = test_support::ReadPictureAll(picture);
        ASSERT_EQ(symbols.size(), 2u);
        for (const auto& s : symbols)
            EXPECT_EQ(s.SequenceSize, 2);
    }
    const auto svg =
        RunQr({"-t", "svg", "--split", "connect", "--count", "2", "--comment-down", "No.",
               "--numbering", "tail", "--svg-title", "T<1>", "--svg-desc", "D&2", kText});
    EXPECT_NE(svg.Out.find("<title>T&lt;1&gt;</title><desc>D&amp;2</desc>"), std::string::npos)
        << svg.Out.substr(0, 400);
    EXPECT_NE(svg.Out.find(">No. 1<"), std::string::npos);
    EXPECT_NE(svg.Out.find(">No. 2<"), std::string::npos);
    // A control character, which XML cannot carry, once made the whole file unreadable.
    const auto control = RunQr({"-t", "svg", "--comment-down", "a\x01b", kText});
    ASSERT_EQ(control.Exit, 0) << control.Err;
    EXPECT_TRUE(test_support::ReadPicture(PictureOf("svg", control.Out)).Valid);
}

// varoku-qr draws a PNG without captions itself; an empty caption sends the same
// picture through the component instead. The two must agree pixel for pixel.
TEST(VarokuQrPictures, PlainPngIsTheComponentsBitmap) {
    const std::vector<std::vector<std::string>> rows = {
        {"--angle", "90", "--mirror", "--split", "connect", "--count", "3", "--columns", "2"},
        {"--angle", "180", "-s", "3", "--fg", "#203080", "--bg", "F0E8D0"},
        {"--angle", "270", "--split", "plus", "--count", "5", "--columns", "3", "-s", "1"},
        {"--mirror", "-v", "7", "-l", "H", "--fg", "#000000", "--bg", "#000000"},
    };
    TScratchDir dir;
    // The last row is a single colour on purpose, which no reader reads.
    ::setenv("VAROKU_QR_VERIFY", "0", 1);
    for (auto args : rows) {
        SCOPED_TRACE(args[0] + " " + args[1] + " " + args[2]);
        args.push_back(kText);
        const QImage plain = Draw(dir, "png", args).convertToFormat(QImage::Format_RGB32);
        args.insert(args.begin(), {"--comment-down", ""});
        const QImage drawn = Draw(dir, "png", args).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(plain.isNull());
        EXPECT_TRUE(plain == drawn);
    }
    ::unsetenv("VAROKU_QR_VERIFY");
}

TEST(VarokuQrPictures, SvgIsOnePathPerColour) {
    // The background and the dark modules; version 40's 8,000 and more runs take a few
    // paths, so that readers that cap a path's length draw all of it.
    const std::pair<const char*, std::size_t> rows[] = {{"1", 2}, {"10", 2}, {"40", 7}};
    for (const auto& [version, most] : rows) {
        const auto r = RunQr({"-t", "svg", "-v", version, "-s", "3", "HELLO"});
        ASSERT_EQ(r.Exit, 0) << r.Err;
        std::size_t paths = 0;
        for (std::size_t at = r.Out.find("<path"); at != std::string::npos;
             at = r.Out.find("<path", at + 1))
            ++paths;
        EXPECT_LE(paths, most) << "version " << version;
        EXPECT_EQ(r.Out.find("<rect"), std::string::npos);
        EXPECT_NE(r.Out.find("<title>QR code</title>"), std::string::npos);
        const auto read = test_support::ReadPicture(PictureOf("svg", r.Out));
        EXPECT_TRUE(read.Valid) << read.Error;
    }
}

TEST(VarokuQrPictures, TerminalTextHoldsThePbmMatrix) {
    const std::vector<std::vector<std::string>> rows = {
        {"HELLO"},
        {"-v", "7", "-l", "H", kText},
        {"--split", "connect", "--count", "3", kText},
        {"--split", "plus", "--count", "2", "--mask", "3", "abcdefgh"},
    };
    for (const auto& args : rows) {
        SCOPED_TRACE(args.back());
        auto pbmArgs = args;
        pbmArgs.insert(pbmArgs.begin(), {"-t", "pbm", "-s", "1"});
        const auto pbm = cli_test::ParseRawPbm(RunQr(pbmArgs).Out);
        ASSERT_TRUE(pbm.Problem.empty()) << pbm.Problem;
        for (bool invert : {false, true}) {
            auto textArgs = args;
            textArgs.insert(textArgs.begin(), {"-t", "utf8"});
            if (invert) textArgs.insert(textArgs.begin(), "--invert");
            const auto r = RunQr(textArgs);
            ASSERT_EQ(r.Exit, 0) << r.Err;
            const auto text = cli_test::ParseUtf8Picture(r.Out);
            ASSERT_TRUE(text.Problem.empty()) << text.Problem;
            ASSERT_EQ(text.Symbols.size(), pbm.Pictures.size());
            for (std::size_t k = 0; k < pbm.Pictures.size(); ++k) {
                const auto& rowsOfText = text.Symbols[k];
                const auto& picture = pbm.Pictures[k];
                // An odd number of rows leaves half a line below the last one: light.
                ASSERT_EQ(rowsOfText.size(), picture.size() + picture.size() % 2);
                for (std::size_t y = 0; y < rowsOfText.size(); ++y) {
                    ASSERT_EQ(rowsOfText[y].size(), picture.size());
                    for (std::size_t x = 0; x < picture.size(); ++x) {
                        const bool dark = y < picture.size() && picture[y][x];
                        ASSERT_EQ(rowsOfText[y][x], dark != invert)
                            << "symbol " << k + 1 << " at " << y << "," << x;
                    }
                }
            }
        }
    }
}

TEST(VarokuQrPictures, TerminalTextTurnsAndMirrors) {
    for (int angle : {0, 90, 180, 270}) {
        for (bool mirror : {false, true}) {
            SCOPED_TRACE("angle " + std::to_string(angle) + (mirror ? " mirrored" : ""));
            std::vector<std::string> args = {"-t", "utf8", "--rotate", std::to_string(angle),
                                             kText};
            if (mirror) args.insert(args.begin(), "--mirror");
            const auto r = RunQr(args);
            ASSERT_EQ(r.Exit, 0) << r.Err;
            const auto text = cli_test::ParseUtf8Picture(r.Out);
            ASSERT_EQ(text.Symbols.size(), 1u) << text.Problem;
            const auto& m = text.Symbols[0];
            QImage image(static_cast<int>(m[0].size()) * 4, static_cast<int>(m.size()) * 4,
                         QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(x, y, m[y / 4][x / 4] ? 0xFF000000 : 0xFFFFFFFF);
            const auto read = test_support::ReadPicture(image);
            ASSERT_TRUE(read.Valid) << read.Error;
            EXPECT_EQ(read.Bytes, ShiftJis(kText));
            EXPECT_EQ(read.Orientation, angle);
            EXPECT_EQ(read.Mirrored, mirror);
        }
    }
}

} // namespace
