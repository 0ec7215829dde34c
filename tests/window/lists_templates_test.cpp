// The user's lists, the template buttons with their mode and lamp, clearing, the
// clipboard button and the tab and carrier changes.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <functional>

#include "composer/shift_jis_text.h"
#include "platform/alert_notifier.h"
#include "platform/lamp.h"
#include "platform/radio_group.h"
#include "platform/stay_down_button.h"
#include "qr/qr_code.h"
#include "tests/support/qt_picture_reader.h"
#include "tests/window/window_fixture.h"

namespace window_test {
namespace {

using platform::MsgIcon;
using platform::MsgResult;

class Lists : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Start();
    }
    void Store(const QString& address) {
        form->MailComb1->setEditText(address);
        form->BitBtn2->click();
    }
    QStringList Addresses() const {
        QStringList out;
        for (int i = 0; i < form->MailComb1->count(); ++i)
            out << form->MailComb1->itemText(i);
        return out;
    }
    static QStringList Texts(const QAbstractItemView* list) { return Rows(list); }
    // Restarts the window on a settings file holding these bytes.
    void StartOn(const std::string& settings) {
        WriteBytes(SettingsPath(), settings);
        Start();
    }
};

TEST_F(Lists, PhraseCounterAndLengthLimit) {
    const QString exact(125, QChar(0x3042)); // 250 bytes
    form->LEdit1->setText(exact);
    EXPECT_EQ(form->StatusText(0), QStringLiteral("半角文字数：250文字 - 残り：0文字"));
    form->WriteBtn2->click();
    EXPECT_EQ(Texts(form->ListBox2), QStringList{exact});
    EXPECT_TRUE(form->LEdit1->text().isEmpty());
    EXPECT_EQ(form->Alert1->Text(), QStringLiteral("短文リストへ追加しました。"));
    EXPECT_TRUE(Boxes().empty());

    form->LEdit1->setText(exact + QLatin1Char('x'));
    EXPECT_EQ(form->StatusText(0), QStringLiteral("半角文字数：251文字 - 残り：-1文字"));
    form->WriteBtn2->click();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].Text,
              QStringLiteral("短文が長すぎます、全角125文字以内で作成して下さい。"));
    EXPECT_EQ(Boxes()[0].Caption, QStringLiteral("エラー"));
    EXPECT_EQ(Boxes()[0].Icon, MsgIcon::Warning);
    EXPECT_EQ(Texts(form->ListBox2).size(), 1);
    EXPECT_EQ(form->LEdit1->text(), exact + QLatin1Char('x'));
}

TEST_F(Lists, PhraseAndNameGoIntoTheEditorAtTheCaret) {
    Type(QStringLiteral("前後"));
    QTextCursor cursor = form->Memo1->textCursor();
    cursor.setPosition(1);
    form->Memo1->setTextCursor(cursor);
    form->LEdit1->setText(QStringLiteral("[短文]"));
    form->WriteBtn2->click();
    ChooseRow(form->ListBox2, 0);
    form->InsBtn2->click();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("前[短文]後"));

    // A selection is replaced.
    cursor = form->Memo1->textCursor();
    cursor.setPosition(1);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    form->Memo1->setTextCursor(cursor);
    form->NameEdit1->setText(QStringLiteral("佐藤"));
    form->AddBtn1->click();
    ChooseRow(form->ListBox1, 0);
    form->ListBox1DblClick();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("前佐藤後"));
    EXPECT_EQ(form->Alert1->Text(), QStringLiteral("文章に佐藤を追加しました。"));
}

TEST_F(Lists, InsertingWithoutASelectionIsReportedAndInsertsNothing) {
    // 挿入 waits for a chosen phrase rather than failing in English when pressed.
    Type(QStringLiteral("本文"));
    EXPECT_FALSE(form->InsBtn2->isEnabled());
    form->InsBtn2->click();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("本文"));
    form->LEdit1->setText(QStringLiteral("短文"));
    form->WriteBtn2->click();
    EXPECT_FALSE(form->InsBtn2->isEnabled());
    ChooseRow(form->ListBox2, 0);
    EXPECT_TRUE(form->InsBtn2->isEnabled());
    form->DelBtn2->click();
    EXPECT_FALSE(form->InsBtn2->isEnabled());
}

