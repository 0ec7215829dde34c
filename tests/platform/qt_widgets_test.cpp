// The widget stand-ins the main window is built from: radio group, lamp, stay-down
// button and the desktop alert.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QElapsedTimer>
#include <QMutex>
#include <QPointer>
#include <QRadioButton>
#include <QThread>
#include <gtest/gtest.h>

#include <vector>

#include "platform/alert_notifier.h"
#include "platform/lamp.h"
#include "platform/link_label.h"
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

TEST_F(WidgetStandIns, AlertPopupTextReadsOnItsBackground) {
    platform::TAlertNotifier alert;
    alert.Show(QStringLiteral("head"), QStringLiteral("text"));
    ASSERT_TRUE(alert.Popup());
    const QPalette colours = alert.Popup()->palette();
    EXPECT_GE(platform::ContrastRatio(colours.color(QPalette::WindowText),
                                      colours.color(QPalette::Window)),
              4.5);
}

// The desktop's notification service, as much of it as an alert uses: it keeps what it
// is sent, and refuses every call while `refusing` is set.
class FakeNotifications : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Note {
        uint id;
        QString app, icon, summary, body;
        QVariantMap hints;
        int timeout;
    };
    std::vector<Note> Notes() const {
        QMutexLocker lock(&mutex_);
        return notes_;
    }
    std::vector<uint> Closed() const {
        QMutexLocker lock(&mutex_);
        return closed_;
    }
    std::atomic<bool> refusing{false};

public slots:
    QStringList GetCapabilities() {
        return {QStringLiteral("body"), QStringLiteral("body-markup")};
    }
    uint Notify(const QString& app, uint, const QString& icon, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap& hints, int timeout) {
        if (refusing) {
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("do not disturb"));
            return 0;
        }
        QMutexLocker lock(&mutex_);
        notes_.push_back(
            {static_cast<uint>(notes_.size() + 1), app, icon, summary, body, hints, timeout});
        return notes_.back().id;
    }
    void CloseNotification(uint id) {
        {
            QMutexLocker lock(&mutex_);
            closed_.push_back(id);
        }
        emit NotificationClosed(id, 3);
    }

signals:
    void NotificationClosed(uint id, uint reason);

private:
    mutable QMutex mutex_;
    std::vector<Note> notes_;
    std::vector<uint> closed_;
};

TEST_F(WidgetStandIns, AlertGoesToTheDesktopsNotificationService) {
    if (qgetenv("VAROKU_PRIVATE_BUS") != "1")
        GTEST_SKIP() << "needs its own session bus: run by dbus-run-session";
    QThread serviceThread;
    auto* service = new FakeNotifications;
    service->moveToThread(&serviceThread);
    serviceThread.start();
    QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-service"));
    bool registered = false;
    QMetaObject::invokeMethod(
        service,
        [&] {
            registered = bus.registerObject(
                             QStringLiteral("/org/freedesktop/Notifications"), service,
                             QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
                         bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
        },
        Qt::BlockingQueuedConnection);
    ASSERT_TRUE(registered);
    QGuiApplication::setDesktopFileName(QStringLiteral("jp.example.varoku.Varoku"));

    platform::TAlertNotifier alert;
    alert.Show(QString(), QStringLiteral(" 文章に<佐藤>を追加しました。"));
    EXPECT_EQ(alert.Route(), platform::arDesktop);
    EXPECT_EQ(alert.Popup(), nullptr);
    EXPECT_TRUE(alert.IsShowing());
    ASSERT_TRUE(SpinUntil([&] { return service->Notes().size() == 1; }));
    FakeNotifications::Note note = service->Notes()[0];
    EXPECT_EQ(note.app, QCoreApplication::applicationName());
    EXPECT_EQ(note.summary, QCoreApplication::applicationName());
    EXPECT_EQ(note.body, QStringLiteral("文章に&lt;佐藤&gt;を追加しました。"));
    EXPECT_EQ(note.icon, QStringLiteral("jp.example.varoku.Varoku"));
    EXPECT_EQ(note.hints.value(QStringLiteral("desktop-entry")).toString(),
              QStringLiteral("jp.example.varoku.Varoku"));
    EXPECT_EQ(note.timeout, alert.Duration());

    // The next alert takes the place of the first, there as on the screen.
    alert.Show(QStringLiteral("見出し"), QStringLiteral("二つ目"));
    ASSERT_TRUE(SpinUntil([&] { return service->Notes().size() == 2; }));
    EXPECT_TRUE(SpinUntil([&] { return service->Closed() == std::vector<uint>{1}; }));
    note = service->Notes()[1];
    EXPECT_EQ(note.summary, QStringLiteral("見出し"));
    EXPECT_EQ(note.body, QStringLiteral("二つ目"));
    // Closed by the service (the user dismissed it): no longer showing.
    EXPECT_TRUE(SpinUntil([&] {
        QMetaObject::invokeMethod(service, [service] { service->CloseNotification(2); });
        return !alert.IsShowing();
    }));

    // A service that refuses the alert, and then none at all: the popup shows it.
    service->refusing = true;
    alert.Show(QString(), QStringLiteral("三つ目"));
    EXPECT_TRUE(SpinUntil([&] { return alert.Popup() != nullptr; }));
    EXPECT_EQ(alert.Route(), platform::arPopup);
    bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    alert.Show(QString(), QStringLiteral("四つ目"));
    EXPECT_EQ(alert.Route(), platform::arPopup);
    ASSERT_TRUE(alert.Popup());
    EXPECT_TRUE(alert.IsShowing());
    EXPECT_EQ(service->Notes().size(), 2u);

    QDBusConnection::disconnectFromBus(QStringLiteral("fake-service"));
    serviceThread.quit();
    serviceThread.wait();
    delete service;
}

} // namespace

#include "qt_widgets_test.moc"
