#include "qr/qr_code.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <algorithm>
#include <array>
#include <exception>

#include "platform/message_box.h"
#include "platform/shift_jis.h"
#include "qr/picture_output.h"
#include "qr/picture_transform.h"

namespace qr {
namespace {

// Holds a member at a value for one scope, also when that scope ends by an exception.
template <class T> class ValueScope {
public:
    ValueScope(T& member, T value) : member_(member), saved_(member) { member_ = value; }
    ~ValueScope() { member_ = saved_; }
    ValueScope(const ValueScope&) = delete;
    ValueScope& operator=(const ValueScope&) = delete;

private:
    T& member_;
    T saved_;
};

// Runs an action when the scope ends, also by an exception.
template <class F> class TScopeExit {
public:
    explicit TScopeExit(F f) : f_(std::move(f)) {}
    ~TScopeExit() { f_(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F f_;
};

// Holds the control's AutoSize and Stretch off for one scope: drawing into the picture
// must not resize or rescale the control under it.
class TFixedSize {
public:
    explicit TFixedSize(platform::TImage& image)
        : image_(image), autoSize_(image.AutoSize()), stretch_(image.Stretch()) {
        image_.SetAutoSize(false);
        image_.SetStretch(false);
    }
    ~TFixedSize() {
        image_.SetStretch(stretch_);
        image_.SetAutoSize(autoSize_);
    }
    TFixedSize(const TFixedSize&) = delete;
    TFixedSize& operator=(const TFixedSize&) = delete;

private:
    platform::TImage& image_;
    bool autoSize_;
    bool stretch_;
};

int TextOffset(TLocation location, int cellWidth, int textWidth) {
    int offset = 0;
    switch (location) {
    case locLeft:
        offset = 0;
        break;
    case locCenter:
        offset = (cellWidth - textWidth) / 2;
        break;
    case locRight:
        offset = cellWidth - textWidth;
        break;
    }
    return offset < 0 ? 0 : offset;
}

} // namespace

std::string NumberedComment(TNumbering numbering, const std::string& text, int k) {
    const std::string n = std::to_string(k);
    switch (numbering) {
    case nbrNone:
        return text;
    case nbrHead:
        return text.empty() ? n : n + " " + text;
    case nbrTail:
        return text.empty() ? n : text + " " + n;
    case nbrIfVoid:
        return text.empty() ? n : text;
    }
    return text;
}

TQRCode::TQRCode(QWidget* parent) : platform::TImage(parent) {
    onClipboardChange_ = [this](TQRCode* sender) { ClipboardChanged(sender); };
}

TQRCode::~TQRCode() {
    // Stop watching before anything else goes, so no notification reaches a half-gone
    // component.
    clipWatch_ = false;
    UpdateClipboardMembership();
}

// ---- Properties -------------------------------------------------------------------

void TQRCode::RepaintIf(bool stored) {
    if (stored) PaintSymbol();
}

void TQRCode::SetCode(std::string_view code) {
    if (engine_.DesignMode()) {
        engine_.SetCode(code);
        PaintSymbol();
        return;
    }
    DoChangeCode();
    engine_.SetCode(code);
    PaintSymbol();
    DoChangedCode();
}

void TQRCode::SetBinaryOperation(bool on) {
    if (engine_.DesignMode()) return;
    engine_.SetBinaryOperation(on);
    PaintSymbol();
}

void TQRCode::SetMode(TQRMode mode) {
    if (engine_.SetMode(mode)) PaintSymbol();
}

void TQRCode::SetCount(int count) {
    if (engine_.SetCount(count)) PaintSymbol();
}

void TQRCode::SetColumn(int column) {
    if (engine_.SetColumn(column)) PaintSymbol();
}

void TQRCode::SetNumbering(TNumbering numbering) {
    if (numbering > nbrIfVoid) return;
    numbering_ = numbering;
    RepaintIf(Count() > 1);
}

void TQRCode::SetCommentUp(std::string_view text) {
    commentUp_ = text;
    PaintSymbol();
}

void TQRCode::SetCommentUpLoc(TLocation location) {
    if (location > locRight) return;
    commentUpLoc_ = location;
    RepaintIf(!commentUp_.empty());
}

void TQRCode::SetCommentDown(std::string_view text) {
    commentDown_ = text;
    PaintSymbol();
}

void TQRCode::SetCommentDownLoc(TLocation location) {
    if (location > locRight) return;
    commentDownLoc_ = location;
    RepaintIf(!commentDown_.empty());
}

int TQRCode::SymbolWidth() const {
    return (engine_.Modules() + 2 * engine::kQuietZone) * Pxmag();
}
int TQRCode::SymbolHeight() const {
    return (engine_.Modules() + 2 * engine::kQuietZone) * Pxmag();
}
int TQRCode::SymbolWidthS() const {
    return SymbolWidth() + spaceLeft_ + spaceRight_;
}
int TQRCode::SymbolHeightS() const {
    return SymbolHeight() + spaceUp_ + spaceDown_;
}

int TQRCode::SymbolWidthA() const {
    return std::min(Column(), Count()) * SymbolWidthS();
}

int TQRCode::SymbolHeightA() const {
    const int rows = Count() / Column() + (Count() % Column() != 0 ? 1 : 0);
    return rows * SymbolHeightS();
}

void TQRCode::SetSymbolLeft(int value) {
    symbolLeft_ = value;
    PaintSymbol();
}

void TQRCode::SetSymbolTop(int value) {
    symbolTop_ = value;
    PaintSymbol();
}

void TQRCode::SetSymbolSpaceUp(int value) {
    spaceUp_ = value;
    PaintSymbol();
}

void TQRCode::SetSymbolSpaceDown(int value) {
    spaceDown_ = value;
    PaintSymbol();
}

void TQRCode::SetSymbolSpaceLeft(int value) {
    spaceLeft_ = value;
    PaintSymbol();
}

void TQRCode::SetSymbolSpaceRight(int value) {
    spaceRight_ = value;
    PaintSymbol();
}

void TQRCode::SetVersion(int version) {
    if (engine_.SetVersion(version)) PaintSymbol();
}

void TQRCode::SetEmode(int mode) {
    if (engine_.SetEmode(mode)) PaintSymbol();
}

void TQRCode::SetEclevel(int level) {
    if (engine_.SetEclevel(level)) PaintSymbol();
}

void TQRCode::SetMasktype(int mask) {
    if (engine_.SetMasktype(mask)) PaintSymbol();
}

void TQRCode::SetEci(int eci) {
    if (engine_.SetEci(eci)) PaintSymbol();
}

void TQRCode::SetSegments(engine::TQRSegments segments) {
    if (engine_.SetSegments(segments)) PaintSymbol();
}

void TQRCode::SetPxmag(int pxmag) {
    if (engine_.SetPxmag(pxmag)) PaintSymbol();
}

void TQRCode::SetAngle(int angle) {
    if (angle != 0 && angle != 90 && angle != 180 && angle != 270) return;
    angle_ = angle;
    PaintSymbol();
}

void TQRCode::SetReverse(bool on) {
    reverse_ = on;
    PaintSymbol();
}

void TQRCode::SetMatch(bool on) {
    match_ = on;
    if (on) {
        transparent_ = false;
    } else {
        symbolPicture_ = picBMP;
    }
    PaintSymbol();
}

void TQRCode::SetComFont(const TFont* font) {
    if (!font || font == &comFont_) return;
    comFont_ = *font;
    PaintSymbol();
}

void TQRCode::SetTransparent(bool on) {
    transparent_ = on;
    if (on) {
        match_ = false;
        symbolPicture_ = picBMP;
    }
    PaintSymbol();
}

void TQRCode::SetSymbolColor(TColor color) {
    symbolColor_ = color;
    PaintSymbol();
}

void TQRCode::SetBackColor(TColor color) {
    backColor_ = color;
    PaintSymbol();
}

void TQRCode::SetSymbolPicture(TPictures picture) {
    if (!match_) {
        symbolPicture_ = picBMP;
        return;
    }
    if (picture > picWMF) return;
    symbolPicture_ = picture;
    PaintSymbol();
}

void TQRCode::SetSymbolEnabled(bool on) {
    if (symbolEnabled_ == on) return;
    symbolEnabled_ = on;
    RepaintIf(on);
}

void TQRCode::SetClearOption(bool on) {
    if (!on) {
        clearOption_ = false;
        return;
    }
    if (clearOption_) return;
    clearOption_ = true;
    if (!symbolDisped_) Clear();
}

// ---- Events -----------------------------------------------------------------------

void TQRCode::DoChangeCode() {
    if (OnChangeCode && symbolEnabled_) OnChangeCode(this, watch_);
}

void TQRCode::DoPaintSymbol() {
    if (OnPaintSymbol) OnPaintSymbol(this, watch_);
}

void TQRCode::DoPaintedSymbol() {
    if (OnPaintedSymbol) OnPaintedSymbol(this, watch_);
}

void TQRCode::DoChangedCode() {
    if (OnChangedCode && symbolEnabled_) OnChangedCode(this, watch_);
}

void TQRCode::DoClipboardChange() {
    if (onClipboardChange_) onClipboardChange_(this);
}

// ---- The paint pass ---------------------------------------------------------------

void TQRCode::PaintSymbol() {
    if (!symbolEnabled_) return;
    symbolDisped_ = false;
    if (!handed_) {
        engine_.DivideInput();
        engine_.CheckDivision();
        shown_.Reset(Count(), engine_.Modules());
    }
    DoPaintSymbol();

    platform::TBitmap& bitmap = Picture().Bitmap();
    bitmap.SetPixelFormat(QImage::Format_RGB32);
    if (bitmap.Empty()) bitmap.SetSize(Width(), Height());

    // Where the block of cells goes before the picture's own turn: drawn there, the turn
    // brings it to (SymbolLeft, SymbolTop).
    int blockLeft = symbolLeft_;
    int blockTop = symbolTop_;
    if (!match_) {
        const int w = Width();
        const int h = Height();
        switch (angle_) {
        case 90:
            blockLeft = symbolTop_;
            blockTop = w - symbolLeft_ - SymbolHeightA();
            break;
        case 180:
            blockLeft = w - symbolLeft_ - SymbolWidthA();
            blockTop = h - symbolTop_ - SymbolHeightA();
            break;
        case 270:
            blockLeft = h - symbolTop_ - SymbolWidthA();
            blockTop = symbolLeft_;
            break;
        default:
            break;
        }
        // Undo the final turn-and-mirror on what the picture already shows, so earlier
        // drawing comes back to the same place after this pass.
        TransformPicture(360 - angle_, true);
    }

    {
        const TFixedSize fixed(*this);
        if (symbolPicture_ == picBMP) Picture().Bitmap().Canvas().SetFont(comFont_);
        symbolDisped_ = DrawCells(blockLeft, blockTop);
    }

    if (!match_ || symbolDisped_) TransformPicture(angle_, false);
    DoPaintedSymbol();
    if (!symbolDisped_ && clearOption_ && !symbolDebug_) Clear();
    Invalidate();
}

bool TQRCode::DrawCells(int blockLeft, int blockTop) {
    // A vector paint keeps one recording open from symbol 1 to the last; one that stops
    // for any reason must not leave it open: an open recording shows nothing and cannot
    // be copied.
    platform::TCanvas* recording = nullptr;
    const auto closeRecording = [&] {
        if (!recording) return;
        Picture().Metafile().EndRecording();
        recording = nullptr;
    };
    const TScopeExit closeAtEnd(closeRecording);
    bool drawn = false;
    for (int k = 1; k <= Count(); ++k) {
        const TCell cell{k, blockLeft + ((k - 1) % Column()) * SymbolWidthS(),
                         blockTop + ((k - 1) / Column()) * SymbolHeightS(),
                         Count() > 1 ? NumberedComment(numbering_, commentUp_, k) : commentUp_,
                         Count() > 1 ? NumberedComment(numbering_, commentDown_, k) : commentDown_};
        const engine::TQRBuildResult built = BuildForPass(k);
        if (built == engine::brNotLoaded) return false;
        drawn = symbolPicture_ == picBMP
                    ? DrawSymbolBitmap(cell, built == engine::brBuilt)
                    : DrawSymbolMetafile(cell, built == engine::brBuilt, recording);
        if (!drawn) break;
    }
    return drawn;
}

void TQRCode::PaintBuiltSymbols(const engine::TQRSymbolEngine& planned,
                                const engine::TSymbolModules& modules) {
    const int column = engine_.Column();
    const bool design = engine_.DesignMode();
    engine_ = planned;
    engine_.SetColumn(column);
    engine_.SetDesignMode(design);
    symbolEnabled_ = true;
    shown_ = modules;
    const ValueScope<bool> handed(handed_, true);
    PaintSymbol();
}

engine::TQRBuildResult TQRCode::BuildForPass(int k) {
    if (!handed_) {
        const engine::TQRBuildResult built = engine_.BuildSymbolFrom(engine_.Slice(k), k);
        if (built == engine::brBuilt) shown_.Keep(engine_, k);
        return built;
    }
    if (k < 1 || k > static_cast<int>(shown_.Built.size()) || shown_.Side != engine_.Modules())
        return engine::brNotLoaded;
    return shown_.Built[static_cast<std::size_t>(k - 1)] ? engine::brBuilt : engine::brNotEncoded;
}

void TQRCode::DrawModules(platform::TCanvas& canvas, const TCell& cell) {
    const int n = engine_.Modules();
    const int m = Pxmag();
    const int x0 = cell.X + spaceLeft_ + QuietZone();
    const int y0 = cell.Y + spaceUp_ + QuietZone();
    // One rectangle per run of dark modules, handed over a row at a time; a row of
    // N modules has at most (N + 1) / 2 runs.
    std::array<QRect, (engine::kMaxModules + 1) / 2> runs;
    for (int r = 0; r < n; ++r) {
        int count = 0;
        int c = 0;
        while (c < n) {
            if (!shown_.IsDark(cell.K, r, c)) {
                ++c;
                continue;
            }
            const int c1 = c;
            while (c < n && shown_.IsDark(cell.K, r, c))
                ++c;
            runs[count++] = QRect(x0 + c1 * m, y0 + r * m, (c - c1) * m, m);
        }
        canvas.FillRects(runs.data(), count, symbolColor_);
    }
}

void TQRCode::DrawComments(platform::TCanvas& canvas, const TCell& cell) {
    const QString up = platform::ShiftJisToQString(cell.Up);
    const QString down = platform::ShiftJisToQString(cell.Down);
    const QSize upExtent = canvas.TextExtent(up);
    const QSize downExtent = canvas.TextExtent(down);
    const int cx = cell.X;
    const int cy = cell.Y;
    if (!up.isEmpty()) {
        const int x = cx + TextOffset(commentUpLoc_, SymbolWidthS(), upExtent.width());
        const int y = spaceUp_ >= upExtent.height() ? cy : cy + spaceUp_ - upExtent.height();
        canvas.TextOut(x, y, up, backColor_);
    }
    if (!down.isEmpty()) {
        const int x = cx + TextOffset(commentDownLoc_, SymbolWidthS(), downExtent.width());
        const int y = spaceDown_ >= downExtent.height()
                          ? cy + spaceUp_ + SymbolHeight() + spaceDown_ - downExtent.height()
                          : cy + spaceUp_ + SymbolHeight();
        canvas.TextOut(x, y, down, backColor_);
    }
}

bool TQRCode::DrawSymbolBitmap(const TCell& cell, bool built) {
    if (!built) return false;
    if (symbolDebug_) return true;
    const int cx = cell.X;
    const int cy = cell.Y;
    if (match_ && cell.K == 1) {
        SetWidth(cx + SymbolWidthA());
        SetHeight(cy + SymbolHeightA());
        Picture().Bitmap().SetSize(Width(), Height());
    }
    platform::TCanvas& canvas = Picture().Bitmap().Canvas();
    if (!transparent_ && cell.K == 1) {
        if (match_) {
            canvas.FillRect(0, 0, cx + SymbolWidthA(), cy + SymbolHeightA(), backColor_);
        } else {
            canvas.FillRect(cx, cy, cx + SymbolWidthA(), cy + SymbolHeightA(), backColor_);
        }
    }
    DrawModules(canvas, cell);
    DrawComments(canvas, cell);
    return true;
}

bool TQRCode::DrawSymbolMetafile(const TCell& cell, bool built, platform::TCanvas*& recording) {
    const int k = cell.K;
    if (!built) {
        if (k > 1 && !symbolDebug_ && recording) {
            Picture().Metafile().EndRecording();
            recording = nullptr;
        }
        return false;
    }
    if (symbolDebug_) return true;
    if (k == 1) {
        SetWidth(cell.X + SymbolWidthA());
        SetHeight(cell.Y + SymbolHeightA());
        platform::TMetafile& metafile = Picture().Metafile();
        metafile.SetWidth(Width());
        metafile.SetHeight(Height());
        recording = &metafile.BeginRecording();
        recording->FillRect(0, 0, Width(), Height(), backColor_);
    }
    if (!recording) return false;
    DrawModules(*recording, cell);
    recording->SetFont(comFont_);
    DrawComments(*recording, cell);
    if (k == Count()) {
        platform::TMetafile& metafile = Picture().Metafile();
        metafile.EndRecording();
        recording = nullptr;
        metafile.SetWidth(metafile.Width() + 1);
        metafile.SetHeight(metafile.Height() + 1);
        Picture().Changed();
    }
    return true;
}

// ---- Picture transforms -----------------------------------------------------------

void TQRCode::TransformPicture(int angle, bool mirrorFirst) {
    platform::TPicture& picture = Picture();
    if (picture.GraphicKind() != platform::TPicture::Kind::Bitmap || symbolPicture_ != picBMP) {
        return;
    }
    if (picture.Bitmap().Empty()) return;
    if (mirrorFirst && reverse_) picture.SetBitmap(MirrorBitmap(picture.Bitmap().Image()));
    if (angle == 90 || angle == 180 || angle == 270) {
        const TFixedSize fixed(*this);
        const int w = Width();
        const int h = Height();
        QImage turned = RotateBitmap(picture.Bitmap().Image(), angle);
        if (angle != 180) {
            SetWidth(h);
            SetHeight(w);
        }
        picture.SetBitmap(std::move(turned));
        Invalidate();
    }
    if (!mirrorFirst && reverse_) picture.SetBitmap(MirrorBitmap(picture.Bitmap().Image()));
}

// ---- Operations -------------------------------------------------------------------

void TQRCode::Clear() {
    if (symbolDisped_) symbolDisped_ = false;
    Picture().Clear();
    Invalidate();
}

void TQRCode::Redraw() {
    PaintSymbol();
}

QImage TQRCode::BitmapImage() {
    if (Picture().GraphicKind() != platform::TPicture::Kind::Bitmap) return {};
    return Picture().Bitmap().Image();
}

const platform::TMetafile* TQRCode::MetafilePicture() {
    if (Picture().GraphicKind() != platform::TPicture::Kind::Metafile) return nullptr;
    return &Picture().Metafile();
}

void TQRCode::CopyToClipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    platform::TPicture& picture = Picture();
    switch (picture.GraphicKind()) {
    case platform::TPicture::Kind::None:
        clipboard->clear();
        return;
    case platform::TPicture::Kind::Bitmap: {
        const QImage image = picture.Bitmap().Image();
        if (image.isNull()) {
            clipboard->clear();
            return;
        }
        auto* data = new QMimeData;
        data->setImageData(image);
        data->setData(kMimePng, ImageToPng(image));
        clipboard->setMimeData(data);
        return;
    }
    case platform::TPicture::Kind::Metafile: {
        const platform::TMetafile& metafile = picture.Metafile();
        const QByteArray vector =
            symbolPicture_ == picWMF ? MetafileToPdf(metafile) : MetafileToSvg(metafile);
        const QImage image = MetafileToImage(metafile, platform::ColorToQColor(backColor_));
        // A vector form that cannot be made leaves the clipboard as it was.
        if (vector.isEmpty() || image.isNull()) return;
        auto* data = new QMimeData;
        data->setData(symbolPicture_ == picWMF ? kMimePdf : kMimeSvg, vector);
        data->setImageData(image);
        data->setData(kMimePng, ImageToPng(image));
        clipboard->setMimeData(data);
        return;
    }
    }
}

void TQRCode::PasteFromClipboard() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return;
    SetCode(platform::QStringToShiftJis(data->text()));
}

// ---- Clipboard watch --------------------------------------------------------------

void TQRCode::SetClipWatch(bool on) {
    skipNext_ = !clipWatch_ && on;
    clipWatch_ = on;
    UpdateClipboardMembership();
}

void TQRCode::SetOnClipboardChange(TNotifyEvent handler) {
    onClipboardChange_ = std::move(handler);
    UpdateClipboardMembership();
}

void TQRCode::UpdateClipboardMembership() {
    const bool wanted = clipWatch_ && static_cast<bool>(onClipboardChange_);
    if (wanted == inChain_) return;
    inChain_ = wanted;
    if (!wanted) {
        QObject::disconnect(clipConnection_);
        return;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipConnection_ = QObject::connect(clipboard, &QClipboard::dataChanged, this,
                                       [this] { ClipboardNotification(); });
    // A watcher that joins is told of the clipboard as it stands, once, at once; the
    // default handler lets that first notification pass without taking the text.
    ClipboardNotification();
}

void TQRCode::ClipboardNotification() {
    try {
        DoClipboardChange();
    } catch (const std::exception& error) {
        platform::ShowStandardError(QString::fromUtf8(error.what()));
    } catch (...) {
        platform::ShowStandardError(QStringLiteral("Unknown error"));
    }
}

void TQRCode::ClipboardChanged(TQRCode*) {
    if (skipNext_) {
        skipNext_ = false;
        return;
    }
    const ValueScope<bool> watching(watch_, true);
    PasteFromClipboard();
}

} // namespace qr
