#include "SortableListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>

#include "QtUserInterface.h"

namespace vantor::app {

bool ListTableModel::SetColumns(std::string_view columnSpec) {
    beginResetModel();
    bool added = table_.SetColumns(columnSpec);
    endResetModel();
    return added;
}

int ListTableModel::AddRow(ListTable::Row cells) {
    const int row = table_.RowCount();
    beginInsertRows(QModelIndex(), row, row);
    table_.AddRow(std::move(cells));
    endInsertRows();
    return row;
}

void ListTableModel::ReplaceRows(std::vector<ListTable::Row> rows, int sortedColumn, bool ascending) {
    beginResetModel();
    table_.ReplaceRows(std::move(rows), sortedColumn, ascending);
    endResetModel();
}

void ListTableModel::MergeRows(std::vector<ListTable::Row> rows, int column, bool ascending) {
    const int oldCount = table_.RowCount();
    const int added = static_cast<int>(rows.size());
    if (oldCount == 0) {
        beginResetModel();
        table_.MergeRows(std::move(rows), column, ascending);
        endResetModel();
        return;
    }
    if (added == 0) {
        Sort(column, ascending);
        return;
    }
    // Appended at the end, then moved into place: the old rows carry their selection along.
    beginInsertRows(QModelIndex(), oldCount, oldCount + added - 1);
    std::vector<int> order = table_.MergeRows(std::move(rows), column, ascending);
    endInsertRows();
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    MovePersistentIndexes(order);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

bool ListTableModel::SetCellText(int row, int column, std::string text) {
    if (!table_.SetCellText(row, column, std::move(text))) return false;
    const QModelIndex cell = index(row, column);
    Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole});
    return true;
}

int ListTableModel::DeleteRows(const std::vector<int>& rows) {
    std::vector<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    sorted.erase(std::remove_if(sorted.begin(), sorted.end(),
                                [this](int row) { return row < 0 || row >= table_.RowCount(); }),
                 sorted.end());
    if (sorted.empty()) return 0;
    if (sorted.size() > 64) {
        // Many scattered rows: one reset is cheaper than many removals.
        beginResetModel();
        table_.DeleteRows(sorted);
        endResetModel();
        return static_cast<int>(sorted.size());
    }
    // Contiguous runs from the bottom up, so earlier indexes stay valid.
    std::size_t end = sorted.size();
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && sorted[begin - 1] == sorted[begin] - 1) --begin;
        const int first = sorted[begin];
        const int last = sorted[end - 1];
        beginRemoveRows(QModelIndex(), first, last);
        std::vector<int> run;
        for (int row = first; row <= last; ++row) run.push_back(row);
        table_.DeleteRows(run);
        endRemoveRows();
        end = begin;
    }
    return static_cast<int>(sorted.size());
}

void ListTableModel::DeleteAllRows() {
    beginResetModel();
    table_.DeleteAllRows();
    endResetModel();
}

void ListTableModel::MovePersistentIndexes(const std::vector<int>& order) {
    std::vector<int> newRowOf(order.size(), -1);
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] >= 0 && static_cast<std::size_t>(order[i]) < newRowOf.size()) {
            newRowOf[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
        }
    }
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        const auto oldRow = static_cast<std::size_t>(old.row());
        after << (oldRow < newRowOf.size() && newRowOf[oldRow] >= 0 ? index(newRowOf[oldRow], old.column())
                                                                    : QModelIndex());
    }
    changePersistentIndexList(before, after);
}

void ListTableModel::Sort(int column, bool ascending) {
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    MovePersistentIndexes(table_.Sort(column, ascending));
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ListTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.RowCount();
}

int ListTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.ColumnCount();
}

QVariant ListTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    return FromBytes(table_.Cell(index.row(), index.column()));
}

QVariant ListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= table_.ColumnCount()) return {};
    return FromBytes(table_.Columns()[static_cast<std::size_t>(section)].heading);
}

void ListTableModel::sort(int column, Qt::SortOrder order) {
    Sort(column, order == Qt::AscendingOrder);
}

