// "作成" from the user's side: what the picture decodes to, the refusals, the alert and
// the status bar.
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <functional>
#include <vector>

#include "composer/shift_jis_text.h"
#include "composer/text_files.h"
#include "platform/alert_notifier.h"
#include "platform/lamp.h"
#include "platform/radio_group.h"
#include "platform/stay_down_button.h"
#include "qr/qr_code.h"
#include "tests/window/window_fixture.h"

namespace window_test {
namespace {

using platform::MsgIcon;

class Composer : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Start();
    }
    void Mail(int carrier, const char* address, const char* subject = "") {
        form->CaraiaGroup1->SetItemIndex(carrier);
        form->MailComb1->setEditText(QString::fromUtf8(address));
        form->SubjectEdit1->setText(QString::fromUtf8(subject));
    }
};

TEST_F(Composer, MailPayloadsDecodeToTheCarriersBytes) {
    struct Row {
        int carrier;
        const char* expected;
    };
    const Row rows[] = {
        {0, "MATMSG:TO:taro@example.jp;SUB:ご案内;BODY:一行目二行目;;"},
        {1, "MAILTO:taro@example.jp\r\nSUBJECT:ご案内\r\nBODY:一行目二行目"},
        {2, "MAILTO:taro@example.jp\r\nSUBJECT:ご案内\r\nBODY:一行目二行目"},
    };
    for (const Row& row : rows) {
        Type(QStringLiteral("一行目\n二行目"));
        Mail(row.carrier, "taro@example.jp", "ご案内");
        const int alertsBefore = form->Alert1->ShownCount();
        Create();
        EXPECT_TRUE(form->QRCode1->SymbolDisped()) << row.carrier;
        EXPECT_EQ(Joined(1), ShiftJis(row.expected)) << row.carrier;
        EXPECT_EQ(form->Alert1->ShownCount(), alertsBefore + 1);
        EXPECT_EQ(form->Alert1->Text(), QStringLiteral(" QR コードを作成しました。"));
        EXPECT_EQ(form->PageControl1->currentIndex(), 0);
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(Composer, LongBodyIsSplitOverLinkedSymbolsInOrder) {
    // 200 characters of body: two symbols, although the mail around it is longer.
    QString body;
    for (int i = 0; i < 20; ++i)
        body += QStringLiteral("あいうえおかきくけ%1").arg(i % 10);
    Type(body);
    Mail(0, "hanako@example.jp");
    Create();
    ASSERT_TRUE(form->QRCode1->SymbolDisped());
    EXPECT_EQ(form->QRCode1->Count(), 2);
    const std::string expected =
        "MATMSG:TO:hanako@example.jp;SUB:;BODY:" + composer::ToShiftJis(body) + ";;";
    EXPECT_EQ(Joined(2), expected);
}

TEST_F(Composer, TheCodeIsReadBackAndTheLineSaysWhatAPhoneShows) {
    QString body;
    for (int i = 0; i < 20; ++i)
        body += QStringLiteral("あいうえおかきくけ%1").arg(i % 10);
    Type(body);
    Mail(0, "hanako@example.jp", "ご案内");
    Create();
    ASSERT_EQ(form->QRCode1->Count(), 2);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(form->ReadBackLabel1->isVisible());
    const QString line = QStringLiteral("携帯の表示：宛先 hanako@example.jp / 件名 ご案内 / 本文 ");
    EXPECT_EQ(form->ReadBackLabel1->toolTip(), line + body);
    // The line keeps to three lines under the code; the tip has the whole.
    EXPECT_TRUE(form->ReadBackLabel1->text().startsWith(line));
    EXPECT_LE(form->ReadBackLabel1->height(),
              3 * form->ReadBackLabel1->fontMetrics().lineSpacing() +
                  2 * form->ReadBackLabel1->margin() + 2);
    EXPECT_EQ(form->StatusText(0), QStringLiteral(" 読み取り確認済み"));
    // Under the code and its captions, never over them, however small the window.
    for (const int height : {form->height(), form->minimumHeight()}) {
        form->resize(form->width(), height);
        QCoreApplication::processEvents();
        const QLabel* label = form->ReadBackLabel1;
        if (!label->isVisible()) continue;
        EXPECT_GE(label->y(), form->QRCode1->SymbolTop() + form->QRCode1->SymbolHeightA() +
                                  label->fontMetrics().height() / 2)
            << height;
    }

    // The pixels spoilt: the middle of symbol 2 inverted, or the two symbols swapped.
    qr::TQRCode& q = *form->QRCode1;
    const auto cell = [&q](int k) {
        return QRect(q.SymbolLeft() + k * q.SymbolWidthS() + q.SymbolSpaceLeft(),
                     q.SymbolTop() + q.SymbolSpaceUp(), q.SymbolWidth(), q.SymbolHeight());
    };
    const QImage picture = q.BitmapImage().convertToFormat(QImage::Format_RGB32);
    QImage inverted = picture;
    {
        QPainter painter(&inverted);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        const QRect c = cell(1);
        painter.fillRect(c.adjusted(c.width() / 5, c.height() / 5, -c.width() / 5, -c.height() / 5),
                         Qt::white);
    }
    QImage swapped = picture;
    {
        QPainter painter(&swapped);
        painter.drawImage(cell(0), picture, cell(1));
        painter.drawImage(cell(1), picture, cell(0));
    }
    const struct {
        const QImage& picture;
        QString names;
    } spoilt[] = {
        {inverted, QStringLiteral("2 番目の QR コードを読み取れませんでした。")},
        {swapped, QStringLiteral("1 番目の位置の QR コードは、2 番目として読み取られます。")}};
    for (const auto& row : spoilt) {
        ForgetBoxes();
        EXPECT_FALSE(form->CheckShownPicture(row.picture));
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_NE(Boxes()[0].Text.indexOf(row.names), -1) << Boxes()[0].Text.toStdString();
        EXPECT_EQ(form->ReadState(), TMainForm1::TReadState::Unchecked);
    }
    EXPECT_TRUE(form->CheckShownPicture(picture));
    ForgetBoxes();

    // What is shown is not what was meant: the warning names the field and the place.
    const std::string other =
        "MATMSG:TO:hanako@example.jp;SUB:" + composer::ToShiftJis(QStringLiteral("ご案内")) +
        ";BODY:" + composer::ToShiftJis(QStringLiteral("あいう")) + ";;";
    EXPECT_FALSE(form->CheckShownCode(other, false));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].Text.indexOf(QStringLiteral("「本文」の 4 文字目から違います。")), -1)
        << Boxes()[0].Text.toStdString();
    EXPECT_EQ(Boxes()[0].Icon, MsgIcon::Warning);
    EXPECT_EQ(form->StatusText(0), QStringLiteral(" 読み取り未確認"));

    // A change to the text hides the line with the rest of the old code's state.
    Type(QStringLiteral("別の文"));
    EXPECT_FALSE(form->ReadBackLabel1->isVisible());
}

