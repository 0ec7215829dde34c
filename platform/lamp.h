// A two-colour lamp: green while lit, red while off.
#pragma once

#include <QColor>
#include <QWidget>

namespace platform {

class TLamp : public QWidget {
    Q_OBJECT
public:
    explicit TLamp(QWidget* parent = nullptr);

    bool Lit() const { return lit_; }
    void SetLit(bool lit);

    // The colour the lamp shows now.
    QColor Color() const;

    QSize sizeHint() const override { return {18, 18}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool lit_ = true;
};

} // namespace platform
