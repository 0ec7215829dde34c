#include "platform/placement_qt.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace platform {
namespace {

// Width and height the window manager adds around the client area; zero until the
// window has a frame.
QSize FrameExtra(const QWidget& window) {
    const QSize extra = window.frameGeometry().size() - window.geometry().size();
    return {std::max(extra.width(), 0), std::max(extra.height(), 0)};
}

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

    // pos() is the frame's corner while size() is the client's; the normal geometry is
    // the client rectangle of the restored window.
    const bool normal =
        !(state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    const QRect client = normal ? window.geometry() : window.normalGeometry();
    const QPoint frameOffset = window.geometry().topLeft() - window.frameGeometry().topLeft();
    const QPoint corner = normal ? window.pos() : client.topLeft() - frameOffset;
    const QSize frame = client.size() + FrameExtra(window);
    placement.Left = corner.x();
    placement.Top = corner.y();
    placement.Right = corner.x() + frame.width();
    placement.Bottom = corner.y() + frame.height();
    return placement;
}

void SetWindowPlacement(QWidget& window, const TWindowPlacement& placement) {
    if (placement.Right > placement.Left && placement.Bottom > placement.Top) {
        const QSize extra = FrameExtra(window);
        QRect frame(placement.Left, placement.Top, placement.Right - placement.Left,
                    placement.Bottom - placement.Top);
        if (!OnSomeScreen(frame)) {
            if (const QScreen* screen = QGuiApplication::primaryScreen()) {
                frame.moveCenter(screen->availableGeometry().center());
            }
        }
        window.setWindowState(window.windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
        window.resize(frame.size() - extra);
        window.move(frame.topLeft());
    }
    const bool maximise =
        placement.ShowCmd == swMaximized ||
        (placement.ShowCmd == swMinimized && (placement.Flags & kPlacementRestoreToMaximized) != 0);
    if (maximise)
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
}

} // namespace platform
