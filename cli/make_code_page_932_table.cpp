// Build step: writes the table of cli/code_page_932.cpp from the converter the window
// uses (platform/shift_jis.h, ICU), so that varoku-qr converts text without loading
// ICU and still gives exactly the window's bytes.
//   make_code_page_932_table OUTPUT
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/shift_jis.h"

namespace {

// The form of one character of the Basic Multilingual Plane: its byte, or its two bytes
// as lead * 256 + trail; 0 when code page 932 has none.
std::uint16_t FormOf(char16_t c) {
    std::vector<platform::TShiftJisUnmappable> unmappable;
    const std::string bytes = platform::Utf16ToShiftJis(std::u16string(1, c), &unmappable);
    if (!unmappable.empty()) return 0;
    if (bytes.size() == 1) return static_cast<unsigned char>(bytes[0]);
    if (bytes.size() != 2) return 0xFFFF; // never: refused below
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                      static_cast<unsigned char>(bytes[1]));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_code_page_932_table OUTPUT\n");
        return 2;
    }
    std::vector<std::uint16_t> forms(0x10000, 0);
    for (char32_t c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        forms[c] = FormOf(static_cast<char16_t>(c));
        if (forms[c] == 0xFFFF) {
            std::fprintf(stderr,
                         "make_code_page_932_table: U+%04X has a form longer than two "
                         "bytes\n",
                         static_cast<unsigned>(c));
            return 1;
        }
    }
    // The converter reads every character beyond the Basic Multilingual Plane as
    // having no form; the table has no room for them, so the build stops if one had.
    std::u16string beyond;
    for (char32_t c = 0x10000; c <= 0x10FFFF; ++c) {
        beyond += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        beyond += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    std::vector<platform::TShiftJisUnmappable> unmappable;
    platform::Utf16ToShiftJis(beyond, &unmappable);
    if (unmappable.size() != 0x100000) {
        std::fprintf(stderr, "make_code_page_932_table: a character beyond U+FFFF has a form\n");
        return 1;
    }

    std::string out = "// Written by make_code_page_932_table from the window's converter.\n";
    std::vector<int> blockOf(256, 0);
    std::string blocks = "constexpr std::uint16_t kBlocks[][256] = {\n{}, // no character has a "
                         "form\n";
    int used = 1;
    for (int high = 0; high < 256; ++high) {
        bool any = false;
        for (int low = 0; low < 256; ++low)
            any = any || forms[high << 8 | low] != 0;
        if (!any) continue;
        blockOf[high] = used++;
        blocks += "{";
        for (int low = 0; low < 256; ++low) {
            char cell[16];
            std::snprintf(cell, sizeof cell, "%s0x%X", low % 16 == 0 ? "\n" : "",
                          forms[high << 8 | low]);
            blocks += cell;
            blocks += ',';
        }
        blocks += "},\n";
    }
    blocks += "};\n";
    out += "constexpr std::uint8_t kBlockOf[256] = {";
    for (int high = 0; high < 256; ++high)
        out += (high % 16 == 0 ? "\n" : "") + std::to_string(blockOf[high]) + ",";
    out += "\n};\n" + blocks;

    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "make_code_page_932_table: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
