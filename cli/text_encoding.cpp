#include "cli/text_encoding.h"

#include "qr/engine/bitstream.h"
#include "qr/engine/symbol_tables.h"

namespace cli {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The rows of JIS X 0208 in Shift-JIS: the same test as the smartphone payload's
// (platform::IsJisX0208LeadByte, held to this one by the tests), here without Qt.
bool IsJisX0208Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x84) || (b >= 0x88 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEA);
}

TEncodedText Refused(std::string error) {
    TEncodedText r;
    r.Exit = kExitUsage;
    r.Error = std::move(error) + " (use --input-encoding sjis for Shift-JIS bytes)";
    return r;
}

} // namespace

bool HasNonJisX0208(std::string_view sjis) {
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto b = static_cast<unsigned char>(sjis[i]);
        if (!qr::engine::IsShiftJisLeadByte(b)) continue;
        if (!IsJisX0208Lead(b)) return true;
        ++i;
    }
    return false;
}

int TextEci(int requested, bool utf8) {
    return utf8 && requested == qr::engine::kEciAuto ? qr::engine::kEciUtf8 : requested;
}

TEncodedText EncodeText(const TCliOptions& options, std::string text) {
    TEncodedText r;
    if (options.InputEncoding == TInputEncoding::ShiftJis || IsPlainAscii(text)) {
        r.Bytes = std::move(text);
        return r;
    }
    // A designator the user fixed says which bytes the symbols hold.
    TTextEncoding encoding = options.Encoding;
    const int eci = options.Symbols.Eci;
    if (encoding == TTextEncoding::Auto && eci >= 0)
        encoding = eci == qr::engine::kEciUtf8 ? TTextEncoding::Utf8 : TTextEncoding::ShiftJis;
    if (encoding == TTextEncoding::ShiftJis) {
        static_cast<TInputResult&>(r) = Utf8ToShiftJis(text);
        return r;
    }
    std::string_view utf8 = text;
    if (utf8.starts_with(kByteOrderMark)) utf8.remove_prefix(kByteOrderMark.size());
    std::u16string wide;
    if (auto error = Utf8ToUtf16(utf8, wide); !error.empty()) return Refused(std::move(error));
    if (encoding == TTextEncoding::Auto) {
        TInputResult sjis = Utf8ToShiftJis(text);
        // Only a character without a form sends the text to UTF-8; a converter that
        // cannot be had is the user's to hear about.
        const bool unmappable =
            !sjis.Ok() && sjis.Error.find("has no Shift-JIS form") != std::string::npos;
        if (!sjis.Ok() && !unmappable) {
            static_cast<TInputResult&>(r) = std::move(sjis);
            return r;
        }
        if (sjis.Ok() && !HasNonJisX0208(sjis.Bytes)) {
            r.Bytes = std::move(sjis.Bytes);
            return r;
        }
    }
    r.Bytes = utf8;
    r.Utf8 = true;
    return r;
}

} // namespace cli
