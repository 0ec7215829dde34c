#include "composer/composition.h"

#include <initializer_list>

#include "composer/shift_jis_text.h"
#include "platform/shift_jis.h"

namespace composer {
namespace {

// How a refusal names each field.
const char* const kFieldNames[cfFieldCount] = {
    "本文",      "件名",      "宛先",    "姓",      "名",   "よみ（姓）", "よみ（名）",
    "電話番号1", "電話番号2", "メール1", "メール2", "メモ", "サイト名",   "URL",
};

// One field's bytes for the payload: Shift-JIS, or UTF-8 where the smartphone target
// carries characters that phones cannot show in Shift-JIS. The editors' texts get their
// lines joined with CR LF.
std::string FieldBytes(const QString& text, bool utf8, bool editor) {
    if (utf8) return editor ? EditorTextToUtf8(text) : text.toStdString();
    return editor ? EditorTextToShiftJis(text) : ToShiftJis(text);
}

// No address beyond a scheme: "", "http://", " https:// ".
bool UrlIsBlank(const QString& url) {
    QString rest = url.trimmed();
    for (const QLatin1String scheme : {QLatin1String("http://"), QLatin1String("https://")})
        if (rest.startsWith(scheme, Qt::CaseInsensitive)) rest = rest.mid(scheme.size());
    return rest.trimmed().isEmpty();
}

QString Shown(const std::string& bytes, bool utf8) {
    return utf8 ? QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()))
                : FromShiftJis(bytes);
}

// Whether the fields must go as UTF-8 or be refused: the smartphone target takes any
// character in UTF-8, every other target refuses those without a Shift-JIS form.
bool Refused(const TComposerFields& fields, std::initializer_list<TComposeField> order,
             TComposition& out, bool& utf8) {
    utf8 = false;
    bool first = true;
    for (const TComposeField field : order) {
        const QStringList found = CharactersWithoutShiftJis(
            QString::fromUtf8(kFieldNames[field]), fields.Text[static_cast<size_t>(field)]);
        if (found.isEmpty()) continue;
        if (first) out.Focus = field;
        first = false;
        out.Gaps += found;
    }
    if (out.Gaps.isEmpty()) return false;
    if (fields.Carrier == crSmartphone) {
        out.Gaps.clear();
        utf8 = true;
        return false;
    }
    out.Status = csUnmappable;
    return true;
}

void ComposeBookmarkTab(const TComposerFields& fields, TComposition& out) {
    const QString& site = fields.Text[cfSite];
    const QString& url = fields.Text[cfUrl];
    bool utf8 = false;
    // The smartphone's code carries the URL alone: only the URL decides its encoding.
    const bool refused = fields.Carrier == crSmartphone
                             ? Refused(fields, {cfUrl}, out, utf8)
                             : Refused(fields, {cfSite, cfUrl}, out, utf8);
    if (refused) return;
    if (UrlIsBlank(url)) {
        out.Status = csEmptyUrl;
        out.Focus = cfUrl;
        return;
    }
    const TBookmarkResult bookmark = ComposeBookmark(
        FieldBytes(site, utf8, false), FieldBytes(url, utf8, false), fields.Carrier, utf8);
    const QString shownUrl = Shown(bookmark.Url, utf8);
    if (shownUrl != url) out.Changed.emplace_back(cfUrl, shownUrl);
    out.Payload = bookmark.Payload;
    out.Count = bookmark.Count;
    out.Utf8 = utf8;
    out.TitleDropped = bookmark.TitleDropped;
}

