// A group box of radio buttons with an item index: the position of the checked button, -1
// when none is.
#pragma once

#include <QGroupBox>
#include <QStringList>
#include <vector>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

namespace ui {

class RadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex NOTIFY itemIndexChanged)
public:
    explicit RadioGroup(QWidget* parent = nullptr);
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    void setItems(const QStringList& items);
    QStringList items() const;
    int count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* button(int i) const { return buttons_.at(static_cast<size_t>(i)); }
    // The buttons are laid out in this many columns, filled top to bottom.
    void setColumns(int columns);

    int itemIndex() const { return index_; }
    void setItemIndex(int index);

signals:
    // Every change of the index, also one set by the program.
    void itemIndexChanged(int index);
    // A button clicked by the user.
    void clicked(int index);

private:
    void relayout();

    QButtonGroup* group_;
    QGridLayout* layout_;
    std::vector<QRadioButton*> buttons_;
    int columns_ = 1;
    int index_ = -1;
};

} // namespace ui
