// varoku-qr's text conversion through ICU, the window's converter: the reference that
// the program's own table (cli/code_page_932.cpp) is tested against, and the fuzz
// target's converter.
#include <string>
#include <vector>

#include "cli/input.h"
#include "platform/shift_jis.h"

namespace cli {

TInputResult ConvertUtf8ToShiftJis(std::string_view utf8) {
    TInputResult r;
    if (utf8.starts_with("\xEF\xBB\xBF")) utf8.remove_prefix(3);
    std::u16string text;
    text.reserve(utf8.size());
    if (auto error = Utf8ToUtf16(utf8, text); !error.empty()) {
        r.Exit = kExitUsage;
        r.Error = error + " (use --input-encoding sjis for Shift-JIS bytes)";
        return r;
    }
    std::vector<platform::TShiftJisUnmappable> unmappable;
    r.Bytes = platform::Utf16ToShiftJis(text, &unmappable);
    if (!unmappable.empty()) {
        r.Exit = kExitUsage;
        r.Error = UnmappableText(unmappable.front().Character, unmappable.front().Position);
        r.Bytes.clear();
    }
    return r;
}

} // namespace cli
