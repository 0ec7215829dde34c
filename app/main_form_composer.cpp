// The composer: the message counter and "作成", which turns the active tab into the
// carrier's payload and hands it to the QR code.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <memory>
#include <vector>

#include "app/main_form.h"
#include "composer/composition.h"
#include "composer/payload.h"
#include "composer/shift_jis_text.h"
#include "composer/text_files.h"
#include "platform/alert_notifier.h"
#include "platform/message_box.h"
#include "platform/radio_group.h"
#include "qr/engine/symbol_set.h"
#include "qr/qr_code.h"

namespace {

constexpr int kMessageLimit = 600;

// Lines of the refusal listed before the rest is only counted, so the box still fits.
constexpr int kGapLinesShown = 10;

// The text of a field as the composer reads it.
QString FieldText(const QWidget* widget) {
    if (const auto* line = qobject_cast<const QLineEdit*>(widget)) return line->text();
    if (const auto* editor = qobject_cast<const QPlainTextEdit*>(widget))
        return editor->toPlainText();
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) return combo->currentText();
    return QString();
}

} // namespace

void TMainForm1::ReportNotDrawn(int characters) {
    const bool phone = CaraiaGroup1->ItemIndex() == composer::crSmartphone;
    const QString text =
        phone ? QStringLiteral("内容が QR コード 16 個（バージョン 40）にも収まらないため、"
                               "作成できません。\r\n短くしてからやり直して下さい。")
        : characters > kMessageLimit
            ? QStringLiteral("文章が %1 文字長すぎるため、QR コードを作成できません。\r\n"
                             "%2 文字以内にしてからやり直して下さい。")
                  .arg(characters - kMessageLimit)
                  .arg(kMessageLimit)
            : QStringLiteral("内容が QR コード 4 個に収まらないため、作成できません。\r\n"
                             "短くしてからやり直して下さい。");
    platform::ShowMessage(text, QString::fromUtf8(composer::kEmptyBodyCaption),
                          platform::MsgIcon::Error);
}

std::string TMainForm1::EditorText() const {
    return composer::EditorTextToShiftJis(Memo1->toPlainText());
}

void TMainForm1::SetEditorText(const std::string& text) {
    ReplaceEditorText(composer::ShiftJisToEditorText(text));
}

QStringList TMainForm1::EditorLines() const {
    // The editor keeps "\n" between its lines whatever the user typed.
    return Memo1->toPlainText().split(QLatin1Char('\n'));
}

void TMainForm1::SetEditorLines(const QStringList& lines) {
    ReplaceEditorText(lines.join(QLatin1Char('\n')));
}

