// The placement record taken from and given to a real window.
#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

#include "platform/placement_qt.h"
#include "tests/support/qt_app.h"

namespace {

class Placement : public ::testing::Test {
protected:
    void SetUp() override {
        test_support::EnsureQtApp();
        owned = std::make_unique<QWidget>();
        owned->setMinimumSize(100, 100);
        owned->show();
    }
    std::unique_ptr<QWidget> owned;
};

TEST_F(Placement, RoundTripsTheInsideAreaAsEdgesOverRestarts) {
    owned->resize(550, 640);
    owned->move(100, 120);
    const platform::TWindowPlacement p = platform::GetWindowPlacement(*owned);
    EXPECT_EQ(p.ShowCmd, platform::swNormal);
    EXPECT_EQ(QRect(QPoint(p.Left, p.Top), QPoint(p.Right - 1, p.Bottom - 1)), owned->geometry());

    // Each restart is a new window, placed before it has a frame, as at start-up.
    platform::TWindowPlacement record = p;
    for (int restart = 0; restart < 10; ++restart) {
        QWidget next;
        next.setMinimumSize(100, 100);
        platform::SetWindowPlacement(next, record);
        next.show();
        QCoreApplication::processEvents();
        record = platform::GetWindowPlacement(next);
    }
    EXPECT_EQ(record.Left, p.Left);
    EXPECT_EQ(record.Top, p.Top);
    EXPECT_EQ(record.Right, p.Right);
    EXPECT_EQ(record.Bottom, p.Bottom);
}

TEST_F(Placement, FrameOnNoScreenIsBroughtBack) {
    platform::TWindowPlacement p = platform::GetWindowPlacement(*owned);
    p.Left = -30000;
    p.Top = -30000;
    p.Right = p.Left + 300;
    p.Bottom = p.Top + 200;
    platform::SetWindowPlacement(*owned, p);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.intersects(owned->frameGeometry()));
    EXPECT_EQ(owned->size(), QSize(300, 200));
}

TEST_F(Placement, ShowStatesOpenTheWindowNeverAsAnIcon) {
    struct Row {
        int showCmd;
        int flags;
        bool maximised;
    };
    const Row rows[] = {
        {platform::swNormal, 0, false},
        {platform::swMaximized, 0, true},
        {platform::swMinimized, 0, false},
        {platform::swMinimized, platform::kPlacementRestoreToMaximized, true},
        {platform::swHide, 0, false},
    };
    for (const Row& row : rows) {
        platform::TWindowPlacement p = platform::GetWindowPlacement(*owned);
        p.ShowCmd = row.showCmd;
        p.Flags = row.flags;
        platform::SetWindowPlacement(*owned, p);
        EXPECT_EQ(owned->isMaximized(), row.maximised) << row.showCmd << "/" << row.flags;
        EXPECT_FALSE(owned->isMinimized());
        EXPECT_EQ(platform::GetWindowPlacement(*owned).ShowCmd,
                  row.maximised ? platform::swMaximized : platform::swNormal);
    }
}

TEST_F(Placement, EmptyFrameKeepsTheGeometry) {
    owned->resize(333, 222);
    const QRect before = owned->geometry();
    platform::TWindowPlacement p{}; // a settings file without the keys
    p.Right = p.Left;
    platform::SetWindowPlacement(*owned, p);
    EXPECT_EQ(owned->geometry(), before);
}

} // namespace
