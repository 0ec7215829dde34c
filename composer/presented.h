// What a phone presents for a decoded payload of ours: the mail, card and bookmark forms
// we write (MATMSG, MECARD, MEBKM, the MEMORY card and the MAILTO mail of the older
// carriers) taken apart into the fields a phone shows, and the first place where two
// texts differ as a phone shows them. UTF-8 in and out, no Qt.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace composer {

enum class TPresentedKind { Text, Mail, Card, Bookmark, Url };

struct TPresentedField {
    std::string Label; // as the window names it: "宛先", "件名", "本文", "名前", ...
    std::string Value;
};

struct TPresented {
    TPresentedKind Kind = TPresentedKind::Text;
    std::vector<TPresentedField> Fields; // in the payload's order, empty ones included
};

// The fields of `text` (UTF-8) as a phone's reader parses them. A MeCard-family field ends
// at the first ";" without a backslash before it, and a backslash takes the character after
// it as it stands; the MEMORY card and MAILTO mail are lines with their labels. A bare
// http(s) address is a Url; anything else is Text with one field "本文".
TPresented PresentedFields(std::string_view text);

// One line for the window: the fields that hold something, "ラベル 値" joined with " / ",
// line breaks in a value shown as " ↵ ".
std::string PresentedLine(const TPresented& presented);

struct TPresentedDifference {
    bool Same = true;
    std::string Label; // the field that differs, or "種類" when the kinds differ
    int Position = 0;  // 1-based character in that field's value where they part
    std::string Typed; // up to a few characters from there, as typed and as shown
    std::string Shown;
};

// Where `shown` (what a reader decoded) first differs from `typed` (the payload we wrote),
// field by field as PresentedFields takes them apart.
TPresentedDifference FirstDifference(std::string_view typed, std::string_view shown);

} // namespace composer
