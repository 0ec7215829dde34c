#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/termination_signals.h"

namespace platform {
namespace {

MessageHandler& Handler() {
    static MessageHandler handler;
    return handler;
}

QMessageBox::Icon ToQt(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The answer of a box closed without a button.
MsgResult Unanswered(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgResult::Ok;
    case MsgButtons::YesNo:
        return MsgResult::No;
    default:
        return MsgResult::Cancel;
    }
}

MsgResult RunDialog(const TMessageRequest& request) {
    QMessageBox box(ToQt(request.Icon), request.Caption, request.Text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    switch (request.Buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MsgResult::Ok;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    default:
        break;
    }
    return Unanswered(request.Buttons);
}

} // namespace

MsgResult ShowMessage(const QString& text, const QString& caption, MsgIcon icon,
                      MsgButtons buttons) {
    // The program is being ended: a box would only hold up the logout.
    if (TerminationRequested()) return Unanswered(buttons);
    TMessageRequest request{text, caption, icon, buttons, false};
    if (Handler()) return Handler()(request);
    return RunDialog(request);
}

void ShowStandardError(const QString& text) {
    const QString caption = QApplication::applicationName().isEmpty()
                                ? QStringLiteral("Varoku")
                                : QApplication::applicationName();
    TMessageRequest request{text, caption, MsgIcon::Error, MsgButtons::Ok, true};
    if (TerminationRequested()) return;
    if (Handler()) {
        Handler()(request);
        return;
    }
    RunDialog(request);
}

MessageHandler SetMessageHandler(MessageHandler handler) {
    MessageHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

} // namespace platform
