// A navigator: buttons that move a handle and edit its records. Only the buttons the caller
// names are shown; each is enabled when its action is possible (first and prior not at the
// first record, next and last not at the end, post and cancel while editing, ...).
#pragma once

#include "store/messages.h"
#include "store/tdm.h"
#include "ui/data_link.h"

#include <QWidget>
#include <map>
#include <string>
#include <vector>

class QToolButton;

namespace ui {

enum class NavButton { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };

class DBNavigator : public QWidget {
    Q_OBJECT
public:
    explicit DBNavigator(QWidget* parent = nullptr);
    DBNavigator(std::vector<NavButton> buttons, QWidget* parent = nullptr);
    ~DBNavigator() override;

    void setVisibleButtons(const std::vector<NavButton>& buttons);
    const std::vector<NavButton>& visibleButtons() const { return shown_; }
    // The handle must outlive the navigator or be unset first.
    void setDataSet(store::DataSet* ds);
    void setDataSource(const store::DataSource& source) { setDataSet(source.dataSet); }
    store::DataSet* dataSet() const { return link_.dataSet(); }
    void setMessages(store::Messages* messages) { messages_ = messages; }
    // A Yes/No question asked before deleting; empty (the default): no question.
    void setDeleteConfirmation(std::string question) { deleteQuestion_ = std::move(question); }

    QToolButton* button(NavButton b) const;
    bool isButtonEnabled(NavButton b) const;
    // Runs a button's action as a click does; false when it was refused or not possible.
    bool run(NavButton b);

signals:
    // After a button's action succeeded.
    void clicked(ui::NavButton button);

private:
    void build();
    void updateButtons();
    store::Messages& messages() const;

    DataLink link_;
    std::vector<NavButton> shown_;
    std::map<NavButton, QToolButton*> buttons_;
    std::string deleteQuestion_;
    store::Messages* messages_ = nullptr;
};

} // namespace ui
