#include "platform/termination_signals.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

int writeEnd = -1;
QPointer<QWidget> target;
bool terminating = false;

// A modal box runs its own event loop, and the window cannot close under it: each open
// box is closed as its cancel button would close it, and the window once none is left.
void CloseBoxesThenWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        QTimer::singleShot(0, CloseBoxesThenWindow);
        return;
    }
    if (target) {
        target->close();
    } else {
        QCoreApplication::quit();
    }
    terminating = false;
}

void OnSignal(int) {
    const char byte = 1;
    // Only async-signal-safe calls here; a full pipe already carries a pending close.
    [[maybe_unused]] const ssize_t n = ::write(writeEnd, &byte, 1);
}

} // namespace

bool TerminationRequested() {
    return terminating;
}

void CloseOnTerminationSignals(QWidget* window) {
    target = window;
    if (writeEnd >= 0) return;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    writeEnd = fds[1];
    auto* notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, [readEnd = fds[0]] {
        char buffer[16];
        while (::read(readEnd, buffer, sizeof buffer) > 0) {
        }
        if (terminating) return;
        terminating = true;
        CloseBoxesThenWindow();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

} // namespace platform
