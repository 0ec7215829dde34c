#include "platform/link_label.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QRegularExpression>

namespace platform {
namespace {

UrlOpener& Opener() {
    static UrlOpener opener;
    return opener;
}

bool IsWebScheme(const QString& scheme) {
    return scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 ||
           scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

} // namespace

QUrl BrowsableUrl(const QString& text) {
    QString address = text.trimmed();
    if (address.isEmpty()) return {};
    if (!address.contains(QLatin1String("://"))) {
        // "host:8080/page" is a bare address with a port, but "javascript:..." or
        // "file:/etc/passwd" name a scheme of their own: putting "http://" in front of
        // those would only disguise them.
        static const QRegularExpression schemeLike(
            QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]*:(?![0-9]+(/|$))"));
        if (schemeLike.match(address).hasMatch()) return {};
        address.prepend(QLatin1String("http://"));
    }
    const QUrl url(address, QUrl::TolerantMode);
    if (!url.isValid() || !IsWebScheme(url.scheme()) || url.host().isEmpty()) return {};
    return url;
}

UrlOpener SetUrlOpener(UrlOpener opener) {
    UrlOpener previous = std::move(Opener());
    Opener() = std::move(opener);
    return previous;
}

TLinkLabel::TLinkLabel(QWidget* parent) : TLinkLabel(QString(), parent) {}

TLinkLabel::TLinkLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setTextInteractionFlags(Qt::NoTextInteraction);
    Repaint();
}

QUrl TLinkLabel::TargetUrl() const {
    return BrowsableUrl(url_.isEmpty() ? text() : url_);
}

bool TLinkLabel::Open() {
    const QUrl url = TargetUrl();
    if (!url.isValid()) return false;
    if (Opener()) return Opener()(url);
    return QDesktopServices::openUrl(url);
}

QColor TLinkLabel::CaptionColor() const {
    return hovered_ || pressed_ ? QColor(Qt::red) : QColor(Qt::blue);
}

void TLinkLabel::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    Repaint();
    QLabel::enterEvent(event);
}

void TLinkLabel::leaveEvent(QEvent* event) {
    hovered_ = false;
    Repaint();
    QLabel::leaveEvent(event);
}

void TLinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        Repaint();
    }
    QLabel::mousePressEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        Repaint();
        // A press dragged off the caption and released elsewhere is not a click.
        if (rect().contains(event->position().toPoint())) Open();
    }
    QLabel::mouseReleaseEvent(event);
}

void TLinkLabel::Repaint() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, CaptionColor());
    setPalette(colours);
}

} // namespace platform
