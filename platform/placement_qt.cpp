#include "platform/placement_qt.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace platform {
namespace {

bool OnSomeScreen(const QRect& frame) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(frame)) return true;
    }
    return false;
}

} // namespace

TWindowPlacement GetWindowPlacement(const QWidget& window) {
    TWindowPlacement placement;
    const Qt::WindowStates state = window.windowState();
    if (state & Qt::WindowMinimized) {
        placement.ShowCmd = swMinimized;
        if (state & Qt::WindowMaximized) placement.Flags |= kPlacementRestoreToMaximized;
    } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        placement.ShowCmd = swMaximized;
    } else {
        placement.ShowCmd = window.isVisible() ? swNormal : swHide;
    }

    // The inside area, not the frame: it is what setGeometry takes back, and a window
    // manager's frame is not known before the window is mapped. Storing the frame and
    // applying it to the inside made the window creep by the frame on every restart.
    const bool normal =
        !(state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    const QRect client = normal ? window.geometry() : window.normalGeometry();
    placement.Left = client.left();
    placement.Top = client.top();
    placement.Right = client.left() + client.width();
    placement.Bottom = client.top() + client.height();
    return placement;
}

void SetWindowPlacement(QWidget& window, const TWindowPlacement& placement) {
    if (placement.Right > placement.Left && placement.Bottom > placement.Top) {
        QRect client(placement.Left, placement.Top, placement.Right - placement.Left,
                     placement.Bottom - placement.Top);
        if (!OnSomeScreen(client)) {
            if (const QScreen* screen = QGuiApplication::primaryScreen()) {
                client.moveCenter(screen->availableGeometry().center());
            }
        }
        window.setWindowState(window.windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
        window.setGeometry(client);
    }
    const bool maximise =
        placement.ShowCmd == swMaximized ||
        (placement.ShowCmd == swMinimized && (placement.Flags & kPlacementRestoreToMaximized) != 0);
    if (maximise)
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
}

} // namespace platform
