#include "platform/alert_notifier.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace platform {
namespace {

// Any click on the popup dismisses it, like a notification bubble.
class AlertPopup : public QFrame {
public:
    AlertPopup()
        : QFrame(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                              Qt::WindowDoesNotAcceptFocus) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_DeleteOnClose);
        setFrameShape(QFrame::Box);
        setStyleSheet(QStringLiteral(
            "QFrame { background: #fffbe6; color: #202020; border: 1px solid #8a7a3a; }"
            "QLabel { border: none; }"));
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        close();
    }
};

} // namespace

TAlertNotifier::TAlertNotifier(QObject* parent) : QObject(parent) {
    headerFont_.setBold(true);
}

TAlertNotifier::~TAlertNotifier() {
    Close();
}

void TAlertNotifier::Show(const QString& header, const QString& text) {
    Close();
    header_ = header;
    text_ = text;
    ++shown_;

    auto* popup = new AlertPopup;
    auto* layout = new QVBoxLayout(popup);
    layout->setContentsMargins(14, 10, 14, 10);
    if (!header.isEmpty()) {
        auto* title = new QLabel(header, popup);
        title->setFont(headerFont_);
        layout->addWidget(title);
    }
    auto* body = new QLabel(text, popup);
    body->setFont(textFont_);
    body->setTextFormat(Qt::PlainText);
    layout->addWidget(body);
    popup->adjustSize();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        popup->move(area.right() - popup->width() - 16, area.bottom() - popup->height() - 16);
    }
    // The timer belongs to the popup, so an alert closed early takes its timer along.
    auto* timer = new QTimer(popup);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, popup, &QWidget::close);
    timer->start(duration_);
    popup_ = popup;
    popup->show();
}

void TAlertNotifier::Close() {
    if (popup_) {
        // Deleted at once, not later: the next alert must find no trace of this one.
        delete popup_.data();
    }
}

bool TAlertNotifier::IsShowing() const {
    return popup_ && popup_->isVisible();
}

void TAlertNotifier::SetDuration(int milliseconds) {
    if (milliseconds >= 1) duration_ = milliseconds;
}

QWidget* TAlertNotifier::Popup() const {
    return popup_;
}

} // namespace platform