TEST_F(Composer, WithoutAValidAddressTheBodyGoesAsItIs) {
    Type(QStringLiteral("行1\n行2"));
    Mail(0, "no-at-sign.example.jp", "件名");
    form->SubjectGroup1->SetItemIndex(2);
    Create();
    EXPECT_EQ(Joined(1), ShiftJis("行1\r\n行2"));
    EXPECT_EQ(form->SubjectEdit1->text(), QStringLiteral("件名")); // untouched
    // Said, not reported as a made mail: the address was not taken and the code holds
    // the body alone.
    for (const QString& said : {form->Alert1->Text(), form->StatusText(0)}) {
        EXPECT_TRUE(said.contains(QStringLiteral("「no-at-sign.example.jp」")) &&
                    said.contains(QStringLiteral("認識できませんでした")) &&
                    said.contains(QStringLiteral("本文だけ")))
            << said.toStdString();
    }
    // No address typed: a plain message, said plainly.
    Mail(0, "");
    Create();
    EXPECT_EQ(form->Alert1->Text(), QStringLiteral(" QR コードを作成しました。"));
}

TEST_F(Composer, SubjectOptionsRewriteTheSubjectField) {
    struct Row {
        int option;
        const char* typed;
        const char* shown;
    };
    const Row rows[] = {
        {0, "そのまま", "そのまま"},
        {1, "", "あいう\nえおかきく"}, // the first ten characters, line break included
        // The options fill a blank subject only; one the user typed stays.
        {1, "件名あり", "件名あり"},
        {2, "入力済み", "入力済み"},
        {2, "", "こんにちは!"},
    };
    for (const Row& row : rows) {
        Type(QStringLiteral("あいう\nえおかきくけこさしす"));
        Mail(0, "a@b.jp", row.typed);
        form->SubjectGroup1->SetItemIndex(row.option);
        Create();
        // The field holds the ten characters with the editor's line break as CR LF.
        EXPECT_EQ(composer::ToShiftJis(form->SubjectEdit1->text()),
                  composer::ReplaceAllText(ShiftJis(row.shown), "\n", "\r\n"))
            << row.option;
    }
}

