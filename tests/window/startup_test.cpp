// Start-up and closing against real files, the caption and the about box, and the
// standard error box for errors no handler catches.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "composer/file_error.h"
#include "composer/shift_jis_text.h"
#include "composer/text_files.h"
#include "platform/keyboard_type.h"
#include "platform/lamp.h"
#include "platform/radio_group.h"
#include "platform/stay_down_button.h"
#include "platform/termination_signals.h"
#include "qr/qr_code.h"
#include "tests/window/window_fixture.h"
#include "update/update_window.h"

namespace window_test {
namespace {

QStringList ListItems(const QAbstractItemView* list) {
    return Rows(list);
}

QStringList ComboItems(const QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

// Lines of a settings file, checking that each ends in CR LF.
std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "line without CR LF";
        if (end == std::string::npos) break;
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

class Startup : public WindowTest {};

TEST_F(Startup, FirstStartGivesEveryDefault) {
    Start();
    EXPECT_FALSE(form->RWFlgBtn1->Down());
    EXPECT_TRUE(form->ModeLED->Lit());
    EXPECT_EQ(form->MailMax(), 15);
    EXPECT_EQ(form->mContEdit->value(), 15);
    EXPECT_EQ(form->CaraiaGroup1->ItemIndex(), 0);
    EXPECT_EQ(form->CaraiaGroup1->Items(),
              (QStringList{"Docomo", "Softbank", "AU", "スマートフォン"}));
    EXPECT_EQ(form->SubjectGroup1->ItemIndex(), 0);
    EXPECT_FALSE(form->MemoCheck1->isChecked()); // designed checked, read as unchecked
    EXPECT_FALSE(form->ClipBtn1->isEnabled());
    EXPECT_TRUE(ListItems(form->ListBox1).isEmpty());
    EXPECT_TRUE(ListItems(form->ListBox2).isEmpty());
    EXPECT_EQ(form->MailComb1->count(), 0);
    // The instruction is a placeholder, not text that could be encoded or saved.
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());
    EXPECT_EQ(form->Memo1->placeholderText(), QStringLiteral("~ メッセージを入力して下さい。 ~"));
    EXPECT_FALSE(form->Button1->isEnabled());
    EXPECT_FALSE(form->RestorePending);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Varoku Ver.2.0.1.0"));
    EXPECT_EQ(form->AboutBoxDlg1.Version, QStringLiteral("Ver. 2.0.1.0"));
    // Every code the keyboard file gives (7, 4, 0) is shown by whether it is zero.
    const QString marker =
        platform::KeyboardTypeCode() != 0 ? QStringLiteral(" J ") : QStringLiteral(" NO ");
    EXPECT_EQ(form->StatusText(1), marker);
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
    EXPECT_EQ(form->sPage2->currentIndex(), 0);
    EXPECT_TRUE(form->SiteEdit1->isEnabled());
    EXPECT_FALSE(form->BokLabel1->isEnabled());
    // The component waits for the first "作成".
    EXPECT_FALSE(form->QRCode1->SymbolEnabled());
    EXPECT_TRUE(form->QRCode1->BitmapImage().isNull());
    EXPECT_EQ(form->QRCode1->Count(), 1);
    EXPECT_EQ(form->QRCode1->Column(), 4);
    EXPECT_EQ(form->QRCode1->Version(), 10);
    EXPECT_EQ(form->QRCode1->Pxmag(), 2);
    EXPECT_EQ(form->QRCode1->Emode(), -1);
    EXPECT_EQ(form->QRCode1->Numbering(), qr::nbrTail);
    EXPECT_EQ(form->QRCode1->CommentDown(), "No.");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(Startup, CloseWritesTheSectionsInOrder) {
    Start();
    CloseWindow();
    const std::vector<std::string> lines = CrLfLines(ReadBytes(SettingsPath()));
    std::vector<std::string> sections;
    std::vector<std::string> config;
    std::vector<std::string> form;
    std::string current;
    for (const std::string& line : lines) {
        if (!line.empty() && line.front() == '[') {
            current = line;
            sections.push_back(line);
        } else if (!line.empty()) {
            const std::string key = line.substr(0, line.find('='));
            if (current == "[CONFIG]") config.push_back(key);
            if (current == "[FORM]") form.push_back(key);
        }
    }
    EXPECT_EQ(sections, (std::vector<std::string>{"[FORM]", "[CONFIG]", "[MEMBER]", "[MWORD]",
                                                  "[MAKER]", "[MAIL]"}));
    EXPECT_EQ(config,
              (std::vector<std::string>{"BTN01", "GROVAL", "CARRIER", "NULLSUB", "MEMOCHK"}));
    EXPECT_EQ(form, (std::vector<std::string>{"MAINFORM.Flags", "MAINFORM.Show", "MAINFORM.MaxX",
                                              "MAINFORM.MaxY", "MAINFORM.X", "MAINFORM.Y",
                                              "MAINFORM.XSize", "MAINFORM.YSize"}));
    EXPECT_FALSE(QFile::exists(FilePath(QStringLiteral("MEMO.txt")))); // the box was unchecked
}

TEST_F(Startup, SecondStartRestoresWhatTheFirstLeft) {
    Start();
    for (const char* name : {"鈴木", "abe"}) {
        form->NameEdit1->setText(QString::fromUtf8(name));
        form->AddBtn1->click();
    }
    for (const char* phrase : {"よろしく", "またね"}) {
        form->LEdit1->setText(QString::fromUtf8(phrase));
        form->WriteBtn2->click();
    }
    form->MailComb1->addItems({QStringLiteral("a@b.jp"), QStringLiteral("c@d.jp")});
    form->CaraiaGroup1->SetItemIndex(1);
    form->SubjectGroup1->SetItemIndex(2);
    form->MemoCheck1->setChecked(true);
    form->mContEdit->setValue(20);
    form->RWFlgBtn1->click();
    form->move(37, 41);
    form->resize(550, 700);
    Type(QStringLiteral("最後の\n文章"));
    CloseWindow();
    EXPECT_EQ(ReadBytes(FilePath(QStringLiteral("MEMO.txt"))), ShiftJis("最後の\r\n文章"));

    Start();
    EXPECT_EQ(ListItems(form->ListBox1), (QStringList{"abe", "鈴木"}));
    EXPECT_EQ(ListItems(form->ListBox2), (QStringList{"よろしく", "またね"}));
    EXPECT_EQ(ComboItems(form->MailComb1), (QStringList{"a@b.jp", "c@d.jp"}));
    EXPECT_EQ(form->CaraiaGroup1->ItemIndex(), 1);
    EXPECT_FALSE(form->SiteEdit1->isEnabled()); // Softbank: no bookmarks from the start
    EXPECT_TRUE(form->BokLabel1->isEnabled());
    EXPECT_EQ(form->SubjectGroup1->ItemIndex(), 2);
    EXPECT_TRUE(form->MemoCheck1->isChecked());
    EXPECT_EQ(form->MailMax(), 20);
    EXPECT_TRUE(form->RWFlgBtn1->Down());
    // Write mode comes back whole: the lamp, its spoken state and the status bar say it
    // before the first template click.
    EXPECT_FALSE(form->ModeLED->Lit());
    EXPECT_EQ(form->ModeLED->accessibleDescription(), QStringLiteral("書込みモード"));
    EXPECT_EQ(form->StatusText(0), QStringLiteral(" 書込みモードです。 "));
    EXPECT_EQ(form->pos(), QPoint(37, 41));
    EXPECT_EQ(form->height(), 700);
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("最後の\n文章"));
    EXPECT_TRUE(form->QRCode1->BitmapImage().isNull());
    // In read mode the loaded message runs the counter, and the lamp is lit.
    form->RWFlgBtn1->click();
    CloseWindow();
    Start();
    EXPECT_FALSE(form->RWFlgBtn1->Down());
    EXPECT_TRUE(form->ModeLED->Lit());
    EXPECT_EQ(form->StatusText(0), QStringLiteral("現在の文字数：7文字 / 残り：593文字"));
}

TEST_F(Startup, SettingsFileFromWindowsIsReadAsItStands) {
    const std::string ini = ShiftJis(
        "; written by the Windows program\r\n"
        "[FORM]\r\nMAINFORM.Flags=0\r\nMAINFORM.Show=1\r\nMAINFORM.MaxX=-1\r\nMAINFORM.MaxY=-1\r\n"
        "MAINFORM.X=120\r\nMAINFORM.Y=80\r\nMAINFORM.XSize=670\r\nMAINFORM.YSize=730\r\n\r\n"
        "[config]\r\nBTN01 = "
        "0\r\ngroval=0x14\r\nCARRIER=3\r\nNULLSUB=1\r\nMEMOCHK=yes\r\nCLIPBOAD=1\r\n\r\n"
        "[MEMBER]\r\nNAME.Count=2\r\nNAME.0=山田\r\nNAME.1=ｶﾀｶﾅ\r\n\r\n"
        "[MWORD]\r\nCONTS.Count=1\r\nCONTS.0=お世話になります。\r\n\r\n"
        "[MAKER]\r\nKEITAI.Count=4\r\nKEITAI.0=ドコモ\r\nKEITAI.1=ソフトバンク\r\nKEITAI.2="
        "au\r\nKEITAI.3=ウィルコム\r\n\r\n"
        "[MAIL]\r\nE-MAIL.Count=3\r\nE-MAIL.0=x@y.jp\r\nE-MAIL.1=z@w.jp\r\nE-MAIL.2=stale@old."
        "jp\r\n\r\n");
    WriteBytes(SettingsPath(), ini);
    Start();
    EXPECT_EQ(ListItems(form->ListBox1), (QStringList{"ｶﾀｶﾅ", "山田"})); // kana before kanji
    EXPECT_EQ(ListItems(form->ListBox2), QStringList{"お世話になります。"});
    EXPECT_EQ(form->CaraiaGroup1->Items(),
              (QStringList{"ドコモ", "ソフトバンク", "au", "ウィルコム"}));
    // The fourth name is the user's own; its index is the smartphone target's.
    EXPECT_EQ(form->CaraiaGroup1->ItemIndex(), 3);
    EXPECT_EQ(ComboItems(form->MailComb1), (QStringList{"x@y.jp", "z@w.jp", "stale@old.jp"}));
    EXPECT_EQ(form->MailMax(), 20);
    EXPECT_EQ(form->SubjectGroup1->ItemIndex(), 1);
    EXPECT_FALSE(form->MemoCheck1->isChecked());
    EXPECT_TRUE(form->ClipCheck1->isChecked());
    EXPECT_FALSE(form->ClipBtn1->isEnabled()); // no code to copy yet
    // The edges are taken for the inside area, as this program writes them.
    EXPECT_EQ(form->geometry().topLeft(), QPoint(120, 80));
    EXPECT_EQ(form->height(), 650);

    // CLIPBOAD is read, never written; comments go at the first write.
    CloseWindow();
    const std::string written = ReadBytes(SettingsPath());
    EXPECT_NE(written.find("CLIPBOAD=1\r\n"), std::string::npos); // kept as it was read
    EXPECT_EQ(written.find("; written"), std::string::npos);
    EXPECT_NE(written.find(ShiftJis("KEITAI.3=ウィルコム\r\n")), std::string::npos);
}

TEST_F(Startup, CarrierListWithNoNameFallsBackToTheDefaultCarriers) {
    const QStringList defaults = [this] {
        Start();
        return form->CaraiaGroup1->Items();
    }();
    ASSERT_EQ(defaults.size(), 4);
    for (const char* keitai :
         {"KEITAI.Count=0\r\n", "KEITAI.Count=2\r\nKEITAI.0=\r\nKEITAI.1= \r\n"}) {
        SCOPED_TRACE(keitai);
        WriteBytes(SettingsPath(), std::string("[CONFIG]\r\nCARRIER=1\r\n[MAKER]\r\n") + keitai);
        Start();
        EXPECT_EQ(form->CaraiaGroup1->Items(), defaults);
        EXPECT_EQ(form->CaraiaGroup1->ItemIndex(), 1);
        CloseWindow();
        EXPECT_NE(ReadBytes(SettingsPath()).find("KEITAI.Count=4"), std::string::npos);
    }
}

TEST_F(Startup, StandardButtonsSpeakJapanese) {
    QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Ok);
    EXPECT_TRUE(buttons.button(QDialogButtonBox::Yes)->text().startsWith(QStringLiteral("はい")));
    EXPECT_TRUE(buttons.button(QDialogButtonBox::No)->text().startsWith(QStringLiteral("いいえ")));
}

// The user hears of characters "MEMO.txt" cannot hold before anything is written, and
// "cancel" keeps the window open with the file untouched.
TEST_F(Startup, MemoCharactersWithoutShiftJisAreNamedBeforeSaving) {
    const QString memo = FilePath(QStringLiteral("MEMO.txt"));
    WriteBytes(memo, "older text");
    Start();
    form->MemoCheck1->setChecked(true);
    Type(QStringLiteral("テスト😀"));
    Answer(platform::MsgResult::Cancel);
    form->close();
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].Buttons, platform::MsgButtons::OkCancel);
    EXPECT_TRUE(Boxes()[0].Text.contains(QStringLiteral("本文 4文字目：「😀」(U+1F600)")));
    EXPECT_FALSE(Boxes()[0].Text.contains(QStringLiteral("保存しました")));
    EXPECT_EQ(ReadBytes(memo), "older text");
    CloseWindow(); // answered OK
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(ReadBytes(memo), ShiftJis("テスト?"));
    // The draft keeps what "MEMO.txt" could not: the next start shows it whole.
    Start();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("テスト😀"));
}

