// SIGTERM, SIGINT and SIGHUP close a window as the user would, so a logout or a kill
// from a script still saves the settings and the message. Open modal boxes are closed
// first, each as its cancel button would.
#pragma once

class QWidget;

namespace platform {

// Installs the handlers once; the signal is carried through a pipe to the event loop,
// where `window` is closed. Later calls change the window.
void CloseOnTerminationSignals(QWidget* window);

// True from a termination signal until its window has closed: no box may wait for an
// answer then (ShowMessage answers as a box closed without a button would).
bool TerminationRequested();

} // namespace platform
