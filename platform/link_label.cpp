#include "platform/link_label.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

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

double Luminance(const QColor& colour) {
    const auto channel = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& wanted, const QColor& background, double ratio) {
    if (ContrastRatio(wanted, background) >= ratio) return wanted;
    // Towards black on a background that black contrasts with more, towards white
    // otherwise; one of the two always reaches 4.5:1.
    const bool darken =
        ContrastRatio(Qt::black, background) >= ContrastRatio(Qt::white, background);
    const QColor hsl = wanted.toHsl();
    const float hue = hsl.hslHueF();
    const float saturation = hsl.hslSaturationF();
    float lightness = hsl.lightnessF();
    for (int step = 0; step < 256; ++step) {
        lightness = std::clamp(lightness + (darken ? -1.0f : 1.0f) / 255.0f, 0.0f, 1.0f);
        const QColor candidate = QColor::fromHslF(hue, saturation, lightness).toRgb();
        if (ContrastRatio(candidate, background) >= ratio) return candidate;
    }
    return darken ? QColor(Qt::black) : QColor(Qt::white);
}

QColor NoteColor(const QPalette& palette) {
    return ReadableOn(QColor(Qt::red), palette.color(QPalette::Window));
}

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
    SetURL(QString());
    Repaint();
}

void TLinkLabel::SetURL(const QString& url) {
    url_ = url;
    const QUrl target = TargetUrl();
    setToolTip(target.isValid() ? target.toDisplayString() : QString());
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
    // The widget's own palette carries the caption colour; the parent's says what the
    // caption is drawn on and what link colour the theme wants.
    const QPalette theme = parentWidget() ? parentWidget()->palette() : QGuiApplication::palette();
    const QColor background = theme.color(QPalette::Window);
    return hovered_ || pressed_ ? NoteColor(theme)
                                : ReadableOn(theme.color(QPalette::Link), background);
}

void TLinkLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    // A caption moved onto another panel reads on that panel's colours.
    const bool theme =
        event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange;
    if (theme && !repainting_) Repaint();
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
    repainting_ = true;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, CaptionColor());
    setPalette(colours);
    repainting_ = false;
}

TNoteLabel::TNoteLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    Recolour();
}

void TNoteLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    const bool theme =
        event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange;
    if (theme && !recolouring_) Recolour();
}

void TNoteLabel::Recolour() {
    recolouring_ = true;
    const QPalette theme = parentWidget() ? parentWidget()->palette() : QGuiApplication::palette();
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, NoteColor(theme));
    setPalette(colours);
    recolouring_ = false;
}

} // namespace platform