TEST_F(Lists, NamesStaySortedAndAClickCopiesOne) {
    for (const char* name : {"yamada", "Abe", "佐藤", "abe", "", "kato"}) {
        form->NameEdit1->setText(QString::fromUtf8(name));
        form->AddBtn1->click();
        EXPECT_TRUE(form->NameEdit1->text().isEmpty());
    }
    const QStringList names = Texts(form->ListBox1);
    // Japanese order, letter case ignored; equal names keep the order they came in.
    // The empty name is not one.
    EXPECT_EQ(names, (QStringList{"Abe", "abe", "kato", "yamada", "佐藤"}));
    const int row = static_cast<int>(names.indexOf(QStringLiteral("kato")));
    ChooseRow(form->ListBox1, row);
    form->ListBox1Click();
    EXPECT_EQ(form->NameEdit1->text(), QStringLiteral("kato"));
    form->DelBtn1->click();
    EXPECT_EQ(Texts(form->ListBox1), (QStringList{"Abe", "abe", "yamada", "佐藤"}));
}

TEST_F(Lists, AddressesAreCheckedBeforeTheyAreStored) {
    struct Row {
        const char* typed;
        const char* caption; // nullptr: stored
    };
    const Row rows[] = {
        {"taro@example.jp", nullptr},       {"taro.example.jp", "不正なアドレス"},
        {"taro@example", "不正なアドレス"}, {"TARO@EXAMPLE.JP", "登録済みです。"},
        {" taro@example.jp", nullptr}, // passes the test, stored trimmed: now twice
    };
    for (const Row& row : rows) {
        ForgetBoxes();
        const int before = form->MailComb1->count();
        Store(QString::fromUtf8(row.typed));
        if (row.caption) {
            ASSERT_EQ(Boxes().size(), 1u) << row.typed;
            EXPECT_EQ(Boxes()[0].Caption, QString::fromUtf8(row.caption));
            EXPECT_EQ(Boxes()[0].Icon, MsgIcon::Warning);
            EXPECT_EQ(form->MailComb1->count(), before);
        } else {
            EXPECT_TRUE(Boxes().empty()) << row.typed;
            EXPECT_EQ(form->MailComb1->count(), before + 1);
        }
    }
    EXPECT_EQ(Addresses(), (QStringList{"taro@example.jp", "taro@example.jp"}));

    Store(QStringLiteral("x@y.z"));
    Store(QStringLiteral("TARO@example.jp"));
    ASSERT_FALSE(Boxes().empty());
    EXPECT_EQ(Boxes().back().Text,
              QStringLiteral("登録しようとしているメールアドレスは\r\nすでに登録されています。"));
    Store(QStringLiteral("bad"));
    EXPECT_EQ(Boxes().back().Text, QStringLiteral("登録しようとしているメールアドレスは有効ではあり"
                                                  "ません。\r\n有効なアドレスを登録して下さい。"));
}

TEST_F(Lists, AddressLimitFollowsTheSpinBox) {
    form->mContEdit->setValue(2);
    EXPECT_EQ(form->MailMax(), 2);
    Store(QStringLiteral("a@b.jp"));
    Store(QStringLiteral("c@d.jp"));
    ASSERT_TRUE(Boxes().empty());
    Store(QStringLiteral("e@f.jp"));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(
        Boxes()[0].Text,
        QStringLiteral(
            "既定の登録件数が登録されています。\r\n不要なアドレスを削除して登録して下さい。"));
    EXPECT_EQ(Boxes()[0].Caption, QStringLiteral("登録件数オーバー"));

    // Lowering the limit below what is stored keeps them all and refuses new ones.
    form->mContEdit->setValue(1);
    EXPECT_EQ(form->MailComb1->count(), 2);
    form->MailComb1->setCurrentIndex(0);
    form->mDelbtn1->click();
    EXPECT_EQ(Addresses(), QStringList{"c@d.jp"});
    Store(QStringLiteral("g@h.jp"));
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(form->MailComb1->count(), 1);
}

