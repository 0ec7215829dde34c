// SIGTERM, SIGINT and SIGHUP close a window as the user would, so a logout or a kill
// from a script still saves the settings and the message.
#pragma once

class QWidget;

namespace platform {

// Installs the handlers once; the signal is carried through a pipe to the event loop,
// where `window` is closed. Later calls change the window.
void CloseOnTerminationSignals(QWidget* window);

} // namespace platform
