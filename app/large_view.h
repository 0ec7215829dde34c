// TLargeView, the window that shows the code large enough for a phone's camera: one
// symbol at a time, black on white with its quiet zone, each module a whole number of
// device pixels, and the symbol's place in a linked set ("2 / 4").
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "qr/engine/symbol_modules.h"

class QLabel;

namespace qr {
class TQRCode;
}

class TLargeView : public QWidget {
    Q_OBJECT
public:
    // Shows `shown`'s symbols; `shown` must outlive the view (the main window owns both).
    explicit TLargeView(const qr::TQRCode& shown, QWidget* parent = nullptr);
    ~TLargeView() override;

    // Takes the shown code again when it changed: a new text starts at its first symbol,
    // a picture that went away leaves a note in its place.
    void Follow();

    // The symbol on show (1-based) and the number of symbols; 0 and 0 with no code.
    int Current() const { return current_; }
    int Count() const;
    // Next and previous go round: after the last symbol comes the first.
    void ShowNext();
    void ShowPrevious();
    // Device pixels per module at the present size.
    int ModulePixels() const;

    QLabel* NumberLabel = nullptr;
    QLabel* HintLabel = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ShowSymbol(int s);
    QRect SymbolArea() const;

    const qr::TQRCode& shown_;
    // A copy of the symbols shown when the view last followed the window: painting
    // needs no encoding, and the view keeps its symbol while the window redraws.
    qr::engine::TSymbolModules symbols_;
    std::string code_;
    int current_ = 0;
};
