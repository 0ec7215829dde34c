// The composer: the message counter and "作成", which turns the active tab into the
// carrier's payload and hands it to the QR code.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <optional>

#include "app/main_form.h"
#include "composer/payload.h"
#include "composer/shift_jis_text.h"
#include "platform/alert_notifier.h"
#include "platform/message_box.h"
#include "platform/radio_group.h"
#include "qr/qr_code.h"

namespace {

constexpr int kMessageLimit = 600;

enum ComposeTab { tabMessage = 0, tabCard = 1, tabBookmark = 2 };

} // namespace

std::string TMainForm1::EditorText() const {
    return composer::EditorTextToShiftJis(Memo1->toPlainText());
}

void TMainForm1::SetEditorText(const std::string& text) {
    Memo1->setPlainText(composer::ShiftJisToEditorText(text));
}

QStringList TMainForm1::EditorLines() const {
    // The editor keeps "\n" between its lines whatever the user typed.
    return Memo1->toPlainText().split(QLatin1Char('\n'));
}

void TMainForm1::SetEditorLines(const QStringList& lines) {
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
}

void TMainForm1::InsertIntoEditor(const QString& text) {
    Memo1->textCursor().insertText(text);
}

void TMainForm1::ShowAlert(const QString& text) {
    Alert1->Show(QString(), text);
}

void TMainForm1::Memo1Change() {
    const std::string text = EditorText();
    if (text.size() <= 4) {
        Button1->setEnabled(false);
        SetStatusText(0, QStringLiteral("　文字を入力して下さい。"));
        return;
    }
    const int n = composer::CountMbChars(text);
    Button1->setEnabled(true);
    if (n > kMessageLimit) {
        // Fewer symbols are drawn into the picture of the old ones; start from an empty
        // picture so that no stale symbol of the old set stays beside the new one.
        if (QRCode1->Count() != 1) QRCode1->Clear();
        QRCode1->SetCount(1);
    }
    SetStatusText(
        0, QStringLiteral("現在の文字数：%1文字 / 残り：%2文字").arg(n).arg(kMessageLimit - n));
}

void TMainForm1::Button1Click() {
    PageControl1->setCurrentIndex(0);
    QRCode1->Clear();
    QRCode1->SetSymbolEnabled(false);
    QRCode1->SetSymbolColor(platform::clBlack);
    QRCode1->SetBackColor(platform::clWhite);
    QRCode1->SetPxmag(composer::kComposerPxmag);
    QRCode1->SetMatch(false);
    QRCode1->SetVersion(composer::kComposerVersion);

    const int carrier = CaraiaGroup1->ItemIndex();
    switch (sPage2->currentIndex()) {
    case tabBookmark: {
        const composer::TBookmarkResult bookmark = composer::ComposeBookmark(
            composer::ToShiftJis(SiteEdit1->text()), composer::ToShiftJis(URLEdit1->text()));
        const QString shownUrl = composer::FromShiftJis(bookmark.url);
        if (URLEdit1->text() != shownUrl) URLEdit1->setText(shownUrl);
        QRCode1->SetCount(bookmark.count);
        QRCode1->SetCode(bookmark.payload);
        QRCode1->SetSymbolEnabled(true);
        SetStatusText(1, QString::number(QRCode1->EmodeR()));
        break;
    }
    case tabCard: {
        composer::TCardFields card;
        card.familyName = composer::ToShiftJis(SeiEdit1->text());
        card.givenName = composer::ToShiftJis(MeiEdit1->text());
        card.familyKana = composer::ToShiftJis(kanaEdit1->text());
        card.givenKana = composer::ToShiftJis(kanaEdit2->text());
        card.tel1 = composer::ToShiftJis(PhoneEdit1->text());
        card.tel2 = composer::ToShiftJis(PhoneEdit2->text());
        card.mail1 = composer::ToShiftJis(AddresEdit1->text());
        card.mail2 = composer::ToShiftJis(AddresEdit2->text());
        card.memo = composer::EditorTextToShiftJis(Memo2->toPlainText());
        const composer::TCardResult composed = composer::ComposeCard(card, carrier);
        kanaEdit1->setText(composer::FromShiftJis(card.familyKana));
        kanaEdit2->setText(composer::FromShiftJis(card.givenKana));

        const composer::TCardProblem problem = composed.problem;
        if (problem != composer::TCardProblem::None) {
            platform::ShowMessage(QString::fromUtf8(composer::CardProblemMessage(problem)),
                                  QString::fromUtf8(composer::kCardProblemCaption),
                                  platform::MsgIcon::Error);
            if (problem == composer::TCardProblem::Tel1FullWidth) PhoneEdit1->clear();
            if (problem == composer::TCardProblem::Tel2FullWidth) PhoneEdit2->clear();
            return;
        }
        QRCode1->SetCount(composed.count);
        QRCode1->SetCode(composed.payload);
        QRCode1->SetSymbolEnabled(true);
        SetStatusText(1, QString::number(QRCode1->EmodeR()));
        if (QRCode1->SymbolDisped())
            ShowAlert(QStringLiteral(" 住所登録用QR コードを作成しました。"));
        break;
    }
    default: {
        composer::TMessageFields fields;
        fields.body = EditorText();
        fields.address = composer::ToShiftJis(MailComb1->currentText());
        fields.subject = composer::ToShiftJis(SubjectEdit1->text());
        fields.subjectOption = SubjectGroup1->ItemIndex();
        const std::optional<composer::TMessagePayload> composed =
            composer::ComposeMessage(fields, carrier);
        if (!composed) {
            platform::ShowMessage(QString::fromUtf8(composer::kEmptyBodyMessage),
                                  QString::fromUtf8(composer::kEmptyBodyCaption),
                                  platform::MsgIcon::Error);
            return;
        }
        const composer::TMessagePayload& message = *composed;
        QRCode1->SetCount(message.count);
        if (message.subjectChanged) SubjectEdit1->setText(composer::FromShiftJis(message.subject));
        QRCode1->SetCode(message.payload);
        QRCode1->SetSymbolEnabled(true);

        const bool drawn = QRCode1->SymbolDisped();
        if (drawn) {
            ShowAlert(QStringLiteral(" QR コードを作成しました。"));
            if (RestorePending) {
                Memo1->clear();
                SetEditorLines(SList1.Strings());
                RestorePending = false;
            }
        }
        // A failed run keeps the text from before the "<User>" replacement: the next
        // drawn message still puts it back, so the user's own text is never dropped.
        if (drawn || !RestorePending) SList1.Clear();
        break;
    }
    }
}
