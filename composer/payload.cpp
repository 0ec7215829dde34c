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
    result.Url = BookmarkUrl(url);
    result.Payload = BookmarkPayload(title, result.Url);
    result.Count = SymbolCountFor(CountMbChars(result.Payload));
    return result;
}

void NormaliseCardReadings(TCardFields& card) {
    card.FamilyKana = ToHalfWidth(ToKatakana(card.FamilyKana));
    card.GivenKana = ToHalfWidth(ToKatakana(card.GivenKana));
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
    if (HasDoubleByteChar(card.FamilyKana)) {
        return TCardProblem::FamilyKanaKanji;
    }
    if (HasDoubleByteChar(card.GivenKana)) {
        return TCardProblem::GivenKanaKanji;
    }
    if (HasDoubleByteChar(card.Tel1)) {
        return TCardProblem::Tel1FullWidth;
    }
    if (HasDoubleByteChar(card.Tel2)) {
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
        return Concat({"MECARD:N:", card.FamilyName, " ", card.GivenName,
                       ";SOUND:", card.FamilyKana, " ", card.GivenKana, ";TEL:", card.Tel1,
                       ";TEL:", card.Tel2, ";EMAIL:", card.Mail1, ";EMAIL:", card.Mail2, ";;"});
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
    NormaliseCardReadings(card);
    card.Tel1 = HalfWidthPhone(card.Tel1);
    card.Tel2 = HalfWidthPhone(card.Tel2);
    result.Problem = CheckCardFields(card);
    if (result.Problem != TCardProblem::None) {
        return result;
    }
    result.Payload = CardPayload(card, carrier);
    result.Count = SymbolCountFor(CountMbChars(result.Payload));
    return result;
}

std::string FlatBody(std::string_view body) {
    return ReplaceAllText(body, kCrLf, "");
}

TMessagePayload MessagePayload(const TMessageFields& fields, int carrier) {
    TMessagePayload result;
    result.Count = SymbolCountFor(CountMbChars(fields.Body));
    result.Subject = fields.Subject;
    if (!IsMailAddress(fields.Address)) {
        result.Payload = fields.Body;
        return result;
    }
    if (fields.SubjectOption == soFromBody) {
        result.Subject = CopyMbChars(fields.Body, 1, 10);
        result.SubjectChanged = true;
    } else if (fields.SubjectOption == soHello) {
        result.Subject = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd!"; // こんにちは!
        result.SubjectChanged = true;
    }
    const std::string flat = FlatBody(fields.Body);
    switch (carrier) {
    case crDocomo:
        result.Payload =
            Concat({"MATMSG:TO:", fields.Address, ";SUB:", result.Subject, ";BODY:", flat, ";;"});
        break;
    case crSoftbank:
    case crAU:
        result.Payload = Concat(
            {"MAILTO:", fields.Address, kCrLf, "SUBJECT:", result.Subject, kCrLf, "BODY:", flat});
        break;
    default:
        result.Payload = fields.Body;
        break;
    }
    return result;
}

std::optional<TMessagePayload> ComposeMessage(const TMessageFields& fields, int carrier) {
    if (CountMbChars(fields.Body) == 0) {
        return std::nullopt;
    }
    return MessagePayload(fields, carrier);
}

} // namespace composer