// The combo box keeps a current index of its own (0 once items are added, kept when the
// field is cleared or typed over); only the address in the field may be deleted.
TEST_F(Lists, AddressDeleteTakesOnlyTheAddressInTheField) {
    StartOn("[MAIL]\r\nE-MAIL.Count=3\r\nE-MAIL.0=a@b.jp\r\nE-MAIL.1=c@d.jp\r\n"
            "E-MAIL.2=e@f.jp\r\n");
    const QStringList stored{"a@b.jp", "c@d.jp", "e@f.jp"};
    struct Row {
        const char* situation;
        std::function<void()> before;
    };
    const Row rows[] = {
        {"start-up", [] {}},
        {"after clearing",
         [&] {
             form->MailComb1->setCurrentIndex(1);
             Answer(MsgResult::Yes);
             form->MemClear1->click();
         }},
        {"after a tab change",
         [&] {
             form->MailComb1->setCurrentIndex(2);
             form->sPage2->setCurrentIndex(1);
             form->MailComb1->clearEditText();
         }},
        {"an address typed but not stored",
         [&] {
             form->MailComb1->setCurrentIndex(1);
             form->MailComb1->setEditText(QStringLiteral("new@x.jp"));
         }},
    };
    for (const Row& row : rows) {
        row.before();
        form->mDelbtn1->click();
        EXPECT_EQ(Addresses(), stored) << row.situation;
    }

    // The one picked goes, and a second click takes no neighbour.
    form->MailComb1->setCurrentIndex(1);
    form->mDelbtn1->click();
    form->mDelbtn1->click();
    EXPECT_EQ(Addresses(), (QStringList{"a@b.jp", "e@f.jp"}));
    EXPECT_EQ(form->MailComb1->currentText(), QStringLiteral("c@d.jp"));
    form->MailComb1->setEditText(QStringLiteral("e@f.jp"));
    form->mDelbtn1->click();
    CloseWindow();
    Start();
    EXPECT_EQ(Addresses(), QStringList{"a@b.jp"});
}

TEST_F(Lists, DeletingANameOrPhraseLeavesNoOtherChosen) {
    struct Row {
        QListView* list;
        QLineEdit* field;
        QPushButton* add;
        QPushButton* remove;
    };
    const Row rows[] = {
        {form->ListBox1, form->NameEdit1, form->AddBtn1, form->DelBtn1},
        {form->ListBox2, form->LEdit1, form->WriteBtn2, form->DelBtn2},
    };
    for (const Row& row : rows) {
        for (const char* text : {"a", "b", "c"}) {
            row.field->setText(QString::fromUtf8(text));
            row.add->click();
        }
        ChooseRow(row.list, 1);
        row.remove->click();
        EXPECT_TRUE(row.list->selectionModel()->selectedIndexes().isEmpty());
        row.remove->click();
        EXPECT_EQ(Texts(row.list), (QStringList{"a", "c"}));
    }
}

