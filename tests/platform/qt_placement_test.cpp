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

TEST_F(Placement, RoundTripsTheNormalFrameAsEdges) {
    owned->resize(550, 640);
    owned->move(100, 120);
    platform::TWindowPlacement p = platform::GetWindowPlacement(*owned);
    EXPECT_EQ(p.ShowCmd, platform::swNormal);
    EXPECT_EQ(p.Left, 100);
    EXPECT_EQ(p.Top, 120);
    EXPECT_EQ(p.Right - p.Left, owned->frameGeometry().width());
    EXPECT_EQ(p.Bottom - p.Top, owned->frameGeometry().height());

    platform::TWindowPlacement moved = p;
    moved.Left = 40;
    moved.Top = 50;
    moved.Right = 40 + (p.Right - p.Left) + 30;
    moved.Bottom = 50 + (p.Bottom - p.Top) + 20;
    platform::SetWindowPlacement(*owned, moved);
    const platform::TWindowPlacement back = platform::GetWindowPlacement(*owned);
    EXPECT_EQ(back.Left, moved.Left);
    EXPECT_EQ(back.Top, moved.Top);
    EXPECT_EQ(back.Right, moved.Right);
    EXPECT_EQ(back.Bottom, moved.Bottom);
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
    EXPECT_EQ(owned->width(), 300 - (owned->frameGeometry().width() - owned->width()));
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
