// Code page 932, the Windows flavour of Shift-JIS that every text of the program is
// kept in: the lead-byte test and conversion to and from UTF-16.
#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

struct UConverter; // ICU's, kept out of this header

namespace platform {

// True for 0x81-0x9F and 0xE0-0xFC, the bytes that start a two-byte character.
constexpr bool IsShiftJisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// True for the lead bytes of JIS X 0208's rows in Shift-JIS (0x81-0x84, 0x88-0x9F,
// 0xE0-0xEA). Code page 932 adds NEC's row 13 (0x87), the IBM extensions (0xED, 0xEE,
// 0xFA-0xFC) and a user-defined area: readers that decode Shift-JIS proper, as phones
// and QR readers do, garble those.
constexpr bool IsJisX0208LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x84) || (byte >= 0x88 && byte <= 0x9F) ||
           (byte >= 0xE0 && byte <= 0xEA);
}

// Which characters a conversion reports as unmappable: those code page 932 cannot hold,
// or also those it holds outside JIS X 0208 (their bytes are still written).
enum class TShiftJisScope { CodePage932, JisX0208 };

// A character of the input that code page 932 cannot hold.
struct TShiftJisUnmappable {
    char32_t Character = 0; // a lone surrogate is reported as itself
    int Position = 0;       // 1-based, counted in characters (code points) of the input
};

// Decodes Shift-JIS bytes. Each byte sequence that is no character of the code page
// (a lone lead byte, a bad trail byte, an unassigned pair, 0x80, 0xA0, 0xFD-0xFF)
// becomes one U+FFFD. Bytes below 0x80 are always their ASCII character.
std::u16string ShiftJisToUtf16(std::string_view bytes);
QString ShiftJisToQString(std::string_view bytes);

// Encodes to Shift-JIS. The forms Windows picks for characters outside the code page
// are taken too (U+301C wave dash -> 0x8160, yen sign -> 0x5C, em dash -> 0x815C);
// any other character becomes "?" and, when `unmappable` is given, is appended there.
std::string Utf16ToShiftJis(std::u16string_view text,
                            std::vector<TShiftJisUnmappable>* unmappable = nullptr,
                            TShiftJisScope scope = TShiftJisScope::CodePage932);
std::string QStringToShiftJis(const QString& text,
                              std::vector<TShiftJisUnmappable>* unmappable = nullptr,
                              TShiftJisScope scope = TShiftJisScope::CodePage932);

// One open converter, for work that goes character by character (the kana mappings
// must leave bytes they cannot read exactly as they were). Not copyable.
class ShiftJisCodec {
public:
    ShiftJisCodec();
    ~ShiftJisCodec();
    ShiftJisCodec(const ShiftJisCodec&) = delete;
    ShiftJisCodec& operator=(const ShiftJisCodec&) = delete;

    // Decodes exactly one character of one or two bytes; false when the bytes are not
    // one character of the code page.
    bool DecodeChar(std::string_view bytes, char16_t& out);

    // Appends the bytes of one UTF-16 code unit (not a surrogate); false, with nothing
    // appended, when the character has no form in the code page.
    bool EncodeChar(char16_t ch, std::string& out);

private:
    ::UConverter* converter_;
};

} // namespace platform
