// The mail, card and bookmark commands against the desktop program's own window: for
// each case the same fields go into varoku-qr and into TMainForm1's "作成", and the
// payload bytes, the symbols drawn and the refusal texts must be the window's.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "platform/message_box.h"
#include "platform/radio_group.h"
#include "qr/qr_code.h"
#include "tests/cli/pictures.h"
#include "tests/cli/run_cli.h"
#include "tests/support/qt_app.h"
#include "tests/support/qt_picture_reader.h"

namespace {

using cli_test::RunQr;
using cli_test::ShiftJis;

enum TTab { tabMail = 0, tabCard = 1, tabBookmark = 2 };

// One composer input; UTF-8, "\n" between the lines of the two editors.
struct TCase {
    const char* Name;
    TTab Tab = tabMail;
    int Carrier = 0;
    std::string To{}, Subject{};
    int SubjectOption = 0;
    std::string Body{};
    std::string Family{}, Given{}, FamilyKana{}, GivenKana{}, Tel1{}, Tel2{}, Mail1{}, Mail2{},
        Memo{};
    std::string Title{}, Url{};
    // The window refuses (in a box of its own words): varoku-qr refuses too, with this.
    const char* Refused = nullptr;
    // The payload fits the window's symbols (otherwise the window draws nothing).
    bool Fits = true;
    // The smartphone target carries the payload as UTF-8.
    bool Utf8 = false;
};

const char* const kCarriers[] = {"docomo", "softbank", "au", "smartphone"};

std::vector<std::string> CommandLine(const TCase& c) {
    std::vector<std::string> args;
    auto add = [&](const char* option, const std::string& value) {
        if (!value.empty()) args.insert(args.end(), {option, value});
    };
    switch (c.Tab) {
    case tabMail:
        args = {"mail", "--carrier", kCarriers[c.Carrier]};
        add("--to", c.To);
        add("--subject", c.Subject);
        if (c.SubjectOption == 1) args.push_back("--subject-from-body");
        if (c.SubjectOption == 2) args.push_back("--subject-hello");
        args.insert(args.end(), {"--body", c.Body});
        break;
    case tabCard:
        args = {"card", "--carrier", kCarriers[c.Carrier]};
        add("--family", c.Family);
        add("--given", c.Given);
        add("--family-kana", c.FamilyKana);
        add("--given-kana", c.GivenKana);
        add("--tel", c.Tel1);
        add("--tel2", c.Tel2);
        add("--mail", c.Mail1);
        add("--mail2", c.Mail2);
        add("--memo", c.Memo);
        break;
    case tabBookmark:
        args = {"bookmark", "--carrier", kCarriers[c.Carrier]};
        add("--title", c.Title);
        add("--url", c.Url);
        break;
    }
    return args;
}

struct TWindowResult {
    std::string Code;
    int Count = 0;
    bool Drawn = false;
    QImage Picture;
    std::vector<platform::TMessageRequest> Boxes;
};

// Fills the window's fields as a user would and presses "作成".
TWindowResult RunWindow(const TCase& c) {
    test_support::EnsureQtApp();
    TWindowResult result;
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        platform::ScopedMessageHandler boxes([&](const platform::TMessageRequest& request) {
            result.Boxes.push_back(request);
            return platform::MsgResult::Ok;
        });
        auto form = std::make_unique<TMainForm1>(dir.filePath(QStringLiteral("varoku.ini")));
        form->resize(1400, 1000);
        form->show();
        auto q = [](const std::string& s) { return QString::fromStdString(s); };
        form->sPage2->setCurrentIndex(c.Tab);
        form->CaraiaGroup1->SetItemIndex(c.Carrier);
        switch (c.Tab) {
        case tabMail:
            form->Memo1->setPlainText(q(c.Body));
            form->MailComb1->setEditText(q(c.To));
            form->SubjectEdit1->setText(q(c.Subject));
            form->SubjectGroup1->SetItemIndex(c.SubjectOption);
            break;
        case tabCard:
            form->SeiEdit1->setText(q(c.Family));
            form->MeiEdit1->setText(q(c.Given));
            form->kanaEdit1->setText(q(c.FamilyKana));
            form->kanaEdit2->setText(q(c.GivenKana));
            form->PhoneEdit1->setText(q(c.Tel1));
            form->PhoneEdit2->setText(q(c.Tel2));
            form->AddresEdit1->setText(q(c.Mail1));
            form->AddresEdit2->setText(q(c.Mail2));
            form->Memo2->setPlainText(q(c.Memo));
            break;
        case tabBookmark:
            form->SiteEdit1->setText(q(c.Title));
            form->URLEdit1->setText(q(c.Url));
            break;
        }
        form->Button1Click();
        result.Code = form->QRCode1->Code();
        result.Count = form->QRCode1->Count();
        result.Drawn = form->QRCode1->SymbolDisped();
        result.Picture = form->QRCode1->BitmapImage();
    }
    QDir::setCurrent(previous);
    return result;
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

std::vector<TCase> Cases() {
    const std::string longBody = Repeat("あいうえおかきくけ0", 20); // 200 characters: 2 symbols
    std::vector<TCase> cases = {
        {.Name = "Docomo mail",
         .To = "taro@example.jp",
         .Subject = "ご案内",
         .Body = "一行目\n二行目"},
        {.Name = "Softbank mail, subject from the body",
         .Carrier = 1,
         .To = "hanako@example.jp",
         .SubjectOption = 1,
         .Body = "あいう\nえおかきくけこさしす"},
        {.Name = "AU mail, hello",
         .Carrier = 2,
         .To = "a@b.jp",
         .SubjectOption = 2,
         .Body = "本文; semi:colon"},
        {.Name = "no address: the body alone",
         .To = "no-at-sign.example.jp",
         .Subject = "件名",
         .Body = "行1\n行2"},
        {.Name = "long body: two linked symbols", .To = "hanako@example.jp", .Body = longBody},
        {.Name = "long message without address: four symbols",
         .Carrier = 2,
         .Body = Repeat("a line of the message\n", 22)},
        {.Name = "too long for four symbols of version 10",
         .Carrier = 1,
         .Body = Repeat("長い本文の行です。\n", 60),
         .Fits = false},
        {.Name = "empty body",
         .To = "taro@example.jp",
         .Refused = "--body: the mail has no body; give its text (or - to read standard input)"},
        {.Name = "Docomo card, readings normalised",
         .Tab = tabCard,
         .Family = "山田",
         .Given = "太郎",
         .FamilyKana = "やまだ",
         .GivenKana = "タロウ",
         .Tel1 = "090-1234-5678",
         .Mail1 = "taro@example.jp",
         .Memo = "メモ"},
        {.Name = "Softbank card with memo",
         .Tab = tabCard,
         .Carrier = 1,
         .Family = "佐藤",
         .Given = "花子",
         .FamilyKana = "さとう",
         .GivenKana = "はなこ",
         .Tel1 = "03 1234 5678",
         .Tel2 = "090-0000-1111",
         .Mail1 = "hanako@example.jp",
         .Mail2 = "h@example.com",
         .Memo = "メモ一\nメモ二"},
        {.Name = "AU card, every field empty", .Tab = tabCard, .Carrier = 2},
        {.Name = "Docomo card, every field empty", .Tab = tabCard},
        {.Name = "family reading in kanji",
         .Tab = tabCard,
         .Family = "山田",
         .FamilyKana = "山田",
         .GivenKana = "漢字",
         .Refused = "--family-kana: the reading has a kanji; write it in kana"},
        {.Name = "given reading in kanji",
         .Tab = tabCard,
         .Carrier = 1,
         .FamilyKana = "やまだ",
         .GivenKana = "太郎",
         .Refused = "--given-kana: the reading has a kanji; write it in kana"},
        {.Name = "full-width telephone",
         .Tab = tabCard,
         .Tel1 = "０９０－１２３４",
         .Tel2 = "０３ー５５"},
        {.Name = "full-width second telephone",
         .Tab = tabCard,
         .Carrier = 2,
         .Tel1 = "090",
         .Tel2 = "０３（代）",
         .Refused = "--tel2: the number has full-width characters; write it in half-width digits"},
        {.Name = "bookmark without a scheme",
         .Tab = tabBookmark,
         .Title = "天気",
         .Url = "tenki.jp/a:b"},
        {.Name = "bookmark with https",
         .Tab = tabBookmark,
         .Title = "Site;",
         .Url = "https://example.jp/"},
        {.Name = "empty bookmark",
         .Tab = tabBookmark,
         .Url = "http://",
         .Refused = "--url: the bookmark has no address; give the page's URL"},
        {.Name = "smartphone mail in Shift-JIS, line breaks kept",
         .Carrier = 3,
         .To = "taro@example.jp",
         .Subject = "会議;",
         .Body = "14:00; ｶｲｷﾞｼﾂ\n" + Repeat("あいうえおかきくけ0", 8)},
        {.Name = "smartphone mail in UTF-8 for an emoji",
         .Carrier = 3,
         .To = "taro@example.jp",
         .SubjectOption = 1,
         .Body = "髙橋さん😀\n了解",
         .Utf8 = true},
        {.Name = "smartphone card, readings in full width, UTF-8 for 𠮷",
         .Tab = tabCard,
         .Carrier = 3,
         .Family = "𠮷田",
         .FamilyKana = "よしだ",
         .GivenKana = "ﾊﾅｺ",
         .Tel1 = "０９０",
         .Memo = "一\n二",
         .Utf8 = true},
        {.Name = "smartphone bookmark: the URL alone",
         .Tab = tabBookmark,
         .Carrier = 3,
         .Title = "天気",
         .Url = "tenki.jp/a;b"},
    };
    return cases;
}

TEST(VarokuQrPayloads, AreTheWindowsBytesSymbolsAndRefusals) {
    for (const TCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        const TWindowResult window = RunWindow(c);
        const auto args = CommandLine(c);

        auto printArgs = args;
        printArgs.push_back("--print-payload");
        const auto printed = RunQr(printArgs);

        if (c.Refused) {
            ASSERT_EQ(window.Boxes.size(), 1u);
            EXPECT_EQ(printed.Exit, 2);
            EXPECT_EQ(printed.Err, "varoku-qr: " + std::string(c.Refused) + "\n");
            EXPECT_TRUE(printed.Out.empty());
            const auto drawn = RunQr(args);
            EXPECT_EQ(drawn.Exit, 2);
            EXPECT_EQ(drawn.Err, printed.Err);
            EXPECT_TRUE(drawn.Out.empty());
            continue;
        }
        // A text too long for four symbols is said in a box; the window refuses nothing else.
        ASSERT_EQ(window.Boxes.size(), c.Fits ? 0u : 1u);
        ASSERT_EQ(printed.Exit, 0) << printed.Err;
        ASSERT_TRUE(printed.Out.ends_with("\n"));
        const std::string shown = printed.Out.substr(0, printed.Out.size() - 1);
        EXPECT_EQ(c.Utf8 ? shown : ShiftJis(shown), window.Code);

        // The picture: the window's symbols, in the same place, pixel for pixel.
        auto pngArgs = args;
        pngArgs.insert(pngArgs.end(), {"-t", "png"});
        const auto png = RunQr(pngArgs);
        ASSERT_EQ(window.Drawn, c.Fits);
        if (!c.Fits) {
            EXPECT_EQ(png.Exit, 1);
            EXPECT_TRUE(png.Err.starts_with("varoku-qr: symbol ")) << png.Err;
            EXPECT_NE(png.Err.find(" of 4 does not fit: "), std::string::npos) << png.Err;
            EXPECT_TRUE(png.Out.empty());
            continue;
        }
        ASSERT_EQ(png.Exit, 0) << png.Err;
        if (c.Carrier == 3) {
            EXPECT_EQ(window.Count, 1) << "one symbol for a phone camera";
        }
        const QImage picture = cli_test::PictureOf("png", png.Out);
        ASSERT_FALSE(picture.isNull());
        ASSERT_GE(window.Picture.width(), picture.width());
        ASSERT_GE(window.Picture.height(), picture.height());
        EXPECT_TRUE(window.Picture.copy(0, 0, picture.width(), picture.height())
                        .convertToFormat(QImage::Format_RGB32) ==
                    picture.convertToFormat(QImage::Format_RGB32));
        auto symbols = test_support::ReadPictureAll(picture);
        ASSERT_EQ(static_cast<int>(symbols.size()), window.Count);
        std::sort(symbols.begin(), symbols.end(),
                  [](const auto& a, const auto& b) { return a.SequenceIndex < b.SequenceIndex; });
        std::string joined;
        for (const auto& s : symbols)
            joined += s.Bytes;
        EXPECT_EQ(joined, window.Code);
    }
}

TEST(VarokuQrPayloads, BodyFromStandardInputLosesItsLastLineBreakOnly) {
    const auto r = RunQr({"mail", "--to", "a@b.jp", "--body", "-", "--print-payload"}, "一\n二\n");
    ASSERT_EQ(r.Exit, 0) << r.Err;
    EXPECT_EQ(r.Out, "MATMSG:TO:a@b.jp;SUB:;BODY:一二;;\n");
    const auto plain =
        RunQr({"mail", "--carrier", "au", "--body", "-", "--print-payload"}, "一\r\n二\r\n");
    EXPECT_EQ(plain.Out, "一\r\n二\n");
}

TEST(VarokuQrPayloads, RefuseWhatTheWindowCannotTake) {
    struct Row {
        std::vector<std::string> Args;
        std::string Message;
    };
    const Row rows[] = {
        {{"card", "--family", "a\xF0\x9F\x98\x80"},
         "--family: character U+1F600 '\xF0\x9F\x98\x80' at position 2 has no Shift-JIS form "
         "(--carrier smartphone carries it as UTF-8)"},
        {{"mail", "--body", "株式会社①", "--carrier", "au"},
         "--body: character U+2460 '①' at position 5 is outside JIS X 0208, which phones show "
         "(--carrier smartphone carries it as UTF-8)"},
        {{"mail", "--body", "x", "--subject", "s", "--subject-hello"},
         "--subject, --subject-from-body and --subject-hello exclude each other"},
        {{"mail", "--carrier", "willcom", "--body", "x"},
         "--carrier takes docomo, softbank, au or smartphone, not 'willcom'"},
        {{"--eci", "utf8", "x"}, "--eci takes auto, none or a number 0..999999, not 'utf8'"},
        {{"card", "--count", "2"}, "--count is not an option of card (see --help)"},
        {{"mail", "--to", "a@b.jp", "extra"},
         "unexpected argument 'extra' (the mail command takes its fields as options; see --help)"},
        {{"--title", "x"}, "--title belongs to a command (see --help)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Message);
        const auto r = RunQr(row.Args);
        EXPECT_EQ(r.Exit, 2);
        EXPECT_EQ(r.Err, "varoku-qr: " + row.Message + "\n");
        EXPECT_TRUE(r.Out.empty());
    }
    // Without a usable address the window sends the body alone; varoku-qr says so.
    const auto r = RunQr({"mail", "--to", "nobody", "--body", "x", "--print-payload"});
    EXPECT_EQ(r.Exit, 0);
    EXPECT_EQ(r.Out, "x\n");
    EXPECT_NE(r.Err.find("warning: 'nobody' is no mail address"), std::string::npos) << r.Err;
}

} // namespace