// With "最後の文章を保存する" off the message survives in the draft, "MEMO.txt" stays as
// it was; with it on, a written "MEMO.txt" holds the message and the draft goes.
TEST_F(Startup, MessageSurvivesTheCloseWhateverTheOption) {
    const QString memo = FilePath(QStringLiteral("MEMO.txt"));
    const QString draft = FilePath(QString::fromLatin1(composer::kDraftFileName));
    Start();
    ASSERT_FALSE(form->MemoCheck1->isChecked());
    Type(QStringLiteral("下書き\n二行目"));
    CloseWindow();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(QFile::exists(memo));
    EXPECT_TRUE(QFile::exists(draft));
    Start();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("下書き\n二行目"));
    form->MemoCheck1->setChecked(true);
    CloseWindow();
    EXPECT_EQ(ReadBytes(memo), ShiftJis("下書き\r\n二行目"));
    EXPECT_FALSE(QFile::exists(draft));
    Start();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("下書き\n二行目"));
}

// Bytes another editor left in "MEMO.txt" (no Shift-JIS) stay: the file is not rewritten
// when the message is unchanged, and an edit rewrites only the lines it touched.
TEST_F(Startup, MemoBytesThatDoNotDecodeAreKept) {
    const QString memo = FilePath(QStringLiteral("MEMO.txt"));
    const std::string odd = "odd \x81\xFF bytes\r\n";
    WriteBytes(memo, odd + "plain\r\n");
    WriteBytes(SettingsPath(), "[CONFIG]\r\nMEMOCHK=1\r\n");
    const auto inode = [&] {
        struct stat st {};
        return ::stat(memo.toLocal8Bit().constData(), &st) == 0 ? st.st_ino : ino_t{0};
    };
    const auto before = inode();
    Start();
    CloseWindow();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(inode(), before);
    EXPECT_EQ(ReadBytes(memo), odd + "plain\r\n");
    Start();
    form->Memo1->setPlainText(
        form->Memo1->toPlainText().replace(QStringLiteral("plain"), QStringLiteral("edited")));
    CloseWindow();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(ReadBytes(memo), odd + "edited\r\n");
}

