#include "ui/dbgrid.h"

#include "ui/field_text.h"
#include "ui/grid_layout.h"
#include "ui/key_filter.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>

namespace ui {

using store::DataSetState;

// The selection model of the grid: a change of the current row first moves the handle, and
// the grid then stands on the row the handle reached.
class GridSelectionModel : public QItemSelectionModel {
public:
    GridSelectionModel(DBGrid* grid, QAbstractItemModel* model)
        : QItemSelectionModel(model, grid), grid_(grid) {}

    void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override {
        if (grid_->syncing_ || !index.isValid()) {
            QItemSelectionModel::setCurrentIndex(index, command);
            return;
        }
        const int row = index.row() == grid_->model_->currentRow()
                            ? index.row()
                            : grid_->moveHandleTo(index.row());
        if (row < 0) {
            clearCurrentIndex();
            return;
        }
        QItemSelectionModel::setCurrentIndex(model()->index(row, index.column()), command);
    }

    using QItemSelectionModel::select;
    void select(const QItemSelection& selection, SelectionFlags command) override {
        const int cur = grid_->model_->currentRow();
        if (grid_->syncing_ || selection.isEmpty() || cur < 0) {
            QItemSelectionModel::select(selection, command);
            return;
        }
        bool onCurrent = true;
        for (const auto& range : selection) {
            onCurrent = onCurrent && range.top() == cur && range.bottom() == cur;
        }
        if (onCurrent) {
            QItemSelectionModel::select(selection, command);
            return;
        }
        // a selection of a row the handle did not move to: the current cell instead
        const int col = currentIndex().isValid() ? currentIndex().column() : 0;
        const QModelIndex a = model()->index(cur, grid_->rowSelect_ ? 0 : col);
        const QModelIndex b =
            model()->index(cur, grid_->rowSelect_ ? model()->columnCount() - 1 : col);
        QItemSelectionModel::select(QItemSelection(a, b), command);
    }

private:
    DBGrid* grid_;
};

// ---------------------------------------------------------------- editors

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    auto* model = qobject_cast<DataSetModel*>(const_cast<QAbstractItemModel*>(index.model()));
    if (!model) {
        return QStyledItemDelegate::createEditor(parent, option, index);
    }
    const GridColumn& col = model->column(index.column());
    const int row = index.row();
    if (col.pickList.valid()) {
        auto* cb = new QComboBox(parent);
        store::DataSet* list = col.pickList.list;
        if (list->active()) {
            store::Field* key = list->findField(col.pickList.listKeyField);
            store::Field* shown =
                list->findField(col.pickList.listField.empty() ? col.pickList.listKeyField
                                                               : col.pickList.listField);
            if (key && shown) {
                const int n = list->rowCount();
                for (int r = 0; r < n; ++r) {
                    cb->addItem(QString::fromStdString(
                                    ui::displayText(*shown, list->rowValue(r, shown->index()))),
                                QString::fromStdString(
                                    editText(key->type(), list->rowValue(r, key->index()))));
                }
            }
        }
        auto* self = const_cast<GridDelegate*>(this);
        connect(cb, &QComboBox::activated, self, [self, cb, model, row](int) {
            if (model->startEdit(row)) {
                emit self->commitData(cb);
            }
        });
        return cb;
    }
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    if (store::Field* f = model->fieldAt(index.column())) {
        applyEntryMask(edit, entryMaskOf(*f));
        KeyFilter::install(edit, KeyFilter::charsFor(f->type()), false);
    }
    // typing puts the record into edit state, as the first changed character does
    connect(edit, &QLineEdit::textEdited, model, [model, row, edit] {
        if (!edit->isReadOnly() && !model->startEdit(row)) {
            edit->setReadOnly(true);
        }
    });
    return edit;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* cb = qobject_cast<QComboBox*>(editor)) {
        cb->setCurrentIndex(cb->findData(index.data(DataSetModel::PickKeyRole)));
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        if (!edit->isModified()) { // what the user typed stays
            edit->setText(index.data(Qt::EditRole).toString());
        }
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
    if (auto* cb = qobject_cast<QComboBox*>(editor)) {
        const QVariant key = cb->currentData();
        if (cb->currentIndex() >= 0 && key != index.data(DataSetModel::PickKeyRole)) {
            model->setData(index, key, DataSetModel::PickKeyRole);
        }
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        if (edit->isModified() && !edit->isReadOnly()) {
            if (model->setData(index, edit->text(), Qt::EditRole)) {
                edit->setModified(false);
            }
        }
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

// ---------------------------------------------------------------- the grid

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), model_(new DataSetModel(this)) {
    setModel(model_);
    QItemSelectionModel* old = selectionModel();
    setSelectionModel(new GridSelectionModel(this, model_));
    delete old;
    setItemDelegate(new GridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    setTabKeyNavigation(true);

    QHeaderView* vh = verticalHeader();
    vh->setSectionResizeMode(QHeaderView::Fixed);
    vh->setDefaultSectionSize(fontMetrics().height() + 6);
    vh->setMinimumSectionSize(fontMetrics().height() + 2);
    vh->setFixedWidth(fontMetrics().height() + 4);
    vh->setDefaultAlignment(Qt::AlignCenter);
    QHeaderView* hh = horizontalHeader();
    hh->setSectionsMovable(true);
    hh->setHighlightSections(false);
    hh->setStretchLastSection(false);

    connect(model_, &DataSetModel::currentRowChanged, this, &DBGrid::followHandle);
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (!replacing_) {
            adoptHeader();
        }
    });
    connect(model_, &QAbstractItemModel::modelReset, this, &DBGrid::applyHeader);
}

