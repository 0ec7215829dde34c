// TQRCode, the visual QR code component: an image control that holds a text (Code),
// encodes it into one or more symbols through its engine and draws them, with
// captions, numbering, magnification, rotation and mirror, into a bitmap or a recorded
// vector picture; it can also watch the clipboard and copy its picture there.
#pragma once

#include <QMetaObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/image_control.h"
#include "qr/engine/symbol_engine.h"
#include "qr/engine/symbol_modules.h"

namespace qr {

using engine::qrConnect;
using engine::qrPlus;
using engine::qrSingle;
using engine::TQRMode;
using platform::TColor;
using platform::TFont;

enum TNumbering : std::uint8_t { nbrNone, nbrHead, nbrTail, nbrIfVoid };
enum TLocation : std::uint8_t { locLeft, locCenter, locRight };
enum TPictures : std::uint8_t { picBMP, picEMF, picWMF };

// The caption of cell k (1-based) made from the caption the user wrote.
std::string NumberedComment(TNumbering numbering, const std::string& text, int k);

class TQRCode;
// Watch is true only while text taken from the clipboard by the watch is applied.
using TNotifyWatchEvent = std::function<void(TQRCode* Sender, bool Watch)>;
using TNotifyEvent = std::function<void(TQRCode* Sender)>;

class TQRCode : public platform::TImage {
public:
    explicit TQRCode(QWidget* parent = nullptr);
    ~TQRCode() override;
    TQRCode(const TQRCode&) = delete;
    TQRCode& operator=(const TQRCode&) = delete;

    // Every setter below ignores a value outside its accepted range without a word:
    // nothing is stored and nothing repainted. "Repaints" means PaintSymbol runs, which
    // does nothing while SymbolEnabled is false.

    // The input bytes (Shift-JIS text or anything). A write fires OnChangeCode, stores
    // and prepares the text, repaints, then fires OnChangedCode.
    const std::string& Code() const { return engine_.Code(); }
    void SetCode(std::string_view code);
    int Len() const { return engine_.Len(); }
    bool Binary() const { return engine_.Binary(); }
    // Resolve ~hex~ escapes; prepares the input again and repaints.
    bool BinaryOperation() const { return engine_.BinaryOperation(); }
    void SetBinaryOperation(bool on);
    // qrSingle, qrConnect or qrPlus; adjusts Count to the mode, repaints.
    TQRMode Mode() const { return engine_.Mode(); }
    void SetMode(TQRMode mode);
    // Symbols wanted, 1..1024; a paint pass may lower it. Repaints.
    int Count() const { return engine_.Count(); }
    void SetCount(int count);
    // Cells per row of the grid, 1..1024. Repaints.
    int Column() const { return engine_.Column(); }
    void SetColumn(int column);
    int Parity() const { return engine_.Parity(); }
    // How symbols are numbered in their captions; repaints only with Count above 1.
    TNumbering Numbering() const { return numbering_; }
    void SetNumbering(TNumbering numbering);
    // Captions above and below each symbol, Shift-JIS. Repaint.
    const std::string& CommentUp() const { return commentUp_; }
    void SetCommentUp(std::string_view text);
    TLocation CommentUpLoc() const { return commentUpLoc_; }
    void SetCommentUpLoc(TLocation location); // repaints only with a caption above
    const std::string& CommentDown() const { return commentDown_; }
    void SetCommentDown(std::string_view text);
    TLocation CommentDownLoc() const { return commentDownLoc_; }
    void SetCommentDownLoc(TLocation location); // repaints only with a caption below

    // Geometry in pixels, from Version, Pxmag, the spaces, Count and Column.
    int SymbolWidth() const;  // symbol with its quiet zone
    int SymbolWidthS() const; // one cell
    int SymbolWidthA() const; // the whole block of cells
    int SymbolHeight() const;
    int SymbolHeightS() const;
    int SymbolHeightA() const;
    int QuietZone() const { return engine::kQuietZone * Pxmag(); }

    // Origin of the block of cells and the blank space around each symbol. Repaint.
    int SymbolLeft() const { return symbolLeft_; }
    void SetSymbolLeft(int value);
    int SymbolTop() const { return symbolTop_; }
    void SetSymbolTop(int value);
    int SymbolSpaceUp() const { return spaceUp_; }
    void SetSymbolSpaceUp(int value);
    int SymbolSpaceDown() const { return spaceDown_; }
    void SetSymbolSpaceDown(int value);
    int SymbolSpaceLeft() const { return spaceLeft_; }
    void SetSymbolSpaceLeft(int value);
    int SymbolSpaceRight() const { return spaceRight_; }
    void SetSymbolSpaceRight(int value);

