// A caption that opens a web address in the user's browser when clicked: blue and
// underlined, red under the mouse and while pressed. Only http and https addresses
// ever reach the browser, whatever text the address came from.
#pragma once

#include <QColor>
#include <QLabel>
#include <QString>
#include <QUrl>

#include <functional>

namespace platform {

// The web address a link text stands for: the text itself when it names a scheme
// ("://"), otherwise the text with "http://" in front. Returns an invalid QUrl for
// anything a browser should not be handed: other schemes (file:, javascript:,
// mailto:, data: ...), an empty or malformed host, an empty text.
QUrl BrowsableUrl(const QString& text);

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

    // The address a click opens; when empty, the caption is taken as the address.
    const QString& URL() const { return url_; }
    void SetURL(const QString& url) { url_ = url; }

    // What a click would open now; invalid when the address is refused.
    QUrl TargetUrl() const;

    // Opens TargetUrl() in the browser. False when the address is refused or no
    // browser could be started.
    bool Open();

    // The caption's colour now: blue at rest, red under the mouse or while pressed.
    QColor CaptionColor() const;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Repaint();

    QString url_;
    bool hovered_ = false;
    bool pressed_ = false;
};

} // namespace platform