TEST_F(Composer, AddressCardsDecodeAfterKanaNormalisation) {
    struct Row {
        int carrier;
        const char* phone; // as an input method types it, or already half-width
        const char* expected;
    };
    const Row rows[] = {
        {0, "０９０－１２３４－５６７８",
         "MECARD:N:山田 太郎;SOUND:ﾔﾏﾀﾞ ﾀﾛｳ;TEL:090-1234-5678;TEL:;EMAIL:taro@example.jp;EMAIL:;"
         "NOTE:メモ一メモ二;;"},
        {1, "090ー1234‐5678",
         "MEMORY:メモ一メモ二\r\nNAME1:山田 太郎\r\nNAME2:ﾔﾏﾀﾞ "
         "ﾀﾛｳ\r\nTEL1:090-1234-5678\r\nTEL2:\r\n"
         "MAIL1:taro@example.jp\r\nMAIL2:\r\n"},
    };
    for (const Row& row : rows) {
        form->sPage2->setCurrentIndex(1);
        form->CaraiaGroup1->SetItemIndex(row.carrier);
        form->SeiEdit1->setText(QStringLiteral("山田"));
        form->MeiEdit1->setText(QStringLiteral("太郎"));
        form->kanaEdit1->setText(QStringLiteral("やまだ"));
        form->kanaEdit2->setText(QStringLiteral("タロウ"));
        form->PhoneEdit1->setText(QString::fromUtf8(row.phone));
        form->AddresEdit1->setText(QStringLiteral("taro@example.jp"));
        form->Memo2->setPlainText(QStringLiteral("メモ一\nメモ二"));
        Create();
        EXPECT_EQ(form->kanaEdit1->text(), QStringLiteral("ﾔﾏﾀﾞ"));
        EXPECT_EQ(form->kanaEdit2->text(), QStringLiteral("ﾀﾛｳ"));
        EXPECT_EQ(form->PhoneEdit1->text(), QStringLiteral("090-1234-5678"));
        ASSERT_TRUE(form->QRCode1->SymbolDisped()) << row.carrier;
        EXPECT_EQ(Joined(1), ShiftJis(row.expected)) << row.carrier;
        EXPECT_EQ(form->Alert1->Text(), QStringLiteral(" 住所登録用QR コードを作成しました。"));
        // Both payloads end in bytes only the 8-bit mode carries.
        EXPECT_EQ(form->StatusText(1), QStringLiteral("2"));
    }
}

TEST_F(Composer, BookmarkDecodesWithItsAddressCompleted) {
    struct Row {
        const char* typed;
        const char* field;
        const char* carried; // the reserved ":" escaped
    };
    const Row rows[] = {
        {"example.jp/top", "http://example.jp/top", "http\\://example.jp/top"},
        {"https://example.jp/", "https://example.jp/", "https\\://example.jp/"},
        {"see http://example.jp", "see http://example.jp", "see http\\://example.jp"},
    };
    form->sPage2->setCurrentIndex(2);
    for (const Row& row : rows) {
        form->SiteEdit1->setText(QStringLiteral("ニュース"));
        form->URLEdit1->setText(QString::fromUtf8(row.typed));
        const int alertsBefore = form->Alert1->ShownCount();
        form->SetStatusText(1, QString());
        Create();
        EXPECT_EQ(form->URLEdit1->text(), QString::fromUtf8(row.field));
        EXPECT_EQ(Joined(1), ShiftJis("MEBKM:TITLE:ニュース;URL:") + row.carried + ";;");
        EXPECT_EQ(form->StatusText(1), QStringLiteral("2"));
        EXPECT_EQ(form->Alert1->ShownCount(), alertsBefore); // a bookmark gets no alert
    }
}

