#include "cli/code_page_932.h"

#include <string>

#include "cli/input.h"

namespace cli {

namespace {

#include "cli/code_page_932_table.inc"

} // namespace

std::uint16_t CodePage932Form(char32_t c) {
    if (c < 0x80) return static_cast<std::uint16_t>(c);
    if (c > 0xFFFF) return 0;
    return kBlocks[kBlockOf[c >> 8]][c & 0xFF];
}

TInputResult Utf8ToShiftJis(std::string_view utf8) {
    TInputResult r;
    if (IsPlainAscii(utf8)) {
        r.Bytes = utf8;
        return r;
    }
    std::u16string text;
    if (!InputAsUtf16(utf8, text, r)) return r;
    r.Bytes.reserve(text.size() * 2);
    int position = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        ++position;
        char32_t c = text[i];
        // Well-formed UTF-16 from the decoder: a high surrogate has its low one.
        if (c >= 0xD800 && c <= 0xDBFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t{text[++i]} - 0xDC00);
        const std::uint16_t form = CodePage932Form(c);
        if (form == 0 && c != 0) {
            r.Exit = kExitUsage;
            r.Error = UnmappableText(c, position);
            r.Bytes.clear();
            return r;
        }
        if (form > 0xFF) r.Bytes += static_cast<char>(form >> 8);
        r.Bytes += static_cast<char>(form & 0xFF);
    }
    return r;
}

} // namespace cli
