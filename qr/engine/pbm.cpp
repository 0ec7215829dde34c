#include "qr/engine/pbm.h"

namespace qr::engine {

void StartPbm(std::vector<std::string>& lines, int mode, int count, int n, int pxmag) {
    lines.clear();
    lines.emplace_back("P1");
    const char* name = mode == qrSingle ? "Single" : mode == qrConnect ? "Connect" : "Plus";
    lines.push_back(std::string(name) + " Mode (Count = " + std::to_string(count) + ")");
    const std::string width = std::to_string((n + 8) * pxmag);
    lines.push_back(width + " " + width);
}

void AppendPbmSymbol(std::vector<std::string>& lines, const TQRMatrix& m, int n, int pxmag) {
    const int quiet = 4 * pxmag;
    const std::size_t width = static_cast<std::size_t>((n + 8) * pxmag);
    lines.emplace_back();
    lines.emplace_back();

    std::string blank;
    blank.reserve(2 * width);
    for (std::size_t i = 0; i < width; ++i)
        blank += " 0";
    for (int i = 0; i < quiet; ++i)
        lines.push_back(blank);

    std::string line;
    for (int r = 0; r < n; ++r) {
        line.clear();
        line.reserve(2 * width);
        for (int i = 0; i < quiet; ++i)
            line += " 0";
        for (int c = 0; c < n; ++c) {
            const char* entry = IsDark(m, r, c) ? " 1" : " 0";
            for (int i = 0; i < pxmag; ++i)
                line += entry;
        }
        for (int i = 0; i < quiet; ++i)
            line += " 0";
        for (int i = 0; i < pxmag; ++i)
            lines.push_back(line);
    }
    for (int i = 0; i < quiet; ++i)
        lines.push_back(blank);
}

} // namespace qr::engine