    // Version 1..40. Repaints.
    int Version() const { return engine_.Version(); }
    void SetVersion(int version);
    // -1 automatic or 0..3; also sets EmodeR. Repaints.
    int Emode() const { return engine_.Emode(); }
    void SetEmode(int mode);
    int EmodeR() const { return engine_.EmodeR(); }
    // 0 L, 1 M, 2 Q, 3 H. Repaints.
    int Eclevel() const { return engine_.Eclevel(); }
    void SetEclevel(int level);
    // -1 automatic or 0..7; also sets MasktypeR. Repaints.
    int Masktype() const { return engine_.Masktype(); }
    void SetMasktype(int mask);
    int MasktypeR() const { return engine_.MasktypeR(); }
    int Capacity() const { return engine_.Capacity(); }
    // Extended channel interpretation: -1 none (initial), -2 Shift-JIS where a byte
    // segment needs it, or a designator 0..999999 (engine::kEci*). Repaints.
    int Eci() const { return engine_.Eci(); }
    void SetEci(int eci);
    // How the automatic mode analysis chooses its segments: engine::sgGreedy (initial,
    // the documented rule) or engine::sgOptimal (the fewest bits). Repaints.
    engine::TQRSegments Segments() const { return engine_.Segments(); }
    void SetSegments(engine::TQRSegments segments);
    // Pixels per module, 1..10. Repaints.
    int Pxmag() const { return engine_.Pxmag(); }
    void SetPxmag(int pxmag);
    // Clockwise turn of the drawing: exactly 0, 90, 180 or 270. Repaints.
    int Angle() const { return angle_; }
    void SetAngle(int angle);
    // Left-right mirror of the drawing. Repaints.
    bool Reverse() const { return reverse_; }
    void SetReverse(bool on);
    // The PBM text of the symbols of the last division; rebuilt on every read.
    const std::vector<std::string>& PBM() { return engine_.PBM(); }

    // Match: the control takes the size of the block. True switches Transparent off,
    // false returns SymbolPicture to picBMP. Repaints.
    bool Match() const { return match_; }
    void SetMatch(bool on);
    // Caption font. nullptr or the component's own font is ignored; otherwise the
    // settings are copied. Repaints.
    const TFont& ComFont() const { return comFont_; }
    void SetComFont(const TFont* font);
    // Transparent: no background is filled. True switches Match off and returns
    // SymbolPicture to picBMP. Repaints.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    TColor SymbolColor() const { return symbolColor_; }
    void SetSymbolColor(TColor color);
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor color);
    // picBMP, or with Match on also picEMF / picWMF (vector pictures). Without Match a
    // write sets picBMP and does not repaint.
    TPictures SymbolPicture() const { return symbolPicture_; }
    void SetSymbolPicture(TPictures picture);
    // False suspends drawing and the code events; writing true repaints once.
    bool SymbolEnabled() const { return symbolEnabled_; }
    void SetSymbolEnabled(bool on);
    // Build every symbol but draw nothing. Stored only.
    bool SymbolDebug() const { return symbolDebug_; }
    void SetSymbolDebug(bool on) { symbolDebug_ = on; }
    // True after a paint pass that drew every symbol.
    bool SymbolDisped() const { return symbolDisped_; }
    // Clear the picture after a pass that failed; switching it on clears at once when
    // the last pass failed.
    bool ClearOption() const { return clearOption_; }
    void SetClearOption(bool on);
    // Take every later text put on the clipboard as Code.
    bool ClipWatch() const { return clipWatch_; }
    void SetClipWatch(bool on);

    // In a form designer a Code write only stores and repaints, and BinaryOperation is
    // ignored. Off in a running program.
    bool DesignMode() const { return engine_.DesignMode(); }
    void SetDesignMode(bool on) { engine_.SetDesignMode(on); }

    TNotifyWatchEvent OnChangeCode;
    TNotifyWatchEvent OnPaintSymbol;
    TNotifyWatchEvent OnPaintedSymbol;
    TNotifyWatchEvent OnChangedCode;
    // The clipboard-change handler; ClipboardChanged unless replaced. Assigning it
    // joins or leaves the watch as ClipWatch asks. Joining the watch (this or ClipWatch
    // true) reports the clipboard as it stands once, at once, as a system clipboard
    // viewer chain does; ClipboardChanged lets that first report pass.
    const TNotifyEvent& OnClipboardChange() const { return onClipboardChange_; }
    void SetOnClipboardChange(TNotifyEvent handler);

