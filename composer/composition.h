// "作成" without the window: the fields as typed on the active tab become the carrier's
// payload, the refusal that stops it, or both the payload and the fields the window
// writes back. The window gathers the texts into TComposerFields and shows what
// Compose returns; nothing here touches a widget.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "composer/payload.h"

namespace composer {

// The composition tabs, in the order the window shows them.
enum TComposeTab : int { tabMessage = 0, tabCard = 1, tabBookmark = 2 };

// Every field "作成" reads, whatever the tab.
enum TComposeField : int {
    cfBody,
    cfSubject,
    cfAddress,
    cfFamilyName,
    cfGivenName,
    cfFamilyKana,
    cfGivenKana,
    cfTel1,
    cfTel2,
    cfMail1,
    cfMail2,
    cfMemo,
    cfSite,
    cfUrl,
    cfFieldCount
};

struct TComposerFields {
    TComposeTab Tab = tabMessage;
    int Carrier = crDocomo;
    int SubjectOption = soKeep;
    // Each field's text as its widget holds it; the body and the memo with the
    // editor's line breaks.
    std::array<QString, cfFieldCount> Text;
};

enum TComposeStatus {
    csReady,       // Payload is ready to be drawn
    csUnmappable,  // a field holds characters phones cannot show (Gaps names them)
    csEmptyBody,   // the message tab's body is empty (kEmptyBodyMessage)
    csCardProblem, // the card's check refused a field (Problem)
    csEmptyUrl,    // the bookmark has no address beyond its scheme (kEmptyUrlMessage)
};

// Refusal of a bookmark without an address, and its caption.
inline constexpr const char* kEmptyUrlMessage =
    "URL が入力されていません。\r\nブックマークにするページの URL を入力して下さい。";
inline constexpr const char* kEmptyUrlCaption = "ブックマークエラー";

struct TComposition {
    TComposeStatus Status = csReady;
    // csUnmappable: one line per character (CharactersWithoutShiftJis), fields in the
    // tab's order.
    QStringList Gaps;
    // After a refusal the caret goes to this field.
    TComposeField Focus = cfBody;
    TCardProblem Problem = TCardProblem::None;
    std::string Payload;
    int Count = 0;
    bool Utf8 = false; // the payload is UTF-8 (the smartphone target only)
    // The message counter's count, to name the excess when nothing could be drawn; 0
    // for the card, the bookmark and UTF-8 text.
    int Characters = 0;
    bool TitleDropped = false; // the smartphone bookmark leaves the site name out
    // The message tab's address field held text that is no mail address: the code
    // carries the body alone, without address and subject.
    bool AddressDropped = false;
    // Fields "作成" rewrote, with their new text, also after a refusal; the window
    // writes back those that differ from what they show.
    std::vector<std::pair<TComposeField, QString>> Changed;
};

// The active tab's "作成". The smartphone target refuses no character: the fields then
// go as UTF-8 when any of them has one that Shift-JIS phones cannot show.
TComposition Compose(const TComposerFields& fields);

// Whether the active tab holds anything "作成" can make a code of: the message one
// character or more, the card any field, the bookmark a URL.
bool CreateAllowed(const TComposerFields& fields);

// One line per character of `text` that has no Shift-JIS form in JIS X 0208: where it
// is (`where`, then the line when the text has several, and the character's place) and
// the character with its code point. Empty when every character has one.
QStringList CharactersWithoutShiftJis(const QString& where, const QString& text);

} // namespace composer
