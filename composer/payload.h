// The carrier payload texts the "作成" button builds, and how many symbols a text is
// spread over. Pure functions on Shift-JIS bytes: the window gathers its fields, calls
// these and writes back the fields they change; the command line calls the same ones.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace composer {

// What "作成" sets on the QR code before each payload, besides the count: the window
// and varoku-qr's payload commands start from the same symbols.
inline constexpr int kComposerVersion = 10;
inline constexpr int kComposerPxmag = 2;
inline constexpr int kComposerColumn = 4;

// Carrier indexes of the carrier group. crSmartphone is for the phones people carry
// now (the carriers' 3G feature phones are gone): one symbol of the smallest version,
// mail and card in the forms their readers parse, a bookmark as the bare URL, and
// UTF-8 for characters that Shift-JIS phones cannot show. Other indexes (a fifth name
// from the settings file) are valid and get the fallbacks each payload names.
enum TCarrier : int { crDocomo = 0, crSoftbank = 1, crAU = 2, crSmartphone = 3 };

// Index of the smartphone target in the carrier group, and its name there.
inline constexpr const char* kSmartphoneName = "スマートフォン";

// The ECI a payload's symbols carry: Shift-JIS text announces itself where a reader
// would otherwise guess (qr::engine::kEciAuto), UTF-8 text always (kEciUtf8).
int PayloadEci(bool utf8);

// A field value as the MeCard family (MATMSG, MECARD, MEBKM) carries it: "\", ";",
// ":" and "," get a backslash in front, so that readers neither cut the field there nor
// drop the backslash. In Shift-JIS a 0x5C that is a trail byte is part of its character.
std::string MeCardField(std::string_view value, bool utf8 = false);

// Symbols for a text of `characters` characters: 1..150 -> 1, 151..300 -> 2,
// 301..450 -> 3, 451..600 -> 4, and 4 for anything longer and for 0.
int SymbolCountFor(int characters);

// --- bookmark ---

// The address as the bookmark keeps it: one that contains "http://" anywhere or starts
// with a scheme and "://" (any letter case: HTTP://, https://, ftp://) stays; any other
// gets "http://" in front. The
// window writes the result back into its address field.
std::string BookmarkUrl(std::string_view url);

// "MEBKM:TITLE:" title ";URL:" BookmarkUrl(url) ";;", the fields escaped
// (MeCardField); for the smartphone target BookmarkUrl(url) alone, which every phone
// camera opens (the title is not carried).
std::string BookmarkPayload(std::string_view title, std::string_view url, int carrier = crDocomo,
                            bool utf8 = false);

struct TBookmarkResult {
    std::string Url; // BookmarkUrl(url), which the window writes back into its field
    std::string Payload;
    int Count = 0;             // SymbolCountFor the payload's characters
    bool TitleDropped = false; // the smartphone target leaves a typed title out
};

// The bookmark tab's "作成". Only the smartphone target changes the payload's form.
TBookmarkResult ComposeBookmark(std::string_view title, std::string_view url,
                                int carrier = crDocomo, bool utf8 = false);

// --- address-book entry ---

struct TCardFields {
    std::string FamilyName;
    std::string GivenName;
    std::string FamilyKana; // readings, normalised by NormaliseCardReadings
    std::string GivenKana;
    std::string Tel1;
    std::string Tel2;
    std::string Mail1;
    std::string Mail2;
    std::string Memo;  // lines joined with CR LF
    bool Utf8 = false; // the fields are UTF-8 (smartphone target only), else Shift-JIS
};

// Readings typed in hiragana or full-width kana become half-width katakana; for the
// smartphone target, hiragana and half-width katakana become full-width katakana.
void NormaliseCardReadings(TCardFields& card, int carrier = crDocomo);
// Full-width digits and the hyphen-like characters of a telephone number (Shift-JIS) as
// ASCII; everything else as it stands. ComposeCard applies it to both numbers.
std::string HalfWidthPhone(std::string_view sjis);
// The same on the text of a field as typed (full-width digits, and "－", "ー", "ｰ", the
// dashes U+2010..U+2015 and the minus sign become ASCII): the window's telephone fields
// and the smartphone target's UTF-8 card.
std::u16string HalfWidthPhone(std::u16string_view text);

// The refused field keeps its text for the user to mend.
enum class TCardProblem {
    None,
    FamilyKanaKanji, // reading field still holds a two-byte character
    GivenKanaKanji,
    Tel1FullWidth, // telephone field holds a two-byte character
    Tel2FullWidth,
};

// The first failing field in the window's order (readings, then telephones). A reading
// fails with a two-byte character left in its half-width form (a kanji).
TCardProblem CheckCardFields(const TCardFields& card);

// The refusal's message box text (UTF-8, lines separated by CR LF) and caption.
const char* CardProblemMessage(TCardProblem problem);
inline constexpr const char* kCardProblemCaption = "入力エラー";

// Docomo: "MECARD:..." ending ";;", the fields escaped (a comma in a name made "，"),
// the memo as "NOTE:" with its
// line breaks removed (left out when empty); smartphone: the same MECARD with the memo's
// line breaks kept; Softbank and AU: "MEMORY:..." lines ending CR LF; any other
// carrier: empty.
std::string CardPayload(const TCardFields& card, int carrier);

struct TCardResult {
    TCardProblem Problem = TCardProblem::None;
    std::string Payload; // empty, and count 0, when there is a problem
    int Count = 0;       // SymbolCountFor the payload's characters
    bool Utf8 = false;   // the payload is UTF-8
};

// The address-book tab's "作成": normalises the readings in `card` (the window shows
// them afterwards, also after a refusal), checks the fields, and builds the carrier's
// payload when they pass.
TCardResult ComposeCard(TCardFields& card, int carrier);

// --- message and mail ---

enum TSubjectOption : int { soKeep = 0, soFromBody = 1, soHello = 2 };

struct TMessageFields {
    std::string Body;    // the editor's lines joined with CR LF
    std::string Address; // the address field exactly as shown
    std::string Subject;
    int SubjectOption = soKeep;
    bool Utf8 = false; // the fields are UTF-8 (smartphone target only), else Shift-JIS
};

struct TMessagePayload {
    std::string Payload;
    int Count = 0;               // SymbolCountFor the payload's characters
    bool Utf8 = false;           // the payload is UTF-8
    bool SubjectChanged = false; // the window writes `subject` back when set
    std::string Subject;
};

// Refusal when the body is empty (UTF-8, CR LF) and its caption.
inline constexpr const char* kEmptyBodyMessage =
    "メール本文が入力されていません、\r\n入力してからやり直してください。";
inline constexpr const char* kEmptyBodyCaption = "メッセージエラー";

// The body with every CR LF pair removed.
std::string FlatBody(std::string_view body);

// With an address that IsMailAddress accepts: the subject as the option sets it and
// the carrier's mail ("MATMSG:" for Docomo with the body's lines run together and the
// fields escaped, the same with the line breaks kept for the smartphone target,
// "MAILTO:" for Softbank and AU, the body for any other carrier). Without one: the
// body unchanged and the subject untouched.
// The caller refuses an empty body first (kEmptyBodyMessage).
TMessagePayload MessagePayload(const TMessageFields& fields, int carrier);

// The message tab's "作成": nothing for an empty body (the caller shows
// kEmptyBodyMessage), MessagePayload otherwise.
std::optional<TMessagePayload> ComposeMessage(const TMessageFields& fields, int carrier);

} // namespace composer
