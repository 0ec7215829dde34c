#include "tests/phone/phone_cases.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>

#include "composer/payload.h"
#include "composer/presented.h"
#include "composer/shift_jis_text.h"
#include "tests/support/phone_reader.h"
#include "tests/support/zxing_reader.h"

namespace phone_test {

namespace {

// --- what each kind and carrier should show ---

// Where a field is read back: ZXing's parsed result, or a "LABEL:value" line of the
// decoded text (for formats whose fields are lines).
enum class TView { Parsed, Lines };
// The mail body and the memo: line breaks run together, or kept.
enum class TBreaks { Removed, Kept };
// The readings as the program makes them: half-width katakana, or hiragana turned
// into katakana and full-width katakana kept.
enum class TReading { HalfWidth, Katakana };

// Typed values, turned into what the phone should show by the row's columns.
enum class TValue {
    Address, // a list of the one address
    Subject,
    Body,
    Names,   // family, space, given
    Reading, // family reading, space, given reading
    Phones,  // a list of the numbers typed
    Mails,   // a list of the addresses typed
    Memo,
    Tel1,
    Tel2,
    Mail1,
    Mail2,
    Url, // as composer::BookmarkUrl completes it
    Title,
};

struct TFieldRule {
    const char* Key; // ZXing's field name, or the line's label
    TValue Value;
};

struct TRow {
    TKind Kind;
    int Target;
    TView View;
    TBreaks Breaks;
    TReading Reading;
    std::vector<TFieldRule> Fields;
    // Every field and zxing-cpp's text must come back exact, else the test fails.
    bool MustBeExact;
    // The code is the same whatever the carrier (varoku-qr may take no --carrier).
    bool CarrierFree = false;
    // MECARD's name: a comma is the format's "family,given" separator and readers reorder
    // the name at it, so the program sends a typed one as "，".
    bool WideNameComma = false;
};

const std::vector<TFieldRule> kMailFields = {
    {"tos", TValue::Address}, {"subject", TValue::Subject}, {"body", TValue::Body}};
const std::vector<TFieldRule> kMailLines = {
    {"MAILTO:", TValue::Address}, {"SUBJECT:", TValue::Subject}, {"BODY:", TValue::Body}};
const std::vector<TFieldRule> kCardFields = {{"names", TValue::Names},
                                             {"pronunciation", TValue::Reading},
                                             {"phoneNumbers", TValue::Phones},
                                             {"emails", TValue::Mails},
                                             {"note", TValue::Memo}};
const std::vector<TFieldRule> kCardLines = {{"MEMORY:", TValue::Memo},   {"NAME1:", TValue::Names},
                                            {"NAME2:", TValue::Reading}, {"TEL1:", TValue::Tel1},
                                            {"TEL2:", TValue::Tel2},     {"MAIL1:", TValue::Mail1},
                                            {"MAIL2:", TValue::Mail2}};
const std::vector<TFieldRule> kBookmarkFields = {{"uri", TValue::Url}, {"title", TValue::Title}};
const std::vector<TFieldRule> kUrlFields = {{"uri", TValue::Url}};

using enum TView;
using enum TBreaks;
using enum TReading;

// One row per kind, carrier and view. Softbank and AU mails ("MAILTO:" lines) are no
// mailto: URI and ZXing is not expected to understand them: their parsed row only
// reports what it makes of them, their lines say what a phone reading the lines gets.
// ZXing parses the "MEMORY:" card (its AU address-book parser), so that card has both.
// Exact: every field the format can carry, and the text. Not held to it: ZXing's reading
// of the Softbank and AU formats, whose bytes stay as those carriers' 4G feature phones
// read them (the mail is taken for one address; the card's parser drops a backslash).
const std::vector<TRow> kRows = {
    {kdMail, 0, Parsed, Removed, HalfWidth, kMailFields, true},
    {kdMail, 1, Parsed, Removed, HalfWidth, kMailFields, false},
    {kdMail, 1, Lines, Removed, HalfWidth, kMailLines, true},
    {kdMail, 2, Parsed, Removed, HalfWidth, kMailFields, false},
    {kdMail, 2, Lines, Removed, HalfWidth, kMailLines, true},
    {kdMail, 3, Parsed, Kept, Katakana, kMailFields, true},
    {kdCard, 0, Parsed, Removed, HalfWidth, kCardFields, true, false, true},
    {kdCard, 1, Parsed, Removed, HalfWidth, kCardFields, false},
    {kdCard, 1, Lines, Removed, HalfWidth, kCardLines, true},
    {kdCard, 2, Parsed, Removed, HalfWidth, kCardFields, false},
    {kdCard, 2, Lines, Removed, HalfWidth, kCardLines, true},
    {kdCard, 3, Parsed, Kept, Katakana, kCardFields, true, false, true},
    {kdBookmark, 0, Parsed, Removed, HalfWidth, kBookmarkFields, true, true},
    {kdBookmark, 1, Parsed, Removed, HalfWidth, kBookmarkFields, true, true},
    {kdBookmark, 2, Parsed, Removed, HalfWidth, kBookmarkFields, true, true},
    {kdBookmark, 3, Parsed, Kept, Katakana, kUrlFields, true},
};

// --- typed fields ---

// splitmix64: the same cases from the same seed on any standard library.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    bool Percent(int p) { return Below(100) < p; }
    template <std::size_t N> const char* Pick(const char* const (&pool)[N]) {
        return pool[Below(static_cast<int>(N))];
    }

private:
    std::uint64_t state_;
};

// JIS X 0208 only (no NEC or IBM extensions, none of the characters whose Unicode
// form code page 932 and Shift_JIS readers map differently: ～ ∥ － ￠ ￡ ￢).
const char* const kKanji[] = {"明日",   "会議",   "予定",   "確認",     "連絡",
                              "資料",   "送付",   "本日",   "午後",     "時間",
                              "場所",   "変更",   "了解",   "東京都",   "新宿区",
                              "駅前",   "出張",   "報告",   "営業部",   "見積書",
                              "請求書", "宜しく", "お願い", "致します", "お世話になっております",
                              "集合",   "忘年会", "誕生日", "旅行",     "写真",
                              "電話",   "番号",   "住所",   "地図",     "受付",
                              "担当",   "山田様", "弁当",   "天気",     "雨",
                              "晴れ",   "桜",     "夏休み", "鰻",       "齋藤",
                              "渡邊",   "高橋"};
const char* const kHiragana[] = {"こんにちは",
                                 "ありがとうございます",
                                 "よろしくお願いします",
                                 "です",
                                 "ます",
                                 "ください",
                                 "ちょっと",
                                 "おくれます",
                                 "まってます",
                                 "どうぞ",
                                 "では",
                                 "また",
                                 "ね",
                                 "よ",
                                 "がっこう",
                                 "ぱんや",
                                 "きょう",
                                 "あした",
                                 "ゃゅょっ"};
const char* const kKatakana[] = {"テスト",       "メール",     "コーヒー",     "ヴァイオリン",
                                 "データ",       "パソコン",   "スケジュール", "ミーティング",
                                 "プロジェクト", "レストラン", "ホテル",       "タクシー",
                                 "カフェ"};
const char* const kHalfWidth[] = {"ｶﾀｶﾅ ﾃｽﾄ",   "ﾃﾞｰﾀ", "ﾊﾟｿｺﾝ", "ｱｲｳｴｵ", "ｺｰﾋｰ",
                                  "ｶﾞｷﾞｸﾞｹﾞｺﾞ", "ﾒｰﾙ",  "ｯｬｭｮ",  "｢ｶｷﾞ｣", "ﾎﾃﾙ､ｶﾌｪ｡"};
const char* const kAscii[] = {"meeting", "Tokyo", "OK",     "test",   "ABC",     "hello",
                              "No.5",    "PDF",   "Wi-Fi",  "Zoom",   "A-1",     "Osaka",
                              "memo",    "QR",    "iPhone", "Thanks", "See you", "room 301"};
const char* const kPunctuation[] = {"。", "、", "「", "」", "・", "！", "？", "（",
                                    "）", "ー", "…",  "※",  "○",  "★",  "→",  "!"};
const char* const kSpecials[] = {";", ":", "\\", ","};
const char* const kBeyondShiftJis[] = {"😀", "🍣", "𠮷", "👍"};
const char* const kFamily[] = {"山田", "田中",   "佐藤", "鈴木", "高橋", "渡辺", "伊藤",
                               "中村", "小林",   "加藤", "吉田", "山本", "斎藤", "齋藤",
                               "渡邊", "長谷川", "林",   "森",   "Smith"};
const char* const kGiven[] = {"太郎", "花子", "一郎", "健太", "美咲",   "翔太",
                              "陽菜", "大輔", "由美", "直樹", "さくら", "ゆかり",
                              "誠",   "恵子", "拓也", "愛",   "ｹﾝ",     "John"};
const char* const kReadings[] = {"やまだ",   "たなか",   "さとう",   "すずき",   "たかはし",
                                 "わたなべ", "いとう",   "なかむら", "はせがわ", "たろう",
                                 "はなこ",   "しょうた", "ひな",     "だいすけ", "じゅんぺい",
                                 "きょうこ", "ぱぴぷ",   "すみす",   "じょーじ"};
const char* const kMailLocal[] = {"taro.yamada", "hanako",         "k-suzuki", "info",
                                  "sales_2024",  "yamada.taro+qr", "m.sato"};
const char* const kMailDomain[] = {"example.jp", "example.co.jp", "mail.example.ne.jp",
                                   "example.com"};
const char* const kTelForms[] = {"090-####-####", "080-####-####", "03-####-####",
                                 "0120-###-###",  "045-###-####",  "###########"};
const char* const kUrlHosts[] = {"example.jp", "www.example.co.jp", "shop.example.jp",
                                 "example.com:8080"};
const char* const kUrlPaths[] = {"",
                                 "/",
                                 "/top",
                                 "/news/index.html",
                                 "/item/12345",
                                 "/path?a=1;b=2",
                                 "/search?q=qr&lang=ja",
                                 "/a/b/c"};
const char* const kUrlSchemes[] = {"", "http://", "https://", "https://"};

int CodePoints(const std::string& s) {
    return static_cast<int>(std::count_if(
        s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string Trimmed(std::string s) {
    for (bool again = true; again;) {
        again = false;
        for (const char* space : {" ", "\n", "　"}) {
            const std::string sp = space;
            while (s.starts_with(sp))
                s.erase(0, sp.size()), again = true;
            while (s.ends_with(sp))
                s.erase(s.size() - sp.size()), again = true;
        }
    }
    return s;
}

// Text of about `budget` characters (a line break counting two, as the program counts
// CR LF), built from words of every script the phones show.
std::string Words(TRandom& rng, int budget, bool lines, bool beyond) {
    std::vector<std::string> pieces;
    int used = 0;
    while (used < budget) {
        const int kind = rng.Below(100);
        std::string piece = kind < 28   ? rng.Pick(kKanji)
                            : kind < 50 ? rng.Pick(kHiragana)
                            : kind < 60 ? rng.Pick(kKatakana)
                            : kind < 70 ? rng.Pick(kHalfWidth)
                            : kind < 80 ? std::string(rng.Pick(kAscii)) + " "
                            : kind < 86 ? std::to_string(rng.Below(kind < 83 ? 100 : 100000))
                                        : rng.Pick(kPunctuation);
        if (beyond && rng.Percent(3)) piece = rng.Pick(kBeyondShiftJis);
        if (rng.Percent(3)) piece += "　";
        if (lines && rng.Percent(8)) piece += rng.Percent(10) ? "\n\n" : "\n";
        used += CodePoints(piece) + static_cast<int>(std::count(piece.begin(), piece.end(), '\n'));
        pieces.push_back(std::move(piece));
    }
    if (rng.Percent(15)) {
        const auto at = static_cast<std::size_t>(rng.Below(static_cast<int>(pieces.size()) + 1));
        pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(at), rng.Pick(kSpecials));
    }
    std::string text;
    for (const std::string& p : pieces)
        text += p;
    text = Trimmed(text);
    return text.empty() ? std::string(rng.Pick(kKanji)) : text;
}

std::string Digits(TRandom& rng, const char* form) {
    std::string s = form;
    for (char& c : s)
        if (c == '#') c = static_cast<char>('0' + rng.Below(10));
    return s;
}

std::string MailAddress(TRandom& rng) {
    return std::string(rng.Pick(kMailLocal)) + "@" + rng.Pick(kMailDomain);
}

// Bodies from a few characters to near the window's 600, most of them short.
int BodyBudget(TRandom& rng) {
    const int band = rng.Below(100);
    return band < 35   ? rng.Between(3, 40)
           : band < 70 ? rng.Between(40, 200)
                       : rng.Between(200, 520);
}

std::string Utf8(const QString& s) {
    return s.toStdString();
}

std::string AsKatakana(const std::string& utf8) {
    return Utf8(composer::FromShiftJis(
        composer::ToKatakana(composer::ToShiftJis(QString::fromStdString(utf8)))));
}

std::string AsHalfWidthKatakana(const std::string& utf8) {
    return Utf8(composer::FromShiftJis(composer::ToHalfWidth(
        composer::ToKatakana(composer::ToShiftJis(QString::fromStdString(utf8))))));
}

// --- comparison ---

std::string Replaced(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size())
        s.replace(at, from.size(), to);
    return s;
}

std::vector<std::string> Expected(const TRow& row, TValue value, const TTyped& t) {
    const auto breaks = [&row](const std::string& s) {
        return row.Breaks == Removed ? Replaced(s, "\n", "") : s;
    };
    const auto reading = [&row](const std::string& s) {
        return row.Reading == HalfWidth ? AsHalfWidthKatakana(s) : AsKatakana(s);
    };
    const auto typedOnes = [](std::initializer_list<const std::string*> fields) {
        std::vector<std::string> out;
        for (const std::string* f : fields)
            if (!f->empty()) out.push_back(*f);
        return out;
    };
    switch (value) {
    case TValue::Address:
        return {t.To};
    case TValue::Subject:
        return {t.Subject};
    case TValue::Body:
        return {breaks(t.Body)};
    case TValue::Names:
        return {row.WideNameComma ? Replaced(t.Family + " " + t.Given, ",", "，")
                                  : t.Family + " " + t.Given};
    case TValue::Reading:
        return {reading(t.FamilyKana) + " " + reading(t.GivenKana)};
    case TValue::Phones:
        return typedOnes({&t.Tel1, &t.Tel2});
    case TValue::Mails:
        return typedOnes({&t.Mail1, &t.Mail2});
    case TValue::Memo:
        return {breaks(t.Memo)};
    case TValue::Tel1:
        return {t.Tel1};
    case TValue::Tel2:
        return {t.Tel2};
    case TValue::Mail1:
        return {t.Mail1};
    case TValue::Mail2:
        return {t.Mail2};
    case TValue::Url:
        return {composer::BookmarkUrl(t.Url)};
    case TValue::Title:
        return {t.Title};
    }
    return {};
}

bool IsList(TValue value) {
    return value == TValue::Address || value == TValue::Phones || value == TValue::Mails;
}

std::vector<std::string> Shown(const TRow& row, const TFieldRule& rule,
                               const test_support::TPhoneResult& r) {
    if (row.View == Parsed) {
        if (IsList(rule.Value)) return r.All(rule.Key);
        return {r.First(rule.Key)}; // a field the parser left out shows as nothing
    }
    const std::string label = rule.Key;
    std::istringstream text(Replaced(r.Text, "\r\n", "\n"));
    for (std::string line; std::getline(text, line);)
        if (line.starts_with(label)) return {line.substr(label.size())};
    return {};
}

std::string Joined(const std::vector<std::string>& values) {
    std::string s;
    for (const std::string& v : values)
        s += (s.empty() ? "" : " | ") + v;
    return values.empty() ? "(nothing)" : s;
}

// Around the first difference, with line breaks made visible: enough to see what
// went wrong without printing six hundred characters.
std::string Excerpt(const std::string& s, std::size_t from) {
    std::size_t start = from, end = from;
    for (int n = 0; n < 12 && start > 0; ++n)
        do
            --start;
        while (start > 0 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80);
    for (int n = 0; n < 40 && end < s.size(); ++n)
        do
            ++end;
        while (end < s.size() && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80);
    std::string out = start > 0 ? "…" : "";
    for (char c : s.substr(start, end - start))
        out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    return "\"" + out + (end < s.size() ? "…" : "") + "\"";
}

std::pair<std::string, std::string> FirstDifference(const std::string& a, const std::string& b) {
    std::size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    while (at > 0 && ((at < a.size() && (static_cast<unsigned char>(a[at]) & 0xC0) == 0x80) ||
                      (at < b.size() && (static_cast<unsigned char>(b[at]) & 0xC0) == 0x80)))
        --at;
    return {Excerpt(a, at), Excerpt(b, at)};
}

constexpr std::size_t kDifferencesShown = 3;

std::string Where(TKind kind, int target, int index) {
    return std::string(kKindNames[kind]) + "/" + kTargets[target].Name + " #" +
           std::to_string(index);
}

// The symbols of one picture must be one whole set (or one symbol) for both readers.
void CheckSymbols(const std::string& where, const test_support::TPhoneReading& phone,
                  const std::vector<test_support::TZxingResult>& cpp, int symbols) {
    EXPECT_EQ(phone.Results.size(), 1u) << where << ": ZXing Java's results for one code";
    ASSERT_FALSE(cpp.empty()) << where << ": zxing-cpp finds no symbol in the picture";
    if (symbols >= 0) {
        EXPECT_EQ(static_cast<int>(cpp.size()), symbols) << where << ": symbols zxing-cpp finds";
    }
    std::vector<std::tuple<int, int, std::string>> cppSet, javaSet;
    for (const auto& s : cpp) {
        EXPECT_TRUE(s.Valid) << where << ": " << s.Error;
        cppSet.emplace_back(s.SequenceIndex, s.SequenceSize,
                            s.SequenceSize > 1 ? s.SequenceId : "");
    }
    for (const auto& s : phone.Symbols)
        javaSet.emplace_back(s.Index, s.Count, s.Count > 1 ? std::to_string(s.Parity) : "");
    std::sort(cppSet.begin(), cppSet.end());
    std::sort(javaSet.begin(), javaSet.end());
    EXPECT_EQ(javaSet, cppSet) << where << ": ZXing Java and zxing-cpp see other symbols";
    if (cpp.size() > 1) {
        for (std::size_t i = 0; i < cppSet.size(); ++i) {
            EXPECT_EQ(std::get<0>(cppSet[i]), static_cast<int>(i)) << where << ": set has a gap";
            EXPECT_EQ(std::get<1>(cppSet[i]), static_cast<int>(cpp.size())) << where;
            EXPECT_EQ(std::get<2>(cppSet[i]), std::get<2>(cppSet[0])) << where << ": two parities";
        }
    }
}

// The window's own reading of what a phone shows must agree with ZXing's parser wherever
// that parser knows the form: MATMSG, MECARD, MEBKM and a bare address. (The MEMORY card
// and MAILTO mail of the older carriers are read by their phones, not by ZXing.)
void CheckPresented(const std::string& where, const test_support::TPhoneResult& r) {
    const composer::TPresented ours = composer::PresentedFields(r.Text);
    std::vector<std::pair<const char*, const char*>> fields;
    using composer::TPresentedKind;
    if (ours.Kind == TPresentedKind::Mail && r.Text.starts_with("MATMSG:"))
        fields = {{"宛先", "tos"}, {"件名", "subject"}, {"本文", "body"}};
    else if (ours.Kind == TPresentedKind::Card && r.Text.starts_with("MECARD:"))
        fields = {{"名前", "names"},
                  {"読み", "pronunciation"},
                  {"電話", "phoneNumbers"},
                  {"メール", "emails"},
                  {"メモ", "note"}};
    else if (ours.Kind == TPresentedKind::Bookmark)
        fields = {{"タイトル", "title"}, {"URL", "uri"}};
    else if (ours.Kind == TPresentedKind::Url)
        fields = {{"URL", "uri"}};
    const auto filled = [](std::vector<std::string> v) {
        std::erase(v, std::string());
        for (std::string& s : v)
            s = Replaced(s, "\r\n", "\n");
        return v;
    };
    for (const auto& [label, key] : fields) {
        std::vector<std::string> mine;
        for (const composer::TPresentedField& f : ours.Fields)
            if (f.Label == label) mine.push_back(f.Value);
        EXPECT_EQ(filled(mine), filled(r.All(key)))
            << where << ": the window's reading of " << label << " against ZXing's " << key;
    }
}

} // namespace

std::uint64_t BaseSeed() {
    const char* env = std::getenv("VAROKU_PHONE_SEED");
    return env && *env ? std::strtoull(env, nullptr, 0) : 20240601;
}

int CasesPerTarget() {
    const char* env = std::getenv("VAROKU_PHONE_CASES");
    return env && *env ? std::max(1, std::atoi(env)) : 24;
}

TTyped Generate(TKind kind, int target, int index) {
    TRandom rng(BaseSeed() ^ (static_cast<std::uint64_t>(kind) << 56) ^
                (static_cast<std::uint64_t>(target) << 48) ^ static_cast<std::uint64_t>(index));
    const bool beyond = kTargets[target].BeyondShiftJis;
    TTyped t;
    switch (kind) {
    case kdMail:
        t.To = MailAddress(rng);
        t.Subject = rng.Percent(10) ? "" : Words(rng, rng.Between(2, 20), false, beyond);
        t.Body = Words(rng, BodyBudget(rng), true, beyond);
        break;
    case kdCard: {
        t.Family = rng.Pick(kFamily);
        t.Given = rng.Pick(kGiven);
        if (beyond && rng.Percent(5)) t.Family = "𠮷田";
        if (rng.Percent(8)) t.Given += rng.Pick(kSpecials);
        // Readings as an input method gives them: hiragana, or converted to katakana.
        t.FamilyKana = rng.Pick(kReadings);
        t.GivenKana = rng.Pick(kReadings);
        if (rng.Percent(40)) t.FamilyKana = AsKatakana(t.FamilyKana);
        if (rng.Percent(40)) t.GivenKana = AsKatakana(t.GivenKana);
        t.Tel1 = Digits(rng, rng.Pick(kTelForms));
        t.Tel2 = rng.Percent(40) ? "" : Digits(rng, rng.Pick(kTelForms));
        t.Mail1 = MailAddress(rng);
        t.Mail2 = rng.Percent(50) ? "" : MailAddress(rng);
        t.Memo = rng.Percent(20) ? "" : Words(rng, rng.Between(3, 150), true, beyond);
        break;
    }
    case kdBookmark:
        t.Title = Words(rng, rng.Between(2, 25), false, beyond);
        t.Url = std::string(rng.Pick(kUrlSchemes)) + rng.Pick(kUrlHosts) + rng.Pick(kUrlPaths);
        break;
    }
    return t;
}

bool CarrierFree(TKind kind, int target) {
    for (const TRow& row : kRows)
        if (row.Kind == kind && row.Target == target) return row.CarrierFree;
    return false;
}

TTally::TTally(std::string path) : path_(std::move(path)), counts_(kRows.size()) {}

void TTally::NotOffered(TKind kind, int target, const std::string& why) {
    notOffered_[kind][target] = why;
}

void TTally::Refused(TKind kind, int target) {
    for (std::size_t i = 0; i < kRows.size(); ++i)
        if (kRows[i].Kind == kind && kRows[i].Target == target) ++counts_[i].Refused;
}

bool TTally::Check(TKind kind, int target, int index, const TTyped& typed, const std::string& meant,
                   const test_support::TGreyImage& picture, int symbols) {
    const std::string where = Where(kind, target, index) + " (" + path_ +
                              ", VAROKU_PHONE_SEED=" + std::to_string(BaseSeed()) + ")";
    const test_support::TPhoneReading phone = test_support::PhoneRead(picture);
    if (!phone.Error.empty()) {
        ADD_FAILURE() << where << ": " << phone.Error;
        return false;
    }
    const test_support::TZxingSets cpp = test_support::ZxingReadSets(picture);
    CheckSymbols(where, phone, cpp.Symbols, symbols);
    if (phone.Results.empty()) return true;
    const test_support::TPhoneResult& result = phone.Results.front();
    CheckPresented(where, result);

    // zxing-cpp's text is counted once per kind and carrier: on its first row held to
    // exactness, else on its first row.
    std::size_t cppRow = kRows.size();
    for (std::size_t i = 0; i < kRows.size(); ++i)
        if (kRows[i].Kind == kind && kRows[i].Target == target &&
            (cppRow == kRows.size() || (kRows[i].MustBeExact && !kRows[cppRow].MustBeExact)))
            cppRow = i;
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        const TRow& row = kRows[i];
        if (row.Kind != kind || row.Target != target) continue;
        TCount& count = counts_[i];
        ++count.Cases;
        count.Types.push_back(result.Type.empty() ? "?" : result.Type);
        for (const TFieldRule& rule : row.Fields) {
            const auto expected = Expected(row, rule.Value, typed);
            const auto shown = Shown(row, rule, result);
            ++count.Fields;
            const auto normal = [](std::vector<std::string> v) {
                for (std::string& s : v)
                    s = Replaced(s, "\r\n", "\n");
                return v;
            };
            if (normal(expected) == normal(shown)) {
                ++count.Exact;
            } else if (count.Differences.size() < kDifferencesShown) {
                const auto [e, s] = FirstDifference(Joined(expected), Joined(shown));
                count.Differences.push_back({Where(kind, target, index), rule.Key, e, s});
            }
        }
        if (i != cppRow) continue;
        ++count.CppTexts;
        const std::string cppText = cpp.Sets.size() == 1 ? cpp.Sets.front().Text : "(not one set)";
        if (cppText != meant) {
            ++count.CppMismatches;
            if (count.CppDifferences.size() < kDifferencesShown) {
                const auto [e, s] = FirstDifference(meant, cppText);
                count.CppDifferences.push_back({Where(kind, target, index), "text", e, s});
            }
        }
    }
    return true;
}