DBGrid::~DBGrid() {
    model_->setDataSet(nullptr);
}

void DBGrid::setDataSet(store::DataSet* ds) {
    const bool firstTime = model_->columns().empty() && !model_->defaultColumns();
    model_->setDataSet(ds);
    if (firstTime) {
        replacing_ = true;
        model_->setDefaultColumns();
        replacing_ = false;
    }
}

void DBGrid::setColumns(std::vector<GridColumn> columns) {
    replacing_ = true;
    if (columns.empty()) {
        model_->setDefaultColumns();
    } else {
        model_->setColumns(std::move(columns));
    }
    replacing_ = false;
}

std::vector<GridColumn> DBGrid::columns() const {
    std::vector<GridColumn> out;
    const QHeaderView* h = horizontalHeader();
    const int n = std::min(h->count(), model_->columnCount());
    for (int v = 0; v < n; ++v) {
        const int l = h->logicalIndex(v);
        GridColumn c = model_->column(l);
        if (!isColumnHidden(l)) {
            c.width = columnWidth(l);
        }
        out.push_back(std::move(c));
    }
    return out;
}

void DBGrid::setColumnShown(int column, bool visible) {
    model_->setColumnVisible(column, visible);
    setColumnHidden(column, !visible);
}

void DBGrid::setReadOnly(bool on) {
    if (on) {
        closeOpenEditor();
    }
    model_->setReadOnly(on);
}

void DBGrid::setIndicator(bool on) {
    verticalHeader()->setVisible(on);
}

void DBGrid::setRowSelect(bool on) {
    rowSelect_ = on;
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    followHandle(model_->currentRow());
}

// The user's arrangement (order and widths) is taken into the columns before the rows are
// refreshed, so that the refresh keeps it.
void DBGrid::adoptHeader() {
    if (model_->columnCount() == 0) {
        return;
    }
    model_->stageColumns(columns());
}

void DBGrid::applyHeader() {
    QHeaderView* h = horizontalHeader();
    const int n = model_->columnCount();
    for (int i = 0; i < n && i < h->count(); ++i) {
        const int v = h->visualIndex(i);
        if (v != i) {
            h->moveSection(v, i);
        }
    }
    for (int c = 0; c < n; ++c) {
        const GridColumn& col = model_->column(c);
        setColumnHidden(c, !col.visible);
        int w = col.width;
        if (w <= 0) {
            w = defaultWidth(c);
            if (model_->fieldAt(c)) {
                model_->setColumnWidth(c, w);
            }
        }
        setColumnWidth(c, w);
    }
}

