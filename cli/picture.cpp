#include "cli/picture.h"

#include <QApplication>

#include <charconv>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "cli/input.h"
#include "cli/png_writer.h"
#include "platform/shift_jis.h"
#include "qr/picture_output.h"
#include "qr/picture_transform.h"
#include "qr/qr_code.h"

namespace cli {

namespace {

// The vector generators build their whole text in memory, some of it several times
// over; past this estimate the picture is refused rather than left to exhaust memory.
constexpr std::uint64_t kMaxVectorBytes = std::uint64_t{256} << 20;
// A drawn rectangle costs the generators about this many bytes, coordinates included.
constexpr std::uint64_t kBytesPerRectangle = 100;

void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    // Qt's warnings (a missing runtime directory, font substitutions) are not the user's
    // business; a real failure still reaches them.
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "varoku-qr: %s\n", message.toLocal8Bit().constData());
}

int g_argc = 1;
char g_name[] = "varoku-qr";
char* g_argv[] = {g_name, nullptr};

platform::TColor ToColor(std::uint32_t rgb) {
    // TColor keeps red in the low byte.
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

struct TShiftJis {
    std::string Bytes;
    std::string Error;
};

TShiftJis ToShiftJis(const char* option, const std::string& utf8) {
    TShiftJis r;
    std::u16string text;
    if (auto error = Utf8ToUtf16(utf8, text); !error.empty()) {
        r.Error = std::string(option) + ": " + error;
        return r;
    }
    std::vector<platform::TShiftJisUnmappable> unmappable;
    r.Bytes = platform::Utf16ToShiftJis(text, &unmappable);
    if (!unmappable.empty())
        r.Error = std::string(option) + ": " +
                  UnmappableText(unmappable.front().Character, unmappable.front().Position);
    return r;
}

// Whether any symbol of a set of `count` gets a caption from this text.
bool HasCaption(qr::TNumbering numbering, const std::string& text, int count) {
    return !(count > 1 ? qr::NumberedComment(numbering, text, 1) : text).empty();
}

} // namespace

TGuiSession::TGuiSession() {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(QuietQt);
    app_ = std::make_unique<QApplication>(g_argc, g_argv);
}

TGuiSession::~TGuiSession() = default;