// Entries that are no Shift-JIS (written by another editor) show U+FFFD and go back to
// the file as they came; entries the user adds are written as usual.
TEST_F(Lists, EntriesTheWindowCannotDecodeAreKeptAsTheyWere) {
    const std::string name = "na\xFFme";
    const std::string phrase = "ends in a lead byte\x81";
    const std::string carrier = "Doc\x80omo";
    const std::string address = "x\xFD@y.jp";
    StartOn("[MEMBER]\r\nNAME.Count=1\r\nNAME.0=" + name + "\r\n[MWORD]\r\nCONTS.Count=1\r\n" +
            "CONTS.0=" + phrase + "\r\n[MAKER]\r\nKEITAI.Count=3\r\nKEITAI.0=" + carrier +
            "\r\nKEITAI.1=Softbank\r\nKEITAI.2=AU\r\n[MAIL]\r\nE-MAIL.Count=1\r\nE-MAIL.0=" +
            address + "\r\n");
    EXPECT_EQ(Texts(form->ListBox1), QStringList{QStringLiteral("na\uFFFDme")});
    EXPECT_EQ(Texts(form->ListBox2), QStringList{QStringLiteral("ends in a lead byte\uFFFD")});
    EXPECT_EQ(form->CaraiaGroup1->Items()[0], QStringLiteral("Doc\uFFFDomo"));
    EXPECT_EQ(Addresses(), QStringList{QStringLiteral("x\uFFFD@y.jp")});
    form->NameEdit1->setText(QStringLiteral("佐藤"));
    form->AddBtn1->click();
    CloseWindow();
    const std::string written = ReadBytes(SettingsPath());
    for (const std::string& line :
         {"NAME.0=" + name + "\r\n", "NAME.1=" + ShiftJis("佐藤") + "\r\n",
          "CONTS.0=" + phrase + "\r\n", "KEITAI.0=" + carrier + "\r\n",
          "E-MAIL.0=" + address + "\r\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line;
}

// The largest lists the store reads, every entry kept in its order through a close.
TEST_F(Lists, LongestListsSurviveACloseAndAStart) {
    std::string settings = "[MEMBER]\r\nNAME.Count=100000\r\n";
    for (int i = 0; i < 100000; ++i)
        settings += "NAME." + std::to_string(i) + "=" + ShiftJis("名") +
                    std::to_string(i * 7919 % 100003) + "\r\n";
    QStringList phrases;
    settings += "[MWORD]\r\nCONTS.Count=100000\r\n";
    for (int i = 0; i < 100000; ++i) {
        phrases << QStringLiteral("短文%1").arg(100000 - i);
        settings +=
            "CONTS." + std::to_string(i) + "=" + composer::ToShiftJis(phrases.back()) + "\r\n";
    }
    StartOn(settings);
    const QStringList names = Texts(form->ListBox1);
    ASSERT_EQ(names.size(), 100000);
    EXPECT_EQ(Texts(form->ListBox2), phrases);
    CloseWindow();
    Start();
    EXPECT_EQ(Texts(form->ListBox1), names);
    EXPECT_EQ(Texts(form->ListBox2), phrases);
}

// A line break pasted into the name or phrase field must not split the entry in the
// settings file (the rest would become a line of its own, here a forged setting); the
// list shows from the start what a restart gives back.
TEST_F(Lists, PastedLineBreaksAndBlanksDoNotReachTheSettingsFile) {
    const QString forged = QStringLiteral("x\r\n[CONFIG]\r\nGROVAL=3\n");
    form->NameEdit1->setText(QStringLiteral(" 山田") + forged);
    form->AddBtn1->click();
    form->LEdit1->setText(QStringLiteral("\t短文") + forged + QStringLiteral("\r"));
    form->WriteBtn2->click();
    const QStringList names = Texts(form->ListBox1), phrases = Texts(form->ListBox2);
    EXPECT_EQ(names, QStringList{QStringLiteral("山田x [CONFIG] GROVAL=3")});
    EXPECT_EQ(phrases, QStringList{QStringLiteral("短文x [CONFIG] GROVAL=3")});
    CloseWindow();
    Start();
    EXPECT_EQ(Texts(form->ListBox1), names);
    EXPECT_EQ(Texts(form->ListBox2), phrases);
    EXPECT_EQ(form->MailMax(), 15);
}

// A bare LF inside a pasted entry (from a Unix text) joins the entry as a space, like CR LF.
TEST_F(Lists, BareLineFeedInsideAPastedEntryStaysInOneEntry) {
    form->NameEdit1->setText(QStringLiteral("山田\n太郎"));
    form->AddBtn1->click();
    form->LEdit1->setText(QStringLiteral("一行目\n[CONFIG]\nGROVAL=3"));
    form->WriteBtn2->click();
    CloseWindow();
    const std::string written = ReadBytes(SettingsPath());
    EXPECT_NE(written.find("NAME.0=" + ShiftJis("山田 太郎") + "\r\n"), std::string::npos);
    EXPECT_NE(written.find("CONTS.0=" + ShiftJis("一行目 [CONFIG] GROVAL=3") + "\r\n"),
              std::string::npos);
    Start();
    EXPECT_EQ(Texts(form->ListBox1), QStringList{QStringLiteral("山田 太郎")});
    EXPECT_EQ(form->MailMax(), 15);
}

// Names stored out of order, some not Shift-JIS, come back sorted and byte for byte the
// same after a close and a restart.
TEST_F(Lists, UnsortedUndecodableNamesSurviveARestart) {
    const std::string odd = "\x82\xFF";
    StartOn("[MEMBER]\r\nNAME.Count=3\r\nNAME.0=zeta\r\nNAME.1=" + odd + "\r\nNAME.2=Alpha\r\n");
    const QStringList shown = Texts(form->ListBox1);
    ASSERT_EQ(shown.size(), 3);
    EXPECT_LT(shown.indexOf(QStringLiteral("Alpha")), shown.indexOf(QStringLiteral("zeta")));
    CloseWindow();
    Start();
    EXPECT_EQ(Texts(form->ListBox1), shown);
    CloseWindow();
    const std::string written = ReadBytes(SettingsPath());
    EXPECT_NE(written.find("=" + odd + "\r\n"), std::string::npos);
    EXPECT_NE(written.find("NAME.Count=3\r\n"), std::string::npos);
}

// Nothing of nothing: an empty name or phrase is refused with a word, and blank or
// missing entries in the file give no blank rows and are not written back.
TEST_F(Lists, EmptyNamesAndPhrasesAreNeitherAddedNorStored) {
    form->NameEdit1->setText(QStringLiteral(" \r\n "));
    form->AddBtn1->click();
    form->LEdit1->setText(QStringLiteral("\t"));
    form->WriteBtn2->click();
    EXPECT_TRUE(Texts(form->ListBox1).isEmpty());
    EXPECT_TRUE(Texts(form->ListBox2).isEmpty());
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_TRUE(Boxes()[0].Text.contains(QStringLiteral("入力されていません")));
    EXPECT_TRUE(Boxes()[1].Text.contains(QStringLiteral("入力されていません")));
    // A count above the items present (edited by hand), and an empty item.
    StartOn("[MEMBER]\r\nNAME.Count=5\r\nNAME.0=b\r\nNAME.1=a\r\n"
            "[MWORD]\r\nCONTS.Count=3\r\nCONTS.0=x\r\nCONTS.1=\r\nCONTS.2=y\r\n");
    EXPECT_EQ(Texts(form->ListBox1), (QStringList{"a", "b"}));
    EXPECT_EQ(Texts(form->ListBox2), (QStringList{"x", "y"}));
    CloseWindow();
    const std::string written = ReadBytes(SettingsPath());
    EXPECT_NE(written.find("NAME.Count=2\r\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("NAME.2="), std::string::npos) << written;
    EXPECT_NE(written.find("CONTS.Count=2\r\nCONTS.0=x\r\nCONTS.1=y\r\n"), std::string::npos)
        << written;
}

// A deleted address leaves the file, not only the count.
TEST_F(Lists, DeletedAddressesAndNamesLeaveTheFile) {
    StartOn("[MEMBER]\r\nNAME.Count=2\r\nNAME.0=a\r\nNAME.1=secret\r\n"
            "[MAIL]\r\nE-MAIL.Count=2\r\nE-MAIL.0=keep@x.jp\r\nE-MAIL.1=private@x.jp\r\n");
    form->MailComb1->setEditText(QStringLiteral("private@x.jp"));
    form->mDelbtn1->click();
    ChooseRow(form->ListBox1, 1);
    form->DelBtn1->click();
    CloseWindow();
    const std::string written = ReadBytes(SettingsPath());
    EXPECT_EQ(written.find("private@x.jp"), std::string::npos) << written;
    EXPECT_EQ(written.find("secret"), std::string::npos) << written;
    EXPECT_NE(written.find("E-MAIL.0=keep@x.jp\r\n"), std::string::npos) << written;
}

TEST_F(Lists, WriteModeToggleDrivesTheLampAndTheStatus) {
    EXPECT_TRUE(form->ModeLED->Lit());
    form->RWFlgBtn1->click();
    EXPECT_TRUE(form->RWFlgBtn1->Down());
    EXPECT_FALSE(form->ModeLED->Lit());
    EXPECT_EQ(form->StatusText(0), QStringLiteral(" 書込みモードです。 "));
    form->RWFlgBtn1->click();
    EXPECT_FALSE(form->RWFlgBtn1->Down());
    EXPECT_TRUE(form->ModeLED->Lit());
    EXPECT_EQ(form->StatusText(0), QStringLiteral(" 読込みモードです。 "));
}

TEST_F(Lists, TemplatesAreSavedAskingBeforeOverwritingAndLoaded) {
    const QString file = FilePath(QStringLiteral("MailDoc3.txt"));
    Type(QStringLiteral("一行目\n二行目"));
    form->RWFlgBtn1->click();
    form->DocBtn[2]->click();
    EXPECT_EQ(ReadBytes(file), ShiftJis("一行目\r\n二行目"));
    EXPECT_TRUE(Boxes().empty()); // no file yet: nothing to ask
    EXPECT_FALSE(form->RWFlgBtn1->Down());
    EXPECT_TRUE(form->ModeLED->Lit());
    EXPECT_EQ(form->StatusText(0), QStringLiteral(" 読込みモードです。 "));

    // More than 12 bytes on disk: asked first; No keeps the file and the mode.
    Type(QStringLiteral("別の文章です"));
    form->RWFlgBtn1->click();
    Answer(MsgResult::No);
    form->DocBtn[2]->click();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].Text,
              QStringLiteral("文書がすでに保存されています。\r\nこの文書の上に上書きしますか?"));
    EXPECT_EQ(Boxes()[0].Caption, QStringLiteral("ファイルが存在します。"));
    EXPECT_EQ(Boxes()[0].Icon, MsgIcon::Warning);
    EXPECT_EQ(Boxes()[0].Buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(ReadBytes(file), ShiftJis("一行目\r\n二行目"));
    EXPECT_TRUE(form->RWFlgBtn1->Down());
    Answer(MsgResult::Yes);
    form->DocBtn[2]->click();
    EXPECT_EQ(ReadBytes(file), ShiftJis("別の文章です"));

    // 12 bytes or fewer are overwritten without asking.
    WriteBytes(FilePath(QStringLiteral("MailDoc4.txt")), "123456789012");
    ForgetBoxes();
    form->RWFlgBtn1->click();
    form->DocBtn[3]->click();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(ReadBytes(FilePath(QStringLiteral("MailDoc4.txt"))), ShiftJis("別の文章です"));

    // Loading, with any line breaks on disk; a final one is kept.
    WriteBytes(FilePath(QStringLiteral("MailDoc5.txt")), ShiftJis("上\n中\r下\r\n"));
    Type(QStringLiteral("消える"));
    form->ModeLED->SetLit(false);
    form->DocBtn[4]->click();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("上\n中\n下\n"));
    EXPECT_EQ(form->SList1.Strings(), (QStringList{"上", "中", "下", ""}));
    EXPECT_TRUE(form->ModeLED->Lit());
    EXPECT_EQ(form->Alert1->Text(), QStringLiteral("ファイルを読み込みました。"));
}

TEST_F(Lists, TemplateOfSixBytesOrFewerCountsAsMissing) {
    struct Row {
        const char* bytes;
        bool loads;
    };
    const Row rows[] = {{nullptr, false}, {"", false}, {"123456", false}, {"1234567", true}};
    for (const Row& row : rows) {
        const QString file = FilePath(QStringLiteral("MailDoc1.txt"));
        QFile::remove(file);
        if (row.bytes) WriteBytes(file, row.bytes);
        ForgetBoxes();
        Type(QStringLiteral("そのまま"));
        form->DocBtn[0]->click();
        if (row.loads) {
            EXPECT_TRUE(Boxes().empty());
            EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("1234567"));
        } else {
            ASSERT_EQ(Boxes().size(), 1u);
            EXPECT_EQ(Boxes()[0].Text,
                      QStringLiteral("文書ファイルがありません。\r\n先に作成後保存して下さい。"));
            EXPECT_EQ(Boxes()[0].Caption, QStringLiteral("文書エラー"));
            EXPECT_EQ(Boxes()[0].Icon, MsgIcon::Error);
            EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("そのまま"));
        }
    }
}