void ComposeCardTab(TComposerFields fields, TComposition& out) {
    for (const TComposeField tel : {cfTel1, cfTel2}) {
        QString& text = fields.Text[tel];
        const QString half = QString::fromStdU16String(HalfWidthPhone(text.toStdU16String()));
        if (half == text) continue;
        text = half;
        out.Changed.emplace_back(tel, half);
    }
    bool utf8 = false;
    if (Refused(fields,
                {cfFamilyName, cfGivenName, cfFamilyKana, cfGivenKana, cfTel1, cfTel2, cfMail1,
                 cfMail2, cfMemo},
                out, utf8))
        return;
    const auto bytes = [&](TComposeField field) {
        return FieldBytes(fields.Text[field], utf8, field == cfMemo);
    };
    TCardFields card;
    card.Utf8 = utf8;
    card.FamilyName = bytes(cfFamilyName);
    card.GivenName = bytes(cfGivenName);
    card.FamilyKana = bytes(cfFamilyKana);
    card.GivenKana = bytes(cfGivenKana);
    card.Tel1 = bytes(cfTel1);
    card.Tel2 = bytes(cfTel2);
    card.Mail1 = bytes(cfMail1);
    card.Mail2 = bytes(cfMail2);
    card.Memo = bytes(cfMemo);
    const TCardResult composed = ComposeCard(card, fields.Carrier);
    // The readings are shown as they were normalised, also when the card is refused.
    out.Changed.emplace_back(cfFamilyKana, Shown(card.FamilyKana, utf8));
    out.Changed.emplace_back(cfGivenKana, Shown(card.GivenKana, utf8));
    out.Problem = composed.Problem;
    switch (composed.Problem) {
    case TCardProblem::None:
        out.Payload = composed.Payload;
        out.Count = composed.Count;
        out.Utf8 = composed.Utf8;
        return;
    case TCardProblem::FamilyKanaKanji:
        out.Focus = cfFamilyKana;
        break;
    case TCardProblem::GivenKanaKanji:
        out.Focus = cfGivenKana;
        break;
    case TCardProblem::Tel1FullWidth:
        out.Focus = cfTel1;
        break;
    case TCardProblem::Tel2FullWidth:
        out.Focus = cfTel2;
        break;
    }
    out.Status = csCardProblem;
}

void ComposeMessageTab(const TComposerFields& fields, TComposition& out) {
    bool utf8 = false;
    if (Refused(fields, {cfBody, cfSubject, cfAddress}, out, utf8)) return;
    TMessageFields message;
    message.Utf8 = utf8;
    message.Body = FieldBytes(fields.Text[cfBody], utf8, true);
    message.Address = FieldBytes(fields.Text[cfAddress], utf8, false);
    message.Subject = FieldBytes(fields.Text[cfSubject], utf8, false);
    // The options fill a blank subject; one the user typed is theirs.
    message.SubjectOption = fields.Text[cfSubject].isEmpty() ? fields.SubjectOption : soKeep;
    const std::optional<TMessagePayload> composed = ComposeMessage(message, fields.Carrier);
    if (!composed) {
        out.Status = csEmptyBody;
        return;
    }
    if (composed->SubjectChanged)
        out.Changed.emplace_back(cfSubject, Shown(composed->Subject, utf8));
    out.Payload = composed->Payload;
    out.Count = composed->Count;
    out.Utf8 = utf8;
    out.AddressDropped =
        !fields.Text[cfAddress].trimmed().isEmpty() && !IsMailAddress(message.Address);
    out.Characters = utf8 ? 0 : CountMbChars(message.Body);
}

} // namespace

TComposition Compose(const TComposerFields& fields) {
    TComposition out;
    switch (fields.Tab) {
    case tabBookmark:
        ComposeBookmarkTab(fields, out);
        break;
    case tabCard:
        ComposeCardTab(fields, out);
        break;
    default:
        ComposeMessageTab(fields, out);
        break;
    }
    return out;
}

bool CreateAllowed(const TComposerFields& fields) {
    switch (fields.Tab) {
    case tabBookmark:
        return !UrlIsBlank(fields.Text[cfUrl]);
    case tabCard:
        for (const TComposeField field : {cfFamilyName, cfGivenName, cfFamilyKana, cfGivenKana,
                                          cfTel1, cfTel2, cfMail1, cfMail2, cfMemo})
            if (!fields.Text[field].trimmed().isEmpty()) return true;
        return false;
    default:
        return !fields.Text[cfBody].isEmpty();
    }
}

QStringList CharactersWithoutShiftJis(const QString& where, const QString& text) {
    std::vector<platform::TShiftJisUnmappable> gaps;
    ToShiftJis(text, &gaps, platform::TShiftJisScope::JisX0208);
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

} // namespace composer
