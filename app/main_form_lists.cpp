// The user's lists: short phrases, user names with the "<User>" tag, and the stored e-mail
// addresses, and how they are kept in the settings file.
#include <QCollator>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>
#include <numeric>

#include "app/main_form.h"
#include "composer/ex_ini_file.h"
#include "composer/payload.h"
#include "composer/shift_jis_text.h"
#include "platform/message_box.h"
#include "platform/radio_group.h"

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

// Japanese order whatever the desktop's locale, letter case ignored, as the
// name list has always been sorted.
const QCollator& NameOrder() {
    static const QCollator order = [] {
        QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        return collator;
    }();
    return order;
}

// An entry read from the settings file keeps its bytes beside the text shown:
// one the window cannot decode (written by another editor) goes back to the
// file as it came, not with "?" in place of what U+FFFD shows. Entries are
// never edited in place, so the bytes stay right for as long as the entry
// lives.
constexpr int kStoredBytesRole = Qt::UserRole;

QByteArray StoredBytes(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string EntryBytes(const QString& text, const QVariant& stored) {
    if (stored.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = stored.toByteArray();
        return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    return composer::ToShiftJis(text);
}

std::vector<std::string> Entries(const QListWidget* list) {
    std::vector<std::string> out;
    out.reserve(static_cast<size_t>(list->count()));
    for (int i = 0; i < list->count(); ++i)
        out.push_back(EntryBytes(list->item(i)->text(), list->item(i)->data(kStoredBytesRole)));
    return out;
}

std::vector<std::string> Entries(const QComboBox* combo) {
    std::vector<std::string> out;
    for (int i = 0; i < combo->count(); ++i)
        out.push_back(EntryBytes(combo->itemText(i), combo->itemData(i, kStoredBytesRole)));
    return out;
}

QStringList Decoded(const std::vector<std::string>& entries) {
    QStringList out;
    out.reserve(static_cast<qsizetype>(entries.size()));
    for (const std::string& entry : entries)
        out.push_back(composer::FromShiftJis(entry));
    return out;
}

// Fills the list in one insertion: a list of 100,000 entries must not be laid
// out 100,000 times. `order` gives the entry for each row.
void FillList(QListWidget* list, const std::vector<std::string>& entries, const QStringList& texts,
              const std::vector<size_t>& order) {
    QStringList rows;
    rows.reserve(static_cast<qsizetype>(order.size()));
    for (size_t at : order)
        rows.push_back(texts[static_cast<qsizetype>(at)]);
    // One line of one font each: without this the view would measure every entry
    // before showing the first.
    list->setUniformItemSizes(true);
    list->clear();
    list->addItems(rows);
    // The view shows no stored bytes, so it need not hear of them row by row.
    const QSignalBlocker quiet(list->model());
    for (size_t row = 0; row < order.size(); ++row)
        list->item(static_cast<int>(row))
            ->setData(kStoredBytesRole, StoredBytes(entries[order[row]]));
}

// Deletes the row the user chose, and leaves no other row chosen: the next
// click must not take a neighbour the user never picked.
void DeleteChosenRow(QListWidget* list) {
    QListWidgetItem* item = list->currentItem();
    if (!item || !item->isSelected()) return;
    delete list->takeItem(list->row(item));
    list->setCurrentRow(-1);
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
    const QString phrase = OneLine(LEdit1->text());
    if (composer::ToShiftJis(phrase).size() > static_cast<size_t>(kPhraseLimit)) {
        platform::ShowMessage(QStringLiteral("短文が長すぎます、全角125文字以内で作成して下さい。"),
                              QStringLiteral("エラー"), platform::MsgIcon::Warning);
        return;
    }
    ListBox2->addItem(phrase);
    LEdit1->clear();
    ShowAlert(QStringLiteral("短文リストへ追加しました。"));
}

void TMainForm1::DelBtn2Click() {
    DeleteChosenRow(ListBox2);
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
    // A name equal to others goes after them.
    const QCollator& order = NameOrder();
    int low = 0;
    int high = ListBox1->count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (order.compare(ListBox1->item(middle)->text(), name) <= 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    ListBox1->insertItem(low, name);
}

void TMainForm1::AddBtn1Click() {
    AddSortedName(OneLine(NameEdit1->text()));
    NameEdit1->clear();
}

void TMainForm1::DelBtn1Click() {
    DeleteChosenRow(ListBox1);
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

void TMainForm1::mContEditChange() {
    mailMax_ = mContEdit->value();
}

void TMainForm1::LoadLists() {
    std::vector<std::string> entries = Entries(ListBox1);
    IniSet->ReadStrings("MEMBER", "NAME", entries);
    QStringList texts = Decoded(entries);
    // Sorted once by collation keys, equal names in the order stored.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(entries.size());
    for (const QString& text : texts)
        keys.push_back(NameOrder().sortKey(text));
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return keys[a].compare(keys[b]) < 0; });
    FillList(ListBox1, entries, texts, order);

    entries = Entries(ListBox2);
    IniSet->ReadStrings("MWORD", "CONTS", entries);
    texts = Decoded(entries);
    order.resize(entries.size());
    std::iota(order.begin(), order.end(), size_t{0});
    FillList(ListBox2, entries, texts, order);

    carrierEntries_.clear();
    for (const QString& carrier : CaraiaGroup1->Items())
        carrierEntries_.push_back(composer::ToShiftJis(carrier));
    const std::vector<std::string> defaultCarriers = carrierEntries_;
    IniSet->ReadStrings("MAKER", "KEITAI", carrierEntries_);
    // A list with no carrier name in it would leave the group without a button and turn
    // every mail into plain text; the three carriers come back instead.
    const bool anyCarrier =
        std::any_of(carrierEntries_.begin(), carrierEntries_.end(), [](const std::string& name) {
            return name.find_first_not_of(" \t") != std::string::npos;
        });
    if (!anyCarrier) carrierEntries_ = defaultCarriers;
    // A list written before the smartphone target existed names the three carriers; the
    // target joins it at its index. A longer list is the user's own and stays.
    if (carrierEntries_.size() == static_cast<size_t>(composer::crSmartphone))
        carrierEntries_.push_back(defaultCarriers[composer::crSmartphone]);
    CaraiaGroup1->SetItems(Decoded(carrierEntries_));

    entries = Entries(MailComb1);
    IniSet->ReadStrings("MAIL", "E-MAIL", entries);
    const QString typed = MailComb1->currentText();
    MailComb1->clear();
    for (const std::string& entry : entries)
        MailComb1->addItem(composer::FromShiftJis(entry), StoredBytes(entry));
    MailComb1->setEditText(typed);
}

void TMainForm1::SaveLists() {
    IniSet->WriteStrings("MEMBER", "NAME", Entries(ListBox1));
    IniSet->WriteStrings("MWORD", "CONTS", Entries(ListBox2));
    std::vector<std::string> carriers;
    const QStringList& shown = CaraiaGroup1->Items();
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const bool asRead =
            static_cast<size_t>(i) < carrierEntries_.size() &&
            composer::FromShiftJis(carrierEntries_[static_cast<size_t>(i)]) == shown[i];
        carriers.push_back(asRead ? carrierEntries_[static_cast<size_t>(i)]
                                  : composer::ToShiftJis(shown[i]));
    }
    IniSet->WriteStrings("MAKER", "KEITAI", carriers);
    IniSet->WriteStrings("MAIL", "E-MAIL", Entries(MailComb1));
}
