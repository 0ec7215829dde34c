// The composer: the message counter and "作成", which turns the active tab into the
// carrier's payload and hands it to the QR code.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "app/main_form.h"
#include "composer/payload.h"
#include "composer/shift_jis_text.h"
#include "platform/alert_notifier.h"
#include "platform/message_box.h"
#include "platform/radio_group.h"
#include "qr/engine/symbol_plan.h"
#include "qr/qr_code.h"

namespace {

constexpr int kMessageLimit = 600;

enum ComposeTab { tabMessage = 0, tabCard = 1, tabBookmark = 2 };

// Lines of the refusal listed before the rest is only counted, so the box still fits.
constexpr int kGapLinesShown = 10;

// One field's bytes for the payload: Shift-JIS, or UTF-8 where the smartphone target
// carries characters that phones cannot show in Shift-JIS.
std::string FieldBytes(const QString& text, bool utf8, bool editor) {
    if (utf8) return editor ? composer::EditorTextToUtf8(text) : text.toStdString();
    return editor ? composer::EditorTextToShiftJis(text) : composer::ToShiftJis(text);
}

} // namespace

QStringList TMainForm1::CharactersWithoutShiftJis(const QString& where, const QString& text) {
    std::vector<platform::TShiftJisUnmappable> gaps;
    platform::QStringToShiftJis(text, &gaps, platform::TShiftJisScope::JisX0208);
    QStringList lines;
    if (gaps.empty()) return lines;
    const bool multiLine = text.contains(QLatin1Char('\n'));
    int position = 0; // code points so far, as the converter counts them
    int line = 1;
    int column = 0;
    std::size_t next = 0;
    for (qsizetype i = 0; i < text.size() && next < gaps.size(); ++i) {
        const qsizetype first = i;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        ++position;
        ++column;
        if (position == gaps[next].Position) {
            const QString place =
                multiLine ? QStringLiteral("%1 %2行目 %3文字目").arg(where).arg(line).arg(column)
                          : QStringLiteral("%1 %2文字目").arg(where).arg(column);
            const QString code = QString::number(static_cast<uint>(gaps[next].Character), 16)
                                     .toUpper()
                                     .rightJustified(4, QLatin1Char('0'));
            lines.push_back(QStringLiteral("%1：「%2」(U+%3)")
                                .arg(place, text.mid(first, i - first + 1), code));
            ++next;
        }
        if (text[i] == QLatin1Char('\n')) {
            ++line;
            column = 0;
        }
    }
    return lines;
}

bool TMainForm1::RefuseCharactersWithoutShiftJis(const std::vector<TFieldText>& fields,
                                                 bool& utf8) {
    // The smartphone target carries such characters in UTF-8 instead.
    if (CaraiaGroup1->ItemIndex() == composer::crSmartphone) {
        utf8 = false;
        for (const TFieldText& field : fields)
            if (!CharactersWithoutShiftJis(field.Name, field.Text).isEmpty()) utf8 = true;
        return false;
    }
    utf8 = false;
    QStringList lines;
    QWidget* first = nullptr;
    for (const TFieldText& field : fields) {
        const QStringList found = CharactersWithoutShiftJis(field.Name, field.Text);
        if (!found.isEmpty() && !first) first = field.Widget;
        lines += found;
    }
    if (lines.isEmpty()) return false;
    const qsizetype hidden = lines.size() - kGapLinesShown;
    if (hidden > 0) {
        lines.resize(kGapLinesShown);
        lines.push_back(QStringLiteral("ほか %1 文字").arg(hidden));
    }
    platform::ShowMessage(
        QStringLiteral("携帯電話で読めない文字（Shift-JIS の JIS X 0208 にない文字）があるため、"
                       "QR コードを作成できません。"
                       "\r\n%1")
            .arg(lines.join(QStringLiteral("\r\n"))),
        QString::fromUtf8(composer::kCardProblemCaption), platform::MsgIcon::Error);
    if (first) first->setFocus();
    return true;
}

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

