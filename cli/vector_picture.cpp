#include "cli/vector_picture.h"

#include <cstdio>
#include <vector>

#include "qr/engine/raster.h"

namespace cli {

namespace {

// The generated text past this estimate is refused rather than left to fill memory, as
// the component's vector pictures are.
constexpr std::uint64_t kMaxVectorBytes = std::uint64_t{256} << 20;
constexpr std::uint64_t kBytesPerRun = 24;
// Runs of one path: some readers cap a path's length, so a large picture takes a few.
constexpr int kRunsPerPath = 2048;

TPicture Refuse(int exit, std::string error) {
    TPicture p;
    p.Exit = exit;
    p.Error = std::move(error);
    return p;
}

// Checks that every symbol is there and the text stays within bounds; the refusal or "".
TPicture Check(const TSymbolModules& symbols, const char* type) {
    if (!symbols.Complete()) return Refuse(kExitNoFit, "a symbol could not be built");
    const std::uint64_t n = static_cast<std::uint64_t>(symbols.Side);
    const std::uint64_t runs = symbols.Built.size() * n * ((n + 1) / 2);
    if (runs * kBytesPerRun > kMaxVectorBytes)
        return Refuse(kExitUsage, std::string("the ") + type + " picture of " +
                                      std::to_string(symbols.Built.size()) +
                                      " symbols could take more than 256 MiB; ask for fewer "
                                      "symbols or use png");
    return {};
}

void AppendInt(std::string& out, long long v) {
    char buf[24];
    const int n = std::snprintf(buf, sizeof buf, "%lld", v);
    out.append(buf, static_cast<std::size_t>(n));
}

// A length in the fewest digits that keep it to a thousandth.
std::string Number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    std::string s = buf;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

std::string Hex(std::uint32_t rgb) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%06x", rgb & 0xFFFFFF);
    return buf;
}

std::string EscapeXml(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Calls run(x, y, length) for each run of dark modules, row by row.
template <typename TRun> void ForEachRun(const qr::engine::TModuleGrid& grid, TRun run) {
    for (int y = 0; y < grid.Height; ++y) {
        const std::uint8_t* row = grid.Dark.data() + static_cast<std::size_t>(y) * grid.Width;
        for (int x = 0; x < grid.Width;) {
            if (!row[x]) {
                ++x;
                continue;
            }
            int end = x + 1;
            while (end < grid.Width && row[end])
                ++end;
            run(x, y, end - x);
            x = end;
        }
    }
}

qr::engine::TModuleGrid Layout(const TSymbolModules& symbols, const TDrawing& drawing) {
    return qr::engine::LayOutSymbols(
        symbols, {drawing.Column, drawing.Margin, drawing.Angle, drawing.Mirror});
}

} // namespace

TPicture SvgPicture(const TSymbolModules& symbols, const TDrawing& drawing) {
    TPicture p = Check(symbols, "SVG");
    if (!p.Ok()) return p;
    const auto grid = Layout(symbols, drawing);
    const double pixelsW = static_cast<double>(grid.Width) * drawing.Scale;
    const double pixelsH = static_cast<double>(grid.Height) * drawing.Scale;
    // Sized as the component sizes its SVG: 96 pixels to the inch, unless --dpi says.
    const std::string unit = drawing.Dpi > 0 ? "in" : "mm";
    const double per = drawing.Dpi > 0 ? drawing.Dpi : 96 / 25.4;
    std::string& out = p.Bytes;
    out.reserve(512 + static_cast<std::size_t>(grid.Width) * grid.Height);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"";
    out += Number(pixelsW / per) + unit + "\" height=\"" + Number(pixelsH / per) + unit +
           "\" viewBox=\"0 0 " + std::to_string(grid.Width) + " " + std::to_string(grid.Height) +
           "\" shape-rendering=\"crispEdges\">\n";
    out += "<title>" + EscapeXml(drawing.SvgTitle.value_or("QR code")) + "</title>\n";
    if (drawing.SvgDesc) out += "<desc>" + EscapeXml(*drawing.SvgDesc) + "</desc>\n";
    auto opacity = [](const char* name, std::uint8_t alpha) {
        return alpha == 0xFF ? std::string()
                             : std::string(" ") + name + "=\"" + Number(alpha / 255.0) + "\"";
    };
    if (drawing.BackgroundAlpha != 0)
        out += "<path fill=\"" + Hex(drawing.Background) + "\"" +
               opacity("fill-opacity", drawing.BackgroundAlpha) + " d=\"M0 0h" +
               std::to_string(grid.Width) + "v" + std::to_string(grid.Height) + "h-" +
               std::to_string(grid.Width) + "z\"/>\n";
    const std::string start = "<path fill=\"" + Hex(drawing.Foreground) + "\"" +
                              opacity("fill-opacity", drawing.ForegroundAlpha) + " d=\"";
    out += start;
    int runs = 0;
    ForEachRun(grid, [&](int x, int y, int length) {
        if (++runs > kRunsPerPath) {
            out += "\"/>\n" + start;
            runs = 1;
        }
        out += 'M';
        AppendInt(out, x);
        out += ' ';
        AppendInt(out, y);
        out += 'h';
        AppendInt(out, length);
        out += "v1h-";
        AppendInt(out, length);
        out += 'z';
    });
    out += "\"/>\n</svg>\n";
    return p;
}

TPicture PdfPicture(const TSymbolModules& symbols, const TDrawing& drawing) {
    TPicture p = Check(symbols, "PDF");
    if (!p.Ok()) return p;
    const auto grid = Layout(symbols, drawing);
    // Points a module.
    const double module = drawing.Scale * 72.0 / (drawing.Dpi > 0 ? drawing.Dpi : 96);
    auto colour = [](std::uint32_t rgb) {
        return Number(((rgb >> 16) & 0xFF) / 255.0) + " " + Number(((rgb >> 8) & 0xFF) / 255.0) +
               " " + Number((rgb & 0xFF) / 255.0) + " rg\n";
    };
    // Module units from the top left, as the picture reads.
    std::string content = "q\n" + Number(module) + " 0 0 " + Number(-module) + " 0 " +
                          Number(grid.Height * module) + " cm\n";
    if (drawing.BackgroundAlpha != 0)
        content += (drawing.BackgroundAlpha != 0xFF ? "/B gs\n" : "") + colour(drawing.Background) +
                   "0 0 " + std::to_string(grid.Width) + " " + std::to_string(grid.Height) +
                   " re f\n";
    content += (drawing.ForegroundAlpha != 0xFF ? "/F gs\n" : "") + colour(drawing.Foreground);
    ForEachRun(grid, [&](int x, int y, int length) {
        AppendInt(content, x);
        content += ' ';
        AppendInt(content, y);
        content += ' ';
        AppendInt(content, length);
        content += " 1 re\n";
    });
    content += "f\nQ\n";

    std::string& out = p.Bytes;
    std::vector<std::size_t> offsets;
    auto object = [&](const std::string& body) {
        offsets.push_back(out.size());
        out += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + Number(grid.Width * module) + " " +
           Number(grid.Height * module) +
           "] /Contents 4 0 R /Resources << /ExtGState << /F << /ca " +
           Number(drawing.ForegroundAlpha / 255.0) + " >> /B << /ca " +
           Number(drawing.BackgroundAlpha / 255.0) + " >> >> >> >>");
    object("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
           "endstream");
    object("<< /Title (QR code) /Producer (varoku-qr) >>");
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t at : offsets) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", at);
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) +
           " /Root 1 0 R /Info 5 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return p;
}

