// A titled group of exclusive choices driven by an item list and one selected index,
// the way the main window's carrier and subject options are kept.
#pragma once

#include <QGroupBox>
#include <QStringList>
#include <vector>

class QRadioButton;
class QGridLayout;

namespace platform {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(const QString& caption, QWidget* parent = nullptr);

    // The button texts, one button each. Replacing them keeps the selected index,
    // lowered to the last button when the new list is shorter; no click is reported.
    const QStringList& Items() const { return items_; }
    void SetItems(const QStringList& items);

    // -1 when nothing is selected. Writes are clamped to -1..Items().size()-1; a write
    // that changes the selection reports a click, as a user's choice would.
    int ItemIndex() const { return index_; }
    void SetItemIndex(int index);

    // Buttons per row; 1 stacks them vertically.
    int Columns() const { return columns_; }
    void SetColumns(int columns);

    QRadioButton* Button(int index) const;

signals:
    // The selection changed, by the user or by SetItemIndex.
    void Click();

private:
    void Rebuild();
    void CheckCurrent();

    QStringList items_;
    int index_ = -1;
    int columns_ = 1;
    QGridLayout* grid_ = nullptr;
    std::vector<QRadioButton*> buttons_;
};

} // namespace platform