TPicture DrawPicture(TPictureType type, const TSymbolRequest& request, const TBuildResult& plan,
                     const TDrawing& drawing, const qr::engine::TQRSymbolEngine& engine) {
    TPicture r;
    auto refuse = [&](std::string error) {
        r.Exit = kExitUsage;
        r.Error = std::move(error);
        return r;
    };
    const TShiftJis up = ToShiftJis("--comment-up", drawing.CommentUp.value_or(""));
    if (!up.Error.empty()) return refuse(up.Error);
    const TShiftJis down = ToShiftJis("--comment-down", drawing.CommentDown.value_or(""));
    if (!down.Error.empty()) return refuse(down.Error);

    qr::TQRCode qr;
    qr.SetSymbolEnabled(false);
    qr.SetMatch(true);
    if (type != TPictureType::Png) qr.SetSymbolPicture(qr::picEMF);
    qr.SetColumn(drawing.Column);
    const auto numbering = static_cast<qr::TNumbering>(drawing.Numbering);
    const auto loc = static_cast<qr::TLocation>(drawing.CommentLoc);
    qr.SetNumbering(numbering);
    qr.SetCommentUp(up.Bytes);
    qr.SetCommentDown(down.Bytes);
    qr.SetCommentUpLoc(loc);
    qr.SetCommentDownLoc(loc);
    platform::TFont font = qr.ComFont();
    font.Color = ToColor(drawing.Foreground);
    qr.SetComFont(&font);
    const int count = engine.Count();
    const bool captionUp = HasCaption(numbering, up.Bytes, count);
    const bool captionDown = HasCaption(numbering, down.Bytes, count);
    if (captionUp || captionDown) {
        platform::TBitmap probe;
        probe.SetSize(1, 1);
        probe.Canvas().SetFont(font);
        const int band = probe.Canvas().TextExtent(QStringLiteral("0")).height();
        if (captionUp) qr.SetSymbolSpaceUp(band);
        if (captionDown) qr.SetSymbolSpaceDown(band);
    }
    if (type == TPictureType::Png) {
        qr.SetAngle(drawing.Angle);
        qr.SetReverse(drawing.Mirror);
    }
    qr.SetSymbolColor(ToColor(drawing.Foreground));
    qr.SetBackColor(ToColor(drawing.Background));

    // The cell size for the checks below; the rest of the plan is handed over whole.
    qr.SetVersion(plan.Version);
    qr.SetPxmag(request.Pxmag);

    const int columns = std::min(drawing.Column, count);
    const int rows = (count + drawing.Column - 1) / drawing.Column;
    const std::uint64_t width = static_cast<std::uint64_t>(columns) * qr.SymbolWidthS();
    const std::uint64_t height = static_cast<std::uint64_t>(rows) * qr.SymbolHeightS();
    if (type == TPictureType::Png) {
        if (auto tooLarge = PngTooLarge(width, height); !tooLarge.empty()) return refuse(tooLarge);
    }

    if (type != TPictureType::Png) {
        // At worst every other module of a row starts a run of its own.
        const std::uint64_t n = static_cast<std::uint64_t>(engine.Modules());
        const std::uint64_t runs = static_cast<std::uint64_t>(count) * n * ((n + 1) / 2);
        if (runs * kBytesPerRectangle > kMaxVectorBytes)
            return refuse(std::string("the ") + PictureTypeName(type) + " picture of " +
                          std::to_string(count) + " symbols of version " +
                          std::to_string(engine.Version()) +
                          " could take more than 256 MiB; ask for fewer symbols or use png");
    }

    if (!plan.Symbols.Complete() || plan.Symbols.Side != engine.Modules() ||
        static_cast<int>(plan.Symbols.Built.size()) != count)
        return refuse("the picture's symbols differ from the ones checked; nothing is written");
    qr.PaintBuiltSymbols(engine, plan.Symbols);
    if (!qr.SymbolDisped()) return refuse("the component drew no picture");

    if (type == TPictureType::Png) {
        const QImage image = qr.BitmapImage().convertToFormat(QImage::Format_RGB32);
        r.Bytes = EncodePng(image.width(), image.height(),
                            reinterpret_cast<const std::uint32_t*>(image.constBits()),
                            static_cast<std::size_t>(image.bytesPerLine()) / 4, drawing.Dpi);
    } else {
        std::unique_ptr<platform::TMetafile> turned;
        const platform::TMetafile* picture = qr::TurnedMetafile(
            qr.MetafilePicture(), qr.Width(), qr.Height(), drawing.Angle, drawing.Mirror, turned);
        if (!picture) return refuse("the component drew no vector picture");
        const QString title = drawing.SvgTitle && type == TPictureType::Svg
                                  ? QString::fromStdString(*drawing.SvgTitle)
                                  : QStringLiteral("QR code");
        const QByteArray bytes = type == TPictureType::Svg ? qr::MetafileToSvg(*picture, title)
                                                           : qr::MetafileToPdf(*picture, title);
        r.Bytes.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        if (type == TPictureType::Svg && drawing.SvgDesc) {
            // The generator writes a title but no description: it goes right after.
            const auto at = r.Bytes.find("</title>");
            if (at != std::string::npos)
                r.Bytes.insert(
                    at + 8,
                    "<desc>" +
                        QString::fromStdString(*drawing.SvgDesc).toHtmlEscaped().toStdString() +
                        "</desc>");
        }
    }
    if (r.Bytes.empty())
        return refuse(std::string("the ") + PictureTypeName(type) + " picture could not be made");
    return r;
}

} // namespace cli