TEST_F(Composer, RefusalsNameTheProblemAndDrawNothing) {
    struct Row {
        int page;
        const char* kana1;
        const char* kana2;
        const char* phone1;
        const char* phone2;
        const char* text;
        const char* caption;
        const char* phone1After;
        const char* phone2After;
        int focus; // the refused field, which gets the caret: 1-5 in the window's order
        const char* url = "";
    };
    const Row rows[] = {
        {1, "山田", "たろう", "", "", "名前（姓）に漢字が含まれています。", "入力エラー", "", "",
         1},
        {1, "やまだ", "太郎", "", "", "名前（名）に漢字が含まれています。", "入力エラー", "", "",
         2},
        {1, "やまだ", "たろう", "０９０（自宅）", "03-1111",
         "電話番号1 に全角文字が含まれています。\r\n半角数字で入力して下さい。", "入力エラー",
         "090（自宅）", "03-1111", 3},
        {1, "やまだ", "たろう", "090", "０３内線",
         "電話番号2 に全角文字が含まれています。\r\n半角数字で入力して下さい。", "入力エラー",
         "090", "03内線", 4},
        {0, "", "", "", "", "メール本文が入力されていません、\r\n入力してからやり直してください。",
         "メッセージエラー", "", "", 0},
        // A bookmark without an address is refused, not made as "http://" alone.
        {2, "", "", "", "", composer::kEmptyUrlMessage, composer::kEmptyUrlCaption, "", "", 5},
        {2, "", "", "", "", composer::kEmptyUrlMessage, composer::kEmptyUrlCaption, "", "", 5,
         " http:// "},
    };
    for (const Row& row : rows) {
        ForgetBoxes();
        form->QRCode1->Clear();
        form->sPage2->setCurrentIndex(row.page);
        Type(QString());
        form->SetStatusText(1, QStringLiteral("before"));
        form->kanaEdit1->setText(QString::fromUtf8(row.kana1));
        form->kanaEdit2->setText(QString::fromUtf8(row.kana2));
        form->PhoneEdit1->setText(QString::fromUtf8(row.phone1));
        form->PhoneEdit2->setText(QString::fromUtf8(row.phone2));
        form->URLEdit1->setText(QString::fromUtf8(row.url));
        form->Button1Click(); // the button itself is disabled with an empty editor
        ASSERT_EQ(Boxes().size(), 1u) << row.text;
        EXPECT_EQ(Boxes()[0].Text, QString::fromUtf8(row.text));
        EXPECT_EQ(Boxes()[0].Caption, QString::fromUtf8(row.caption));
        EXPECT_EQ(Boxes()[0].Icon, MsgIcon::Error);
        EXPECT_FALSE(form->QRCode1->SymbolDisped());
        EXPECT_TRUE(form->QRCode1->BitmapImage().isNull());
        EXPECT_EQ(form->StatusText(1), QStringLiteral("before"));
        EXPECT_EQ(form->PhoneEdit1->text(), QString::fromUtf8(row.phone1After));
        EXPECT_EQ(form->PhoneEdit2->text(), QString::fromUtf8(row.phone2After));
        const QWidget* fields[] = {nullptr,          form->kanaEdit1,  form->kanaEdit2,
                                   form->PhoneEdit1, form->PhoneEdit2, form->URLEdit1};
        if (row.focus != 0) {
            EXPECT_EQ(form->focusWidget(), fields[row.focus]) << row.text;
        }
    }
    // A reading in kanji stays in its field for the user to correct.
    EXPECT_EQ(form->kanaEdit1->text(), QStringLiteral(""));
}

