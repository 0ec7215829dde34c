// Any bytes through the Shift-JIS utilities and the payload texts: no crash, no
// character split, and the simple laws the window relies on.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "composer/payload.h"
#include "composer/shift_jis_text.h"

using namespace composer;

namespace {

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "text fuzz: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int split = data[0] % (size); // where the pattern ends and the text begins
    const std::string_view all(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string_view pattern = all.substr(0, std::min<std::size_t>(split, all.size()) % 8);
    const std::string_view text = all.substr(pattern.size());

    const int chars = CountMbChars(text);
    if (chars < 0 || chars > static_cast<int>(text.size())) Finding("character count out of range");
    const std::string head = CopyMbChars(text, 1, chars);
    if (head != text) Finding("copying every character does not give the text");
    const std::string middle = CopyMbChars(text, 1 + data[0] % 7, data[0] % 11);
    if (middle.size() > text.size()) Finding("copy longer than the text");

    if (ReplaceAllText(text, pattern, pattern) != text)
        Finding("replacing a pattern by itself changes the text");
    if (!pattern.empty() && text.find(pattern) == std::string_view::npos &&
        ReplaceAllText(text, pattern, "<User>") != text)
        Finding("replacement without an occurrence");

    (void)HasDoubleByteChar(text);
    (void)ToKatakana(text);
    (void)ToHalfWidth(text);
    (void)IsMailAddress(text);
    (void)IsNumericText(text);
    if (SymbolCountFor(chars) < 1 || SymbolCountFor(chars) > 4) Finding("symbol count out of 1..4");

    (void)BookmarkPayload(pattern, text);
    TCardFields card{
        std::string(pattern), std::string(text),    std::string(text), std::string(pattern),
        std::string(text),    std::string(pattern), std::string(text), "",
        std::string(text)};
    NormaliseCardReadings(card);
    const TCardProblem problem = CheckCardFields(card);
    (void)CardProblemMessage(problem);
    for (int carrier = 0; carrier < 5; ++carrier) {
        (void)CardPayload(card, carrier);
        TMessageFields mail{std::string(text), std::string(pattern) + "@x.jp", std::string(pattern),
                            carrier % 3};
        const TMessagePayload out = MessagePayload(mail, carrier);
        if (out.Count != SymbolCountFor(CountMbChars(out.Payload)))
            Finding("mail symbol count differs from the count rule on the payload");
    }
    return 0;
}