TEST_F(Lists, ClearingAsksFirst) {
    for (MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        Type(QStringLiteral("消すかもしれない文章"));
        Create();
        ASSERT_TRUE(form->QRCode1->SymbolDisped());
        form->SubjectEdit1->setText(QStringLiteral("件名"));
        form->MailComb1->setEditText(QStringLiteral("a@b.jp"));
        ForgetBoxes();
        Answer(answer);
        form->MemClear1->click();
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].Text,
                  QStringLiteral("文章を削除しようとしています。\r\nこのまま削除を行いますか？"));
        EXPECT_EQ(Boxes()[0].Caption, QStringLiteral("入力画面の消去"));
        EXPECT_EQ(Boxes()[0].Icon, MsgIcon::Question);
        const bool cleared = answer == MsgResult::Yes;
        EXPECT_EQ(form->Memo1->toPlainText().isEmpty(), cleared);
        EXPECT_EQ(form->SubjectEdit1->text().isEmpty(), cleared);
        EXPECT_EQ(form->MailComb1->currentText().isEmpty(), cleared);
        EXPECT_EQ(form->QRCode1->SymbolDisped(), !cleared);
        EXPECT_EQ(Symbols().size(), cleared ? 0u : 1u);
    }
}

TEST_F(Lists, ClipboardButtonCopiesOnlyAFullDrawing) {
    // No hidden switch: the button (and Ctrl+C) copy whenever a code is shown, and the
    // status bar says so instead of a box to close.
    EXPECT_FALSE(form->ClipCheck1->isChecked());
    EXPECT_FALSE(form->ClipBtn1->isEnabled());
    form->ClipBtn1->setEnabled(true);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));

    form->ClipBtn1->click(); // nothing drawn yet
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(clipboard->text(), QStringLiteral("before"));

    Type(QStringLiteral("クリップボードへ"));
    Create();
    EXPECT_TRUE(form->ClipBtn1->isEnabled());
    form->ClipBtn1->click();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(form->StatusText(0), QStringLiteral("QR コードをクリップボードへコピーしました。"));
    QImage copied = clipboard->image();
    ASSERT_FALSE(copied.isNull());
    EXPECT_EQ(test_support::ReadPicture(copied).Bytes, ShiftJis("クリップボードへ"));

    clipboard->setText(QStringLiteral("before"));
    form->SetStatusText(0, QString());
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    form->QRCode1->setFocus();
    QTest::keyClick(form->QRCode1, Qt::Key_C, Qt::ControlModifier);
    copied = clipboard->image();
    ASSERT_FALSE(copied.isNull());
    EXPECT_EQ(test_support::ReadPicture(copied).Bytes, ShiftJis("クリップボードへ"));
    EXPECT_EQ(form->StatusText(0), QStringLiteral("QR コードをクリップボードへコピーしました。"));
    // In a field Ctrl+C copies the field's text.
    form->SubjectEdit1->setText(QStringLiteral("件名"));
    form->SubjectEdit1->selectAll();
    form->SubjectEdit1->setFocus();
    QTest::keyClick(form->SubjectEdit1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), QStringLiteral("件名"));
}

