// The window as a user sees it: its regions and sizes, the controls under their own
// names with their captions and hints, and no control covering or cutting another on
// any page.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "platform/alert_notifier.h"
#include "platform/lamp.h"
#include "platform/radio_group.h"
#include "platform/stay_down_button.h"
#include "qr/qr_code.h"
#include "tests/window/window_fixture.h"

namespace window_test {
namespace {

class Layout : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Start();
    }
};

TEST_F(Layout, RegionsHaveTheirSizes) {
    EXPECT_EQ(form->minimumWidth(), 550);
    EXPECT_EQ(form->width(), 550);
    EXPECT_GE(form->PageControl1->height(), 177);
    EXPECT_EQ(form->MailPanel->height(), 41);
    EXPECT_EQ(form->Panel2->height(), 32);
    EXPECT_EQ(form->StatusPanel[0]->width(), 350);
    EXPECT_EQ(form->StatusPanel[1]->width(), 125);
    EXPECT_TRUE(form->StatusPanel[1]->alignment() & Qt::AlignRight);
    // Top to bottom.
    EXPECT_LT(form->PageControl1->y(), form->MailPanel->y());
    EXPECT_LT(form->MailPanel->y(), form->MainPanel->y());
    EXPECT_LT(form->MainPanel->y(), form->Panel2->y());
    EXPECT_GT(form->sPage2->width(), form->Panel1->width());
    EXPECT_GT(form->Panel1->x(), form->sPage2->x());

    const QStringList pages{form->PageControl1->tabText(0), form->PageControl1->tabText(1),
                            form->PageControl1->tabText(2)};
    EXPECT_EQ(pages, (QStringList{"QR コード", "短文", "設定"}));
    // "&&" shows one "&" on the tab.
    EXPECT_EQ(form->sPage2->tabText(0), QStringLiteral("文章&& E-Mail 作成"));
    EXPECT_EQ(form->sPage2->tabText(1), QStringLiteral("住所登録"));
    EXPECT_EQ(form->sPage2->tabText(2), QStringLiteral("ブックマーク登録"));
}

TEST_F(Layout, ControlsGoByTheirNamesWithCaptionsAndHints) {
    struct Row {
        const char* name;
        const char* caption;
        const char* hint;
    };
    const Row rows[] = {
        {"Button1", "作成", "QR コードを作成します。"},
        {"BitBtn1", nullptr, "このソフトの情報を表示します。"},
        {"VchkBtn1", nullptr, "新しいバージョンが出てないか確認できます。"},
        {"MemClear1", "消去", "メッセージを消去します。"},
        {"NoticeBtn1", "お知らせ", nullptr},
        {"DocBtn1", "1", "文例を読込み＆保存を行います。"},
        {"DocBtn5", "5", "文例を読込み＆保存を行います。"},
        {"RWFlgBtn1", nullptr, "文例の保存モード＆読込みモードを切り替えます。"},
        {"RpBtn1", "<User>", "文章のカーソルの位置に<User>タグを挿入します。"},
        {"RepBtn1", "置換", "文章中の<User>タグとユーザー名を置き換えます。"},
        {"InsBtn2", "挿入", nullptr},
        {"NameEdit1", nullptr, "ユーザー名を入力します。"},
        {"MemoCheck1", "最後の文章を保存する", nullptr},
        {"ContactLink1", "お問い合わせはこちら", nullptr},
        {"CaraiaGroup1", " 携帯メーカー ", nullptr},
        {"SubjectGroup1", " Subject 空欄の処理 ", nullptr},
    };
    for (const Row& row : rows) {
        auto* widget = form->findChild<QWidget*>(QString::fromLatin1(row.name));
        ASSERT_NE(widget, nullptr) << row.name;
        if (row.caption) {
            QString caption;
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) caption = button->text();
            if (auto* label = qobject_cast<QLabel*>(widget)) caption = label->text();
            if (auto* group = qobject_cast<QGroupBox*>(widget)) caption = group->title();
            EXPECT_EQ(caption, QString::fromUtf8(row.caption)) << row.name;
        }
        if (row.hint) {
            EXPECT_EQ(widget->toolTip(), QString::fromUtf8(row.hint)) << row.name;
        }
    }
    for (const char* name :
         {"Memo1",     "MailComb1",  "SubjectEdit1", "SeiEdit1",    "MeiEdit1",    "kanaEdit1",
          "kanaEdit2", "PhoneEdit1", "PhoneEdit2",   "AddresEdit1", "AddresEdit2", "Memo2",
          "SiteEdit1", "URLEdit1",   "BokLabel1",    "LEdit1",      "WriteBtn2",   "DelBtn2",
          "ListBox1",  "ListBox2",   "AddBtn1",      "DelBtn1",     "BitBtn2",     "mDelbtn1",
          "mContEdit", "ClipBtn1",   "ModeLED",      "QRCode1",     "StatusBar1"}) {
        EXPECT_NE(form->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    }
    EXPECT_EQ(form->SubjectGroup1->Items(),
              (QStringList{"何もしない。", "本文から先頭10文字を利用", "こんにちはを挿入"}));
    EXPECT_FALSE(form->NoticeBtn1->isEnabled());
}

