#include "app/large_view.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/code_pictures.h"
#include "qr/qr_code.h"

namespace {

// The share of the screen the view takes when it opens.
constexpr double kScreenShare = 0.9;

} // namespace

TLargeView::TLargeView(const qr::TQRCode& shown, QWidget* parent)
    : QWidget(parent, Qt::Window), shown_(shown) {
    setObjectName(QStringLiteral("LargeView1"));
    setWindowTitle(QStringLiteral("QR コード - 大きく表示"));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 8, 12, 8);
    NumberLabel = new QLabel(this);
    NumberLabel->setObjectName(QStringLiteral("NumberLabel"));
    NumberLabel->setAlignment(Qt::AlignCenter);
    QFont big = font();
    big.setPixelSize(32);
    big.setBold(true);
    NumberLabel->setFont(big);
    HintLabel = new QLabel(
        QStringLiteral("次へ: → / スペース / クリック　　前へ: ← / 右クリック　　閉じる: Esc"),
        this);
    HintLabel->setAlignment(Qt::AlignCenter);
    column->addWidget(NumberLabel);
    column->addStretch(1);
    column->addWidget(HintLabel);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        const QSize size(static_cast<int>(free.width() * kScreenShare),
                         static_cast<int>(free.height() * kScreenShare));
        resize(size);
        move(free.center() - QPoint(size.width() / 2, size.height() / 2));
    }
    Follow();
}

TLargeView::~TLargeView() = default;

int TLargeView::Count() const {
    return static_cast<int>(symbols_.Built.size());
}

void TLargeView::Follow() {
    if (!shown_.SymbolDisped()) {
        symbols_ = {};
        code_.clear();
        current_ = 0;
        NumberLabel->setText(QStringLiteral("QR コードがありません"));
        update();
        return;
    }
    const bool sameText = Count() > 0 && code_ == shown_.Code();
    const int keep = current_;
    symbols_ = shown_.ShownSymbols();
    code_ = shown_.Code();
    ShowSymbol(sameText ? std::clamp(keep, 1, Count()) : 1);
}

void TLargeView::ShowNext() {
    if (Count() > 0) ShowSymbol(current_ % Count() + 1);
}

void TLargeView::ShowPrevious() {
    if (Count() > 0) ShowSymbol((current_ + Count() - 2) % Count() + 1);
}

void TLargeView::ShowSymbol(int s) {
    current_ = s;
    NumberLabel->setText(QStringLiteral("%1 / %2").arg(s).arg(Count()));
    update();
}

QRect TLargeView::SymbolArea() const {
    const int top = NumberLabel->geometry().bottom() + 8;
    const int bottom = HintLabel->geometry().top() - 8;
    return QRect(0, top, width(), std::max(0, bottom - top));
}

int TLargeView::ModulePixels() const {
    if (Count() == 0) return 0;
    // Whole device pixels per module keep every module edge on a pixel edge, so the
    // camera sees sharp squares on any scale factor.
    const double ratio = devicePixelRatioF();
    const QRect area = SymbolArea();
    const int side = static_cast<int>(std::min(area.width(), area.height()) * ratio);
    return std::max(1, side / (symbols_.Side + 2 * qr::engine::kQuietZone));
}

void TLargeView::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // The window empties its picture without a paint pass; show no symbol it dropped.
    if (Count() > 0 && !shown_.SymbolDisped()) {
        symbols_ = {};
        current_ = 0;
        NumberLabel->setText(QStringLiteral("QR コードがありません"));
    }
    if (Count() == 0 || current_ < 1) return;
    QImage symbol = SymbolImage(symbols_, current_, ModulePixels());
    if (symbol.isNull()) return;
    symbol.setDevicePixelRatio(devicePixelRatioF());
    const QRect area = SymbolArea();
    const QSizeF size = symbol.deviceIndependentSize();
    QPainter painter(this);
    painter.drawImage(QPointF(area.left() + std::floor((area.width() - size.width()) / 2),
                              area.top() + std::floor((area.height() - size.height()) / 2)),
                      symbol);
}

void TLargeView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Space:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ShowNext();
        return;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Backspace:
    case Qt::Key_PageUp:
        ShowPrevious();
        return;
    case Qt::Key_Home:
        if (Count() > 0) ShowSymbol(1);
        return;
    case Qt::Key_End:
        if (Count() > 0) ShowSymbol(Count());
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TLargeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        ShowNext();
    } else if (event->button() == Qt::RightButton) {
        ShowPrevious();
    } else {
        QWidget::mousePressEvent(event);
    }
}