TEST_F(Lists, CarrierDecidesTheBookmarkFieldsOnAnyTab) {
    for (int page : {0, 1, 2}) {
        form->sPage2->setCurrentIndex(page);
        form->CaraiaGroup1->Button(1)->click();
        EXPECT_FALSE(form->SiteEdit1->isEnabled()) << page;
        EXPECT_FALSE(form->URLEdit1->isEnabled());
        EXPECT_TRUE(form->BokLabel1->isEnabled());
        for (int carrier : {0, 3}) { // Docomo phones and smartphones take a bookmark
            form->CaraiaGroup1->Button(carrier)->click();
            EXPECT_TRUE(form->SiteEdit1->isEnabled()) << page;
            EXPECT_TRUE(form->URLEdit1->isEnabled());
            EXPECT_FALSE(form->BokLabel1->isEnabled());
        }
    }
}

// A carrier list written before the smartphone target gets it at index 3; a longer list
// is the user's own.
TEST_F(Lists, ThreeCarrierNamesGainTheSmartphoneTarget) {
    const std::pair<std::string, QStringList> rows[] = {
        {"KEITAI.Count=3\r\nKEITAI.0=D\r\nKEITAI.1=S\r\nKEITAI.2=A\r\n",
         {"D", "S", "A", "スマートフォン"}},
        {"KEITAI.Count=4\r\nKEITAI.0=D\r\nKEITAI.1=S\r\nKEITAI.2=A\r\nKEITAI.3=P\r\n",
         {"D", "S", "A", "P"}},
        {"KEITAI.Count=2\r\nKEITAI.0=D\r\nKEITAI.1=S\r\n", {"D", "S"}},
    };
    for (const auto& [section, shown] : rows) {
        WriteBytes(SettingsPath(), "[MAKER]\r\n" + section);
        Start();
        EXPECT_EQ(form->CaraiaGroup1->Items(), shown) << section;
    }
}

