// A button that stays down when pressed and comes up when pressed again.
#pragma once

#include <QPushButton>

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

} // namespace platform