int DBGrid::defaultWidth(int column) const {
    const QFontMetrics fm(font());
    int chars = 10;
    if (const store::Field* f = model_->fieldAt(column)) {
        if (f->displayWidth > 0) {
            chars = f->displayWidth;
        } else if (f->type() == store::FieldType::Text) {
            chars = std::clamp(f->size(), 4, 40);
        } else if (f->type() == store::FieldType::Date) {
            chars = 11;
        }
    }
    const QString title = model_->headerData(column, Qt::Horizontal).toString();
    return std::max(chars * fm.averageCharWidth(), fm.horizontalAdvance(title)) + 12;
}

void DBGrid::followHandle(int row) {
    if (moving_) {
        return; // the move under way sets the current cell itself
    }
    syncing_ = true;
    if (row < 0) {
        closeOpenEditor();
        selectionModel()->clear();
    } else {
        int col = currentIndex().isValid() ? currentIndex().column() : -1;
        if (col < 0 || isColumnHidden(col)) {
            col = 0;
            const QHeaderView* h = horizontalHeader();
            for (int v = 0; v < h->count(); ++v) {
                if (!isColumnHidden(h->logicalIndex(v))) {
                    col = h->logicalIndex(v);
                    break;
                }
            }
        }
        if (currentIndex().row() != row) {
            closeOpenEditor();
        }
        const QModelIndex idx = model_->index(row, col);
        QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
        if (rowSelect_) {
            flags |= QItemSelectionModel::Rows;
        }
        selectionModel()->setCurrentIndex(idx, flags);
        scrollTo(idx);
    }
    syncing_ = false;
}

// A cell whose text the field refused keeps its editor, wherever the commit came from (the
// view commits also when the editor loses the focus), and is not written again until the
// text changed: the refusal is reported once.
void DBGrid::commitData(QWidget* editor) {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (edit && editor == refusedEditor_ && edit->text() == refusedText_) {
        return;
    }
    const uint64_t before = model_->writeFailures();
    QTableView::commitData(editor);
    if (model_->writeFailures() != before) {
        refusedEditor_ = editor;
        refusedText_ = edit ? edit->text() : QString();
    } else {
        refusedEditor_ = nullptr;
    }
}

void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == refusedEditor_ && hint != QAbstractItemDelegate::RevertModelCache) {
        auto* edit = qobject_cast<QLineEdit*>(editor);
        if (!edit || edit->text() == refusedText_) {
            return; // stays open with the refused text
        }
    }
    if (editor == refusedEditor_) {
        refusedEditor_ = nullptr;
    }
    QTableView::closeEditor(editor, hint);
}

