#include "cli/payload_command.h"

#include <QString>

#include <optional>

#include "cli/input.h"
#include "composer/payload.h"
#include "composer/shift_jis_text.h"
#include "platform/shift_jis.h"

namespace cli {

namespace {

// One field as the window's edit (one line) or editor (many lines) would hand it over.
class TFieldReader {
public:
    explicit TFieldReader(TPayloadResult& result) : result_(result) {}

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
        std::vector<platform::TShiftJisUnmappable> unmappable;
        std::string sjis = editor ? composer::EditorTextToShiftJis(shown, &unmappable)
                                  : composer::ToShiftJis(shown, &unmappable);
        if (!unmappable.empty()) {
            result_.Error =
                std::string(option) + ": " +
                UnmappableText(unmappable.front().Character, unmappable.front().Position);
            result_.Exit = kExitUsage;
            return {};
        }
        return sjis;
    }

    TPayloadResult& result_;
};

// The window's refusal: its caption, then its text with one message line per line.
// The texts are UTF-8, so the Shift-JIS ReplaceAllText cannot be used on them.
std::string Refusal(const char* caption, const char* message) {
    std::string text = std::string(caption) + ": " + message;
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, "\n");
    return text;
}

void ComposeMail(const TCliOptions& o, TPayloadResult& r) {
    const auto& f = o.Fields;
    std::string body = f.Body.value_or("");
    if (f.Body && *f.Body == "-") {
        auto in = ReadFileOrStdin("-");
        if (!in.Error.empty()) {
            r.Error = in.Error;
            r.Exit = in.TooLong ? kExitNoFit : kExitUsage;
            return;
        }
        body = std::move(in.Bytes);
        if (body.starts_with("\xEF\xBB\xBF")) body.erase(0, 3);
        // As a shell's $(...) does: the line break that ends the last line is no part
        // of the text.
        if (body.ends_with('\n')) body.pop_back();
        if (body.ends_with('\r')) body.pop_back();
    }
    TFieldReader read(r);
    composer::TMessageFields fields;
    fields.Body = read.Lines("--body", body);
    fields.Address = read.Line("--to", f.To);
    fields.Subject = read.Line("--subject", f.Subject);
    fields.SubjectOption = f.SubjectOption;
    if (!r.Error.empty()) return;

    const auto composed = composer::ComposeMessage(fields, f.Carrier);
    if (!composed) {
        r.Error = Refusal(composer::kEmptyBodyCaption, composer::kEmptyBodyMessage);
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
}

void ComposeCard(const TCliOptions& o, TPayloadResult& r) {
    const auto& f = o.Fields;
    TFieldReader read(r);
    composer::TCardFields card;
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
        r.Error =
            Refusal(composer::kCardProblemCaption, composer::CardProblemMessage(composed.Problem));
        r.Exit = kExitUsage;
        return;
    }
    r.Payload = composed.Payload;
    r.Count = composed.Count;
}

void ComposeBookmark(const TCliOptions& o, TPayloadResult& r) {
    TFieldReader read(r);
    const std::string title = read.Line("--title", o.Fields.Title);
    const std::string url = read.Line("--url", o.Fields.Url);
    if (!r.Error.empty()) return;
    const composer::TBookmarkResult composed = composer::ComposeBookmark(title, url);
    r.Payload = composed.Payload;
    r.Count = composed.Count;
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