TEST_F(Composer, CharactersWithoutShiftJisAreNamedAndNothingIsSent) {
    struct Row {
        int page;
        QLineEdit* TMainForm1::*field; // besides the editor; null for none
        const char* fieldText;
        const char* body;
        std::vector<const char*> named; // lines of the box, in order
    };
    const Row rows[] = {
        {0, nullptr, "", "テスト😀", {"本文 4文字目：「😀」(U+1F600)"}},
        {0,
         &TMainForm1::SubjectEdit1,
         "안녕",
         "行一\n𠮷野家と안の店",
         {"本文 2行目 1文字目：「𠮷」(U+20BB7)", "本文 2行目 5文字目：「안」(U+C548)",
          "件名 1文字目：「안」(U+C548)", "件名 2文字目：「녕」(U+B155)"}},
        {1, &TMainForm1::SeiEdit1, "山😀", "", {"姓 2文字目：「😀」(U+1F600)"}},
        {2, &TMainForm1::SiteEdit1, "寿司🍣", "", {"サイト名 3文字目：「🍣」(U+1F363)"}},
        // In code page 932, but outside JIS X 0208: phones garble them.
        {0,
         nullptr,
         "",
         "①髙㈱",
         {"本文 1文字目：「①」(U+2460)", "本文 2文字目：「髙」(U+9AD9)",
          "本文 3文字目：「㈱」(U+3231)"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body);
        form->QRCode1->Clear();
        form->sPage2->setCurrentIndex(row.page);
        const QString body = QString::fromUtf8(row.body);
        Type(body);
        if (row.field) (form->*row.field)->setText(QString::fromUtf8(row.fieldText));
        ForgetBoxes();
        form->Button1Click();
        ASSERT_EQ(Boxes().size(), 1u);
        const QStringList lines = Boxes()[0].Text.split(QStringLiteral("\r\n"));
        ASSERT_EQ(lines.size(), static_cast<qsizetype>(row.named.size()) + 1);
        for (size_t i = 0; i < row.named.size(); ++i)
            EXPECT_EQ(lines[static_cast<qsizetype>(i) + 1], QString::fromUtf8(row.named[i]));
        EXPECT_EQ(Boxes()[0].Icon, MsgIcon::Error);
        EXPECT_FALSE(form->QRCode1->SymbolDisped());
        EXPECT_EQ(form->Memo1->toPlainText(), body); // kept as typed
        if (row.field) (form->*row.field)->clear();
    }
}

TEST_F(Composer, SavingATemplateEndsWriteModeAndSaysSo) {
    form->RWFlgBtn1->click();
    ASSERT_TRUE(form->RWFlgBtn1->Down());
    Type(QStringLiteral("絵文字😀入り"));
    form->DocBtn[0]->click();
    // Refused: a template is a Shift-JIS file and would keep a "?".
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(Boxes()[0].Text.contains(QStringLiteral("本文 4文字目：「😀」(U+1F600)")))
        << Boxes()[0].Text.toStdString();
    EXPECT_TRUE(form->RWFlgBtn1->Down());
    EXPECT_TRUE(ReadBytes(FilePath(composer::TemplateFileName(1))).empty());

    Type(QStringLiteral("定型文"));
    form->DocBtn[0]->click();
    EXPECT_EQ(ReadBytes(FilePath(composer::TemplateFileName(1))), ShiftJis("定型文"));
    EXPECT_FALSE(form->RWFlgBtn1->Down());
    form->RWFlgBtn1->click(); // into write mode and out again: what read mode shows
    form->RWFlgBtn1->click();
    const QString readMode = form->StatusText(0);
    form->RWFlgBtn1->click();
    form->DocBtn[1]->click();
    EXPECT_EQ(form->StatusText(0), readMode);
    EXPECT_TRUE(form->ModeLED->Lit());
}

TEST_F(Composer, KanjiReadingIsKeptInItsField) {
    form->sPage2->setCurrentIndex(1);
    form->kanaEdit1->setText(QStringLiteral("山だ"));
    Create();
    EXPECT_EQ(form->kanaEdit1->text(), QStringLiteral("山ﾀﾞ"));
    ASSERT_EQ(Boxes().size(), 1u);
}

TEST_F(Composer, MessageCounterFollowsTheEditorOnEveryTab) {
    struct Row {
        int page;
        const char* text;
        bool enabled;
        const char* status;
    };
    // 作成 follows the shown tab's own fields: here the card and bookmark are empty.
    const Row rows[] = {
        {0, "了", true, "現在の文字数：1文字 / 残り：599文字"},
        {0, "abcde", true, "現在の文字数：5文字 / 残り：595文字"},
        {1, "あい", false, "現在の文字数：2文字 / 残り：598文字"},
        {2, "あいう", false, "現在の文字数：3文字 / 残り：597文字"}, // 6 bytes, 3 characters
        {0, "a\nb\nc", true, "現在の文字数：7文字 / 残り：593文字"}, // CR LF counts twice
        {0, "", false, "　文字を入力して下さい。"},
    };
    for (const Row& row : rows) {
        form->sPage2->setCurrentIndex(row.page);
        Type(QString::fromUtf8(row.text));
        EXPECT_EQ(form->Button1->isEnabled(), row.enabled) << row.text;
        EXPECT_EQ(form->StatusText(0), QString::fromUtf8(row.status)) << row.text;
    }
}

TEST_F(Composer, CreateFollowsTheShownTabsOwnFields) {
    struct Row {
        int page;
        QLineEdit* TMainForm1::*field; // null: the card's memo
        const char* text;
        bool enabled;
    };
    const Row rows[] = {
        {1, &TMainForm1::SeiEdit1, "山田", true},
        {1, &TMainForm1::PhoneEdit2, "090", true},
        {1, nullptr, "メモだけ", true},
        {1, &TMainForm1::AddresEdit1, "  ", false},
        {2, &TMainForm1::URLEdit1, "example.jp", true},
        {2, &TMainForm1::URLEdit1, "http://", false},
        {2, &TMainForm1::SiteEdit1, "サイト名だけ", false},
    };
    Type(QString()); // the message editor decides nothing on these tabs
    for (const Row& row : rows) {
        form->sPage2->setCurrentIndex(row.page);
        if (row.field) {
            (form->*row.field)->setText(QString::fromUtf8(row.text));
        } else {
            form->Memo2->setPlainText(QString::fromUtf8(row.text));
        }
        EXPECT_EQ(form->Button1->isEnabled(), row.enabled) << row.text;
        if (row.field) {
            (form->*row.field)->clear();
        } else {
            form->Memo2->clear();
        }
    }
    // Two Kanji make a code; a filled-in card is made whatever the message editor holds.
    form->sPage2->setCurrentIndex(0);
    Type(QStringLiteral("了解"));
    Create();
    EXPECT_EQ(Joined(1), ShiftJis("了解"));
    Type(QString());
    form->sPage2->setCurrentIndex(1);
    form->SeiEdit1->setText(QStringLiteral("山田"));
    ASSERT_TRUE(form->Button1->isEnabled());
    Create();
    EXPECT_NE(Joined(1).find(ShiftJis("山田")), std::string::npos);
}

// A code on screen that no longer carries what the fields hold is greyed and captioned
// until 作成 runs again; what 作成 itself writes back is part of the code.
TEST_F(Composer, AnOutdatedCodeIsMarkedUntilItIsMadeAgain) {
    struct Row {
        const char* change;
        std::function<void()> act;
    };
    const Row rows[] = {
        {"body", [&] { form->Memo1->insertPlainText(QStringLiteral("追記")); }},
        {"subject", [&] { form->SubjectEdit1->setText(QStringLiteral("別件")); }},
        {"address", [&] { form->MailComb1->setEditText(QStringLiteral("jiro@example.jp")); }},
        {"carrier", [&] { form->CaraiaGroup1->SetItemIndex(1); }},
        {"cleared", [&] { form->Memo1->clear(); }},
    };
    for (const Row& row : rows) {
        Type(QStringLiteral("本文"));
        Mail(0, "taro@example.jp");
        form->SubjectGroup1->SetItemIndex(1); // 作成 writes the subject back
        Create();
        ASSERT_TRUE(form->QRCode1->SymbolDisped());
        EXPECT_FALSE(form->CodeOutdated()) << row.change;
        EXPECT_FALSE(form->OutdatedLabel1->isVisible());
        EXPECT_EQ(form->QRCode1->graphicsEffect(), nullptr);
        row.act();
        EXPECT_TRUE(form->CodeOutdated()) << row.change;
        EXPECT_TRUE(form->OutdatedLabel1->isVisible());
        EXPECT_NE(form->QRCode1->graphicsEffect(), nullptr);
        EXPECT_TRUE(form->QRCode1->accessibleName().contains(QStringLiteral("異なります")));
        form->SubjectGroup1->SetItemIndex(0);
    }
    // The text put back after a "<User>" drawing belongs to the code just made.
    Type(QStringLiteral("<User>様"));
    form->NameEdit1->setText(QStringLiteral("花子"));
    form->RepBtn1->click();
    Create();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("<User>様"));
    EXPECT_FALSE(form->CodeOutdated());
    // Clearing takes the code away: nothing is left to mark.
    Answer(platform::MsgResult::Yes);
    form->MemClear1->click();
    EXPECT_FALSE(form->CodeOutdated());
    EXPECT_FALSE(form->OutdatedLabel1->isVisible());
}