void TMainForm1::ReplaceEditorText(const QString& text) {
    // The instruction is the editor's placeholder now; a file from before, which held
    // it as text, shows the placeholder rather than text that would be encoded.
    const QString shown = text == QString::fromUtf8(composer::kDefaultMemoText) ? QString() : text;
    // One edit through the cursor rather than setPlainText: Ctrl+Z brings back what
    // was there before, in one step.
    QTextCursor cursor(Memo1->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(shown);
    cursor.endEditBlock();
}

void TMainForm1::InsertIntoEditor(const QString& text) {
    Memo1->textCursor().insertText(text);
}

void TMainForm1::ShowAlert(const QString& text) {
    Alert1->Show(QString(), text);
}

void TMainForm1::Memo1Change() {
    UpdateCreateButton();
    const std::string text = EditorText();
    if (text.empty()) {
        SetStatusText(0, QStringLiteral("　文字を入力して下さい。"));
        return;
    }
    const int n = composer::CountMbChars(text);
    if (n > kMessageLimit) {
        // Fewer symbols are drawn into the picture of the old ones; start from an empty
        // picture so that no stale symbol of the old set stays beside the new one.
        if (QRCode1->Count() != 1) QRCode1->Clear();
        QRCode1->SetCount(1);
    }
    SetStatusText(
        0, QStringLiteral("現在の文字数：%1文字 / 残り：%2文字").arg(n).arg(kMessageLimit - n));
}

bool TMainForm1::CreateAllowed() const {
    return composer::CreateAllowed(ComposerFields());
}

void TMainForm1::UpdateCreateButton() {
    Button1->setEnabled(CreateAllowed());
}

void TMainForm1::DrawPayload(const std::string& payload, int count, bool utf8) {
    const int eci = composer::PayloadEci(utf8);
    QRCode1->SetEci(eci);
    QRCode1->SetSegments(CaraiaGroup1->ItemIndex() == composer::crSmartphone
                             ? qr::engine::sgOptimal
                             : qr::engine::sgGreedy);
    if (CaraiaGroup1->ItemIndex() == composer::crSmartphone) {
        auto planner = std::make_unique<qr::engine::TQRSymbolEngine>();
        planner->SetEci(eci);
        planner->SetSegments(QRCode1->Segments());
        planner->SetCode(payload);
        const qr::engine::TQRPlan plan = qr::engine::PlanSmallestSymbols(*planner);
        if (plan.Fits) {
            QRCode1->SetEclevel(plan.Eclevel);
            QRCode1->SetVersion(plan.Version);
            count = plan.Count;
        } else {
            QRCode1->SetVersion(qr::engine::kMaxVersion);
            count = 16;
        }
        // One large symbol is drawn finer rather than cut off at the panel's edge; past
        // one pixel per module only the large view shows it whole.
        const bool fits = QRCode1->SymbolWidthS() <= QRCode1->width() &&
                          QRCode1->SymbolHeightS() <= QRCode1->height();
        if (!fits && count == 1) QRCode1->SetPxmag(1);
        if (QRCode1->SymbolWidthS() * std::min(count, QRCode1->Column()) > QRCode1->width() ||
            QRCode1->SymbolHeightS() > QRCode1->height())
            SetStatusText(0, QStringLiteral("QR コードの全体は「大きく表示」で表示できます。"));
    }
    QRCode1->SetCount(count);
    QRCode1->SetCode(payload);
    QRCode1->SetSymbolEnabled(true);
}

std::array<QWidget*, composer::cfFieldCount> TMainForm1::ComposerFieldWidgets() const {
    return {Memo1,      SubjectEdit1, MailComb1,   SeiEdit1,    MeiEdit1, kanaEdit1, kanaEdit2,
            PhoneEdit1, PhoneEdit2,   AddresEdit1, AddresEdit2, Memo2,    SiteEdit1, URLEdit1};
}

composer::TComposerFields TMainForm1::ComposerFields() const {
    composer::TComposerFields fields;
    fields.Tab = static_cast<composer::TComposeTab>(sPage2->currentIndex());
    fields.Carrier = CaraiaGroup1->ItemIndex();
    fields.SubjectOption = SubjectGroup1->ItemIndex();
    const auto widgets = ComposerFieldWidgets();
    for (std::size_t i = 0; i < widgets.size(); ++i)
        fields.Text[i] = FieldText(widgets[i]);
    return fields;
}

void TMainForm1::Button1Click() {
    PageControl1->setCurrentIndex(pgQrCode);
    QRCode1->Clear();
    QRCode1->SetSymbolEnabled(false);
    QRCode1->SetSymbolColor(platform::clBlack);
    QRCode1->SetBackColor(platform::clWhite);
    QRCode1->SetPxmag(composer::kComposerPxmag);
    QRCode1->SetMatch(false);
    QRCode1->SetVersion(composer::kComposerVersion);
    QRCode1->SetEclevel(qr::engine::ecL);
    MarkCodeCurrent(QString());
    const composer::TComposerFields fields = ComposerFields();
    ShowComposition(fields.Tab, composer::Compose(fields));
}

void TMainForm1::ShowRefusal(const composer::TComposition& composed) {
    switch (composed.Status) {
    case composer::csUnmappable: {
        QStringList lines = composed.Gaps;
        const qsizetype hidden = lines.size() - kGapLinesShown;
        if (hidden > 0) {
            lines.resize(kGapLinesShown);
            lines.push_back(QStringLiteral("ほか %1 文字").arg(hidden));
        }
        platform::ShowMessage(
            QStringLiteral(
                "携帯電話で読めない文字（Shift-JIS の JIS X 0208 にない文字）があるため、"
                "QR コードを作成できません。"
                "\r\n%1")
                .arg(lines.join(QStringLiteral("\r\n"))),
            QString::fromUtf8(composer::kCardProblemCaption), platform::MsgIcon::Error);
        break;
    }
    case composer::csEmptyBody:
        platform::ShowMessage(QString::fromUtf8(composer::kEmptyBodyMessage),
                              QString::fromUtf8(composer::kEmptyBodyCaption),
                              platform::MsgIcon::Error);
        break;
    case composer::csEmptyUrl:
        platform::ShowMessage(QString::fromUtf8(composer::kEmptyUrlMessage),
                              QString::fromUtf8(composer::kEmptyUrlCaption),
                              platform::MsgIcon::Error);
        break;
    case composer::csCardProblem:
        platform::ShowMessage(QString::fromUtf8(composer::CardProblemMessage(composed.Problem)),
                              QString::fromUtf8(composer::kCardProblemCaption),
                              platform::MsgIcon::Error);
        break;
    case composer::csReady:
        return;
    }
    // The refused text stays for the user to mend; the caret goes to it.
    ComposerFieldWidgets()[composed.Focus]->setFocus();
}

namespace {

// What a drawn code carries, as a screen reader says it.
QString Carries(composer::TComposeTab tab, const composer::TComposerFields& fields,
                const composer::TComposition& composed) {
    const auto& text = fields.Text;
    switch (tab) {
    case composer::tabBookmark:
        return QStringLiteral("ブックマーク %1").arg(text[composer::cfUrl].trimmed());
    case composer::tabCard: {
        const QString name = QStringList{text[composer::cfFamilyName], text[composer::cfGivenName]}
                                 .join(QLatin1Char(' '))
                                 .trimmed();
        return QStringLiteral("住所録 %1").arg(name).trimmed();
    }
    default:
        if (!composed.AddressDropped && !text[composer::cfAddress].trimmed().isEmpty())
            return QStringLiteral("メール %1 宛").arg(text[composer::cfAddress].trimmed());
        return QStringLiteral("文章 %1 文字").arg(text[composer::cfBody].size());
    }
}

} // namespace

void TMainForm1::ShowComposition(composer::TComposeTab tab,
                                 const composer::TComposition& composed) {
    // What "作成" writes back into the fields belongs to the code it makes.
    composing_ = true;
    const composer::TComposerFields before = ComposerFields();
    const auto widgets = ComposerFieldWidgets();
    for (const auto& [field, text] : composed.Changed)
        if (auto* edit = qobject_cast<QLineEdit*>(widgets[field])) edit->setText(text);
    if (composed.Status != composer::csReady) {
        composing_ = false;
        ShowRefusal(composed);
        return;
    }
    readState_ = TReadState::None;
    DrawPayload(composed.Payload, composed.Count, composed.Utf8);
    const bool drawn = QRCode1->SymbolDisped();
    const bool message = tab != composer::tabBookmark && tab != composer::tabCard;
    // A code that does not read back has had its warning; "作成しました" would contradict it.
    const bool readBack = drawn && CheckShownCode(composed.Payload, composed.Utf8);
    if (drawn)
        MarkCodeCurrent(QStringLiteral("QR コード %1 個：%2")
                            .arg(QRCode1->Count())
                            .arg(Carries(tab, before, composed)));
    if (!message) SetStatusText(1, QString::number(QRCode1->EmodeR()));
    if (!drawn) {
        ReportNotDrawn(composed.Characters);
    } else if (tab == composer::tabBookmark) {
        if (composed.TitleDropped)
            SetStatusText(0, QStringLiteral("スマートフォン向けの QR コードは URL だけを運びます"
                                            "（サイト名は入りません）。"));
    } else if (tab == composer::tabCard) {
        if (readBack) ShowAlert(QStringLiteral(" 住所登録用QR コードを作成しました。"));
    } else {
        if (composed.AddressDropped) {
            const QString text =
                QStringLiteral(" 宛先「%1」はメールアドレスとして認識できませんでした。"
                               "QR コードには本文だけを入れました（宛先・件名なし）。")
                    .arg(before.Text[composer::cfAddress].trimmed());
            ShowAlert(text);
            SetStatusText(0, text);
        } else if (readBack) {
            ShowAlert(QStringLiteral(" QR コードを作成しました。"));
        }
        if (RestorePending) {
            SetEditorLines(SList1.Strings());
            RestorePending = false;
        }
    }
    composing_ = false;
    // A failed run keeps the text from before the "<User>" replacement: the next drawn
    // message still puts it back, so the user's own text is never dropped.
    if (message && (drawn || !RestorePending)) SList1.Clear();
}