// Containers whose children are ours to place; composite Qt widgets place their own.
bool IsContainer(const QWidget* widget) {
    const QString kind = QString::fromLatin1(widget->metaObject()->className());
    return kind == QLatin1String("QWidget") || kind == QLatin1String("QGroupBox") ||
           qobject_cast<const platform::TRadioGroup*>(widget) != nullptr;
}

void CheckNoOverlap(const QWidget* container, const QString& where) {
    QList<const QWidget*> children;
    for (const QObject* object : container->children()) {
        const auto* child = qobject_cast<const QWidget*>(object);
        if (child && child->isVisible() && !child->isWindow()) children << child;
    }
    for (int i = 0; i < children.size(); ++i) {
        const QWidget* a = children[i];
        const QString name =
            where + QLatin1Char('/') +
            (a->objectName().isEmpty() ? QString::fromLatin1(a->metaObject()->className())
                                       : a->objectName());
        EXPECT_TRUE(container->rect().contains(a->geometry()))
            << name.toStdString() << " is cut off";
        // A caption must fit its control (push buttons keep a few pixels of margin).
        QString caption;
        int margin = 0;
        if (const auto* label = qobject_cast<const QLabel*>(a); label && !label->wordWrap()) {
            // A mnemonic's "&" is not drawn.
            caption = label->text();
            if (label->buddy()) caption.remove(QRegularExpression(QStringLiteral("&(?=[^&])")));
        } else if (const auto* button = qobject_cast<const QPushButton*>(a)) {
            caption = button->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
            margin = 4;
        }
        if (!caption.isEmpty()) {
            EXPECT_LE(a->fontMetrics().horizontalAdvance(caption) + margin, a->width())
                << name.toStdString() << " cuts its caption";
        }
        for (int j = i + 1; j < children.size(); ++j) {
            EXPECT_FALSE(a->geometry().intersects(children[j]->geometry()))
                << name.toStdString() << " overlaps " << children[j]->objectName().toStdString();
        }
        if (IsContainer(a)) CheckNoOverlap(a, name);
    }
}

TEST_F(Layout, NothingOverlapsOnAnyPage) {
    for (int top = 0; top < 3; ++top) {
        for (int page = 0; page < 3; ++page) {
            form->PageControl1->setCurrentIndex(top);
            form->sPage2->setCurrentIndex(page);
            QCoreApplication::processEvents();
            const QString where = QStringLiteral("top%1/page%2").arg(top).arg(page);
            CheckNoOverlap(form->centralWidget(), where);
            CheckNoOverlap(form->PageControl1->currentWidget(),
                           where + QStringLiteral("/PageControl1"));
            CheckNoOverlap(form->sPage2->currentWidget(), where + QStringLiteral("/sPage2"));
        }
    }
}

