// The placement record taken from and given to a real window.
#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <memory>
#include <gtest/gtest.h>

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
    EXPECT_EQ(p.showCmd, platform::swNormal);
    EXPECT_EQ(p.left, 100);
    EXPECT_EQ(p.top, 120);
    EXPECT_EQ(p.right - p.left, owned->frameGeometry().width());
    EXPECT_EQ(p.bottom - p.top, owned->frameGeometry().height());

    platform::TWindowPlacement moved = p;
    moved.left = 40;
    moved.top = 50;
    moved.right = 40 + (p.right - p.left) + 30;
    moved.bottom = 50 + (p.bottom - p.top) + 20;
    platform::SetWindowPlacement(*owned, moved);
    const platform::TWindowPlacement back = platform::GetWindowPlacement(*owned);
    EXPECT_EQ(back.left, moved.left);
    EXPECT_EQ(back.top, moved.top);
    EXPECT_EQ(back.right, moved.right);
    EXPECT_EQ(back.bottom, moved.bottom);
}

TEST_F(Placement, FrameOnNoScreenIsBroughtBack) {
    platform::TWindowPlacement p = platform::GetWindowPlacement(*owned);
    p.left = -30000;
    p.top = -30000;
    p.right = p.left + 300;
    p.bottom = p.top + 200;
    platform::SetWindowPlacement(*owned, p);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.intersects(owned->frameGeometry()));
    EXPECT_EQ(owned->width(), 300 - (owned->frameGeometry().width() - owned->width()));
}

TEST_F(Placement, ShowStatesOpenTheWindowNeverAsAnIcon) {
    struct Row { int showCmd; int flags; bool maximised; };
    const Row rows[] = {
        {platform::swNormal, 0, false},
        {platform::swMaximized, 0, true},
        {platform::swMinimized, 0, false},
        {platform::swMinimized, platform::kPlacementRestoreToMaximized, true},
        {platform::swHide, 0, false},
    };
    for (const Row& row : rows) {
        platform::TWindowPlacement p = platform::GetWindowPlacement(*owned);
        p.showCmd = row.showCmd;
        p.flags = row.flags;
        platform::SetWindowPlacement(*owned, p);
        EXPECT_EQ(owned->isMaximized(), row.maximised) << row.showCmd << "/" << row.flags;
        EXPECT_FALSE(owned->isMinimized());
        EXPECT_EQ(platform::GetWindowPlacement(*owned).showCmd,
                  row.maximised ? platform::swMaximized : platform::swNormal);
    }
}

TEST_F(Placement, EmptyFrameKeepsTheGeometry) {
    owned->resize(333, 222);
    const QRect before = owned->geometry();
    platform::TWindowPlacement p{};  // a settings file without the keys
    p.right = p.left;
    platform::SetWindowPlacement(*owned, p);
    EXPECT_EQ(owned->geometry(), before);
}

}  // namespace
