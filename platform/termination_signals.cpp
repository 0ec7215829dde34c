#include "platform/termination_signals.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

int writeEnd = -1;
QPointer<QWidget> target;

void OnSignal(int) {
    const char byte = 1;
    // Only async-signal-safe calls here; a full pipe already carries a pending close.
    [[maybe_unused]] const ssize_t n = ::write(writeEnd, &byte, 1);
}

} // namespace

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
        if (target) target->close();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

} // namespace platform
