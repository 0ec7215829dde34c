#include "platform/radio_group.h"

#include <QGridLayout>
#include <QRadioButton>
#include <QSignalBlocker>
#include <algorithm>

#include "platform/stay_down_button.h"

namespace platform {

TRadioGroup::TRadioGroup(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent), grid_(new QGridLayout(this)) {
    // Qt would name a group inside another group after the outer one.
    setAccessibleName(caption.trimmed());
    grid_->setContentsMargins(6, 2, 6, 2);
    grid_->setVerticalSpacing(0);
}

void TRadioGroup::SetItems(const QStringList& items) {
    items_ = items;
    if (index_ >= items_.size()) index_ = static_cast<int>(items_.size()) - 1;
    Rebuild();
}

void TRadioGroup::SetItemIndex(int index) {
    index = std::clamp(index, -1, static_cast<int>(items_.size()) - 1);
    if (index == index_) return;
    index_ = index;
    CheckCurrent();
    emit Click();
}

void TRadioGroup::SetColumns(int columns) {
    if (columns < 1 || columns == columns_) return;
    columns_ = columns;
    Rebuild();
}

QRadioButton* TRadioGroup::Button(int index) const {
    if (index < 0 || index >= static_cast<int>(buttons_.size())) return nullptr;
    return buttons_[static_cast<size_t>(index)];
}

void TRadioGroup::Rebuild() {
    for (QRadioButton* button : buttons_)
        delete button;
    buttons_.clear();
    const int rows = (static_cast<int>(items_.size()) + columns_ - 1) / columns_;
    for (int i = 0; i < items_.size(); ++i) {
        auto* button = new QRadioButton(items_[i], this);
        button->setAutoExclusive(false); // exclusivity is ours, so -1 stays possible
        SetAccessibleRole(button, QAccessible::RadioButton); // not a check box for all that
        grid_->addWidget(button, i % std::max(rows, 1), i / std::max(rows, 1));
        connect(button, &QRadioButton::clicked, this, [this, i] {
            if (index_ == i) {
                CheckCurrent(); // a second click must not uncheck the selection
                return;
            }
            SetItemIndex(i);
        });
        // Buttons made after the group is on screen stay hidden unless shown.
        button->show();
        buttons_.push_back(button);
    }
    CheckCurrent();
}

void TRadioGroup::CheckCurrent() {
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const QSignalBlocker block(buttons_[i]);
        buttons_[i]->setChecked(static_cast<int>(i) == index_);
    }
}

} // namespace platform
