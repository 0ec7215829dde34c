// The template buttons with their read and write mode, the mode lamp, clearing, the
// clipboard button, and the tab and carrier changes.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTabWidget>

#include "app/application.h"
#include "app/main_form.h"
#include "composer/composition.h"
#include "composer/file_error.h"
#include "composer/payload.h"
#include "composer/shift_jis_text.h"
#include "composer/text_files.h"
#include "platform/lamp.h"
#include "platform/message_box.h"
#include "platform/radio_group.h"
#include "platform/stay_down_button.h"
#include "qr/qr_code.h"

void TMainForm1::MemClear1Click() {
    const platform::MsgResult answer = platform::ShowMessage(
        QStringLiteral("文章を削除しようとしています。\r\nこのまま削除を行いますか？"),
        QStringLiteral("入力画面の消去"), platform::MsgIcon::Question, platform::MsgButtons::YesNo);
    if (answer != platform::MsgResult::Yes) return;
    ReplaceEditorText(QString()); // Ctrl+Z brings the text back
    QRCode1->Clear();
    MarkCodeCurrent(QString());
    SubjectEdit1->clear();
    MailComb1->clearEditText();
}

void TMainForm1::RWFlgBtn1Click() {
    ShowWriteMode();
}

void TMainForm1::ShowWriteMode() {
    // The lamp, its spoken state and the status bar say what the button's state is,
    // whichever way the button got there.
    const bool write = RWFlgBtn1->Down();
    const QString mode = write ? QStringLiteral("書込みモード") : QStringLiteral("読込みモード");
    SetStatusText(0, QStringLiteral(" %1です。 ").arg(mode));
    ModeLED->SetLit(!write);
    ModeLED->setToolTip(mode);
    ModeLED->setAccessibleName(QStringLiteral("文例のモード"));
    ModeLED->setAccessibleDescription(mode);
}

void TMainForm1::DocBtnClick(int digit) {
    if (RWFlgBtn1->Down()) {
        SaveTemplate(digit);
    } else {
        LoadTemplate(digit);
    }
}

void TMainForm1::LoadTemplate(int digit) {
    const QString file = platform::FileIn(Locations.DataDir, composer::TemplateFileName(digit));
    if (!composer::TemplateLoadable(file)) {
        platform::ShowMessage(QString::fromUtf8(composer::kTemplateMissingMessage),
                              QString::fromUtf8(composer::kTemplateMissingCaption),
                              platform::MsgIcon::Error);
        return;
    }
    // Read before the editor is touched: a file that cannot be read goes on to the
    // standard error box and leaves the user's text where it was.
    std::string text;
    try {
        text = composer::LoadTextFile(file);
    } catch (const composer::EFileError&) {
        platform::ShowStandardError(FileFailureText(file, false));
        return;
    }
    SList1.Clear();
    SetEditorText(text); // one edit: Ctrl+Z brings back the text it replaced
    SList1.SetStrings(EditorLines());
    ShowWriteMode();
    ShowAlert(QString::fromUtf8(composer::kTemplateLoadedAlert));
}

void TMainForm1::SaveTemplate(int digit) {
    const QString file = platform::FileIn(Locations.DataDir, composer::TemplateFileName(digit));
    if (composer::TemplateOverwriteNeedsAsking(file) &&
        platform::ShowMessage(QString::fromUtf8(composer::kTemplateOverwriteQuestion),
                              QString::fromUtf8(composer::kTemplateOverwriteCaption),
                              platform::MsgIcon::Warning,
                              platform::MsgButtons::YesNo) != platform::MsgResult::Yes) {
        return;
    }
    const QStringList gaps =
        composer::CharactersWithoutShiftJis(QStringLiteral("本文"), Memo1->toPlainText());
    if (!gaps.isEmpty()) {
        platform::ShowMessage(QStringLiteral("携帯電話の文字（Shift-JIS）にない文字があるため、"
                                             "テンプレートに保存できません。\r\n%1")
                                  .arg(gaps.join(QStringLiteral("\r\n"))),
                              QStringLiteral("書き込みエラー"), platform::MsgIcon::Error);
        return;
    }
    try {
        platform::EnsurePrivateFolder(Locations.DataDir);
        composer::SaveTextFile(file, EditorText());
    } catch (const std::exception&) {
        platform::ShowStandardError(FileFailureText(file, true));
        return;
    }
    RWFlgBtn1->SetDown(false);
    // Write mode ends with the saving: the lamp and the status bar say so.
    RWFlgBtn1Click();
}

void TMainForm1::sPage2Change() {
    // Each tab keeps the subject and address typed on it; on its first showing it
    // starts its own way (the message empty, the card without a subject).
    const int tab = sPage2->currentIndex();
    // Putting back what was typed here is no change to what a code is made of.
    const QScopedValueRollback quiet(composing_, true);
    if (shownTab_ >= 0 && shownTab_ < static_cast<int>(tabMail_.size())) {
        tabMail_[shownTab_] = {true, SubjectEdit1->text(), MailComb1->currentText()};
    }
    if (tab >= 0 && tab < static_cast<int>(tabMail_.size()) && tab != shownTab_) {
        const TTabMail& kept = tabMail_[tab];
        if (kept.Visited) {
            SubjectEdit1->setText(kept.Subject);
            MailComb1->setEditText(kept.Address);
        } else if (tab == composer::tabMessage) {
            SubjectEdit1->clear();
            MailComb1->clearEditText();
        } else if (tab == composer::tabCard) {
            SubjectEdit1->clear();
        }
    }
    shownTab_ = tab;
    switch (tab) {
    case composer::tabMessage:
        SetStatusText(0, QStringLiteral(" 文書作成モードです。"));
        break;
    case composer::tabCard:
        SetStatusText(0, QStringLiteral(" アドレス登録モードです。"));
        break;
    case composer::tabBookmark:
        SetStatusText(0, QStringLiteral(" ブックマーク登録モードです。docomo 専用"));
        SetBookmarkFieldsForCarrier();
        break;
    default:
        break;
    }
    UpdateCreateButton();
}

void TMainForm1::CaraiaGroup1Click() {
    SetBookmarkFieldsForCarrier();
}

void TMainForm1::SetBookmarkFieldsForCarrier() {
    // Of the carriers' phones only Docomo's take a bookmark from a QR code; every
    // smartphone camera opens a URL. The note speaks to the others.
    const int carrier = CaraiaGroup1->ItemIndex();
    const bool takesBookmark = carrier == composer::crDocomo || carrier == composer::crSmartphone;
    SiteEdit1->setEnabled(takesBookmark);
    URLEdit1->setEnabled(takesBookmark);
    BokLabel1->setEnabled(!takesBookmark);
}

void TMainForm1::ClipBtn1Click() {
    if (!QRCode1->SymbolDisped()) return;
    if (!ConfirmUnchecked(QStringLiteral("コピー"))) return;
    QRCode1->CopyToClipboard();
    // Said in the status bar: a box to close after every copy stands in the way.
    SetStatusText(0, QStringLiteral("QR コードをクリップボードへコピーしました。"));
}
