// varoku-qr's pictures read back as a person's viewer would show them: PNG as it is,
// SVG rendered with Qt SVG, PDF rasterised with Qt PDF, EPS as its rectangles fill
// the page; and its utf8 text parsed back into module rows.
#pragma once

#include <QImage>

#include <string>
#include <vector>

namespace cli_test {

// The picture of a PNG, SVG, PDF or EPS file's bytes; type is "png", "svg", "pdf" or
// "eps". SVG and PDF are drawn at `scale` times their own size, EPS at 4 pixels a module
// (read from its rectangles, which is all varoku-qr writes). Null when the bytes are
// none of these.
QImage PictureOf(const std::string& type, const std::string& bytes, double scale = 2.0);

// The utf8 picture as rows of modules (true for a drawn cell), two rows per line;
// each blank-line-separated block is one symbol. Problem says what was malformed.
struct TTextPicture {
    std::vector<std::vector<std::vector<bool>>> Symbols;
    std::string Problem;
};
TTextPicture ParseUtf8Picture(const std::string& text);

// Shift-JIS bytes of UTF-8 text, for expected payloads.
std::string ShiftJis(const std::string& utf8);

} // namespace cli_test
