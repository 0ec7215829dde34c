// The desktop alert: a small frameless popup near the corner of the screen that tells
// the user something went well and goes away by itself.
#pragma once

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>

class QFrame;
class QLabel;
class QTimer;

namespace platform {

class TAlertNotifier : public QObject {
    Q_OBJECT
public:
    explicit TAlertNotifier(QObject* parent = nullptr);
    ~TAlertNotifier() override;

    // Closes an alert still showing at once, then shows a new one. The header line is
    // left out when empty. The popup never takes the keyboard focus.
    void Show(const QString& header, const QString& text);
    void Close();

    bool IsShowing() const;
    QString Header() const { return header_; }
    QString Text() const { return text_; }
    // Alerts shown since creation; lets a caller tell a new alert from an old one.
    int ShownCount() const { return shown_; }

    // How long an alert stays, in milliseconds (at least 1; default 4000).
    int Duration() const { return duration_; }
    void SetDuration(int milliseconds);

    void SetTextFont(const QFont& font) { textFont_ = font; }
    void SetHeaderFont(const QFont& font) { headerFont_ = font; }

    // The popup now showing, or null.
    QWidget* Popup() const;

private:
    QPointer<QFrame> popup_;
    QString header_;
    QString text_;
    int shown_ = 0;
    int duration_ = 4000;
    QFont textFont_;
    QFont headerFont_;
};

} // namespace platform
