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
    std::u16string text;
    if (!InputAsUtf16(utf8, text, r)) return r;
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
