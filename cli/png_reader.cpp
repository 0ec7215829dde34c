#include "cli/png_reader.h"

#include <zlib.h>

#include <array>
#include <cstdlib>
#include <cstring>

namespace cli {

namespace {

std::uint32_t Be32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

std::uint8_t Luma(int r, int g, int b) {
    return static_cast<std::uint8_t>((299 * r + 587 * g + 114 * b + 500) / 1000);
}

// Over white: what a camera sees of a transparent background on paper.
std::uint8_t OverWhite(int grey, int alpha) {
    return static_cast<std::uint8_t>((grey * alpha + 255 * (255 - alpha) + 127) / 255);
}

} // namespace

bool DecodePng(std::string_view png, TGreyPicture& out, std::string& error) {
    static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto* p = reinterpret_cast<const unsigned char*>(png.data());
    if (png.size() < 8 || std::memcmp(p, kSignature, 8) != 0) {
        error = "not a PNG file";
        return false;
    }
    int width = 0, height = 0, depth = 0, colour = -1;
    std::string idat;
    std::array<std::uint8_t, 256> paletteGrey{};
    std::array<std::uint8_t, 256> paletteAlpha;
    paletteAlpha.fill(255);
    int transparentGrey = -1;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = Be32(p + at);
        if (length > png.size() - at - 12) break;
        const std::string_view type(png.data() + at + 4, 4);
        const unsigned char* data = p + at + 8;
        if (type == "IHDR" && length >= 13) {
            width = static_cast<int>(Be32(data));
            height = static_cast<int>(Be32(data + 4));
            depth = data[8];
            colour = data[9];
            if (data[12] != 0) {
                error = "interlaced PNG";
                return false;
            }
        } else if (type == "PLTE") {
            for (std::uint32_t i = 0; i + 2 < length && i / 3 < 256; i += 3)
                paletteGrey[i / 3] = Luma(data[i], data[i + 1], data[i + 2]);
        } else if (type == "tRNS") {
            if (colour == 3)
                for (std::uint32_t i = 0; i < length && i < 256; ++i)
                    paletteAlpha[i] = data[i];
            else if (colour == 0 && length >= 2)
                transparentGrey = (data[0] << 8) | data[1];
        } else if (type == "IDAT") {
            idat.append(png.data() + at + 8, length);
        } else if (type == "IEND") {
            break;
        }
        at += 12 + length;
    }
    const int channels = colour == 0   ? 1
                         : colour == 2 ? 3
                         : colour == 3 ? 1
                         : colour == 4 ? 2
                         : colour == 6 ? 4
                                       : 0;
    if (width <= 0 || height <= 0 || channels == 0 ||
        (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) ||
        static_cast<std::uint64_t>(width) * height > (std::uint64_t{1} << 28)) {
        error = "a PNG of a form varoku-qr does not read";
        return false;
    }
    const std::size_t bitsPerPixel = static_cast<std::size_t>(channels) * depth;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * bitsPerPixel + 7) / 8;
    const std::size_t bpp = std::max<std::size_t>(1, bitsPerPixel / 8);
    std::string raw((rowBytes + 1) * static_cast<std::size_t>(height), '\0');
    uLongf rawSize = raw.size();
    if (uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize,
                   reinterpret_cast<const Bytef*>(idat.data()), idat.size()) != Z_OK ||
        rawSize != raw.size()) {
        error = "the PNG's pixel data is damaged";
        return false;
    }
    out.Width = width;
    out.Height = height;
    out.Pixels.assign(static_cast<std::size_t>(width) * height, 255);
    std::vector<unsigned char> previous(rowBytes, 0), row(rowBytes);
    const auto sample = [&](int x, int channel) {
        const std::size_t bit = (static_cast<std::size_t>(x) * channels + channel) * depth;
        if (depth == 16) return (row[bit / 8] << 8) | row[bit / 8 + 1];
        if (depth == 8) return static_cast<int>(row[bit / 8]);
        return (row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
    };
    const int maximum = (1 << depth) - 1;
    const auto scale = [&](int v) { return depth == 16 ? v >> 8 : v * 255 / maximum; };
    for (int y = 0; y < height; ++y) {
        const unsigned char* line = reinterpret_cast<const unsigned char*>(raw.data()) +
                                    static_cast<std::size_t>(y) * (rowBytes + 1);
        const int filter = line[0];
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const int a = i >= bpp ? row[i - bpp] : 0;
            const int b = previous[i];
            const int c = i >= bpp ? previous[i - bpp] : 0;
            const int predicted = filter == 1   ? a
                                  : filter == 2 ? b
                                  : filter == 3 ? (a + b) / 2
                                  : filter == 4 ? Paeth(a, b, c)
                                                : 0;
            row[i] = static_cast<unsigned char>(line[1 + i] + predicted);
        }
        if (filter > 4) {
            error = "the PNG's pixel data is damaged";
            return false;
        }
        std::uint8_t* dst = out.Pixels.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            switch (colour) {
            case 0: {
                const int v = sample(x, 0);
                dst[x] = v == transparentGrey ? 255 : static_cast<std::uint8_t>(scale(v));
                break;
            }
            case 2:
                dst[x] = Luma(scale(sample(x, 0)), scale(sample(x, 1)), scale(sample(x, 2)));
                break;
            case 3: {
                const int i = sample(x, 0);
                dst[x] = OverWhite(paletteGrey[i], paletteAlpha[i]);
                break;
            }
            case 4:
                dst[x] = OverWhite(scale(sample(x, 0)), scale(sample(x, 1)));
                break;
            case 6:
                dst[x] =
                    OverWhite(Luma(scale(sample(x, 0)), scale(sample(x, 1)), scale(sample(x, 2))),
                              scale(sample(x, 3)));
                break;
            }
        }
        std::swap(previous, row);
        row.assign(rowBytes, 0);
    }
    return true;
}

} // namespace cli