TPicture EpsPicture(const TSymbolModules& symbols, const TDrawing& drawing) {
    TPicture p = Check(symbols, "EPS");
    if (!p.Ok()) return p;
    if (drawing.ForegroundAlpha != 0xFF ||
        (drawing.BackgroundAlpha != 0xFF && drawing.BackgroundAlpha != 0))
        return Refuse(kExitUsage, "EPS has no transparency: give an opaque --fg, and --bg "
                                  "opaque or transparent");
    const auto grid = Layout(symbols, drawing);
    // Points a module: a pixel is a point, or 1/Dpi inch.
    const double module = drawing.Scale * (drawing.Dpi > 0 ? 72.0 / drawing.Dpi : 1.0);
    const double w = grid.Width * module;
    const double h = grid.Height * module;
    auto colour = [](std::uint32_t rgb) {
        return Number(((rgb >> 16) & 0xFF) / 255.0) + " " + Number(((rgb >> 8) & 0xFF) / 255.0) +
               " " + Number((rgb & 0xFF) / 255.0) + " setrgbcolor\n";
    };
    std::string& out = p.Bytes;
    out += "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 ";
    out += std::to_string(static_cast<long long>(w + 0.999)) + " " +
           std::to_string(static_cast<long long>(h + 0.999)) + "\n%%HiResBoundingBox: 0 0 " +
           Number(w) + " " + Number(h) +
           "\n%%Creator: varoku-qr\n%%Title: QR code\n%%Pages: 1\n%%EndComments\n"
           "gsave\n";
    // Module units from the top left, as the picture reads.
    out += Number(module) + " " + Number(module) + " scale\n0 " + std::to_string(grid.Height) +
           " translate\n1 -1 scale\n";
    if (drawing.BackgroundAlpha != 0)
        out += colour(drawing.Background) + "0 0 " + std::to_string(grid.Width) + " " +
               std::to_string(grid.Height) + " rectfill\n";
    out += colour(drawing.Foreground) + "/R { 1 rectfill } bind def\n";
    ForEachRun(grid, [&](int x, int y, int length) {
        AppendInt(out, x);
        out += ' ';
        AppendInt(out, y);
        out += ' ';
        AppendInt(out, length);
        out += " R\n";
    });
    out += "grestore\nshowpage\n%%EOF\n";
    return p;
}

} // namespace cli