TEST_F(Composer, MoreThanSixHundredCharactersRedrawsAsOneSymbol) {
    Type(QString(160, QLatin1Char('x')));
    Create();
    ASSERT_EQ(form->QRCode1->Count(), 2);
    ASSERT_EQ(Symbols().size(), 2u);

    Type(QString(601, QLatin1Char('y')));
    EXPECT_EQ(form->StatusText(0), QStringLiteral("現在の文字数：601文字 / 残り：-1文字"));
    EXPECT_EQ(form->QRCode1->Count(), 1);
    // The code drawn before, now in one symbol, and no stale second symbol beside it.
    EXPECT_EQ(Joined(1), std::string(160, 'x'));
    EXPECT_EQ(Symbols()[0].SequenceIndex, -1);

    // Too long for four symbols: said, naming the excess over the counter's limit.
    // (Kana and letters by turns: the modes change at every character.)
    Type(QStringLiteral("あa").repeated(325));
    ForgetBoxes();
    Create();
    EXPECT_FALSE(form->QRCode1->SymbolDisped());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(Boxes()[0].Text.startsWith(QStringLiteral("文章が 50 文字長すぎる")));
    EXPECT_EQ(Boxes()[0].Icon, MsgIcon::Error);
}

TEST_F(Composer, UserTagIsReplacedAndTheTemplateComesBackAfterADrawing) {
    Type(QStringLiteral("こんにちは、"));
    QTextCursor end = form->Memo1->textCursor();
    end.movePosition(QTextCursor::End);
    form->Memo1->setTextCursor(end);
    form->RpBtn1->click();
    form->Memo1->moveCursor(QTextCursor::End);
    form->Memo1->insertPlainText(QStringLiteral("さん。\nまた<User>さんへ"));
    const QString withTags = QStringLiteral("こんにちは、<User>さん。\nまた<User>さんへ");
    ASSERT_EQ(form->Memo1->toPlainText(), withTags);

    form->NameEdit1->setText(QStringLiteral("太郎"));
    form->RepBtn1->click();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("こんにちは、太郎さん。\nまた太郎さんへ"));
    EXPECT_TRUE(form->RestorePending);

    Create();
    EXPECT_EQ(Joined(1), ShiftJis("こんにちは、太郎さん。\r\nまた太郎さんへ"));
    EXPECT_EQ(form->Memo1->toPlainText(), withTags);
    EXPECT_FALSE(form->RestorePending);
    EXPECT_TRUE(form->SList1.Strings().isEmpty());
}

