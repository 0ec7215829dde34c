#include "platform/stay_down_button.h"

#include <QSignalBlocker>

namespace platform {

TStayDownButton::TStayDownButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setCheckable(true);
}

void TStayDownButton::SetDown(bool down) {
    const QSignalBlocker block(this);
    setChecked(down);
}

} // namespace platform