bool DBGrid::commitOpenEditor() {
    if (state() != QAbstractItemView::EditingState) {
        return true;
    }
    QWidget* editor = indexWidget(currentIndex());
    if (!editor) {
        return true;
    }
    commitData(editor);
    if (editor == refusedEditor_) {
        editor->setFocus(); // back to correcting the cell
        return false;
    }
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

void DBGrid::closeOpenEditor() {
    if (state() != QAbstractItemView::EditingState) {
        return;
    }
    if (QWidget* editor = indexWidget(currentIndex())) {
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }
}

int DBGrid::moveHandleTo(int row) {
    if (!commitOpenEditor()) {
        return model_->currentRow();
    }
    moving_ = true;
    model_->moveToRow(row);
    moving_ = false;
    return model_->currentRow();
}

bool DBGrid::editable() const {
    store::DataSet* ds = model_->dataSet();
    return !model_->readOnly() && !model_->frozen() && ds && ds->active() && ds->canModify();
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
    store::DataSet* ds = model_->dataSet();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (ds && ds->active() && plain && state() != QAbstractItemView::EditingState) {
        const DataSetState st = ds->state();
        switch (event->key()) {
        case Qt::Key_Escape:
            if (st == DataSetState::Edit || st == DataSetState::Insert) {
                store::guarded(model_->messages(), [&] { ds->cancel(); });
                event->accept();
                return;
            }
            break;
        case Qt::Key_Insert:
            if (allowInsert_ && editable()) {
                if (commitOpenEditor()) {
                    store::guarded(model_->messages(), [&] { ds->insert(); });
                }
                event->accept();
                return;
            }
            break;
        case Qt::Key_Down:
            if (allowInsert_ && editable() && st != DataSetState::Insert &&
                (model_->rowCount() == 0 || currentIndex().row() == model_->rowCount() - 1)) {
                store::guarded(model_->messages(), [&] { ds->append(); });
                event->accept();
                return;
            }
            break;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

void DBGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    store::DataSet* ds = model_->dataSet();
    if (!cancelOnExit_ || !ds || !ds->active() || ds->state() != DataSetState::Insert ||
        ds->modified() || event->reason() == Qt::ActiveWindowFocusReason ||
        event->reason() == Qt::PopupFocusReason) {
        return;
    }
    QWidget* now = QApplication::focusWidget();
    if (!now || !isAncestorOf(now)) {
        store::guarded(model_->messages(), [&] { ds->cancel(); });
    }
}

void DBGrid::keyboardSearch(const QString&) {
    // typing edits the current cell; it never searches rows
}

// ---------------------------------------------------------------- layout files

namespace {

std::string alignmentName(const std::optional<store::Alignment>& a) {
    if (!a) {
        return {};
    }
    switch (*a) {
    case store::Alignment::Right:
        return "right";
    case store::Alignment::Center:
        return "center";
    case store::Alignment::Left:
        break;
    }
    return "left";
}

std::optional<store::Alignment> alignmentFrom(const std::string& s) {
    if (s == "left") {
        return store::Alignment::Left;
    }
    if (s == "right") {
        return store::Alignment::Right;
    }
    if (s == "center") {
        return store::Alignment::Center;
    }
    return std::nullopt;
}

std::optional<QFont> fontFrom(const std::string& s) {
    if (s.empty()) {
        return std::nullopt;
    }
    QFont f;
    if (!f.fromString(QString::fromStdString(s))) {
        return std::nullopt;
    }
    return f;
}

} // namespace

bool DBGrid::saveLayout(const std::filesystem::path& file, std::string* error) const {
    std::vector<ColumnLayout> out;
    const std::vector<GridColumn> cols = columns();
    for (size_t i = 0; i < cols.size(); ++i) {
        const GridColumn& c = cols[i];
        ColumnLayout l;
        l.field = c.field;
        l.title = c.title;
        if (l.title.empty()) {
            const int logical = horizontalHeader()->logicalIndex(static_cast<int>(i));
            l.title = model_->headerData(logical, Qt::Horizontal).toString().toStdString();
        }
        l.width = c.width;
        l.visible = c.visible;
        l.readOnly = c.readOnly;
        l.alignment = alignmentName(c.alignment);
        l.color = c.color.isValid() ? c.color.name().toStdString() : std::string();
        l.font = c.font ? c.font->toString().toStdString() : std::string();
        l.titleColor = c.titleColor.isValid() ? c.titleColor.name().toStdString() : std::string();
        l.titleFont = c.titleFont ? c.titleFont->toString().toStdString() : std::string();
        out.push_back(std::move(l));
    }
    return writeLayoutFile(file, out, error);
}

bool DBGrid::loadLayout(const std::filesystem::path& file, std::string* error) {
    const auto layout = readLayoutFile(file, error);
    if (!layout) {
        return false;
    }
    const std::vector<GridColumn> current = columns();
    std::vector<GridColumn> cols;
    for (const auto& l : *layout) {
        GridColumn c(l.field);
        for (const auto& old : current) {
            if (store::equalsNoCase(old.field, l.field)) {
                c.pickList = old.pickList;
            }
        }
        c.title = l.title;
        c.width = l.width;
        c.visible = l.visible;
        c.readOnly = l.readOnly;
        c.alignment = alignmentFrom(l.alignment);
        c.color = l.color.empty() ? QColor() : QColor(QString::fromStdString(l.color));
        c.font = fontFrom(l.font);
        c.titleColor =
            l.titleColor.empty() ? QColor() : QColor(QString::fromStdString(l.titleColor));
        c.titleFont = fontFrom(l.titleFont);
        cols.push_back(std::move(c));
    }
    setColumns(std::move(cols));
    return true;
}

} // namespace ui
