#include "ui/radio_group.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace ui {

RadioGroup::RadioGroup(QWidget* parent)
    : QGroupBox(parent), group_(new QButtonGroup(this)), layout_(new QGridLayout(this)) {
    group_->setExclusive(true);
    connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
        setItemIndex(id);
        emit clicked(id);
    });
}

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : RadioGroup(parent) {
    setTitle(title);
    setItems(items);
}

void RadioGroup::setItems(const QStringList& items) {
    for (QRadioButton* b : buttons_) {
        group_->removeButton(b);
        delete b;
    }
    buttons_.clear();
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        group_->addButton(b, i);
        buttons_.push_back(b);
    }
    relayout();
    const int old = index_;
    index_ = -1;
    if (old >= 0 && old < count()) {
        setItemIndex(old);
    } else if (old != -1) {
        emit itemIndexChanged(-1);
    }
}

QStringList RadioGroup::items() const {
    QStringList out;
    for (QRadioButton* b : buttons_) {
        out << b->text();
    }
    return out;
}

void RadioGroup::setColumns(int columns) {
    columns_ = std::max(1, columns);
    relayout();
}

void RadioGroup::relayout() {
    const int n = count();
    const int perColumn = (n + columns_ - 1) / columns_;
    for (int i = 0; i < n; ++i) {
        layout_->removeWidget(buttons_[static_cast<size_t>(i)]);
        layout_->addWidget(buttons_[static_cast<size_t>(i)], perColumn > 0 ? i % perColumn : 0,
                           perColumn > 0 ? i / perColumn : 0);
    }
}

void RadioGroup::setItemIndex(int index) {
    if (index < -1 || index >= count()) {
        index = -1;
    }
    if (index == index_) {
        return;
    }
    index_ = index;
    if (index < 0) {
        group_->setExclusive(false);
        for (QRadioButton* b : buttons_) {
            b->setChecked(false);
        }
        group_->setExclusive(true);
    } else {
        buttons_[static_cast<size_t>(index)]->setChecked(true);
    }
    emit itemIndexChanged(index_);
}

} // namespace ui
