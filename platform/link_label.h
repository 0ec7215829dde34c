// A caption that opens a web address in the user's browser when clicked: in the
// palette's link colour and underlined, red under the mouse and while pressed, its
// target in the tool tip. Only http and https addresses ever reach the browser,
// whatever text the address came from. With it, the red note caption and the contrast
// rule both follow: every caption colour is made readable on the palette it sits on.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QString>
#include <QUrl>

#include <functional>

namespace platform {

// The web address a link text stands for: the text itself when it names a scheme
// ("://"), otherwise the text with "http://" in front. Returns an invalid QUrl for
// anything a browser should not be handed: other schemes (file:, javascript:,
// mailto:, data: ...), an empty or malformed host, an empty text.
QUrl BrowsableUrl(const QString& text);

// The contrast ratio of two colours as the web's accessibility guidelines define it:
// from 1 (the same luminance) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// The colour nearest `wanted` in lightness, hue and saturation kept, whose contrast with
// `background` reaches `ratio` (made darker on a light background, lighter on a dark
// one); `wanted` itself when it already does.
QColor ReadableOn(const QColor& wanted, const QColor& background, double ratio = 4.5);

// The warning red for text on `palette`'s window colour.
QColor NoteColor(const QPalette& palette);

// Hands an address to the browser; returns false when nothing could be started.
using UrlOpener = std::function<bool(const QUrl&)>;

// Replaces the way addresses reach the browser (an empty opener restores the desktop's
// default browser) and returns the previous one. Tests use it to see what was opened.
UrlOpener SetUrlOpener(UrlOpener opener);

class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(QWidget* parent = nullptr);
    TLinkLabel(const QString& caption, QWidget* parent = nullptr);

    // The address a click opens; when empty, the caption is taken as the address. The
    // tool tip shows what a click would open (nothing when the address is refused).
    const QString& URL() const { return url_; }
    void SetURL(const QString& url);

    // What a click would open now; invalid when the address is refused.
    QUrl TargetUrl() const;

    // Opens TargetUrl() in the browser. False when the address is refused or no
    // browser could be started.
    bool Open();

    // The caption's colour now: the palette's link colour at rest, red under the mouse
    // or while pressed, each made readable on the palette's window colour.
    QColor CaptionColor() const;

protected:
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Repaint();

    QString url_;
    bool hovered_ = false;
    bool pressed_ = false;
    bool repainting_ = false;
};

// A caption in the warning red, readable on light and dark palettes alike, which
// follows the palette when the desktop's theme changes.
class TNoteLabel : public QLabel {
    Q_OBJECT
public:
    TNoteLabel(const QString& caption, QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void Recolour();
    bool recolouring_ = false;
};

} // namespace platform
