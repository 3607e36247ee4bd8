// The data-aware grid: a table view over a handle through DataSetModel.
//
// The grid's current row is the handle's current record: choosing a row moves the handle
// (posting a pending edit first; a refused post keeps the grid on the edited row), and a
// move of the handle selects its row. Cells are edited in place: typing puts the handle into
// edit state, leaving the cell writes the field, leaving the row posts, Escape (outside a cell
// editor) cancels the record's changes. Insert starts a new record before the current one,
// Down on the last row appends one. A record inserted and left unchanged is dropped when the
// focus leaves the grid. Refusals are reported through the message service; a silent abort
// of a rule shows nothing.
#pragma once

#include "store/messages.h"
#include "store/tdm.h"
#include "ui/dataset_model.h"
#include "ui/grid_column.h"

#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <filesystem>
#include <string>
#include <vector>

namespace ui {

class DBGrid;

// Editors of the grid's cells: a line edit with the field's entry mask and key filter, or a
// combo box for a column with a pick list.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
};

class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    // The handle must outlive the grid or be unset first.
    void setDataSet(store::DataSet* ds);
    void setDataSource(const store::DataSource& source) { setDataSet(source.dataSet); }
    store::DataSet* dataSet() const { return model_->dataSet(); }
    DataSetModel* dataModel() const { return model_; }

    // The columns in the order they are declared; an empty list shows every visible field.
    void setColumns(std::vector<GridColumn> columns);
    // The columns in display order with their current widths.
    std::vector<GridColumn> columns() const;
    void setColumnShown(int column, bool visible);

    void setReadOnly(bool on);
    bool readOnly() const { return model_->readOnly(); }
    void setMessages(store::Messages* messages) { model_->setMessages(messages); }
    // The pointer column at the left edge (default on).
    void setIndicator(bool on);
    // Whole rows highlighted instead of the current cell (default off).
    void setRowSelect(bool on);
    void setCancelOnExit(bool on) { cancelOnExit_ = on; }
    // Insert and Down on the last row start new records (default on; only while editable).
    void setAllowInsert(bool on) { allowInsert_ = on; }

    // ---- layout files ----
    bool saveLayout(const std::filesystem::path& file, std::string* error = nullptr) const;
    // Replaces the columns by those of the file; a column of a field the grid already had
    // keeps its pick list. The grid is left unchanged when the file cannot be read.
    bool loadLayout(const std::filesystem::path& file, std::string* error = nullptr);

    // Moves the handle to `row` as a click on it does (commits an open cell editor first).
    // Returns the row the handle stands on afterwards.
    int moveHandleTo(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class GridSelectionModel;

    void followHandle(int row);
    void adoptHeader();
    void applyHeader();
    int defaultWidth(int column) const;
    bool commitOpenEditor();
    void closeOpenEditor();
    bool editable() const;

    DataSetModel* model_;
    QPointer<QWidget> refusedEditor_; // its text was refused and has not changed since
    QString refusedText_;
    bool syncing_ = false;
    bool moving_ = false;
    bool replacing_ = false;
    bool cancelOnExit_ = true;
    bool allowInsert_ = true;
    bool rowSelect_ = false;
};

} // namespace ui
