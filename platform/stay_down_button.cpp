#include "platform/stay_down_button.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QKeySequence>
#include <QSignalBlocker>

namespace platform {
namespace {

const char* const kRoleProperty = "varokuAccessibleRole";

class CheckableButtonFace : public QAccessibleWidget {
public:
    CheckableButtonFace(QAbstractButton* button, QAccessible::Role role)
        : QAccessibleWidget(button, role) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = Button()->isChecked();
        // A toggle is spoken as pressed or not; a radio as checked or not.
        state.pressed = role() == QAccessible::Button ? Button()->isChecked() : Button()->isDown();
        return state;
    }

    // Qt would name a button in a group box after the box; it is named by its caption.
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return WithoutMnemonic(Button()->text());
        if (kind == QAccessible::Accelerator && !QKeySequence::mnemonic(Button()->text()).isEmpty())
            return QKeySequence::mnemonic(Button()->text()).toString(QKeySequence::NativeText);
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override {
        QStringList names;
        if (Button()->isEnabled()) names << toggleAction();
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override {
        if (name == toggleAction() || name == pressAction()) {
            if (Button()->isEnabled()) Button()->click();
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }

    // "&&" stands for "&"; a lone "&" marks the next letter as the mnemonic.
    static QString WithoutMnemonic(const QString& text) {
        QString plain;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
            plain += text[i];
        }
        return plain;
    }
};

QAccessibleInterface* CheckableButtonFactory(const QString&, QObject* object) {
    auto* button = qobject_cast<QAbstractButton*>(object);
    if (!button) return nullptr;
    const QVariant role = button->property(kRoleProperty);
    if (!role.isValid()) return nullptr;
    return new CheckableButtonFace(button, static_cast<QAccessible::Role>(role.toInt()));
}

} // namespace

TStayDownButton::TStayDownButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setCheckable(true);
    SetAccessibleRole(this, QAccessible::Button);
}

void TStayDownButton::SetDown(bool down) {
    const QSignalBlocker block(this);
    setChecked(down);
}

void SetAccessibleRole(QAbstractButton* button, QAccessible::Role role) {
    static const bool installed = [] {
        QAccessible::installFactory(CheckableButtonFactory);
        return true;
    }();
    (void)installed;
    button->setProperty(kRoleProperty, static_cast<int>(role));
    // Qt makes and keeps a button's face while building it (its checkable state is
    // announced from the constructor); that one is dropped, the next is ours.
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
    if (face && !dynamic_cast<CheckableButtonFace*>(face))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(face));
}

} // namespace platform
