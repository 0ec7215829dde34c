#include "composer/presented.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace composer {

namespace {

struct TFormat {
    std::string_view Prefix;
    TPresentedKind Kind;
    bool Lines; // CR LF separated "NAME:value" lines, else MeCard fields
    std::vector<std::pair<std::string_view, std::string_view>> Labels;
};

const std::vector<TFormat>& Formats() {
    static const std::vector<TFormat> formats = {
        {"MATMSG:",
         TPresentedKind::Mail,
         false,
         {{"TO", "宛先"}, {"SUB", "件名"}, {"BODY", "本文"}}},
        {"MECARD:",
         TPresentedKind::Card,
         false,
         {{"N", "名前"},
          {"SOUND", "読み"},
          {"TEL", "電話"},
          {"EMAIL", "メール"},
          {"NOTE", "メモ"},
          {"ADR", "住所"},
          {"URL", "URL"}}},
        {"MEBKM:", TPresentedKind::Bookmark, false, {{"TITLE", "タイトル"}, {"URL", "URL"}}},
        {"MEMORY:",
         TPresentedKind::Card,
         true,
         {{"MEMORY", "メモ"},
          {"NAME1", "名前"},
          {"NAME2", "読み"},
          {"TEL1", "電話"},
          {"TEL2", "電話"},
          {"MAIL1", "メール"},
          {"MAIL2", "メール"}}},
        {"MAILTO:",
         TPresentedKind::Mail,
         true,
         {{"MAILTO", "宛先"}, {"SUBJECT", "件名"}, {"BODY", "本文"}}},
    };
    return formats;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) ==
                      std::toupper(static_cast<unsigned char>(b));
           });
}

std::string LabelOf(const TFormat& format, std::string_view name) {
    for (const auto& [field, label] : format.Labels)
        if (field == name) return std::string(label);
    return std::string(name);
}

// "NAME:value;NAME:value;;" after the prefix, each value unescaped.
void MeCardFields(const TFormat& format, std::string_view body, TPresented& out) {
    std::size_t i = 0;
    while (i < body.size() && body[i] != ';') {
        const std::size_t colon = body.find(':', i);
        if (colon == std::string_view::npos) break;
        const std::string_view name = body.substr(i, colon - i);
        std::string value;
        i = colon + 1;
        for (; i < body.size() && body[i] != ';'; ++i) {
            if (body[i] == '\\' && i + 1 < body.size()) ++i;
            value += body[i];
        }
        out.Fields.push_back({LabelOf(format, name), std::move(value)});
        if (i < body.size()) ++i; // the ";" that ended the value
    }
}

// The whole text as "NAME:value" lines; BODY, the mail's last, keeps the rest as it stands.
void LineFields(const TFormat& format, std::string_view text, TPresented& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t colon = text.find(':', i);
        if (colon == std::string_view::npos) break;
        const std::string_view name = text.substr(i, colon - i);
        const bool last = name == "BODY";
        std::size_t end = last ? std::string_view::npos : text.find("\r\n", colon + 1);
        if (end == std::string_view::npos) end = text.size();
        out.Fields.push_back(
            {LabelOf(format, name), std::string(text.substr(colon + 1, end - colon - 1))});
        i = end == text.size() ? end : end + 2;
    }
}

bool IsBareUrl(std::string_view text) {
    if (!StartsWithNoCase(text, "http://") && !StartsWithNoCase(text, "https://")) return false;
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

// The byte offset of code point `n` (0-based) in UTF-8 text, or its size.
std::size_t CodePointOffset(std::string_view text, int n) {
    std::size_t i = 0;
    for (; i < text.size() && n > 0; --n) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
    }
    return i;
}

std::string Excerpt(std::string_view text, std::size_t from) {
    const std::string_view rest = text.substr(from);
    return std::string(rest.substr(0, CodePointOffset(rest, 5)));
}

TPresentedDifference Differ(std::string label, std::string_view typed, std::string_view shown) {
    TPresentedDifference d;
    d.Same = false;
    d.Label = std::move(label);
    std::size_t at = 0;
    int position = 1;
    while (at < typed.size() && at < shown.size()) {
        const std::size_t next = CodePointOffset(typed.substr(at), 1);
        if (typed.substr(at, next) != shown.substr(at, next)) break;
        at += next;
        ++position;
    }
    d.Position = position;
    d.Typed = Excerpt(typed, at);
    d.Shown = Excerpt(shown, at);
    return d;
}

} // namespace

TPresented PresentedFields(std::string_view text) {
    TPresented out;
    for (const TFormat& format : Formats()) {
        if (!StartsWithNoCase(text, format.Prefix)) continue;
        out.Kind = format.Kind;
        if (format.Lines)
            LineFields(format, text, out);
        else
            MeCardFields(format, text.substr(format.Prefix.size()), out);
        return out;
    }
    if (IsBareUrl(text)) {
        out.Kind = TPresentedKind::Url;
        out.Fields.push_back({"URL", std::string(text)});
        return out;
    }
    out.Fields.push_back({"本文", std::string(text)});
    return out;
}

std::string PresentedLine(const TPresented& presented) {
    std::string line;
    for (const TPresentedField& f : presented.Fields) {
        if (f.Value.empty()) continue;
        if (!line.empty()) line += " / ";
        line += f.Label + " ";
        for (std::size_t i = 0; i < f.Value.size(); ++i) {
            if (f.Value[i] == '\r' && i + 1 < f.Value.size() && f.Value[i + 1] == '\n') continue;
            if (f.Value[i] == '\n' || f.Value[i] == '\r')
                line += " ↵ ";
            else
                line += f.Value[i];
        }
    }
    return line;
}

TPresentedDifference FirstDifference(std::string_view typed, std::string_view shown) {
    const TPresented a = PresentedFields(typed);
    const TPresented b = PresentedFields(shown);
    if (a.Kind != b.Kind) return Differ("種類", typed, shown);
    const std::size_t n = std::max(a.Fields.size(), b.Fields.size());
    for (std::size_t i = 0; i < n; ++i) {
        const TPresentedField* x = i < a.Fields.size() ? &a.Fields[i] : nullptr;
        const TPresentedField* y = i < b.Fields.size() ? &b.Fields[i] : nullptr;
        const std::string label = x ? x->Label : y->Label;
        const std::string_view tv = x ? std::string_view(x->Value) : std::string_view();
        const std::string_view sv = y ? std::string_view(y->Value) : std::string_view();
        if (!x || !y || (x->Label != y->Label) || tv != sv) return Differ(label, tv, sv);
    }
    if (typed != shown) return Differ("本文", typed, shown); // e.g. text after the ";;"
    return {};
}

} // namespace composer
