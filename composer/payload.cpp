#include "composer/payload.h"

#include <QString>

#include "composer/shift_jis_text.h"
#include "platform/kana_mapping.h"
#include "platform/shift_jis.h"
#include "qr/engine/bitstream.h"

namespace composer {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// "scheme://" at the start, the scheme a letter and then letters, digits, "+", "-" or
// "." in any case (HTTP://, https://, ftp://): the address needs nothing put before it.
bool StartsWithScheme(std::string_view url) {
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (url.empty() || !letter(url[0])) return false;
    size_t i = 1;
    while (i < url.size() && (letter(url[i]) || (url[i] >= '0' && url[i] <= '9') || url[i] == '+' ||
                              url[i] == '-' || url[i] == '.'))
        ++i;
    return url.substr(i).starts_with("://");
}

std::string Concat(std::initializer_list<std::string_view> parts) {
    size_t size = 0;
    for (std::string_view part : parts) {
        size += part.size();
    }
    std::string joined;
    joined.reserve(size);
    for (std::string_view part : parts) {
        joined += part;
    }
    return joined;
}

// The smartphone target's fields may be UTF-8; the kana mappings work on UTF-16.
std::u16string Decoded(std::string_view text, bool utf8) {
    if (!utf8) return platform::ShiftJisToUtf16(text);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdU16String();
}

std::string Encoded(std::u16string_view text, bool utf8) {
    if (!utf8) return platform::Utf16ToShiftJis(text);
    const QByteArray bytes =
        QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool HasNonAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// A kanji left in a reading once everything that has a half-width form has taken it.
bool ReadingHasKanji(std::string_view reading, bool utf8) {
    if (!utf8) return HasDoubleByteChar(ToHalfWidth(reading));
    for (const char16_t ch : platform::FullWidthToHalfWidth(Decoded(reading, true)))
        if (ch >= 0x80 && ch != 0xA5 && (ch < 0xFF61 || ch > 0xFF9F)) return true;
    return false;
}

// The first `count` characters, CR and LF each one as CountMbChars counts them.
std::string FirstCharacters(std::string_view text, int count, bool utf8) {
    if (!utf8) return CopyMbChars(text, 1, count);
    size_t at = 0;
    for (int n = 0; n < count && at < text.size(); ++n) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
    }
    return std::string(text.substr(0, at));
}

std::string WithoutLineBreaks(std::string_view text, bool utf8) {
    if (!utf8) return FlatBody(text);
    std::string out(text);
    for (size_t at; (at = out.find(kCrLf)) != std::string::npos;)
        out.erase(at, 2);
    return out;
}

} // namespace

int PayloadEci(bool utf8) {
    return utf8 ? qr::engine::kEciUtf8 : qr::engine::kEciAuto;
}

std::string MeCardField(std::string_view value, bool utf8) {
    std::string out;
    out.reserve(value.size() + 8);
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (!utf8 && platform::IsShiftJisLeadByte(static_cast<unsigned char>(c)) &&
            i + 1 < value.size()) {
            out += c;
            out += value[++i];
            continue;
        }
        if (c == '\\' || c == ';' || c == ':' || c == ',') out += '\\';
        out += c;
    }
    return out;
}

int SymbolCountFor(int characters) {
    if (characters >= 1 && characters <= 150) {
        return 1;
    }
    if (characters >= 151 && characters <= 300) {
        return 2;
    }
    if (characters >= 301 && characters <= 450) {
        return 3;
    }
    return 4;
}

std::string BookmarkUrl(std::string_view url) {
    // An address with its own scheme used to get "http://" glued in front of it.
    if (url.find("http://") != std::string_view::npos || StartsWithScheme(url)) {
        return std::string(url);
    }
    return Concat({"http://", url});
}

std::string BookmarkPayload(std::string_view title, std::string_view url, int carrier, bool utf8) {
    if (carrier == crSmartphone) return BookmarkUrl(url);
    return Concat({"MEBKM:TITLE:", MeCardField(title, utf8),
                   ";URL:", MeCardField(BookmarkUrl(url), utf8), ";;"});
}

