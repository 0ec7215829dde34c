// The widget stand-ins the main window is built from: radio group, lamp, stay-down
// button and the desktop alert.
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "platform/alert_notifier.h"
#include "platform/lamp.h"
#include "platform/radio_group.h"
#include "platform/stay_down_button.h"
#include "tests/support/qt_app.h"

namespace {

class WidgetStandIns : public ::testing::Test {
protected:
    void SetUp() override { test_support::EnsureQtApp(); }
};

TEST_F(WidgetStandIns, RadioGroupClampsIndexAndReportsOnlyChanges) {
    platform::TRadioGroup group(QStringLiteral(" 携帯メーカー "));
    group.SetItems({"Docomo", "Softbank", "AU"});
    int clicks = 0;
    QObject::connect(&group, &platform::TRadioGroup::Click, [&] { ++clicks; });

    struct Row {
        int write;
        int index;
        int clicks;
    };
    const Row rows[] = {
        {0, 0, 1},   {0, 0, 1}, // the same value again is no change
        {2, 2, 2},   {7, 2, 2}, // clamped to the last button: unchanged, no click
        {-5, -1, 3}, {1, 1, 4},
    };
    for (const Row& row : rows) {
        group.SetItemIndex(row.write);
        EXPECT_EQ(group.ItemIndex(), row.index) << "write " << row.write;
        EXPECT_EQ(clicks, row.clicks) << "write " << row.write;
    }
    EXPECT_TRUE(group.Button(1)->isChecked());
    EXPECT_FALSE(group.Button(0)->isChecked());
}

TEST_F(WidgetStandIns, RadioGroupKeepsIndexWhenItemsChangeWithoutClick) {
    platform::TRadioGroup group(QStringLiteral("g"));
    group.SetItems({"a", "b", "c"});
    group.SetItemIndex(2);
    int clicks = 0;
    QObject::connect(&group, &platform::TRadioGroup::Click, [&] { ++clicks; });

    group.show();
    group.SetItems({"a", "b", "c", "d"});
    EXPECT_EQ(group.ItemIndex(), 2);
    EXPECT_TRUE(group.Button(3)->isVisible()); // made while the group is on screen
    EXPECT_TRUE(group.Button(2)->isChecked());
    EXPECT_EQ(group.Button(3)->text(), "d");

    group.SetItems({"x", "y"});
    EXPECT_EQ(group.ItemIndex(), 1);
    EXPECT_TRUE(group.Button(1)->isChecked());
    EXPECT_EQ(group.Button(2), nullptr);
    EXPECT_EQ(clicks, 0);
}

TEST_F(WidgetStandIns, RadioGroupUserClickSelectsAndSecondClickKeepsIt) {
    platform::TRadioGroup group(QStringLiteral("g"));
    group.SetItems({"a", "b"});
    group.SetItemIndex(0);
    int clicks = 0;
    QObject::connect(&group, &platform::TRadioGroup::Click, [&] { ++clicks; });

    group.Button(1)->click();
    EXPECT_EQ(group.ItemIndex(), 1);
    EXPECT_FALSE(group.Button(0)->isChecked());
    group.Button(1)->click();
    EXPECT_EQ(group.ItemIndex(), 1);
    EXPECT_TRUE(group.Button(1)->isChecked());
    EXPECT_EQ(clicks, 1);
}

TEST_F(WidgetStandIns, LampShowsGreenWhenLitAndRedWhenOff) {
    platform::TLamp lamp;
    EXPECT_TRUE(lamp.Lit());
    const QColor lit = lamp.Color();
    EXPECT_GT(lit.green(), lit.red());
    lamp.SetLit(false);
    EXPECT_GT(lamp.Color().red(), lamp.Color().green());

    // What is painted follows the state, not just the accessor.
    lamp.resize(lamp.sizeHint());
    const QImage shot = lamp.grab().toImage();
    const QColor centre = shot.pixelColor(shot.width() / 2, shot.height() / 2);
    EXPECT_GT(centre.red(), centre.green());
}

TEST_F(WidgetStandIns, StayDownButtonReportsUserPressesAfterTheChangeOnly) {
    platform::TStayDownButton button(QStringLiteral("R/W"));
    std::vector<bool> seen;
    QObject::connect(&button, &QPushButton::clicked, [&] { seen.push_back(button.Down()); });

    button.SetDown(true);
    EXPECT_TRUE(button.Down());
    EXPECT_TRUE(seen.empty());

    button.click(); // released by pressing again
    button.click();
    EXPECT_EQ(seen, (std::vector<bool>{false, true}));
    button.SetDown(false);
    EXPECT_FALSE(button.Down());
    EXPECT_EQ(seen.size(), 2u);
}

// Runs the event loop until `done` holds; the deadline only guards against a hang.
template <typename Pred> bool SpinUntil(Pred done) {
    QElapsedTimer guard;
    guard.start();
    while (!done() && guard.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST_F(WidgetStandIns, AlertIsReplacedAtOnceByTheNext) {
    platform::TAlertNotifier alert;
    alert.Show(QString(), QStringLiteral(" QR コードを作成しました。"));
    QPointer<QWidget> first = alert.Popup();
    ASSERT_TRUE(first);
    EXPECT_TRUE(alert.IsShowing());
    EXPECT_TRUE((first->windowFlags() & Qt::FramelessWindowHint) != 0);

    alert.Show(QString(), QStringLiteral("ファイルを読み込みました。"));
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(alert.Text(), QStringLiteral("ファイルを読み込みました。"));
    EXPECT_EQ(alert.ShownCount(), 2);
    EXPECT_TRUE(alert.IsShowing());

    alert.Close();
    EXPECT_FALSE(alert.IsShowing());
}

TEST_F(WidgetStandIns, AlertClosesItself) {
    platform::TAlertNotifier alert;
    alert.SetDuration(0); // refused: an alert must stay long enough to be seen
    EXPECT_EQ(alert.Duration(), 4000);
    alert.SetDuration(30);
    alert.Show(QStringLiteral("head"), QStringLiteral("text"));
    QPointer<QWidget> popup = alert.Popup();
    EXPECT_TRUE(alert.IsShowing());
    EXPECT_TRUE(SpinUntil([&] { return !alert.IsShowing(); }));
    EXPECT_TRUE(SpinUntil([&] { return popup.isNull(); }));
}

} // namespace
