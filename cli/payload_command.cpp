#include "cli/payload_command.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <optional>

#include "cli/input.h"
#include "composer/payload.h"
#include "composer/shift_jis_text.h"
#include "platform/shift_jis.h"

namespace cli {

namespace {

// One field as the window's edit (one line) or editor (many lines) would hand it over.
// With utf8 (the smartphone target, when some field needs it) the field stays UTF-8,
// its line breaks made CR LF.
class TFieldReader {
public:
    TFieldReader(TPayloadResult& result, bool utf8 = false) : result_(result), utf8_(utf8) {}

    std::string Line(const char* option, const std::string& utf8) {
        return Convert(option, utf8, false);
    }
    std::string Lines(const char* option, const std::string& utf8) {
        return Convert(option, utf8, true);
    }

private:
    std::string Convert(const char* option, const std::string& utf8, bool editor) {
        if (!result_.Error.empty()) return {};
        std::u16string text;
        if (auto error = Utf8ToUtf16(utf8, text); !error.empty()) {
            result_.Error = std::string(option) + ": " + error;
            result_.Exit = kExitUsage;
            return {};
        }
        const QString shown = QString::fromStdU16String(text);
        if (utf8_) return editor ? composer::EditorTextToUtf8(shown) : shown.toStdString();
        std::vector<platform::TShiftJisUnmappable> unmappable;
        constexpr auto scope = platform::TShiftJisScope::JisX0208;
        std::string sjis = editor ? composer::EditorTextToShiftJis(shown, &unmappable, scope)
                                  : composer::ToShiftJis(shown, &unmappable, scope);
        if (!unmappable.empty()) {
            const auto& first = unmappable.front();
            std::string error = UnmappableText(first.Character, first.Position);
            // A code page 932 extension has a form, just not one that phones read.
            if (platform::QStringToShiftJis(QString::fromUcs4(&first.Character, 1)) != "?") {
                error.resize(error.rfind(" has "));
                error += " is outside JIS X 0208, which phones show";
            }
            result_.Error =
                std::string(option) + ": " + error + " (--carrier smartphone carries it as UTF-8)";
            result_.Exit = kExitUsage;
            return {};
        }
        return sjis;
    }