TBookmarkResult ComposeBookmark(std::string_view title, std::string_view url, int carrier,
                                bool utf8) {
    TBookmarkResult result;
    result.Url = BookmarkUrl(url);
    result.Payload = BookmarkPayload(title, result.Url, carrier, utf8);
    result.Count = SymbolCountFor(CountMbChars(result.Payload));
    result.TitleDropped = carrier == crSmartphone && !title.empty();
    return result;
}

void NormaliseCardReadings(TCardFields& card, int carrier) {
    if (carrier != crSmartphone) {
        card.FamilyKana = ToHalfWidth(ToKatakana(card.FamilyKana));
        card.GivenKana = ToHalfWidth(ToKatakana(card.GivenKana));
        return;
    }
    for (std::string* reading : {&card.FamilyKana, &card.GivenKana})
        *reading = Encoded(platform::HalfWidthToFullWidthKatakana(
                               platform::HiraganaToKatakana(Decoded(*reading, card.Utf8))),
                           card.Utf8);
}

std::string HalfWidthPhone(std::string_view sjis) {
    // Input methods type telephone numbers in full width ("０９０－１２３４"), and the
    // hyphen key gives "ー" in kana mode; phones want the ASCII forms.
    std::string out;
    out.reserve(sjis.size());
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto lead = static_cast<unsigned char>(sjis[i]);
        if (!platform::IsShiftJisLeadByte(lead) || i + 1 == sjis.size()) {
            out += static_cast<char>(lead == 0xB0 ? '-' : lead); // half-width "ｰ"
            continue;
        }
        const auto trail = static_cast<unsigned char>(sjis[i + 1]);
        if (lead == 0x82 && trail >= 0x4F && trail <= 0x58) {
            out += static_cast<char>('0' + (trail - 0x4F)); // "０".."９"
        } else if (lead == 0x81 &&
                   (trail == 0x7C || trail == 0x5B || trail == 0x5C || trail == 0x5D)) {
            out += '-'; // "－", "ー", "―", "‐"
        } else {
            out += static_cast<char>(lead);
            out += static_cast<char>(trail);
        }
        ++i;
    }
    return out;
}

std::u16string HalfWidthPhone(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) {
        if (c >= 0xFF10 && c <= 0xFF19) {
            c = static_cast<char16_t>(u'0' + (c - 0xFF10));
        } else if (c == 0xFF0D || (c >= 0x2010 && c <= 0x2015) || c == 0x2212 || c == 0x30FC ||
                   c == 0xFF70) {
            c = u'-';
        }
    }
    return out;
}

TCardProblem CheckCardFields(const TCardFields& card) {
    if (ReadingHasKanji(card.FamilyKana, card.Utf8)) {
        return TCardProblem::FamilyKanaKanji;
    }
    if (ReadingHasKanji(card.GivenKana, card.Utf8)) {
        return TCardProblem::GivenKanaKanji;
    }
    const auto wide = [&](const std::string& tel) {
        return card.Utf8 ? HasNonAscii(tel) : HasDoubleByteChar(tel);
    };
    if (wide(card.Tel1)) {
        return TCardProblem::Tel1FullWidth;
    }
    if (wide(card.Tel2)) {
        return TCardProblem::Tel2FullWidth;
    }
    return TCardProblem::None;
}

const char* CardProblemMessage(TCardProblem problem) {
    switch (problem) {
    case TCardProblem::FamilyKanaKanji:
        return "名前（姓）に漢字が含まれています。";
    case TCardProblem::GivenKanaKanji:
        return "名前（名）に漢字が含まれています。";
    case TCardProblem::Tel1FullWidth:
        return "電話番号1 に全角文字が含まれています。\r\n半角数字で入力して下さい。";
    case TCardProblem::Tel2FullWidth:
        return "電話番号2 に全角文字が含まれています。\r\n半角数字で入力して下さい。";
    case TCardProblem::None:
        break;
    }
    return "";
}

