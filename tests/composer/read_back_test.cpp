// Reading our symbols back: the fields a phone presents for each of our payload forms, and
// the check against what was drawn, with the faults it is there to catch.
#include "composer/read_back.h"

#include <algorithm>
#include <gtest/gtest.h>

#include "qr/engine/raster.h"
#include "qr/engine/symbol_set.h"

namespace composer {
namespace {

TEST(Presented, OurPayloadFormsAsAPhoneShowsThem) {
    struct TRow {
        const char* Payload;
        TPresentedKind Kind;
        const char* Line;
    } rows[] = {
        {"MATMSG:TO:taro@example.jp;SUB:会議;BODY:明日\\;十時\\:\\\\;;", TPresentedKind::Mail,
         "宛先 taro@example.jp / 件名 会議 / 本文 明日;十時:\\"},
        {"MATMSG:TO:a@b.jp;SUB:;BODY:一行目\r\n二行目;;", TPresentedKind::Mail,
         "宛先 a@b.jp / 本文 一行目 ↵ 二行目"},
        {"MECARD:N:山田 太郎;SOUND:ﾔﾏﾀﾞ ﾀﾛｳ;TEL:0312345678;TEL:;EMAIL:t@x.jp;EMAIL:;NOTE:a\\,b;;",
         TPresentedKind::Card,
         "名前 山田 太郎 / 読み ﾔﾏﾀﾞ ﾀﾛｳ / 電話 0312345678 / メール t@x.jp / メモ a,b"},
        {"MEBKM:TITLE:駅;URL:http://example.jp/a\\;b;;", TPresentedKind::Bookmark,
         "タイトル 駅 / URL http://example.jp/a;b"},
        {"MEMORY:メモ\r\nNAME1:山田 太郎\r\nNAME2:ﾔﾏﾀﾞ ﾀﾛｳ\r\nTEL1:03\r\nTEL2:\r\nMAIL1:t@x.jp\r\n"
         "MAIL2:\r\n",
         TPresentedKind::Card,
         "メモ メモ / 名前 山田 太郎 / 読み ﾔﾏﾀﾞ ﾀﾛｳ / 電話 03 / メール t@x.jp"},
        {"MAILTO:t@x.jp\r\nSUBJECT:件名\r\nBODY:本文: a;b", TPresentedKind::Mail,
         "宛先 t@x.jp / 件名 件名 / 本文 本文: a;b"},
        {"https://example.jp/?q=1", TPresentedKind::Url, "URL https://example.jp/?q=1"},
        {"http://example.jp/ and more", TPresentedKind::Text, "本文 http://example.jp/ and more"},
        {"こんにちは", TPresentedKind::Text, "本文 こんにちは"},
    };
    for (const TRow& row : rows) {
        const TPresented p = PresentedFields(row.Payload);
        EXPECT_EQ(p.Kind, row.Kind) << row.Payload;
        EXPECT_EQ(PresentedLine(p), row.Line) << row.Payload;
    }
}

TEST(Presented, FirstDifferenceNamesTheFieldAndThePlace) {
    const auto d = FirstDifference("MATMSG:TO:a@b.jp;SUB:件名;BODY:ｱｲｳｴｵ;;",
                                   "MATMSG:TO:a@b.jp;SUB:件名;BODY:ｱｲ縺ｴｵ;;");
    EXPECT_FALSE(d.Same);
    EXPECT_EQ(d.Label, "本文");
    EXPECT_EQ(d.Position, 3);
    EXPECT_EQ(d.Typed, "ｳｴｵ");
    EXPECT_EQ(d.Shown, "縺ｴｵ");
    // A field cut at an unescaped ";" shows as the field that lost its end.
    const auto cut =
        FirstDifference("MATMSG:TO:a@b.jp;SUB:x\\;y;BODY:z;;", "MATMSG:TO:a@b.jp;SUB:x;y;BODY:z;;");
    EXPECT_EQ(cut.Label, "件名");
    EXPECT_EQ(cut.Position, 2);
    EXPECT_TRUE(FirstDifference("本文", "本文").Same);
    EXPECT_EQ(FirstDifference("MECARD:N:a;;", "MEBKM:TITLE:a;;").Label, "種類");
}

// The symbols of `code` at 2 pixels a module, `column` to a row, as a grey picture, with
// where each symbol's centre is.
struct TDrawn {
    std::vector<std::uint8_t> Grey;
    int Width = 0;
    int Height = 0;
    qr::engine::TSymbolModules Set;
    TDrawnSymbols Symbols;
};

constexpr int kPx = 2;

TDrawn Draw(const std::string& code, int count, int eci = qr::engine::kEciAuto, int version = 0) {
    qr::engine::TQRSymbolEngine engine;
    qr::engine::TQRSetRequest request;
    request.Version = version;
    request.Eci = eci;
    request.Count = count;
    request.Mode = count > 1 ? qr::engine::qrConnect : qr::engine::qrSingle;
    TDrawn d;
    auto built = qr::engine::BuildSymbolSet(engine, request, code);
    EXPECT_EQ(built.Status, qr::engine::ssBuilt);
    d.Set = built.Symbols;
    d.Symbols.Bytes = code;
    d.Symbols.Linked = count > 1;
    return d;
}

void Paint(TDrawn& d, int column = 4) {
    qr::engine::TQRLayout layout;
    layout.Column = column;
    const auto grid = qr::engine::LayOutSymbols(d.Set, layout);
    d.Width = grid.Width * kPx;
    d.Height = grid.Height * kPx;
    d.Grey.assign(static_cast<std::size_t>(d.Width) * d.Height, 255);
    for (int y = 0; y < d.Height; ++y)
        for (int x = 0; x < d.Width; ++x)
            if (grid.IsDark(x / kPx, y / kPx))
                d.Grey[static_cast<std::size_t>(y) * d.Width + x] = 0;
    const int cell = d.Set.Side + 2 * layout.Quiet;
    d.Symbols.CellWidth = d.Symbols.CellHeight = cell * kPx;
    d.Symbols.Enlarge = 2;
    d.Symbols.Centres.clear();
    for (int s = 0; s < static_cast<int>(d.Set.Built.size()); ++s)
        d.Symbols.Centres.push_back(
            {((s % column) * cell + cell / 2) * kPx, ((s / column) * cell + cell / 2) * kPx});
}

TReadCheck Check(const TDrawn& d) {
    return ReadBack(d.Grey.data(), d.Width, d.Height, 0, d.Symbols);
}

const std::string kSjisMail = "MATMSG:TO:taro@example.jp;SUB:\x89\xef\x8b\x63;BODY:"
                              "\x96\xbe\x93\xfa\x82\xcd\xb1\xb2\xb3;;"; // 会議, 明日はｱｲｳ
const std::string kUtf8Mail = "MATMSG:TO:taro@example.jp;SUB:会議;BODY:明日はｱｲｳ;;";

TEST(ReadBack, AgreesWithWhatWasDrawn) {
    TDrawn one = Draw(kSjisMail, 1);
    one.Symbols.Text = kUtf8Mail;
    Paint(one);
    const TReadCheck a = Check(one);
    EXPECT_TRUE(a.Ok()) << ReadCheckMessage(a);
    EXPECT_EQ(a.Text, kUtf8Mail);

    TDrawn linked = Draw(kSjisMail + std::string(300, 'x'), 3);
    linked.Symbols.Text = kUtf8Mail + std::string(300, 'x');
    Paint(linked, 2); // two to a row: the third starts a row of its own
    const TReadCheck b = Check(linked);
    EXPECT_TRUE(b.Ok()) << ReadCheckMessage(b);
    EXPECT_EQ(b.Bytes, linked.Symbols.Bytes);
}

// Module (row, column) of a symbol drawn by Paint, in the picture's pixels.
void Flip(TDrawn& d, int symbol, int row, int column, int columns = 4) {
    const int cell = d.Set.Side + 2 * qr::engine::kQuietZone;
    const int x0 = ((symbol - 1) % columns * cell + qr::engine::kQuietZone + column) * kPx;
    const int y0 = ((symbol - 1) / columns * cell + qr::engine::kQuietZone + row) * kPx;
    for (int y = y0; y < y0 + kPx; ++y)
        for (int x = x0; x < x0 + kPx; ++x) {
            auto& p = d.Grey[static_cast<std::size_t>(y) * d.Width + x];
            p = p ? 0 : 255;
        }
}

bool InFunctionPattern(int side, int r, int c) {
    const bool finder = (r < 9 && c < 9) || (r < 9 && c >= side - 8) || (r >= side - 8 && c < 9);
    return finder || r == 6 || c == 6;
}

TEST(ReadBack, CatchesWhatGarblesTheSymbols) {
    const std::string text = "MATMSG:TO:a@b.jp;SUB:;BODY:" + std::string(200, 'y') + ";;";
    // Modules flipped beyond what error correction mends: that symbol does not read.
    TDrawn flipped = Draw(text, 2);
    Paint(flipped);
    for (int r = 9; r < flipped.Set.Side - 9; ++r)
        for (int c = 9; c < 20; ++c)
            Flip(flipped, 2, r, c);
    const TReadCheck a = Check(flipped);
    EXPECT_EQ(a.Problem, TReadProblem::Missing);
    EXPECT_EQ(a.Symbol, 2);
    EXPECT_EQ(ReadCheckMessage(a), "symbol 2 does not read back");

    // Two linked symbols drawn in each other's place.
    TDrawn swapped = Draw(text, 2);
    Paint(swapped);
    std::swap(swapped.Symbols.Centres[0], swapped.Symbols.Centres[1]);
    const TReadCheck b = Check(swapped);
    EXPECT_EQ(b.Problem, TReadProblem::Misplaced);
    EXPECT_EQ(b.Symbol, 1);
    EXPECT_EQ(b.Found, 2);

    // Another mask over the data than the format bits name: (r + c) even against r even
    // differs where r is odd and c is odd.
    TDrawn masked = Draw("HELLO WORLD 12345", 1, qr::engine::kEciNone, 1);
    Paint(masked);
    for (int r = 0; r < masked.Set.Side; ++r)
        for (int c = 0; c < masked.Set.Side; ++c)
            if (r % 2 == 1 && c % 2 == 1 && !InFunctionPattern(masked.Set.Side, r, c))
                Flip(masked, 1, r, c);
    EXPECT_FALSE(Check(masked).Ok());
}

// A saved picture or a printed page is read whole, in whichever turn it was drawn: the
// linked set is joined by its numbers, and a symbol gone from it is named.
TEST(ReadBack, ReadsWholePicturesInAnyTurnAndNamesAMissingSymbol) {
    const std::string text = "MATMSG:TO:a@b.jp;SUB:;BODY:" + std::string(300, 'z') + ";;";
    TDrawn d = Draw(text, 3);
    Paint(d, 2);
    std::vector<std::uint8_t> turned(d.Grey.rbegin(), d.Grey.rend()); // half a turn
    for (const auto* grey : {&d.Grey, &turned}) {
        const TReadCheck c = ReadPictures({{grey->data(), d.Width, d.Height, 0}}, 3, d.Symbols);
        EXPECT_TRUE(c.Ok()) << ReadCheckMessage(c);
        EXPECT_EQ(c.Bytes, text);
    }
    // The third symbol (alone on the second row) blanked out.
    std::fill(d.Grey.begin() + d.Width * (d.Height / 2 + kPx), d.Grey.end(), 255);
    const TReadCheck c = ReadPictures({{d.Grey.data(), d.Width, d.Height, 0}}, 3, d.Symbols);
    EXPECT_EQ(c.Problem, TReadProblem::Missing);
    EXPECT_EQ(c.Symbol, 3);
}

TEST(ReadBack, NamesTheTextAPhoneShowsWhenTheCharacterSetMisleadsIt) {
    // Shift-JIS half-width kana announced as Latin-1 (ECI 3): the bytes come back whole,
    // the phone shows other characters.
    TDrawn d = Draw("MATMSG:TO:a@b.jp;SUB:;BODY:\xb1\xb2\xb3;;", 1, 3);
    d.Symbols.Text = "MATMSG:TO:a@b.jp;SUB:;BODY:ｱｲｳ;;";
    Paint(d);
    const TReadCheck c = Check(d);
    EXPECT_EQ(c.Problem, TReadProblem::TextDiffers);
    EXPECT_EQ(c.Difference.Label, "本文");
    EXPECT_EQ(c.Difference.Position, 1);
    EXPECT_EQ(c.Difference.Typed, "ｱｲｳ");
    EXPECT_EQ(c.Difference.Shown, "±²³");

    // 0x8160 is "～" in code page 932 and "〜" to a phone: the same character, no fault.
    TDrawn tilde = Draw("\x96\xbe\x93\xfa\x81\x60", 1);
    tilde.Symbols.Text = "明日～";
    Paint(tilde);
    EXPECT_TRUE(Check(tilde).Ok()) << ReadCheckMessage(Check(tilde));
}

} // namespace
} // namespace composer
