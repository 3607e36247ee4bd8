// The table model over a handle: one row per visible record of the handle (in its order,
// through its filter and master range), one column per declared grid column.
//
// Rows are read without moving the cursor, and only those the view asks for: creating the
// model or scrolling over a large table never walks its rows. The record being inserted is
// shown as an extra row where it will be entered. While the handle's refresh is suspended the
// model stays as it was (and serves only what it had already read); when the handle resumes,
// it refreshes once.
#pragma once

#include "store/engine/dataset.h"
#include "store/messages.h"
#include "ui/grid_column.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <optional>
#include <vector>

namespace ui {

class DataSetModel : public QAbstractTableModel, private store::DataSetObserver {
    Q_OBJECT
public:
    enum Roles {
        RawValueRole = Qt::UserRole + 1, // the field value itself (number, text, date, bool)
        FieldNameRole,
        PickKeyRole, // the value of the pick list's key field (read and written)
    };

    explicit DataSetModel(QObject* parent = nullptr);
    ~DataSetModel() override;

    // The handle must outlive the model or be unset first.
    void setDataSet(store::DataSet* ds);
    store::DataSet* dataSet() const { return ds_; }

    void setColumns(std::vector<GridColumn> columns);
    // One column per visible field of the handle, titled with its display label, worked out
    // again whenever the handle opens (until columns are set).
    void setDefaultColumns();
    bool defaultColumns() const { return autoColumns_; }
    const std::vector<GridColumn>& columns() const { return columns_; }
    const GridColumn& column(int c) const { return columns_.at(static_cast<size_t>(c)); }
    // For a view that keeps the user's arrangement: the columns (the same ones, reordered or
    // resized) to take at the refresh of the rows that is under way.
    void stageColumns(std::vector<GridColumn> columns) { staged_ = std::move(columns); }
    // Settings that need no refresh of the rows.
    void setColumnWidth(int c, int width);
    void setColumnVisible(int c, bool visible);

    void setReadOnly(bool on);
    bool readOnly() const { return readOnly_; }
    void setMessages(store::Messages* messages) { messages_ = messages; }
    store::Messages& messages() const;

    // ---- rows and the cursor ----
    // The row of the current record (the inserted one while inserting); -1 when none.
    int currentRow() const;
    // The row of the record being inserted; -1 when not inserting.
    int insertRow() const { return insertPos_; }
    // Moves the handle to the record shown in `row`. A pending edit is posted first (an
    // unchanged one is cancelled); the rows it moves are accounted for, so the handle lands on
    // the record that was shown in `row`. A refusal is reported; false when the handle did not
    // move there.
    bool moveToRow(int row);
    // Puts the handle into edit state on the record of `row` (after moving there).
    bool startEdit(int row);
    bool frozen() const { return frozen_; }

    store::Field* fieldAt(int column) const;
    bool columnEditable(int column) const;
    // Field values read from the handle so far (diagnostics).
    uint64_t cellReads() const { return cellReads_; }
    // Writes refused so far (bad value, engine error).
    uint64_t writeFailures() const { return writeFailures_; }

    // ---- QAbstractTableModel ----
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // The handle's current record moved (also after a refresh of the rows).
    void currentRowChanged(int row);
    // Browse, edit or insert changed, or the handle opened or closed.
    void editStateChanged();

private:
    void dataSetChanged(store::DataSet&) override;
    void recordChanged(store::DataSet&) override;
    void stateChanged(store::DataSet&) override;
    void controlsDisabledChanged(store::DataSet&) override;

    void refresh();
    void resolveFields();
    void buildDefaultColumns();
    int liveRowCount() const;
    int computeInsertPos() const;
    void followCurrent(bool force);
    // the handle's row of a model row; -1 for the inserted record
    int dataSetRow(int row) const;
    store::Value readCell(int row, int fieldIndex) const;
    const QStringList* displayRow(int row) const;

    store::DataSet* ds_ = nullptr;
    std::vector<GridColumn> columns_;
    std::optional<std::vector<GridColumn>> staged_;
    bool autoColumns_ = false;
    std::vector<int> fieldIndex_; // per column; -1: not in the handle
    std::vector<int> pickKeyIndex_;
    bool readOnly_ = false;
    store::Messages* messages_ = nullptr;

    int rows_ = 0;
    int insertPos_ = -1;
    bool active_ = false;
    bool frozen_ = false;
    int lastCurrent_ = -1;
    store::DataSetState lastState_ = store::DataSetState::Inactive;

    mutable QHash<int, QStringList> cache_; // display texts of rows read
    mutable uint64_t cellReads_ = 0;
    uint64_t writeFailures_ = 0;
};

} // namespace ui
