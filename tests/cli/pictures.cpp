#include "tests/cli/pictures.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfDocument>

#include <cstdio>
#include <sstream>

#include "platform/shift_jis.h"
#include "tests/support/qt_app.h"
#include "tests/support/qt_picture_reader.h"

namespace cli_test {

namespace {

// varoku-qr's EPS: the page in module units from the top left, an optional background
// "0 0 W H rectfill" and one "x y length R" line per run of dark modules.
QImage EpsPicture(const std::string& eps) {
    if (!eps.starts_with("%!PS-Adobe-3.0 EPSF-3.0\n") || !eps.ends_with("%%EOF\n")) return {};
    std::istringstream lines(eps);
    std::string line;
    QImage image;
    constexpr int kPixels = 4;
    while (std::getline(lines, line)) {
        int x = 0, y = 0, w = 0, h = 0;
        char tail[16] = {};
        if (std::sscanf(line.c_str(), "0 0 %d %d rectfill", &w, &h) == 2) {
            image = QImage(w * kPixels, h * kPixels, QImage::Format_RGB32);
            image.fill(Qt::white);
        } else if (std::sscanf(line.c_str(), "%d %d %d %15s", &x, &y, &w, tail) == 4 &&
                   std::string(tail) == "R" && !image.isNull()) {
            for (int py = y * kPixels; py < (y + 1) * kPixels; ++py)
                for (int px = x * kPixels; px < (x + w) * kPixels; ++px)
                    image.setPixel(px, py, 0xFF000000);
        }
    }
    return image;
}

} // namespace

QImage PictureOf(const std::string& type, const std::string& bytes, double scale) {
    test_support::EnsureQtApp();
    if (type == "eps") return EpsPicture(bytes);
    const QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (type == "png") return QImage::fromData(data, "PNG");
    if (type == "svg") return test_support::RenderSvg(data, scale);
    if (type != "pdf") return {};
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QPdfDocument document;
    document.load(&buffer);
    if (document.status() != QPdfDocument::Status::Ready || document.pageCount() != 1) return {};
    // A point is 1/72 inch and the picture was laid out at 96 pixels to the inch.
    const QSizeF points = document.pagePointSize(0);
    const QSize size(qRound(points.width() * 96 / 72 * scale),
                     qRound(points.height() * 96 / 72 * scale));
    QImage page = document.render(0, size);
    // The page is rendered with transparency; a viewer shows it on white.
    QImage onWhite(page.size(), QImage::Format_RGB32);
    onWhite.fill(Qt::white);
    QPainter painter(&onWhite);
    painter.drawImage(0, 0, page);
    painter.end();
    return onWhite;
}

TTextPicture ParseUtf8Picture(const std::string& text) {
    TTextPicture p;
    std::vector<std::vector<bool>> rows;
    auto finish = [&] {
        if (!rows.empty()) p.Symbols.push_back(std::move(rows));
        rows.clear();
    };
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            p.Problem = "the text does not end in a line break";
            return p;
        }
        const std::string line = text.substr(start, nl - start);
        start = nl + 1;
        if (line.empty()) {
            finish();
            continue;
        }
        std::vector<bool> top, bottom;
        for (std::size_t i = 0; i < line.size();) {
            if (line[i] == ' ') {
                top.push_back(false), bottom.push_back(false), ++i;
            } else if (line.compare(i, 3, "\u2580") == 0) {
                top.push_back(true), bottom.push_back(false), i += 3;
            } else if (line.compare(i, 3, "\u2584") == 0) {
                top.push_back(false), bottom.push_back(true), i += 3;
            } else if (line.compare(i, 3, "\u2588") == 0) {
                top.push_back(true), bottom.push_back(true), i += 3;
            } else {
                p.Problem = "unexpected character in: " + line;
                return p;
            }
        }
        rows.push_back(std::move(top));
        rows.push_back(std::move(bottom));
    }
    finish();
    return p;
}

std::string ShiftJis(const std::string& utf8) {
    return platform::QStringToShiftJis(
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

} // namespace cli_test