TEST_F(Lists, ChangingTheCompositionTabAnnouncesTheMode) {
    struct Row {
        int page;
        const char* status;
        bool subjectKept;
        bool addressKept;
    };
    const Row rows[] = {
        {1, " アドレス登録モードです。", false, true},
        {2, " ブックマーク登録モードです。docomo 専用", true, true},
        {0, " 文書作成モードです。", true, true}, // the message tab's own, put back
    };
    for (const Row& row : rows) {
        form->SubjectEdit1->setText(QStringLiteral("件名"));
        form->MailComb1->setEditText(QStringLiteral("a@b.jp"));
        form->sPage2->setCurrentIndex(row.page);
        EXPECT_EQ(form->StatusText(0), QString::fromUtf8(row.status));
        EXPECT_EQ(!form->SubjectEdit1->text().isEmpty(), row.subjectKept) << row.page;
        EXPECT_EQ(!form->MailComb1->currentText().isEmpty(), row.addressKept) << row.page;
    }
    // Each tab gives back what was typed on it.
    form->SubjectEdit1->setText(QStringLiteral("メールの件名"));
    form->MailComb1->setEditText(QStringLiteral("taro@example.jp"));
    form->sPage2->setCurrentIndex(2);
    form->SubjectEdit1->setText(QStringLiteral("ブックマークの件名"));
    form->MailComb1->setEditText(QStringLiteral("hanako@example.jp"));
    form->sPage2->setCurrentIndex(0);
    EXPECT_EQ(form->SubjectEdit1->text(), QStringLiteral("メールの件名"));
    EXPECT_EQ(form->MailComb1->currentText(), QStringLiteral("taro@example.jp"));
    form->sPage2->setCurrentIndex(2);
    EXPECT_EQ(form->SubjectEdit1->text(), QStringLiteral("ブックマークの件名"));
    EXPECT_EQ(form->MailComb1->currentText(), QStringLiteral("hanako@example.jp"));
}

