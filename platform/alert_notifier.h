// The desktop alert: a notification through the desktop's notification service
// (org.freedesktop.Notifications on the session bus), so it reaches the history and
// respects do-not-disturb; where no service answers, a small frameless popup near the
// corner of the screen. Either goes away by itself.
#pragma once

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>

class QFrame;
class QLabel;
class QTimer;

namespace platform {

// Where an alert went.
enum TAlertRoute { arNone, arDesktop, arPopup };

class TAlertNotifier : public QObject {
    Q_OBJECT
public:
    explicit TAlertNotifier(QObject* parent = nullptr);
    ~TAlertNotifier() override;

    // Closes an alert still showing at once, then shows a new one. The header line is
    // left out when empty (the program's name heads a desktop notification instead).
    // The popup never takes the keyboard focus. The notification service is asked
    // without waiting; should it refuse or not answer, the popup follows.
    void Show(const QString& header, const QString& text);
    void Close();

    bool IsShowing() const;
    QString Header() const { return header_; }
    QString Text() const { return text_; }
    // Alerts shown since creation; lets a caller tell a new alert from an old one.
    int ShownCount() const { return shown_; }
    // Where the last alert went: arDesktop once the service has been asked (and while
    // it has not refused), arPopup for the popup.
    TAlertRoute Route() const { return route_; }

    // How long an alert stays, in milliseconds (at least 1; default 4000).
    int Duration() const { return duration_; }
    void SetDuration(int milliseconds);

    void SetTextFont(const QFont& font) { textFont_ = font; }
    void SetHeaderFont(const QFont& font) { headerFont_ = font; }

    // The popup now showing, or null.
    QWidget* Popup() const;

private slots:
    void NotificationClosed(uint id, uint reason);

private:
    bool SendToDesktop();
    void ShowPopup();

    QPointer<QFrame> popup_;
    QPointer<QTimer> desktopTimer_;
    QString header_;
    QString text_;
    int shown_ = 0;
    int duration_ = 4000;
    TAlertRoute route_ = arNone;
    uint notification_ = 0; // the service's id for the alert showing there, 0 for none
    bool desktopShowing_ = false;
    bool listening_ = false;
    bool capabilitiesKnown_ = false;
    bool bodyMarkup_ = false;
    QFont textFont_;
    QFont headerFont_;
};

} // namespace platform
