// The user's lists: short phrases, user names with the "<User>" tag, and the stored
// e-mail addresses.
#include <QCollator>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "app/main_form.h"
#include "composer/shift_jis_text.h"
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

// The list's own complaint when asked for an item while none is selected.
void ReportNoSelection(const QListWidget* list) {
    platform::ShowStandardError(
        QStringLiteral("List index out of bounds (%1)").arg(list->currentRow()));
}

} // namespace

void TMainForm1::LEdit1Change() {
    const auto length = static_cast<int>(composer::ToShiftJis(LEdit1->text()).size());
    SetStatusText(
        0,
        QStringLiteral("半角文字数：%1文字 - 残り：%2文字").arg(length).arg(kPhraseLimit - length));
}

void TMainForm1::WriteBtn2Click() {
    if (composer::ToShiftJis(LEdit1->text()).size() > static_cast<size_t>(kPhraseLimit)) {
        platform::ShowMessage(QStringLiteral("短文が長すぎます、全角125文字以内で作成して下さい。"),
                              QStringLiteral("エラー"), platform::MsgIcon::Warning);
        return;
    }
    ListBox2->addItem(LEdit1->text());
    LEdit1->clear();
    ShowAlert(QStringLiteral("短文リストへ追加しました。"));
}

void TMainForm1::DelBtn2Click() {
    const int row = ListBox2->currentRow();
    if (row >= 0) delete ListBox2->takeItem(row);
}

void TMainForm1::InsBtn2Click() {
    const QListWidgetItem* item = ListBox2->currentItem();
    if (!item) {
        ReportNoSelection(ListBox2);
        return;
    }
    InsertIntoEditor(item->text());
}

void TMainForm1::ListBox1Click() {
    if (const QListWidgetItem* item = ListBox1->currentItem()) NameEdit1->setText(item->text());
}

void TMainForm1::ListBox1DblClick() {
    const QListWidgetItem* item = ListBox1->currentItem();
    if (!item) {
        ReportNoSelection(ListBox1);
        return;
    }
    const QString name = item->text();
    InsertIntoEditor(name);
    ShowAlert(QStringLiteral("文章に") + name + QStringLiteral("を追加しました。"));
}

void TMainForm1::AddSortedName(const QString& name) {
    // Japanese order whatever the desktop's locale, letter case ignored, as the
    // name list has always been sorted; a name equal to others goes after them.
    static const QCollator order = [] {
        QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        return collator;
    }();
    int row = 0;
    while (row < ListBox1->count() && order.compare(ListBox1->item(row)->text(), name) <= 0)
        ++row;
    ListBox1->insertItem(row, name);
}

void TMainForm1::AddBtn1Click() {
    AddSortedName(NameEdit1->text());
    NameEdit1->clear();
}

void TMainForm1::DelBtn1Click() {
    const int row = ListBox1->currentRow();
    if (row >= 0) delete ListBox1->takeItem(row);
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
    if (MailComb1->count() >= mailMax_) {
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
    for (int i = 0; i < MailComb1->count(); ++i) {
        if (QString::compare(MailComb1->itemText(i), typed, Qt::CaseInsensitive) == 0) {
            platform::ShowMessage(QStringLiteral("登録しようとしているメールアドレスは\r\n"
                                                 "すでに登録されています。"),
                                  QStringLiteral("登録済みです。"), platform::MsgIcon::Warning);
            return;
        }
    }
    MailComb1->addItem(TrimControls(typed));
}

void TMainForm1::mDelbtn1Click() {
    const int index = MailComb1->currentIndex();
    if (index >= 0) MailComb1->removeItem(index);
}

void TMainForm1::mContEditChange() {
    mailMax_ = mContEdit->value();
}