    TPayloadResult& result_;
    bool utf8_;
};

// Whether any of the fields has a character that Shift-JIS phones cannot show.
bool NeedsUtf8(std::initializer_list<const std::string*> fields) {
    for (const std::string* utf8 : fields) {
        std::u16string text;
        if (!Utf8ToUtf16(*utf8, text).empty()) return false; // the reader reports it
        std::vector<platform::TShiftJisUnmappable> unmappable;
        composer::ToShiftJis(QString::fromStdU16String(text), &unmappable,
                             platform::TShiftJisScope::JisX0208);
        if (!unmappable.empty()) return true;
    }
    return false;
}

// The window's refusals in the command's words: which option, and what to do instead
// (the window's own boxes stay Japanese).
constexpr const char* kEmptyBodyRefusal =
    "--body: the mail has no body; give its text (or - to read standard input)";

const char* CardRefusal(composer::TCardProblem problem) {
    switch (problem) {
    case composer::TCardProblem::FamilyKanaKanji:
        return "--family-kana: the reading has a kanji; write it in kana";
    case composer::TCardProblem::GivenKanaKanji:
        return "--given-kana: the reading has a kanji; write it in kana";
    case composer::TCardProblem::Tel1FullWidth:
        return "--tel: the number has full-width characters; write it in half-width digits";
    case composer::TCardProblem::Tel2FullWidth:
        return "--tel2: the number has full-width characters; write it in half-width digits";
    case composer::TCardProblem::None:
        break;
    }
    return "";
}

void ComposeMail(const TCliOptions& o, TPayloadResult& r) {
    const auto& f = o.Fields;
    std::string body = f.Body.value_or("");
    if (f.Body && *f.Body == "-") {
        auto in = ReadFileOrStdin("-");
        if (!in.Ok()) {
            r.Error = in.Error;
            r.Exit = in.Exit;
            return;
        }
        body = std::move(in.Bytes);
        if (body.starts_with("\xEF\xBB\xBF")) body.erase(0, 3);
        // As a shell's $(...) does: the line break that ends the last line is no part
        // of the text.
        if (body.ends_with('\n')) body.pop_back();
        if (body.ends_with('\r')) body.pop_back();
    }
    const bool utf8 = f.Carrier == composer::crSmartphone && NeedsUtf8({&body, &f.To, &f.Subject});
    TFieldReader read(r, utf8);
    composer::TMessageFields fields;
    fields.Utf8 = utf8;
    fields.Body = read.Lines("--body", body);
    fields.Address = read.Line("--to", f.To);
    fields.Subject = read.Line("--subject", f.Subject);
    fields.SubjectOption = f.SubjectOption;
    if (!r.Error.empty()) return;

    const auto composed = composer::ComposeMessage(fields, f.Carrier);
    if (!composed) {
        r.Error = kEmptyBodyRefusal;
        r.Exit = kExitUsage;
        return;
    }
    if (!composer::IsMailAddress(fields.Address) && (!f.To.empty() || f.SubjectChosen))
        r.Warnings.push_back(
            (f.To.empty() ? std::string("without --to,")
                          : "'" + f.To + "' is no mail address (it needs \"@\" and \".\"),") +
            " so the code carries the body alone");
    r.Payload = composed->Payload;
    r.Count = composed->Count;
    r.Utf8 = utf8;
}

void ComposeCard(const TCliOptions& o, TPayloadResult& r) {
    const auto& f = o.Fields;
    const bool utf8 = f.Carrier == composer::crSmartphone &&
                      NeedsUtf8({&f.FamilyName, &f.GivenName, &f.FamilyKana, &f.GivenKana, &f.Tel1,
                                 &f.Tel2, &f.Mail1, &f.Mail2, &f.Memo});
    TFieldReader read(r, utf8);
    composer::TCardFields card;
    card.Utf8 = utf8;
    card.FamilyName = read.Line("--family", f.FamilyName);
    card.GivenName = read.Line("--given", f.GivenName);
    card.FamilyKana = read.Line("--family-kana", f.FamilyKana);
    card.GivenKana = read.Line("--given-kana", f.GivenKana);
    card.Tel1 = read.Line("--tel", f.Tel1);
    card.Tel2 = read.Line("--tel2", f.Tel2);
    card.Mail1 = read.Line("--mail", f.Mail1);
    card.Mail2 = read.Line("--mail2", f.Mail2);
    card.Memo = read.Lines("--memo", f.Memo);
    if (!r.Error.empty()) return;

    const composer::TCardResult composed = composer::ComposeCard(card, f.Carrier);
    if (composed.Problem != composer::TCardProblem::None) {
        r.Error = CardRefusal(composed.Problem);
        r.Exit = kExitUsage;
        return;
    }
    r.Payload = composed.Payload;
    r.Count = composed.Count;
    r.Utf8 = utf8;
}

// An address that is nothing but blanks and a scheme, which the window refuses too.
bool UrlIsBlank(std::string_view url) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!url.empty() && blank(url.front()))
        url.remove_prefix(1);
    while (!url.empty() && blank(url.back()))
        url.remove_suffix(1);
    for (const std::string_view scheme : {"http://", "https://"}) {
        if (url.size() >= scheme.size() &&
            std::equal(scheme.begin(), scheme.end(), url.begin(), [](char a, char b) {
                return a == std::tolower(static_cast<unsigned char>(b));
            })) {
            url.remove_prefix(scheme.size());
            break;
        }
    }
    return std::all_of(url.begin(), url.end(), blank);
}

void ComposeBookmark(const TCliOptions& o, TPayloadResult& r) {
    const auto& f = o.Fields;
    const bool phone = f.Carrier == composer::crSmartphone;
    // The smartphone's code carries the URL alone; a title there does not need a form.
    const bool utf8 = phone && NeedsUtf8({&f.Url});
    TFieldReader read(r, utf8);
    const std::string title = phone ? std::string() : read.Line("--title", f.Title);
    const std::string url = read.Line("--url", f.Url);
    if (!r.Error.empty()) return;
    if (UrlIsBlank(f.Url)) {
        r.Error = "--url: the bookmark has no address; give the page's URL";
        r.Exit = kExitUsage;
        return;
    }
    const composer::TBookmarkResult composed =
        composer::ComposeBookmark(title, url, f.Carrier, utf8);
    if (phone && !f.Title.empty())
        r.Warnings.push_back("the smartphone target's code carries the URL alone, not --title");
    r.Payload = composed.Payload;
    r.Count = composed.Count;
    r.Utf8 = utf8;
}

} // namespace

TPayloadResult ComposePayload(const TCliOptions& options) {
    TPayloadResult r;
    switch (options.Command) {
    case TCommand::Mail:
        ComposeMail(options, r);
        break;
    case TCommand::Card:
        ComposeCard(options, r);
        break;
    case TCommand::Bookmark:
        ComposeBookmark(options, r);
        break;
    default:
        break;
    }
    return r;
}

} // namespace cli