void TTally::Report() const {
    std::ostringstream out;
    char line[256];
    out << "\nWhat a phone shows of " << path_ << "'s codes: " << CasesPerTarget()
        << " cases per kind and carrier, VAROKU_PHONE_SEED=" << BaseSeed() << "\n";
    std::snprintf(line, sizeof line, "%-9s %-11s %-7s %5s %8s %6s %6s %7s  %-18s  %s\n", "kind",
                  "carrier", "view", "cases", "too long", "fields", "exact", "%", "zxing-cpp text",
                  "ZXing's types");
    out << line;
    std::vector<std::string> differences;
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        const TRow& row = kRows[i];
        const std::string& why = notOffered_[row.Kind][row.Target];
        if (!why.empty() || counts_[i].Cases + counts_[i].Refused == 0) {
            if (i > 0 && kRows[i - 1].Kind == row.Kind && kRows[i - 1].Target == row.Target)
                continue;
            std::snprintf(line, sizeof line, "%-9s %-11s not offered: %s\n", kKindNames[row.Kind],
                          kTargets[row.Target].Name, why.empty() ? "no case ran" : why.c_str());
            out << line;
            continue;
        }
        const TCount& c = counts_[i];
        std::map<std::string, int> types;
        for (const std::string& t : c.Types)
            ++types[t];
        std::string typeText;
        for (const auto& [type, n] : types)
            typeText += (typeText.empty() ? "" : ", ") + type + " " + std::to_string(n);
        const std::string cpp = c.CppTexts == 0 ? ""
                                                : std::to_string(c.CppMismatches) + " of " +
                                                      std::to_string(c.CppTexts) + " differ";
        std::snprintf(line, sizeof line, "%-9s %-11s %-7s %5d %8d %6d %6d %6.1f%%  %-18s  %s%s\n",
                      kKindNames[row.Kind], kTargets[row.Target].Name,
                      row.View == Parsed ? "parsed" : "lines", c.Cases, c.Refused, c.Fields,
                      c.Exact, c.Fields ? 100.0 * c.Exact / c.Fields : 0.0, cpp.c_str(),
                      typeText.c_str(), row.MustBeExact ? "  (must be exact)" : "");
        out << line;
        for (const TDifference& d : c.Differences)
            differences.push_back("  " + d.Where + (row.View == Parsed ? " " : " line ") + d.Field +
                                  ": typed " + d.Expected + ", shown " + d.Shown);
        for (const TDifference& d : c.CppDifferences)
            differences.push_back("  " + d.Where + " zxing-cpp: meant " + d.Expected + ", shown " +
                                  d.Shown);
        if (row.MustBeExact) {
            EXPECT_EQ(c.Exact, c.Fields) << kKindNames[row.Kind] << "/" << kTargets[row.Target].Name
                                         << ": fields ZXing shows otherwise than typed";
            EXPECT_EQ(c.CppMismatches, 0)
                << kKindNames[row.Kind] << "/" << kTargets[row.Target].Name
                << ": texts zxing-cpp shows otherwise than meant";
        }
    }
    if (!differences.empty()) {
        out << "First differences (what the phone should show, what ZXing shows):\n";
        for (const std::string& d : differences)
            out << d << "\n";
    }
    std::cout << out.str() << std::flush;
}

} // namespace phone_test