void TMainForm1::Button1Click() {
    PageControl1->setCurrentIndex(0);
    QRCode1->Clear();
    QRCode1->SetSymbolEnabled(false);
    QRCode1->SetSymbolColor(platform::clBlack);
    QRCode1->SetBackColor(platform::clWhite);
    QRCode1->SetPxmag(composer::kComposerPxmag);
    QRCode1->SetMatch(false);
    QRCode1->SetVersion(composer::kComposerVersion);
    QRCode1->SetEclevel(qr::engine::ecL);

    const int carrier = CaraiaGroup1->ItemIndex();
    switch (sPage2->currentIndex()) {
    case tabBookmark: {
        // The smartphone's code carries the URL alone: only the URL decides its encoding.
        std::vector<TFieldText> fields = {{URLEdit1, QStringLiteral("URL"), URLEdit1->text()}};
        if (carrier != composer::crSmartphone)
            fields.insert(fields.begin(),
                          {SiteEdit1, QStringLiteral("サイト名"), SiteEdit1->text()});
        bool utf8 = false;
        if (RefuseCharactersWithoutShiftJis(fields, utf8)) return;
        const composer::TBookmarkResult bookmark =
            composer::ComposeBookmark(FieldBytes(SiteEdit1->text(), utf8, false),
                                      FieldBytes(URLEdit1->text(), utf8, false), carrier, utf8);
        const QString shownUrl =
            utf8 ? QString::fromUtf8(bookmark.Url.data(),
                                     static_cast<qsizetype>(bookmark.Url.size()))
                 : composer::FromShiftJis(bookmark.Url);
        if (URLEdit1->text() != shownUrl) URLEdit1->setText(shownUrl);
        DrawPayload(bookmark.Payload, bookmark.Count, utf8);
        SetStatusText(1, QString::number(QRCode1->EmodeR()));
        if (!QRCode1->SymbolDisped())
            ReportNotDrawn(0);
        else if (bookmark.TitleDropped)
            SetStatusText(0, QStringLiteral("スマートフォン向けの QR コードは URL だけを運びます"
                                            "（サイト名は入りません）。"));
        break;
    }
    case tabCard: {
        for (QLineEdit* phone : {PhoneEdit1, PhoneEdit2}) {
            const QString half =
                QString::fromStdU16String(composer::HalfWidthPhone(phone->text().toStdU16String()));
            if (half != phone->text()) phone->setText(half);
        }
        bool utf8 = false;
        if (RefuseCharactersWithoutShiftJis(
                {
                    {SeiEdit1, QStringLiteral("姓"), SeiEdit1->text()},
                    {MeiEdit1, QStringLiteral("名"), MeiEdit1->text()},
                    {kanaEdit1, QStringLiteral("よみ（姓）"), kanaEdit1->text()},
                    {kanaEdit2, QStringLiteral("よみ（名）"), kanaEdit2->text()},
                    {PhoneEdit1, QStringLiteral("電話番号1"), PhoneEdit1->text()},
                    {PhoneEdit2, QStringLiteral("電話番号2"), PhoneEdit2->text()},
                    {AddresEdit1, QStringLiteral("メール1"), AddresEdit1->text()},
                    {AddresEdit2, QStringLiteral("メール2"), AddresEdit2->text()},
                    {Memo2, QStringLiteral("メモ"), Memo2->toPlainText()},
                },
                utf8))
            return;
        composer::TCardFields card;
        card.Utf8 = utf8;
        card.FamilyName = FieldBytes(SeiEdit1->text(), utf8, false);
        card.GivenName = FieldBytes(MeiEdit1->text(), utf8, false);
        card.FamilyKana = FieldBytes(kanaEdit1->text(), utf8, false);
        card.GivenKana = FieldBytes(kanaEdit2->text(), utf8, false);
        card.Tel1 = FieldBytes(PhoneEdit1->text(), utf8, false);
        card.Tel2 = FieldBytes(PhoneEdit2->text(), utf8, false);
        card.Mail1 = FieldBytes(AddresEdit1->text(), utf8, false);
        card.Mail2 = FieldBytes(AddresEdit2->text(), utf8, false);
        card.Memo = FieldBytes(Memo2->toPlainText(), utf8, true);
        const composer::TCardResult composed = composer::ComposeCard(card, carrier);
        const auto shown = [utf8](const std::string& bytes) {
            return utf8 ? QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()))
                        : composer::FromShiftJis(bytes);
        };
        kanaEdit1->setText(shown(card.FamilyKana));
        kanaEdit2->setText(shown(card.GivenKana));

        const composer::TCardProblem problem = composed.Problem;
        if (problem != composer::TCardProblem::None) {
            platform::ShowMessage(QString::fromUtf8(composer::CardProblemMessage(problem)),
                                  QString::fromUtf8(composer::kCardProblemCaption),
                                  platform::MsgIcon::Error);
            // The refused text stays for the user to mend; the caret goes to it.
            QWidget* field = kanaEdit1;
            if (problem == composer::TCardProblem::GivenKanaKanji) field = kanaEdit2;
            if (problem == composer::TCardProblem::Tel1FullWidth) field = PhoneEdit1;
            if (problem == composer::TCardProblem::Tel2FullWidth) field = PhoneEdit2;
            field->setFocus();
            return;
        }
        DrawPayload(composed.Payload, composed.Count, composed.Utf8);
        SetStatusText(1, QString::number(QRCode1->EmodeR()));
        if (QRCode1->SymbolDisped())
            ShowAlert(QStringLiteral(" 住所登録用QR コードを作成しました。"));
        else
            ReportNotDrawn(0);
        break;
    }
    default: {
        bool utf8 = false;
        if (RefuseCharactersWithoutShiftJis(
                {
                    {Memo1, QStringLiteral("本文"), Memo1->toPlainText()},
                    {SubjectEdit1, QStringLiteral("件名"), SubjectEdit1->text()},
                    {MailComb1, QStringLiteral("宛先"), MailComb1->currentText()},
                },
                utf8))
            return;
        composer::TMessageFields fields;
        fields.Utf8 = utf8;
        fields.Body = utf8 ? FieldBytes(Memo1->toPlainText(), true, true) : EditorText();
        fields.Address = FieldBytes(MailComb1->currentText(), utf8, false);
        fields.Subject = FieldBytes(SubjectEdit1->text(), utf8, false);
        fields.SubjectOption = SubjectGroup1->ItemIndex();
        const std::optional<composer::TMessagePayload> composed =
            composer::ComposeMessage(fields, carrier);
        if (!composed) {
            platform::ShowMessage(QString::fromUtf8(composer::kEmptyBodyMessage),
                                  QString::fromUtf8(composer::kEmptyBodyCaption),
                                  platform::MsgIcon::Error);
            return;
        }
        const composer::TMessagePayload& message = *composed;
        if (message.SubjectChanged)
            SubjectEdit1->setText(
                utf8 ? QString::fromUtf8(message.Subject.data(),
                                         static_cast<qsizetype>(message.Subject.size()))
                     : composer::FromShiftJis(message.Subject));
        DrawPayload(message.Payload, message.Count, utf8);

        const bool drawn = QRCode1->SymbolDisped();
        if (!drawn) ReportNotDrawn(utf8 ? 0 : composer::CountMbChars(fields.Body));
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
