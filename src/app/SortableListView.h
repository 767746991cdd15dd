#pragma once
// The report-view list of every list window: a QTreeView over a table model that owns a
// ListTable. A click on a heading sorts by that column (a second click reverses), the header shows
// the sort arrow and its sections can be dragged. Typed letters and digits do not search as Qt
// lists do: they are handed to the owner, which jumps by first character.
#include <QAbstractTableModel>
#include <QTreeView>
#include <vector>

#include "listmodel/ListTable.h"

namespace vantor::app {

class ListTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    const ListTable& Table() const { return table_; }

    bool SetColumns(std::string_view columnSpec);
    int AddRow(ListTable::Row cells);
    void ReplaceRows(std::vector<ListTable::Row> rows, int sortedColumn, bool ascending);
    void MergeRows(std::vector<ListTable::Row> rows, int column, bool ascending);
    bool SetCellText(int row, int column, std::string text);
    int DeleteRows(const std::vector<int>& rows);
    void DeleteAllRows();
    // Sorts keeping the selection and the current row on the same rows.
    void Sort(int column, bool ascending);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order) override;

  private:
    // After the rows were permuted (element i: old row of the row now at i), inside a layout
    // change: moves the persistent indexes (selection, current row) along with their rows.
    void MovePersistentIndexes(const std::vector<int>& order);

    ListTable table_;
};

class SortableListView : public QTreeView {
    Q_OBJECT
  public:
    explicit SortableListView(QWidget* parent = nullptr);

    // Builds the columns from a column string ("Key,0; Name,120; ..."); a zero width hides the
    // column.
    bool SetColumns(std::string_view columnSpec);
    // A column's width as the column string gives it, in this font's pixels.
    int ColumnSpecWidth(int column) const;
    // The width that shows the column's texts whole (its longest ones are measured).
    int WidestText(int column) const;
    ListTableModel* Model() const { return model_; }
    const ListTable& Table() const { return model_->Table(); }
    int RowCount() const { return model_->Table().RowCount(); }

    // Sorts and shows the arrow on that column's heading.
    void Sort(int column, bool ascending);
    // Selected rows in index order; the first of them, or -1.
    std::vector<int> SelectedRows() const;
    int FirstSelectedRow() const;
    void SelectRow(int row, bool keepOthers);
    // Scrolls the row to the top of the view, makes it current, selects it without clearing other
    // selections and takes the focus.
    void JumpToRow(int row);

  Q_SIGNALS:
    void FirstCharTyped(char c);  // A-Z (as capitals) and 0-9
    void DeletePressed();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString&) override {}

  private:
    void OnHeaderClicked(int column);
    void ApplyColumnWidths();

    ListTableModel* model_;
};

}  // namespace vantor::app