std::string CardPayload(const TCardFields& card, int carrier) {
    const auto field = [&](std::string_view value) { return MeCardField(value, card.Utf8); };
    // The name's comma is the format's own "family,given" separator, and readers reorder
    // the name at any comma, escaped or not: one typed in a name goes as "，".
    const auto name = [&](std::string_view value) {
        std::string wide;
        for (const char c : value)
            wide += c == ',' ? (card.Utf8 ? "\xEF\xBC\x8C" : "\x81\x43") : std::string(1, c);
        return field(wide);
    };
    switch (carrier) {
    case crDocomo:
    case crSmartphone: {
        const std::string memo =
            carrier == crDocomo ? WithoutLineBreaks(card.Memo, card.Utf8) : card.Memo;
        return Concat({"MECARD:N:", name(card.FamilyName), " ", name(card.GivenName),
                       ";SOUND:", field(card.FamilyKana), " ", field(card.GivenKana),
                       ";TEL:", field(card.Tel1), ";TEL:", field(card.Tel2),
                       ";EMAIL:", field(card.Mail1), ";EMAIL:", field(card.Mail2),
                       memo.empty() ? "" : ";NOTE:", field(memo), ";;"});
    }
    case crSoftbank:
    case crAU:
        return Concat({"MEMORY:",
                       FlatBody(card.Memo),
                       kCrLf,
                       "NAME1:",
                       card.FamilyName,
                       " ",
                       card.GivenName,
                       kCrLf,
                       "NAME2:",
                       card.FamilyKana,
                       " ",
                       card.GivenKana,
                       kCrLf,
                       "TEL1:",
                       card.Tel1,
                       kCrLf,
                       "TEL2:",
                       card.Tel2,
                       kCrLf,
                       "MAIL1:",
                       card.Mail1,
                       kCrLf,
                       "MAIL2:",
                       card.Mail2,
                       kCrLf});
    default:
        return {};
    }
}

TCardResult ComposeCard(TCardFields& card, int carrier) {
    TCardResult result;
    NormaliseCardReadings(card, carrier);
    for (std::string* tel : {&card.Tel1, &card.Tel2})
        *tel =
            card.Utf8 ? Encoded(HalfWidthPhone(Decoded(*tel, true)), true) : HalfWidthPhone(*tel);
    result.Problem = CheckCardFields(card);
    if (result.Problem != TCardProblem::None) {
        return result;
    }
    result.Payload = CardPayload(card, carrier);
    result.Count = SymbolCountFor(CountMbChars(result.Payload));
    result.Utf8 = card.Utf8;
    return result;
}

std::string FlatBody(std::string_view body) {
    return ReplaceAllText(body, kCrLf, "");
}

TMessagePayload MessagePayload(const TMessageFields& fields, int carrier) {
    TMessagePayload result;
    result.Utf8 = fields.Utf8;
    result.Subject = fields.Subject;
    // The thresholds count what the symbols carry: labels, address and escapes too.
    const auto finish = [&](std::string payload) {
        result.Payload = std::move(payload);
        result.Count = SymbolCountFor(CountMbChars(result.Payload));
        return result;
    };
    if (!IsMailAddress(fields.Address)) {
        return finish(fields.Body);
    }
    if (fields.SubjectOption == soFromBody) {
        result.Subject = FirstCharacters(fields.Body, 10, fields.Utf8);
        result.SubjectChanged = true;
    } else if (fields.SubjectOption == soHello) {
        result.Subject = fields.Utf8 ? "こんにちは!"
                                     : "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd!"; // こんにちは!
        result.SubjectChanged = true;
    }
    const std::string flat = WithoutLineBreaks(fields.Body, fields.Utf8);
    const auto field = [&](std::string_view value) { return MeCardField(value, fields.Utf8); };
    switch (carrier) {
    case crDocomo:
    case crSmartphone:
        return finish(Concat({"MATMSG:TO:", field(fields.Address), ";SUB:", field(result.Subject),
                              ";BODY:", field(carrier == crDocomo ? flat : fields.Body), ";;"}));
    case crSoftbank:
    case crAU:
        return finish(Concat(
            {"MAILTO:", fields.Address, kCrLf, "SUBJECT:", result.Subject, kCrLf, "BODY:", flat}));
    default:
        return finish(fields.Body);
    }
}

std::optional<TMessagePayload> ComposeMessage(const TMessageFields& fields, int carrier) {
    if (CountMbChars(fields.Body) == 0) {
        return std::nullopt;
    }
    return MessagePayload(fields, carrier);
}

} // namespace composer
