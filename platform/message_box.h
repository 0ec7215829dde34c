// The one seam through which the program asks the user something or tells them of an
// error: modal message boxes and the application's standard error box. Tests install
// a handler that answers without a person.
#pragma once

#include <QString>
#include <functional>

namespace platform {

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

struct TMessageRequest {
    QString Text;
    QString Caption;
    MsgIcon Icon = MsgIcon::None;
    MsgButtons Buttons = MsgButtons::Ok;
    bool StandardError = false; // raised by the standard error box, not by a handler
};

using MessageHandler = std::function<MsgResult(const TMessageRequest&)>;

// Shows a modal message box and returns the button pressed. Closing the box without a
// button counts as Cancel, or as No when there is no Cancel button, or Ok for Ok alone.
MsgResult ShowMessage(const QString& text, const QString& caption, MsgIcon icon,
                      MsgButtons buttons = MsgButtons::Ok);

// The application's standard error box: the error's text, the program's name as the
// caption, an error icon and an OK button. The program goes on afterwards.
void ShowStandardError(const QString& text);

// Replaces the handler that answers message boxes (an empty handler restores the real
// dialogs) and returns the previous one. Used by tests and by headless runs.
MessageHandler SetMessageHandler(MessageHandler handler);

// RAII form for tests: installs a handler for one scope.
class ScopedMessageHandler {
public:
    explicit ScopedMessageHandler(MessageHandler handler)
        : previous_(SetMessageHandler(std::move(handler))) {}
    ~ScopedMessageHandler() { SetMessageHandler(std::move(previous_)); }
    ScopedMessageHandler(const ScopedMessageHandler&) = delete;
    ScopedMessageHandler& operator=(const ScopedMessageHandler&) = delete;

private:
    MessageHandler previous_;
};

} // namespace platform
