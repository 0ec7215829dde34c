#include "platform/lamp.h"

#include <QPainter>
#include <QRadialGradient>

namespace platform {

TLamp::TLamp(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(sizeHint());
}

void TLamp::SetLit(bool lit) {
    if (lit == lit_) return;
    lit_ = lit;
    update();
}

QColor TLamp::Color() const {
    return lit_ ? QColor(0, 200, 0) : QColor(220, 0, 0);
}

void TLamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(2, 2, -2, -2);
    QRadialGradient glow(r.center() - QPointF(r.width() / 6, r.height() / 6), r.width() / 1.5);
    glow.setColorAt(0, Color().lighter(170));
    glow.setColorAt(1, Color());
    painter.setPen(QPen(Color().darker(160), 1));
    painter.setBrush(glow);
    painter.drawEllipse(r);
}

} // namespace platform