TEST_F(Startup, AddressLimitIsClampedToTheSpinBox) {
    struct Row {
        const char* stored;
        int max;
    };
    const Row rows[] = {{"30", 25}, {"0", 1}, {"-4", 1}, {"7", 7}, {"word", 15}};
    for (const Row& row : rows) {
        WriteBytes(SettingsPath(), std::string("[CONFIG]\r\nGROVAL=") + row.stored + "\r\n");
        Start();
        EXPECT_EQ(form->MailMax(), row.max) << row.stored;
        EXPECT_EQ(form->mContEdit->value(), row.max);
    }
}

TEST_F(Startup, MemoFileOfFourBytesOrFewerIsIgnored) {
    struct Row {
        const char* bytes;
        const char* editor;
    };
    const Row rows[] = {
        {"abcd", ""},
        {"abcde", "abcde"},
        {"a\rb\nc\r\n", "a\nb\nc\n"}, // a final line break is kept
    };
    for (const Row& row : rows) {
        WriteBytes(FilePath(QStringLiteral("MEMO.txt")), row.bytes);
        Start();
        EXPECT_EQ(form->Memo1->toPlainText(), QString::fromUtf8(row.editor)) << row.bytes;
    }
    // The instruction kept as text by an older version shows as the placeholder.
    WriteBytes(FilePath(QStringLiteral("MEMO.txt")), ShiftJis(composer::kDefaultMemoText));
    Start();
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());
    EXPECT_FALSE(form->Button1->isEnabled());
}