TEST_F(Composer, PendingRestoreSurvivesARunThatCouldNotBeDrawn) {
    const QString withTag = QStringLiteral("<User>様");
    Type(withTag);
    form->NameEdit1->setText(QStringLiteral("花子"));
    form->RepBtn1->click();
    // 800 kanji do not fit four version-10 symbols (167 each): nothing is drawn.
    Type(form->Memo1->toPlainText() + QString(800, QChar(0x6F22)));
    ForgetBoxes();
    Create();
    ASSERT_FALSE(form->QRCode1->SymbolDisped());
    // Said, with the excess over the counter's 600 characters.
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(
        Boxes()[0].Text.startsWith(QStringLiteral("文章が %1 文字長すぎる")
                                       .arg(composer::CountMbChars(form->EditorText()) - 600)))
        << Boxes()[0].Text.toStdString();
    EXPECT_TRUE(form->RestorePending);
    EXPECT_EQ(form->SList1.Strings(), QStringList{withTag});

    Type(QStringLiteral("花子様"));
    Create();
    ASSERT_TRUE(form->QRCode1->SymbolDisped());
    EXPECT_EQ(form->Memo1->toPlainText(), withTag);
    EXPECT_FALSE(form->RestorePending);
}

TEST_F(Composer, NameOfOneByteCannotReplaceTheTag) {
    struct Row {
        const char* name;
        bool refused;
    };
    const Row rows[] = {{"", true}, {"a", true}, {"ab", false}, {"太", false}};
    for (const Row& row : rows) {
        ForgetBoxes();
        Type(QStringLiteral("<User>へ"));
        form->RestorePending = false;
        form->NameEdit1->setText(QString::fromUtf8(row.name));
        form->RepBtn1->click();
        if (row.refused) {
            ASSERT_EQ(Boxes().size(), 1u) << row.name;
            EXPECT_EQ(Boxes()[0].Text,
                      QStringLiteral("ユーザー名が入力されていません。\r\n"
                                     "ユーザーを下記のリストから選択するか、ユーザー名をに入力\r\n"
                                     "して下さい。"));
            EXPECT_EQ(Boxes()[0].Caption, QStringLiteral("エラー"));
            EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("<User>へ"));
            EXPECT_FALSE(form->RestorePending);
        } else {
            EXPECT_TRUE(Boxes().empty()) << row.name;
            EXPECT_EQ(form->Memo1->toPlainText(),
                      QString::fromUtf8(row.name) + QStringLiteral("へ"));
            EXPECT_TRUE(form->RestorePending);
        }
    }
}

