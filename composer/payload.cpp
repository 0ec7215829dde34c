#include "composer/payload.h"

#include "composer/shift_jis_text.h"

namespace composer {
namespace {

constexpr std::string_view kCrLf = "\r\n";

bool StartsWithHttpsAnyCase(std::string_view url) {
    constexpr std::string_view https = "https://";
    if (url.size() < https.size()) {
        return false;
    }
    for (size_t i = 0; i < https.size(); ++i) {
        char c = url[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != https[i]) {
            return false;
        }
    }
    return true;
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

} // namespace

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
    // A secure address used to get "http://" glued in front of its own scheme.
    if (url.find("http://") != std::string_view::npos || StartsWithHttpsAnyCase(url)) {
        return std::string(url);
    }
    return Concat({"http://", url});
}

std::string BookmarkPayload(std::string_view title, std::string_view url) {
    return Concat({"MEBKM:TITLE:", title, ";URL:", BookmarkUrl(url), ";;"});
}

TBookmarkResult ComposeBookmark(std::string_view title, std::string_view url) {
    TBookmarkResult result;
    result.url = BookmarkUrl(url);
    result.payload = BookmarkPayload(title, result.url);
    result.count = SymbolCountFor(CountMbChars(result.payload));
    return result;
}

void NormaliseCardReadings(TCardFields& card) {
    card.familyKana = ToHalfWidth(ToKatakana(card.familyKana));
    card.givenKana = ToHalfWidth(ToKatakana(card.givenKana));
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

TCardProblem CheckCardFields(const TCardFields& card) {
    if (HasDoubleByteChar(card.familyKana)) {
        return TCardProblem::FamilyKanaKanji;
    }
    if (HasDoubleByteChar(card.givenKana)) {
        return TCardProblem::GivenKanaKanji;
    }
    if (HasDoubleByteChar(card.tel1)) {
        return TCardProblem::Tel1FullWidth;
    }
    if (HasDoubleByteChar(card.tel2)) {
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

bool CardProblemEmptiesField(TCardProblem problem) {
    return problem == TCardProblem::Tel1FullWidth || problem == TCardProblem::Tel2FullWidth;
}

std::string CardPayload(const TCardFields& card, int carrier) {
    switch (carrier) {
    case crDocomo:
        return Concat({"MECARD:N:", card.familyName, " ", card.givenName,
                       ";SOUND:", card.familyKana, " ", card.givenKana, ";TEL:", card.tel1,
                       ";TEL:", card.tel2, ";EMAIL:", card.mail1, ";EMAIL:", card.mail2, ";;"});
    case crSoftbank:
    case crAU:
        return Concat({"MEMORY:",
                       FlatBody(card.memo),
                       kCrLf,
                       "NAME1:",
                       card.familyName,
                       " ",
                       card.givenName,
                       kCrLf,
                       "NAME2:",
                       card.familyKana,
                       " ",
                       card.givenKana,
                       kCrLf,
                       "TEL1:",
                       card.tel1,
                       kCrLf,
                       "TEL2:",
                       card.tel2,
                       kCrLf,
                       "MAIL1:",
                       card.mail1,
                       kCrLf,
                       "MAIL2:",
                       card.mail2,
                       kCrLf});
    default:
        return {};
    }
}

TCardResult ComposeCard(TCardFields& card, int carrier) {
    TCardResult result;
    NormaliseCardReadings(card);
    card.tel1 = HalfWidthPhone(card.tel1);
    card.tel2 = HalfWidthPhone(card.tel2);
    result.problem = CheckCardFields(card);
    if (result.problem != TCardProblem::None) {
        return result;
    }
    result.payload = CardPayload(card, carrier);
    result.count = SymbolCountFor(CountMbChars(result.payload));
    return result;
}

std::string FlatBody(std::string_view body) {
    return ReplaceAllText(body, kCrLf, "");
}

TMessagePayload MessagePayload(const TMessageFields& fields, int carrier) {
    TMessagePayload result;
    result.count = SymbolCountFor(CountMbChars(fields.body));
    result.subject = fields.subject;
    if (!IsMailAddress(fields.address)) {
        result.payload = fields.body;
        return result;
    }
    if (fields.subjectOption == soFromBody) {
        result.subject = CopyMbChars(fields.body, 1, 10);
        result.subjectChanged = true;
    } else if (fields.subjectOption == soHello) {
        result.subject = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd!"; // こんにちは!
        result.subjectChanged = true;
    }
    const std::string flat = FlatBody(fields.body);
    switch (carrier) {
    case crDocomo:
        result.payload =
            Concat({"MATMSG:TO:", fields.address, ";SUB:", result.subject, ";BODY:", flat, ";;"});
        break;
    case crSoftbank:
    case crAU:
        result.payload = Concat(
            {"MAILTO:", fields.address, kCrLf, "SUBJECT:", result.subject, kCrLf, "BODY:", flat});
        break;
    default:
        result.payload = fields.body;
        break;
    }
    return result;
}

std::optional<TMessagePayload> ComposeMessage(const TMessageFields& fields, int carrier) {
    if (CountMbChars(fields.body) == 0) {
        return std::nullopt;
    }
    return MessagePayload(fields, carrier);
}

} // namespace composer
