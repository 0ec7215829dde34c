// A monkey at the window: random user actions through QTest on the real main window,
// seeded and reproducible. After every step no box the step could not have shown and
// no escaped exception; after every restart the lists, options and "MEMO.txt" are what
// the window held when it closed. VAROKU_MONKEY_ACTIONS sets the number of actions
// (make soak-window runs 100,000), VAROKU_MONKEY_SEED repeats a failed run.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <random>
#include <set>

#include "app/large_view.h"
#include "composer/payload.h"
#include "composer/shift_jis_text.h"
#include "composer/text_files.h"
#include "platform/radio_group.h"
#include "platform/stay_down_button.h"
#include "tests/window/window_fixture.h"

namespace window_test {
namespace {

using platform::MsgResult;

long EnvNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

// What the window keeps across a restart, in the bytes the settings file holds.
struct TKept {
    std::multiset<std::string> Names; // re-sorted on loading, so compared as a set
    std::vector<std::string> Phrases;
    std::vector<std::string> Addresses;
    bool WriteMode = false;
    int MailMax = 0;
    int Carrier = 0;
    int Subject = 0;
    bool MemoKept = false;
    bool Clipboard = false;
    std::string Memo; // what "MEMO.txt" must hold when MemoKept
    bool operator==(const TKept&) const = default;
};

// The fields that differ, with both sizes or values, for the failure message.
std::string Differences(const TKept& was, const TKept& now) {
    std::string out;
    const auto note = [&out](bool differs, const char* name, auto before, auto after) {
        if (differs)
            out += std::string(name) + ": " + std::to_string(before) + " -> " +
                   std::to_string(after) + "\n";
    };
    note(was.Names != now.Names, "names", was.Names.size(), now.Names.size());
    for (const std::string& name : was.Names)
        if (!now.Names.contains(name)) out += "lost name \"" + name + "\"\n";
    for (size_t i = 0; i < std::min(was.Phrases.size(), now.Phrases.size()); ++i)
        if (was.Phrases[i] != now.Phrases[i])
            out += "phrase \"" + was.Phrases[i] + "\" -> \"" + now.Phrases[i] + "\"\n";
    note(was.Phrases != now.Phrases, "phrases", was.Phrases.size(), now.Phrases.size());
    note(was.Addresses != now.Addresses, "addresses", was.Addresses.size(), now.Addresses.size());
    note(was.WriteMode != now.WriteMode, "write mode", was.WriteMode, now.WriteMode);
    note(was.MailMax != now.MailMax, "mail max", was.MailMax, now.MailMax);
    note(was.Carrier != now.Carrier, "carrier", was.Carrier, now.Carrier);
    note(was.Subject != now.Subject, "subject", was.Subject, now.Subject);
    note(was.MemoKept != now.MemoKept, "memo kept", was.MemoKept, now.MemoKept);
    note(was.Clipboard != now.Clipboard, "clipboard", was.Clipboard, now.Clipboard);
    return out;
}

class Monkey : public WindowTest {
protected:
    std::mt19937 rng;
    std::deque<std::string> log; // the last actions, shown with a failure
    std::vector<platform::TMessageRequest> stepBoxes;

    int Pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
    bool Chance(int percent) { return Pick(100) < percent; }

    QString RandomText() {
        static const char* const pieces[] = {"abc",
                                             "Hello ",
                                             "0123",
                                             "\u3042\u3044\u3046",
                                             "\u6f22\u5b57",
                                             "\u30ab\u30ca",
                                             "\uff71\uff72",
                                             "\U0001F600",
                                             "\u2460",
                                             "<User>",
                                             "\r\n",
                                             "\n",
                                             " ",
                                             "@",
                                             "\u00e9",
                                             "\u9ad9",
                                             "\uff5e",
                                             "\u2015"};
        QString text;
        const int count = Chance(3) ? 400 + Pick(1500) : Pick(12);
        for (int i = 0; i < count; ++i)
            text += QString::fromUtf8(pieces[Pick(std::size(pieces))]);
        return text;
    }