TEST_F(Composer, AFifthCarrierSendsTheBodyAndAnEmptyCard) {
    form->CaraiaGroup1->SetItems({"Docomo", "Softbank", "AU", "スマートフォン", "Other"});
    Type(QStringLiteral("本文です"));
    Mail(4, "a@b.jp");
    Create();
    EXPECT_EQ(Joined(1), ShiftJis("本文です"));

    form->sPage2->setCurrentIndex(1);
    form->CaraiaGroup1->SetItemIndex(4);
    EXPECT_FALSE(form->Button1->isEnabled()); // an empty card is not made
    form->SeiEdit1->setText(QStringLiteral("山田"));
    Create();
    EXPECT_EQ(form->QRCode1->Count(), 1); // an empty code is one symbol
    EXPECT_TRUE(form->QRCode1->Code().empty());
}

// The smartphone target: one symbol at the smallest version, the fields a phone's
// reader parses, and UTF-8 (ECI 26) for what Shift-JIS phones cannot show.
TEST_F(Composer, SmartphoneCodesAreOneSymbolInTheFormsPhonesParse) {
    ASSERT_EQ(form->CaraiaGroup1->Items().value(3), QStringLiteral("スマートフォン"));
    Type(QStringLiteral("会議は14:00; 場所は3F\n") + QString(300, QChar(u'あ')));
    Mail(3, "taro@example.jp", "ご案内");
    Create();
    ASSERT_TRUE(form->QRCode1->SymbolDisped());
    EXPECT_EQ(form->QRCode1->Count(), 1);
    EXPECT_EQ(form->QRCode1->Eclevel(), 1); // M while one symbol still holds it
    EXPECT_EQ(form->QRCode1->Segments(), qr::engine::sgOptimal); // the fewest bits
    EXPECT_EQ(Joined(1), ShiftJis("MATMSG:TO:taro@example.jp;SUB:ご案内;BODY:会議は14\\:00\\; "
                                  "場所は3F\r\n") +
                             composer::ToShiftJis(QString(300, QChar(u'あ'))) + ";;");

    Type(QStringLiteral("😀了解"));
    Create();
    EXPECT_EQ(form->QRCode1->Eci(), 26);
    EXPECT_EQ(Joined(1), "MATMSG:TO:taro@example.jp;SUB:ご案内;BODY:😀了解;;");

    form->sPage2->setCurrentIndex(2);
    EXPECT_TRUE(form->URLEdit1->isEnabled());
    form->SiteEdit1->setText(QStringLiteral("天気"));
    form->URLEdit1->setText(QStringLiteral("tenki.jp/a;b"));
    Create();
    EXPECT_EQ(Joined(1), "http://tenki.jp/a;b");
    EXPECT_NE(form->StatusText(0).indexOf(QStringLiteral("URL だけ")), -1);

    // The carriers' symbols keep the greedy rule, as they always were.
    form->sPage2->setCurrentIndex(0);
    Type(QStringLiteral("了解、明日10時に駅前で。"));
    Mail(0, "taro@example.jp", "ご案内");
    Create();
    ASSERT_TRUE(form->QRCode1->SymbolDisped());
    EXPECT_EQ(form->QRCode1->Segments(), qr::engine::sgGreedy);
}

} // namespace
} // namespace window_test