TEST_F(Startup, UnwritableSettingsAreReportedAndTheWindowClosesAnyway) {
    // A settings file in a directory that cannot take a new file.
    const QString blocked = FilePath(QStringLiteral("blocked"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    const QString ini = blocked + QStringLiteral("/varoku.ini");
    const std::string before = "[CONFIG]\r\nCARRIER=2\r\n";
    WriteBytes(ini, before);
    QFile::setPermissions(blocked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(blocked + QStringLiteral("/probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        // Permissions do not stop this user (root): use a directory that is not there.
        probe.remove();
        UseSettings(FilePath(QStringLiteral("missing/varoku.ini")));
    } else {
        UseSettings(ini);
    }

    Start();
    form->MemoCheck1->setChecked(true);
    Type(QStringLiteral("失いたくない文章"));
    form->ClipCheck1->click();           // written at once: the same failure, the same words
    Answer(platform::MsgResult::Cancel); // the close: back to the window
    form->close();
    EXPECT_TRUE(form->isVisible());
    form->close(); // answered OK: closing anyway
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(Boxes().size(), 3u);
    EXPECT_TRUE(Boxes()[1].Text.startsWith(Boxes()[0].Text));
    EXPECT_EQ(Boxes()[1].Buttons, platform::MsgButtons::OkCancel);
    EXPECT_TRUE(Boxes()[0].StandardError);
    // In Japanese, with the file's path, whatever Qt or the system would have said.
    EXPECT_TRUE(Boxes()[0].Text.contains(QDir::toNativeSeparators(SettingsPath())))
        << Boxes()[0].Text.toStdString();
    EXPECT_TRUE(Boxes()[0].Text.contains(QStringLiteral("書き込めませんでした")));
    // The message is still saved, and the settings on disk are as they were.
    EXPECT_EQ(ReadBytes(FilePath(QStringLiteral("MEMO.txt"))), ShiftJis("失いたくない文章"));
    EXPECT_EQ(ReadBytes(ini), before);
    QFile::setPermissions(blocked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// A failed save names the file and the system's reason, and the user may go back to the
// window rather than lose the text.
TEST_F(Startup, FailedMemoSaveCanBeCancelled) {
    const QString memo = FilePath(QStringLiteral("MEMO.txt"));
    ASSERT_TRUE(QDir().mkpath(memo)); // a directory in the way
    Start();
    form->MemoCheck1->setChecked(true);
    Type(QStringLiteral("大事な文章"));
    Answer(platform::MsgResult::Cancel);
    form->close();
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(Boxes()[0].Text.contains(QDir::toNativeSeparators(memo)))
        << Boxes()[0].Text.toStdString();
    EXPECT_TRUE(Boxes()[0].Text.contains(QStringLiteral("同じ名前のフォルダがあります")))
        << Boxes()[0].Text.toStdString();
    EXPECT_EQ(Boxes()[0].Caption, QStringLiteral("書き込みエラー"));
    EXPECT_EQ(Boxes()[0].Buttons, platform::MsgButtons::OkCancel);
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("大事な文章"));
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_NE(ReadBytes(SettingsPath()).find("MEMOCHK=1"), std::string::npos);
}

// The system's reason in the user's words, read from the error the writer raises.
TEST_F(Startup, WriteFailuresSayTheSystemsReason) {
    struct Row {
        int err;
        const char* words;
    };
    const Row rows[] = {{EROFS, "読み取り専用"},
                        {EACCES, "権限がありません"},
                        {ENOSPC, "空き容量が足りません"},
                        {EISDIR, "同じ名前のフォルダ"}};
    for (const Row& row : rows) {
        const std::string what = "Cannot create file \"/x/MEMO.txt\". cannot write /x/MEMO.txt: " +
                                 std::string(std::strerror(row.err));
        EXPECT_EQ(composer::ErrorNumberIn(what), row.err) << what;
        EXPECT_NE(std::string(composer::ErrorNumberWords(row.err)).find(row.words),
                  std::string::npos)
            << row.words;
    }
    EXPECT_EQ(composer::ErrorNumberIn("no reason given"), 0);
}

// One window per settings file: a second one says so and closes without writing, so
// the first one's changes are not undone when the second closes.
TEST_F(Startup, SecondWindowOnTheSameSettingsClosesWithoutWriting) {
    Start();
    form->NameEdit1->setText(QStringLiteral("先の名前"));
    form->AddBtn1->click();
    {
        TMainForm1 second(SettingsPath());
        second.show();
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_TRUE(Boxes()[0].Text.contains(QDir::toNativeSeparators(SettingsPath())));
        EXPECT_TRUE(second.SettingsHeldElsewhere());
        QApplication::processEvents();
        EXPECT_FALSE(second.isVisible());
    }
    CloseWindow();
    Start();
    EXPECT_FALSE(form->SettingsHeldElsewhere());
    EXPECT_EQ(ListItems(form->ListBox1), QStringList{QStringLiteral("先の名前")});
}

// Names, phrases and the message are written a quiet moment after they change, so a
// window that never closes (the display is gone) loses at most that moment.
TEST_F(Startup, ChangesAreSavedWithoutAClose) {
    Start();
    form->NameEdit1->setText(QStringLiteral("名前"));
    form->AddBtn1->click();
    form->LEdit1->setText(QStringLiteral("短文"));
    form->WriteBtn2->click();
    Type(QStringLiteral("途中の文章"));
    ASSERT_NE(form->ChangeTimer, nullptr);
    EXPECT_TRUE(form->ChangeTimer->isActive());
    form->SaveChanges(); // what the timer runs
    EXPECT_FALSE(form->ChangeTimer->isActive());
    Start(); // the old window is destroyed without a close
    EXPECT_EQ(ListItems(form->ListBox1), QStringList{QStringLiteral("名前")});
    EXPECT_EQ(ListItems(form->ListBox2), QStringList{QStringLiteral("短文")});
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("途中の文章"));
}

// Qt ends the process with exit() when the display connection breaks: what waits for
// the timer is written then.
TEST_F(Startup, ExitWithoutACloseWritesWhatWaits) {
#ifdef __SANITIZE_ADDRESS__
    // exit() without a close frees nothing on purpose, which the leak checker reports.
    GTEST_SKIP() << "the leak checker fails an exit() that ends the window unclosed";
#endif
    GTEST_FLAG_SET(death_test_style, "fast");
    Start();
    EXPECT_EXIT(
        {
            form->NameEdit1->setText(QStringLiteral("最後の名前"));
            form->AddBtn1->click();
            Type(QStringLiteral("最後の文章"));
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "");
    Start();
    EXPECT_EQ(ListItems(form->ListBox1), QStringList{QStringLiteral("最後の名前")});
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("最後の文章"));
}

// A termination request (a logout) closes an open box as "cancel" and then the window
// as the user would, saving what it holds.
TEST_F(Startup, TerminationClosesOpenBoxesAndTheWindow) {
    Start();
    form->NameEdit1->setText(QStringLiteral("残す名前"));
    form->AddBtn1->click();
    Type(QStringLiteral("残す文章😀"));
    form->MemoCheck1->setChecked(true);
    platform::CloseOnTerminationSignals(form);
    platform::MsgResult answer = platform::MsgResult::Ok;
    {
        const platform::ScopedMessageHandler realBoxes{platform::MessageHandler()};
        QTimer::singleShot(50, [] { ::raise(SIGTERM); });
        // Without the mend the box would wait for ever: closed here, it fails the test.
        QTimer::singleShot(5000, [] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "the box stayed open";
                box->close();
            }
        });
        answer = platform::ShowMessage(QStringLiteral("開いたままの質問"), QStringLiteral("質問"),
                                       platform::MsgIcon::Question, platform::MsgButtons::OkCancel);
        for (int i = 0; i < 100 && form->isVisible(); ++i)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(answer, platform::MsgResult::Cancel);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(platform::TerminationRequested());
    EXPECT_TRUE(Boxes().empty()); // no question held the close up
    Start();
    EXPECT_EQ(ListItems(form->ListBox1), QStringList{QStringLiteral("残す名前")});
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("残す文章😀"));
}

TEST_F(Startup, AboutBoxShowsTheVersionCentredInTheWorkArea) {
    Start();
    std::unique_ptr<QDialog> about = form->AboutBoxDlg1.Create(form);
    EXPECT_EQ(about->windowTitle(), QStringLiteral("Varoku のバージョン情報"));
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("ProgramName"))->text(),
              QStringLiteral("Varoku"));
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("Version"))->text(),
              QStringLiteral("Ver. 2.0.1.0"));
    EXPECT_FALSE(about->findChild<QLabel*>(QStringLiteral("Copyright"))->text().isEmpty());
    EXPECT_TRUE(about->findChild<QLabel*>(QStringLiteral("Notes"))->wordWrap());
    auto* ok = about->findChild<QPushButton*>(QStringLiteral("OK"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_EQ(ok->size(), QSize(75, 25));
    EXPECT_EQ(about->height(), 25 + 166);
    EXPECT_LE(std::abs(2 * ok->x() + ok->width() - about->width()), 1);
    EXPECT_GT(ok->y(), about->findChild<QLabel*>(QStringLiteral("Notes"))->geometry().bottom());
    const QRect area = form->screen()->availableGeometry();
    EXPECT_LE(std::abs(about->geometry().center().x() - area.center().x()), 1);
    EXPECT_LE(std::abs(about->geometry().center().y() - area.center().y()), 1);

    about.reset();

    // Shown modally from the button and gone after OK.
    QTimer::singleShot(0, [] {
        auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->findChild<QLabel*>(QStringLiteral("Version"))->text(),
                  QStringLiteral("Ver. 2.0.1.0"));
        shown->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    });
    form->BitBtn1->click();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(form->findChildren<QDialog*>().isEmpty());
}