    // What a user can put in a one-line field: typed or pasted text, replacing the old.
    static void PasteInto(QLineEdit* field, const QString& text) {
        QApplication::clipboard()->setText(text);
        field->selectAll();
        field->paste();
    }

    void ClickRow(QListView* list, bool twice) {
        const int rows = list->model()->rowCount();
        if (rows == 0) return;
        const QModelIndex item = list->model()->index(Pick(rows), 0);
        list->scrollTo(item);
        const QPoint at = list->visualRect(item).center();
        if (twice)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    // Each action names the box captions it may show.
    struct TAction {
        const char* Name;
        std::vector<QString> Boxes;
        std::function<void()> Run;
    };

    std::vector<TAction> Actions() {
        const QString card = QString::fromUtf8(composer::kCardProblemCaption);
        const QString body = QString::fromUtf8(composer::kEmptyBodyCaption);
        const QString missing = QString::fromUtf8(composer::kTemplateMissingCaption);
        const QString overwrite = QString::fromUtf8(composer::kTemplateOverwriteCaption);
        // The list's own complaint when a row is used while none is chosen.
        const QString kNoRow = QStringLiteral("List index out of bounds");
        return {
            {"type", {}, [this] { form->Memo1->setPlainText(RandomText()); }},
            {"keys", {}, [this] { QTest::keyClicks(form->Memo1, QStringLiteral("ab c<User>")); }},
            {"paste",
             {},
             [this] {
                 QApplication::clipboard()->setText(RandomText());
                 form->Memo1->paste();
             }},
            {"phrase",
             {QStringLiteral("エラー")},
             [this] {
                 PasteInto(form->LEdit1, Chance(10) ? QString(126, QChar(0x3042)) : RandomText());
                 QTest::mouseClick(form->WriteBtn2, Qt::LeftButton);
             }},
            {"phrase-row", {}, [this] { ClickRow(form->ListBox2, false); }},
            {"phrase-delete", {}, [this] { QTest::mouseClick(form->DelBtn2, Qt::LeftButton); }},
            {"phrase-insert",
             {kNoRow},
             [this] {
                 if (Chance(50)) ClickRow(form->ListBox2, false);
                 QTest::mouseClick(form->InsBtn2, Qt::LeftButton);
             }},
            {"name",
             {QStringLiteral("エラー")},
             [this] {
                 PasteInto(form->NameEdit1, RandomText().left(40));
                 QTest::mouseClick(form->AddBtn1, Qt::LeftButton);
             }},
            {"name-row", {kNoRow}, [this] { ClickRow(form->ListBox1, Chance(50)); }},
            {"name-delete", {}, [this] { QTest::mouseClick(form->DelBtn1, Qt::LeftButton); }},
            {"user-tag", {}, [this] { QTest::mouseClick(form->RpBtn1, Qt::LeftButton); }},
            {"user-replace",
             {QStringLiteral("エラー")},
             [this] {
                 if (Chance(50)) PasteInto(form->NameEdit1, RandomText().left(10));
                 QTest::mouseClick(form->RepBtn1, Qt::LeftButton);
             }},
            {"address",
             {QStringLiteral("登録件数オーバー"), QStringLiteral("不正なアドレス"),
              QStringLiteral("登録済みです。")},
             [this] {
                 form->MailComb1->setEditText(
                     Chance(60) ? QStringLiteral("u%1@example.jp").arg(Pick(40)) : RandomText());
                 QTest::mouseClick(form->BitBtn2, Qt::LeftButton);
             }},
            {"address-delete",
             {},
             [this] {
                 if (form->MailComb1->count() > 0)
                     form->MailComb1->setCurrentIndex(Pick(form->MailComb1->count()));
                 QTest::mouseClick(form->mDelbtn1, Qt::LeftButton);
             }},
            {"mail-max", {}, [this] { form->mContEdit->setValue(Pick(30)); }},
            {"subject-text", {}, [this] { PasteInto(form->SubjectEdit1, RandomText().left(30)); }},
            {"tab", {}, [this] { form->sPage2->setCurrentIndex(Pick(form->sPage2->count())); }},
            {"page",
             {},
             [this] { form->PageControl1->setCurrentIndex(Pick(form->PageControl1->count())); }},
            {"card",
             {},
             [this] {
                 QLineEdit* fields[] = {form->SeiEdit1,    form->MeiEdit1,    form->kanaEdit1,
                                        form->kanaEdit2,   form->PhoneEdit1,  form->PhoneEdit2,
                                        form->AddresEdit1, form->AddresEdit2, form->SiteEdit1,
                                        form->URLEdit1};
                 PasteInto(fields[Pick(std::size(fields))],
                           Chance(50) ? QStringLiteral("09012345678") : RandomText().left(60));
                 if (Chance(30)) form->Memo2->setPlainText(RandomText());
             }},
            {"carrier",
             {},
             [this] {
                 const int n = static_cast<int>(form->CaraiaGroup1->Items().size());
                 if (n > 0) QTest::mouseClick(form->CaraiaGroup1->Button(Pick(n)), Qt::LeftButton);
             }},
            {"subject",
             {},
             [this] {
                 const int n = static_cast<int>(form->SubjectGroup1->Items().size());
                 if (n > 0) QTest::mouseClick(form->SubjectGroup1->Button(Pick(n)), Qt::LeftButton);
             }},
            {"memo-check", {}, [this] { form->MemoCheck1->click(); }},
            {"clip-check", {}, [this] { form->ClipCheck1->click(); }},
            {"clip",
             {QStringLiteral("QRコードを保存")},
             [this] { QTest::mouseClick(form->ClipBtn1, Qt::LeftButton); }},
            {"mode", {}, [this] { QTest::mouseClick(form->RWFlgBtn1, Qt::LeftButton); }},
            {"template",
             {missing, overwrite, QStringLiteral("書き込みエラー")},
             [this] {
                 QTest::mouseClick(form->DocBtn[static_cast<size_t>(Pick(5))], Qt::LeftButton);
             }},
            {"clear",
             {QStringLiteral("入力画面の消去")},
             [this] { QTest::mouseClick(form->MemClear1, Qt::LeftButton); }},
            {"make", {card, body}, [this] { QTest::mouseClick(form->Button1, Qt::LeftButton); }},
            {"large-view",
             {},
             [this] {
                 if (form->LargeView1 && Chance(40))
                     form->LargeView1->close();
                 else
                     QTest::mouseClick(form->LargeBtn1, Qt::LeftButton);
             }},
            {"save",
             {},
             [this] {
                 static const char* const suffixes[] = {".png", ".svg", ".pdf"};
                 form->AskSaveName = [this](const QString&) {
                     return Chance(10) ? QString()
                                       : FilePath(QStringLiteral("out/code%1").arg(Pick(3)) +
                                                  QLatin1String(suffixes[Pick(3)]));
                 };
                 QDir().mkpath(FilePath(QStringLiteral("out")));
                 QTest::mouseClick(form->SaveBtn1, Qt::LeftButton);
             }},
        };
    }

    TKept Kept() const {
        TKept kept;
        for (const QString& name : Rows(form->ListBox1))
            kept.Names.insert(composer::ToShiftJis(name));
        for (const QString& phrase : Rows(form->ListBox2))
            kept.Phrases.push_back(composer::ToShiftJis(phrase));
        for (int i = 0; i < form->MailComb1->count(); ++i)
            kept.Addresses.push_back(composer::ToShiftJis(form->MailComb1->itemText(i)));
        kept.WriteMode = form->RWFlgBtn1->Down();
        kept.MailMax = form->MailMax();
        kept.Carrier = form->CaraiaGroup1->ItemIndex();
        kept.Subject = form->SubjectGroup1->ItemIndex();
        kept.MemoKept = form->MemoCheck1->isChecked();
        kept.Clipboard = form->ClipCheck1->isChecked();
        if (kept.MemoKept) kept.Memo = form->EditorText();
        return kept;
    }

    std::string Trail() const {
        std::string out;
        for (const std::string& line : log)
            out += "  " + line + "\n";
        return out;
    }

    // Fails the test when a box came that the step could not have shown.
    void CheckBoxes(const char* step, const std::vector<QString>& allowed) {
        for (const platform::TMessageRequest& box : stepBoxes) {
            // A standard error box is named by the start of its text, the others by
            // their caption.
            const bool expected =
                std::any_of(allowed.begin(), allowed.end(), [&](const QString& name) {
                    return box.StandardError ? box.Text.startsWith(name) : box.Caption == name;
                });
            ASSERT_TRUE(expected) << "step \"" << step << "\" showed " << box.Caption.toStdString()
                                  << ": " << box.Text.toStdString() << "\nlast steps:\n"
                                  << Trail();
        }
        stepBoxes.clear();
    }

    void Restart() {
        const TKept held = Kept();
        CloseWindow();
        CheckBoxes("close", {QStringLiteral("文章の保存")});
        // The editor greets instead of showing an empty memo, so the file itself is held
        // to the text; the lists and options are compared after the start.
        if (held.MemoKept) {
            ASSERT_EQ(ReadBytes(FilePath(QString::fromLatin1(composer::kMemoFileName))), held.Memo)
                << "MEMO.txt is not the text the window held\nlast steps:\n"
                << Trail();
        }
        Start();
        TKept now = Kept();
        now.Memo = held.Memo;
        ASSERT_TRUE(now == held) << "the window came back with other lists or options:\n"
                                 << Differences(held, now) << "last steps:\n"
                                 << Trail();
        CheckBoxes("start", {});
    }
};

// A run repeats: the seed comes from VAROKU_MONKEY_SEED, or is this one.
constexpr long kDefaultSeed = 20261210;

TEST_F(Monkey, RandomActionsKeepTheWindowWholeAndItsFilesRight) {
    const long actions = EnvNumber("VAROKU_MONKEY_ACTIONS", 2000);
    const unsigned seed = static_cast<unsigned>(EnvNumber("VAROKU_MONKEY_SEED", kDefaultSeed));
    rng.seed(seed);
    SCOPED_TRACE("VAROKU_MONKEY_SEED=" + std::to_string(seed));
    // Every box is answered at random and recorded for the step that raised it.
    platform::ScopedMessageHandler answers([this](const platform::TMessageRequest& request) {
        stepBoxes.push_back(request);
        const bool yesNo = request.Buttons == platform::MsgButtons::YesNo ||
                           request.Buttons == platform::MsgButtons::YesNoCancel;
        return yesNo ? (Chance(50) ? MsgResult::Yes : MsgResult::No) : MsgResult::Ok;
    });
    Start();
    const std::vector<TAction> all = Actions();
    int restarts = 0;
    for (long step = 0; step < actions; ++step) {
        if (Chance(1)) {
            log.push_back("restart");
            Restart();
            ++restarts;
            if (HasFatalFailure()) return;
            continue;
        }
        const TAction& action = all[static_cast<size_t>(Pick(static_cast<int>(all.size())))];
        log.push_back(std::to_string(step) + " " + action.Name);
        if (log.size() > 30) log.pop_front();
        action.Run();
        QApplication::processEvents();
        CheckBoxes(action.Name, action.Boxes);
        if (HasFatalFailure()) return;
    }
    Restart();
    std::printf("monkey: seed %u, %ld actions, %d restarts\n", seed, actions, restarts + 1);
}

} // namespace
} // namespace window_test