SortableListView::SortableListView(QWidget* parent) : QTreeView(parent), model_(new ListTableModel(this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setSortingEnabled(false);  // the header click below sorts with the list's own rule
    QHeaderView* head = header();
    head->setSectionsClickable(true);
    head->setSectionsMovable(true);
    head->setSortIndicatorShown(false);
    head->setStretchLastSection(true);
    head->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(head, &QHeaderView::sectionClicked, this, &SortableListView::OnHeaderClicked);
}

bool SortableListView::SetColumns(std::string_view columnSpec) {
    bool added = model_->SetColumns(columnSpec);
    ApplyColumnWidths();
    return added;
}

int SortableListView::ColumnSpecWidth(int column) const {
    const auto& columns = model_->Table().Columns();
    if (column < 0 || column >= static_cast<int>(columns.size())) return 0;
    // The widths are meant for a small dialog font about five pixels a character wide.
    const double scale = std::max(1.0, fontMetrics().averageCharWidth() / 5.0);
    return static_cast<int>(columns[static_cast<std::size_t>(column)].width * scale);
}

int SortableListView::WidestText(int column) const {
    // Measuring tens of thousands of texts takes a while; the widest is among the longest.
    constexpr std::size_t kMeasured = 200;
    std::vector<const std::string*> texts;
    texts.reserve(static_cast<std::size_t>(RowCount()));
    for (int row = 0; row < RowCount(); ++row) texts.push_back(&Table().Cell(row, column));
    const auto longer = [](const std::string* a, const std::string* b) { return a->size() > b->size(); };
    if (texts.size() > kMeasured) {
        std::nth_element(texts.begin(), texts.begin() + kMeasured, texts.end(), longer);
        texts.resize(kMeasured);
    }
    int widest = 0;
    for (const std::string* text : texts)
        widest = std::max(widest, fontMetrics().horizontalAdvance(FromBytes(*text)));
    // The cell's own margins and the space for the focus frame.
    return widest + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 12;
}

void SortableListView::ApplyColumnWidths() {
    const auto& columns = model_->Table().Columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int column = static_cast<int>(i);
        setColumnHidden(column, columns[i].width == 0);
        if (columns[i].width > 0) setColumnWidth(column, ColumnSpecWidth(column));
    }
}

void SortableListView::OnHeaderClicked(int column) {
    Sort(column, model_->Table().AscendingAfterHeaderClick(column));
}

void SortableListView::Sort(int column, bool ascending) {
    model_->Sort(column, ascending);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

std::vector<int> SortableListView::SelectedRows() const {
    std::vector<int> rows;
    if (selectionModel() == nullptr) return rows;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int SortableListView::FirstSelectedRow() const {
    std::vector<int> rows = SelectedRows();
    return rows.empty() ? -1 : rows.front();
}

void SortableListView::SelectRow(int row, bool keepOthers) {
    if (row < 0 || row >= RowCount()) return;
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
    if (!keepOthers) flags |= QItemSelectionModel::Clear;
    selectionModel()->select(model_->index(row, 0), flags);
}

void SortableListView::JumpToRow(int row) {
    if (row < 0 || row >= RowCount()) return;
    const QModelIndex target = model_->index(row, 1 < model_->columnCount() ? 1 : 0);
    scrollTo(target, QAbstractItemView::PositionAtTop);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    SelectRow(row, true);
    setFocus();
}

void SortableListView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers blocking = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if ((event->modifiers() & blocking) == 0) {
        // The key itself counts, not the character typed: "m" and "M" both look for "M".
        if (key >= Qt::Key_A && key <= Qt::Key_Z) {
            Q_EMIT FirstCharTyped(static_cast<char>('A' + (key - Qt::Key_A)));
            return;
        }
        if (key >= Qt::Key_0 && key <= Qt::Key_9) {
            Q_EMIT FirstCharTyped(static_cast<char>('0' + (key - Qt::Key_0)));
            return;
        }
        if (key == Qt::Key_Delete) {
            Q_EMIT DeletePressed();
            return;
        }
    }
    QTreeView::keyPressEvent(event);
}

}  // namespace vantor::app
