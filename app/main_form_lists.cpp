// The user's lists as the window edits them: short phrases, user names with the "<User>"
// tag, and the stored e-mail addresses (main_form_settings.cpp reads and writes them).
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "app/main_form.h"
#include "composer/shift_jis_text.h"
#include "composer/stored_list.h"
#include "platform/message_box.h"

namespace {

constexpr int kPhraseLimit = 250; // bytes: 125 full-width characters
const QString kUserTag = QStringLiteral("<User>");

// Trims spaces and control characters, as the address is stored.
QString TrimControls(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 0x20)
        ++first;
    while (last > first && text[last - 1].unicode() <= 0x20)
        --last;
    return text.mid(first, last - first);
}

// Deletes the row the user chose, and leaves no other row chosen: the next
// click must not take a neighbour the user never picked.
void DeleteChosenRow(QListView* list, composer::TStoredList& entries) {
    const QModelIndex chosen = list->currentIndex();
    if (!chosen.isValid() || !list->selectionModel()->isSelected(chosen)) return;
    entries.Remove(chosen.row());
    list->setCurrentIndex(QModelIndex());
    list->clearSelection();
}

// A list entry as the settings file can give it back: one line (a line break pasted
// into the field would split the entry and start a line of its own in the file) and
// without the blanks and control characters the file drops around a value.
QString OneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return TrimControls(text);
}

// The row the user chose, or the list's own complaint when none is.
int ChosenRow(const QListView* list) {
    const int row = list->currentIndex().row();
    if (row < 0)
        platform::ShowStandardError(QStringLiteral("List index out of bounds (%1)").arg(row));
    return row;
}

} // namespace

int TMainForm1::MailMax() const {
    return mContEdit->value();
}

void TMainForm1::LEdit1Change() {
    const auto length = static_cast<int>(composer::ToShiftJis(LEdit1->text()).size());
    SetStatusText(
        0,
        QStringLiteral("半角文字数：%1文字 - 残り：%2文字").arg(length).arg(kPhraseLimit - length));
}

void TMainForm1::WriteBtn2Click() {
    const QString phrase = OneLine(LEdit1->text());
    if (phrase.isEmpty()) {
        platform::ShowMessage(QStringLiteral("短文が入力されていません。"),
                              QStringLiteral("エラー"), platform::MsgIcon::Warning);
        return;
    }
    if (composer::ToShiftJis(phrase).size() > static_cast<size_t>(kPhraseLimit)) {
        platform::ShowMessage(QStringLiteral("短文が長すぎます、全角125文字以内で作成して下さい。"),
                              QStringLiteral("エラー"), platform::MsgIcon::Warning);
        return;
    }
    Phrases->Insert(Phrases->Count(), phrase);
    LEdit1->clear();
    ShowAlert(QStringLiteral("短文リストへ追加しました。"));
}

void TMainForm1::DelBtn2Click() {
    DeleteChosenRow(ListBox2, *Phrases);
}

void TMainForm1::InsBtn2Click() {
    const int row = ChosenRow(ListBox2);
    if (row >= 0) InsertIntoEditor(Phrases->Text(row));
}

void TMainForm1::ListBox1Click() {
    const int row = ListBox1->currentIndex().row();
    if (row >= 0) NameEdit1->setText(Names->Text(row));
}

void TMainForm1::ListBox1DblClick() {
    const int row = ChosenRow(ListBox1);
    if (row < 0) return;
    const QString name = Names->Text(row);
    InsertIntoEditor(name);
    ShowAlert(QStringLiteral("文章に") + name + QStringLiteral("を追加しました。"));
}

void TMainForm1::AddBtn1Click() {
    const QString name = OneLine(NameEdit1->text());
    if (name.isEmpty()) {
        platform::ShowMessage(QStringLiteral("ユーザー名が入力されていません。"),
                              QStringLiteral("エラー"), platform::MsgIcon::Warning);
        return;
    }
    Names->InsertSorted(name, composer::NameOrder());
    NameEdit1->clear();
}

void TMainForm1::DelBtn1Click() {
    DeleteChosenRow(ListBox1, *Names);
}

void TMainForm1::RpBtn1Click() {
    InsertIntoEditor(kUserTag);
}

void TMainForm1::RepBtn1Click() {
    const std::string name = composer::ToShiftJis(NameEdit1->text());
    if (name.size() < 2) {
        platform::ShowMessage(
            QStringLiteral("ユーザー名が入力されていません。\r\n"
                           "ユーザーを下記のリストから選択するか、ユーザー名をに入力\r\n"
                           "して下さい。"),
            QStringLiteral("エラー"), platform::MsgIcon::Error);
        return;
    }
    SList1.Clear();
    SList1.SetStrings(EditorLines());
    SetEditorText(composer::ReplaceAllText(EditorText(), composer::ToShiftJis(kUserTag), name));
    RestorePending = true;
}

void TMainForm1::BitBtn2Click() {
    const QString typed = MailComb1->currentText();
    if (Addresses->Count() >= MailMax()) {
        platform::ShowMessage(QStringLiteral("既定の登録件数が登録されています。\r\n"
                                             "不要なアドレスを削除して登録して下さい。"),
                              QStringLiteral("登録件数オーバー"), platform::MsgIcon::Warning);
        return;
    }
    if (!composer::IsMailAddress(composer::ToShiftJis(typed))) {
        platform::ShowMessage(
            QStringLiteral("登録しようとしているメールアドレスは有効ではありません。\r\n"
                           "有効なアドレスを登録して下さい。"),
            QStringLiteral("不正なアドレス"), platform::MsgIcon::Warning);
        return;
    }
    if (Addresses->Find(typed, Qt::CaseInsensitive) >= 0) {
        platform::ShowMessage(QStringLiteral("登録しようとしているメールアドレスは\r\n"
                                             "すでに登録されています。"),
                              QStringLiteral("登録済みです。"), platform::MsgIcon::Warning);
        return;
    }
    MailComb1->addItem(TrimControls(typed));
}

void TMainForm1::mDelbtn1Click() {
    // The combo box keeps a current index of its own whatever the field shows (0
    // once items are added, kept when the field is cleared or typed over): only
    // the text in the field says what the user chose.
    const QString typed = MailComb1->currentText();
    const int index = MailComb1->findText(typed, Qt::MatchExactly);
    if (index < 0) return;
    MailComb1->removeItem(index);
    // Removing the current item would put its neighbour in the field, ready for
    // the next click to delete it.
    MailComb1->setCurrentIndex(-1);
    MailComb1->setEditText(typed);
}