    // The encode-and-draw pass over every symbol. Raises engine::EQRDivisionError when
    // the division is inconsistent.
    virtual void PaintSymbol();
    // Draws a set of symbols built elsewhere exactly as PaintSymbol would: takes
    // planned's text, symbol properties and division as the component's own (Column
    // and DesignMode stay), switches SymbolEnabled on and paints once from `modules`,
    // which hold planned's symbols at its version. Nothing is divided or built again;
    // a symbol missing from modules stops the pass as a failed build does.
    void PaintBuiltSymbols(const engine::TQRSymbolEngine& planned,
                           const engine::TSymbolModules& modules);
    // Empties the picture and resets SymbolDisped.
    virtual void Clear();
    // Puts the picture on the clipboard: a bitmap as an image, a vector picture as SVG
    // (picEMF) or PDF (picWMF) with a PNG rendering alongside.
    virtual void CopyToClipboard();
    // Writes the clipboard's text, if it holds any, to Code.
    virtual void PasteFromClipboard();
    virtual void Redraw();

    // The default clipboard-change handler: skips the notification that joining the
    // watch delivers, then pastes each change with Watch true.
    void ClipboardChanged(TQRCode* Sender);

    // The engine behind the properties (division, slices, the last built matrix).
    const engine::TQRSymbolEngine& Engine() const { return engine_; }
    // The symbols the last paint pass built, in its division: every symbol when
    // SymbolDisped is true. Pictures of what is shown are drawn from these, never from a
    // second build.
    const engine::TSymbolModules& ShownSymbols() const { return shown_; }
    // The finished bitmap; a null image when the picture is not a bitmap.
    QImage BitmapImage();
    // The finished vector picture; nullptr when the picture is not a metafile.
    const platform::TMetafile* MetafilePicture();

protected:
    virtual void DoChangeCode();
    virtual void DoPaintSymbol();
    virtual void DoPaintedSymbol();
    virtual void DoChangedCode();
    virtual void DoClipboardChange();

private:
    // One cell of the grid in a paint pass: symbol K (1-based), its top left corner
    // before the picture's turn, and its captions with their numbers.
    struct TCell {
        int K = 1;
        int X = 0;
        int Y = 0;
        std::string Up;
        std::string Down;
    };
    // Draws cell after cell from the top left of the block until a symbol fails; true
    // when every symbol was drawn.
    bool DrawCells(int blockLeft, int blockTop);
    // Draw the cell's symbol, built false when its data did not encode (the pass then
    // stops). A vector paint records into `recording`, begun at symbol 1, ended after the
    // last or at a failure. True when the symbol was drawn.
    bool DrawSymbolBitmap(const TCell& cell, bool built);
    bool DrawSymbolMetafile(const TCell& cell, bool built, platform::TCanvas*& recording);
    // Builds symbol k for the pass into the shown set, or finds it there when the set
    // was handed over.
    engine::TQRBuildResult BuildForPass(int k);
    void DrawModules(platform::TCanvas& canvas, const TCell& cell);
    void DrawComments(platform::TCanvas& canvas, const TCell& cell);
    void TransformPicture(int angle, bool mirrorFirst);
    void UpdateClipboardMembership();
    void ClipboardNotification();
    void RepaintIf(bool stored);

    engine::TQRSymbolEngine engine_;

    TNumbering numbering_ = nbrIfVoid;
    std::string commentUp_;
    std::string commentDown_;
    TLocation commentUpLoc_ = locLeft;
    TLocation commentDownLoc_ = locLeft;
    int symbolLeft_ = 0;
    int symbolTop_ = 0;
    int spaceUp_ = 0;
    int spaceDown_ = 0;
    int spaceLeft_ = 0;
    int spaceRight_ = 0;
    int angle_ = 0;
    bool reverse_ = false;
    bool match_ = false;
    TFont comFont_;
    bool transparent_ = false;
    TColor symbolColor_ = platform::clBlack;
    TColor backColor_ = platform::clWhite;
    TPictures symbolPicture_ = picBMP;
    bool symbolEnabled_ = true;
    bool symbolDebug_ = false;
    bool symbolDisped_ = false;
    bool clearOption_ = false;

    // The symbols of the last pass, as built (or handed over by PaintBuiltSymbols).
    engine::TSymbolModules shown_;
    // True while PaintBuiltSymbols's pass draws the set it was given.
    bool handed_ = false;

    // Clipboard watch.
    bool clipWatch_ = false;
    bool inChain_ = false;
    bool skipNext_ = false;
    bool watch_ = false;
    TNotifyEvent onClipboardChange_;
    QMetaObject::Connection clipConnection_;
};

} // namespace qr