// Small screens at high scale: 1366x768 at 150 % leaves 910x512 and 1920x1080 at 200 %
// 960x540, less a title bar; a larger window gives the code the room.
TEST_F(Layout, WindowFitsSmallScreensAndGrowsTheCode) {
    constexpr int kTitleBar = 32;
    EXPECT_LE(form->minimumWidth(), 910);
    EXPECT_LE(form->minimumHeight(), 512 - kTitleBar);
    EXPECT_LE(form->minimumSizeHint().height(), 512 - kTitleBar);
    EXPECT_EQ(form->maximumWidth(), QWIDGETSIZE_MAX);
    form->resize(form->minimumSize());
    QCoreApplication::processEvents();
    CheckNoOverlap(form->centralWidget(), QStringLiteral("least"));
    const QSize least = form->QRCode1->size();
    form->resize(1280, 900);
    QCoreApplication::processEvents();
    EXPECT_GT(form->QRCode1->width(), least.width());
    EXPECT_GT(form->QRCode1->height(), least.height() + 150);
    EXPECT_GT(form->Memo1->height(), 100);
}

// Keyboard only: out of the editors with Tab, 作成 with Ctrl+Enter, every field reached
// by its label's Alt mnemonic, the tab order down the window, arrows among the radios.
TEST_F(Layout, EverythingWorksFromTheKeyboard) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    EXPECT_EQ(form->focusWidget(), form->Memo1); // the first key typed goes to the message
    for (QPlainTextEdit* editor : {form->Memo1, form->Memo2}) {
        form->sPage2->setCurrentIndex(editor == form->Memo1 ? 0 : 1);
        editor->setFocus();
        QTest::keyClick(editor, Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), editor) << editor->objectName().toStdString();
        EXPECT_FALSE(editor->toPlainText().contains(QLatin1Char('\t')));
    }

    // Each field's label names it and takes the caret to it.
    const std::pair<int, QWidget*> fields[] = {
        {0, form->SubjectEdit1}, {0, form->MailComb1},  {1, form->SeiEdit1},
        {1, form->MeiEdit1},     {1, form->kanaEdit1},  {1, form->kanaEdit2},
        {1, form->PhoneEdit1},   {1, form->PhoneEdit2}, {1, form->AddresEdit1},
        {1, form->AddresEdit2},  {1, form->Memo2},      {2, form->SiteEdit1},
        {2, form->URLEdit1}};
    QList<QChar> keys;
    for (const auto& [page, field] : fields) {
        form->sPage2->setCurrentIndex(page);
        QCoreApplication::processEvents();
        const QLabel* label = nullptr;
        for (const QLabel* candidate : form->findChildren<QLabel*>())
            if (candidate->buddy() == field) label = candidate;
        ASSERT_NE(label, nullptr) << field->objectName().toStdString();
        const qsizetype amp = label->text().indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << label->text().toStdString();
        const QChar key = label->text().at(amp + 1).toUpper();
        EXPECT_FALSE(keys.contains(key)) << label->text().toStdString();
        keys << key;
        form->Button1->setFocus();
        QTest::keyClick(form, key.toLatin1(), Qt::AltModifier);
        EXPECT_TRUE(field->hasFocus() || field->isAncestorOf(QApplication::focusWidget()))
            << label->text().toStdString();
    }

    // The corner buttons come first, then the window top to bottom, 作成 last.
    form->sPage2->setCurrentIndex(0);
    const QList<QWidget*> order{form->LargeBtn1, form->QRCode1,   form->SubjectEdit1,
                                form->Memo1,     form->NameEdit1, form->CaraiaGroup1->Button(0),
                                form->MemClear1, form->RWFlgBtn1, form->Button1};
    QList<QWidget*> chain;
    QWidget* at = form->PageControl1->tabBar();
    for (int i = 0; i < 200 && chain.size() < order.size(); ++i) {
        at = at->nextInFocusChain();
        for (QWidget* wanted : order)
            if ((at == wanted || wanted->focusProxy() == at) && !chain.contains(wanted))
                chain << wanted;
    }
    EXPECT_EQ(chain, order);

    form->CaraiaGroup1->Button(0)->setFocus();
    QTest::keyClick(form->CaraiaGroup1->Button(0), Qt::Key_Down);
    EXPECT_EQ(form->CaraiaGroup1->ItemIndex(), 1);
    EXPECT_TRUE(form->CaraiaGroup1->Button(1)->hasFocus());
    QTest::keyClick(form->CaraiaGroup1->Button(1), Qt::Key_Up);
    EXPECT_EQ(form->CaraiaGroup1->ItemIndex(), 0);

    form->Memo1->setPlainText(QStringLiteral("キーボードだけで"));
    form->Memo1->setFocus();
    QTest::keyClick(form->Memo1, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(form->QRCode1->SymbolDisped());
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("キーボードだけで"));
    // The alert that says so leaves the caret where the user goes on typing.
    ASSERT_TRUE(form->Alert1->IsShowing());
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), form);
    EXPECT_TRUE(form->Memo1->hasFocus());
    if (const QWidget* popup = form->Alert1->Popup()) {
        EXPECT_FALSE(popup->isActiveWindow());
    }
}