// Every way the window replaces the editor's text is one edit that Ctrl+Z takes back.
TEST_F(Lists, ReplacingTheTextIsOneUndoableEdit) {
    WriteBytes(FilePath(QStringLiteral("MailDoc1.txt")), ShiftJis("テンプレートの文章"));
    struct Row {
        const char* situation;
        std::function<void()> replace;
        const char* after;
    };
    const Row rows[] = {
        {"template", [&] { form->DocBtn[0]->click(); }, "テンプレートの文章"},
        {"clearing",
         [&] {
             Answer(MsgResult::Yes);
             form->MemClear1->click();
         },
         ""},
        {"<User>",
         [&] {
             form->NameEdit1->setText(QStringLiteral("太郎"));
             form->RepBtn1->click();
         },
         "太郎さん、手で打った文章"},
    };
    for (const Row& row : rows) {
        Type(QStringLiteral("<User>さん、手で打った文章"));
        row.replace();
        EXPECT_EQ(form->Memo1->toPlainText(), QString::fromUtf8(row.after)) << row.situation;
        form->Memo1->undo();
        EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("<User>さん、手で打った文章"))
            << row.situation;
    }
    // The text put back after a drawing: Ctrl+Z gives the replaced text once more.
    form->NameEdit1->setText(QStringLiteral("花子"));
    form->RepBtn1->click();
    Create();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("<User>さん、手で打った文章"));
    form->Memo1->undo();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("花子さん、手で打った文章"));
}

} // namespace
} // namespace window_test