TEST_F(Startup, UpdateButtonOpensTheUpdateWindowModally) {
    Start();
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto* update = qobject_cast<update::TForm2*>(QApplication::activeModalWidget());
        opened = update != nullptr;
        if (update) update->Button1->click();
    });
    form->VchkBtn1->click();
    EXPECT_TRUE(opened);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(Startup, ErrorsNoHandlerCatchesReachTheStandardErrorBox) {
    Start();
    QMetaObject::invokeMethod(
        form, [] { throw std::runtime_error("Illegal Count : 5"); }, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(Boxes()[0].StandardError);
    EXPECT_EQ(Boxes()[0].Text, QStringLiteral("Illegal Count : 5"));
    // The program goes on.
    Type(QStringLiteral("まだ動く"));
    Create();
    EXPECT_TRUE(form->QRCode1->SymbolDisped());
}

class Locations : public WindowTest {};

TEST_F(Locations, OutsidePortableUseEverythingGoesToPrivateXdgFolders) {
    const QString settings = FilePath(QStringLiteral("config/varoku/varoku.ini"));
    const QString data = FilePath(QStringLiteral("data/varoku"));
    UseLocations({settings, data, false});
    Start();
    EXPECT_EQ(form->AboutBoxDlg1.SettingsPath, settings);
    form->MemoCheck1->setChecked(true);
    Type(QStringLiteral("メモです"));
    form->RWFlgBtn1->SetDown(true);
    form->DocBtn[0]->click();
    CloseWindow();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(ReadBytes(settings).empty());
    EXPECT_EQ(ReadBytes(data + QStringLiteral("/MEMO.txt")), ShiftJis("メモです"));
    EXPECT_EQ(ReadBytes(data + QStringLiteral("/MailDoc1.txt")), ShiftJis("メモです"));
    EXPECT_FALSE(QFile::exists(FilePath(QStringLiteral("MEMO.txt"))));
    for (const QString& folder :
         {FilePath(QStringLiteral("config")), FilePath(QStringLiteral("data/varoku"))}) {
        EXPECT_EQ(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0)
            << folder.toStdString();
    }

    Start(); // the message comes back from the data folder
    EXPECT_TRUE(form->MemoCheck1->isChecked());
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("メモです"));
}

TEST_F(Locations, UnwritableFoldersAreReportedAndTheWindowStillCloses) {
    WriteBytes(FilePath(QStringLiteral("blocker")), "a file where a folder should be");
    UseLocations({FilePath(QStringLiteral("blocker/varoku/varoku.ini")),
                  FilePath(QStringLiteral("blocker/data")), false});
    Start();
    form->MemoCheck1->setChecked(true);
    EXPECT_TRUE(form->close()); // answered OK
    // One box for every file that failed, asking whether to close all the same.
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].Buttons, platform::MsgButtons::OkCancel);
    for (const char* file : {"varoku.ini", "MEMO.txt"})
        EXPECT_TRUE(Boxes()[0].Text.contains(QString::fromUtf8(file)))
            << file << Boxes()[0].Text.toStdString();
    EXPECT_EQ(Boxes()[0].Caption, QString::fromUtf8(composer::kMemoSaveFailedCaption));
    EXPECT_EQ(ReadBytes(FilePath(QStringLiteral("blocker"))), "a file where a folder should be");
}

} // namespace
} // namespace window_test