// What a screen reader says: a name for every control that takes the focus, the code by
// what it carries, the lamp by its mode, the write toggle as a toggle, radios as radios.
TEST_F(Layout, EveryControlHasANameForScreenReaders) {
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus || widget->window() != form) continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(face, nullptr);
        EXPECT_FALSE(face->text(QAccessible::Name).trimmed().isEmpty())
            << widget->objectName().toStdString() << " " << widget->metaObject()->className();
    }
    form->Memo1->setPlainText(QStringLiteral("二つに分かれる長い文章").repeated(12));
    form->MailComb1->setEditText(QStringLiteral("taro@example.jp"));
    form->Button1->click();
    ASSERT_EQ(form->QRCode1->Count(), 2);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->QRCode1)->text(QAccessible::Name),
              QStringLiteral("QR コード 2 個：メール taro@example.jp 宛"));
    QAccessibleInterface* lamp = QAccessible::queryAccessibleInterface(form->ModeLED);
    EXPECT_EQ(lamp->text(QAccessible::Description), QStringLiteral("読込みモード"));
    form->RWFlgBtn1->click();
    EXPECT_EQ(lamp->text(QAccessible::Description), QStringLiteral("書込みモード"));
    QAccessibleInterface* toggle = QAccessible::queryAccessibleInterface(form->RWFlgBtn1);
    EXPECT_EQ(toggle->role(), QAccessible::Button);
    EXPECT_TRUE(toggle->state().checkable);
    EXPECT_TRUE(toggle->state().checked);
    EXPECT_TRUE(toggle->state().pressed);
    EXPECT_EQ(toggle->text(QAccessible::Name), QStringLiteral("文例の書込みモード"));

    // A radio is a radio of its group, though the group keeps its own exclusivity, and
    // choosing it from a screen reader counts as the user's click.
    for (platform::TRadioGroup* group : {form->SubjectGroup1, form->CaraiaGroup1}) {
        group->SetItemIndex(-1);
        QAccessibleInterface* radio = QAccessible::queryAccessibleInterface(group->Button(1));
        EXPECT_EQ(radio->role(), QAccessible::RadioButton);
        EXPECT_EQ(radio->text(QAccessible::Name), group->Items().at(1));
        const auto labels = radio->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1u);
        EXPECT_EQ(labels.front().first->text(QAccessible::Name), group->title().trimmed());
        int clicks = 0;
        const QMetaObject::Connection counting =
            QObject::connect(group, &platform::TRadioGroup::Click, [&clicks] { ++clicks; });
        radio->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QObject::disconnect(counting);
        EXPECT_EQ(group->ItemIndex(), 1);
        EXPECT_EQ(clicks, 1);
        EXPECT_TRUE(radio->state().checkable);
        EXPECT_TRUE(radio->state().checked);
    }
}

} // namespace
} // namespace window_test
