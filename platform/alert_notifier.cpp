#include "platform/alert_notifier.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/link_label.h"

namespace platform {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// A service that has not answered by then is taken as absent and the popup shows.
constexpr int kServiceWaitMs = 3000;

// A running service, or one the bus starts on the first call.
bool ServiceAvailable(const QDBusConnection& bus) {
    if (!bus.isConnected() || !bus.interface()) return false;
    const QDBusReply<bool> running = bus.interface()->isServiceRegistered(kService);
    if (running.isValid() && running.value()) return true;
    const QDBusReply<QStringList> startable = bus.interface()->activatableServiceNames();
    return startable.isValid() && startable.value().contains(kService);
}

QDBusMessage NotificationCall(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

// Any click on the popup dismisses it, like a notification bubble.
class AlertPopup : public QFrame {
public:
    AlertPopup()
        : QFrame(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                              Qt::WindowDoesNotAcceptFocus) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_DeleteOnClose);
        setFrameShape(QFrame::Box);
        // The theme's tool-tip colours, the nearest thing a desktop has to a bubble,
        // with the text made readable on them whatever the theme chose.
        QPalette colours = QGuiApplication::palette();
        const QColor background = colours.color(QPalette::ToolTipBase);
        colours.setColor(QPalette::Window, background);
        colours.setColor(QPalette::WindowText,
                         ReadableOn(colours.color(QPalette::ToolTipText), background, 7.0));
        setPalette(colours);
        setAutoFillBackground(true);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        close();
    }

    // The flags ask the window system not to activate the popup; where it does all the
    // same (some compositors, Qt's offscreen platform), the window the user was typing
    // in gets the keyboard straight back.
    bool event(QEvent* event) override {
        if (event->type() == QEvent::WindowActivate && typingIn_) typingIn_->activateWindow();
        return QFrame::event(event);
    }

private:
    QPointer<QWidget> typingIn_ = QApplication::activeWindow();
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
    if (!SendToDesktop()) ShowPopup();
}

bool TAlertNotifier::SendToDesktop() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!ServiceAvailable(bus)) return false;
    if (!listening_) {
        listening_ = bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"),
                                 this, SLOT(NotificationClosed(uint, uint)));
    }
    if (!capabilitiesKnown_) {
        const QDBusReply<QStringList> capabilities = bus.call(
            NotificationCall(QStringLiteral("GetCapabilities")), QDBus::Block, kServiceWaitMs);
        if (!capabilities.isValid()) return false;
        bodyMarkup_ = capabilities.value().contains(QStringLiteral("body-markup"));
        capabilitiesKnown_ = true;
    }

    QString appName = QCoreApplication::applicationName();
    if (appName.isEmpty()) appName = QStringLiteral("Varoku");
    const QString desktopEntry = QGuiApplication::desktopFileName();
    QVariantMap hints;
    if (!desktopEntry.isEmpty()) hints.insert(QStringLiteral("desktop-entry"), desktopEntry);
    QDBusMessage call = NotificationCall(QStringLiteral("Notify"));
    // A service that reads markup in the body would take "<" in a name for a tag.
    call << appName << uint{0} << desktopEntry << (header_.isEmpty() ? appName : header_)
         << (bodyMarkup_ ? text_.trimmed().toHtmlEscaped() : text_.trimmed()) << QStringList()
         << hints << duration_;

    route_ = arDesktop;
    desktopShowing_ = true;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this] { desktopShowing_ = false; });
    timer->start(duration_);
    desktopTimer_ = timer;

    const int alert = shown_;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kServiceWaitMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, alert](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusPendingReply<uint> reply = *answered;
                if (alert != shown_ || route_ != arDesktop) {
                    // Replaced or closed before the service named it: close it there too.
                    if (reply.isValid())
                        QDBusConnection::sessionBus().asyncCall(
                            NotificationCall(QStringLiteral("CloseNotification")) << reply.value());
                    return;
                }
                if (reply.isValid()) {
                    notification_ = reply.value();
                    return;
                }
                delete desktopTimer_.data();
                desktopShowing_ = false;
                ShowPopup();
            });
    return true;
}

void TAlertNotifier::NotificationClosed(uint id, uint) {
    if (id != 0 && id == notification_) {
        notification_ = 0;
        desktopShowing_ = false;
    }
}

void TAlertNotifier::ShowPopup() {
    route_ = arPopup;
    auto* popup = new AlertPopup;
    auto* layout = new QVBoxLayout(popup);
    layout->setContentsMargins(14, 10, 14, 10);
    if (!header_.isEmpty()) {
        auto* title = new QLabel(header_, popup);
        title->setFont(headerFont_);
        layout->addWidget(title);
    }
    auto* body = new QLabel(text_, popup);
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
    if (notification_ != 0) {
        QDBusConnection::sessionBus().asyncCall(
            NotificationCall(QStringLiteral("CloseNotification")) << notification_);
        notification_ = 0;
    }
    delete desktopTimer_.data();
    desktopShowing_ = false;
    if (route_ == arDesktop) route_ = arNone;
}

bool TAlertNotifier::IsShowing() const {
    return desktopShowing_ || (popup_ && popup_->isVisible());
}

void TAlertNotifier::SetDuration(int milliseconds) {
    if (milliseconds >= 1) duration_ = milliseconds;
}

QWidget* TAlertNotifier::Popup() const {
    return popup_;
}

} // namespace platform
