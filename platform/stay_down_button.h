// A button that stays down when pressed and comes up when pressed again.
#pragma once

#include <QAccessible>
#include <QPushButton>

class QAbstractButton;

namespace platform {

class TStayDownButton : public QPushButton {
    Q_OBJECT
public:
    explicit TStayDownButton(const QString& caption, QWidget* parent = nullptr);

    bool Down() const { return isChecked(); }
    // Moves the button without reporting a click: only a press by the user (or
    // click()) runs the handlers connected to `clicked`, after the state has changed.
    void SetDown(bool down);
};

// What screen readers are told a checkable button is, whatever Qt would guess from its
// class: QAccessible::RadioButton for a radio that keeps its own exclusivity (Qt calls
// every checkable button without auto-exclusivity a check box), QAccessible::Button for
// a toggle, which then also reports itself pressed while it is down. Its name, checked
// state and toggle action are the button's own; the action clicks it as the user would.
void SetAccessibleRole(QAbstractButton* button, QAccessible::Role role);

} // namespace platform
