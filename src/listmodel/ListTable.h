#pragma once
// The rows of one sortable list (the working list, the two list windows, the search history):
// every cell's text kept by the table itself, so sorting never asks the owner for data.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "search/MatchEntry.h"

namespace vantor {

// The working list and the list windows: record key (hidden), Name, ROM Name, Year, Manufacturer.
inline constexpr const char* kGameListColumns = "Key,0; Name,120; ROM Name,80; Year,45; Manufacturer,115;";
inline constexpr int kKeyColumn = 0;
inline constexpr int kNameColumn = 1;
inline constexpr int kRomNameColumn = 2;
inline constexpr int kYearColumn = 3;
inline constexpr int kManufacturerColumn = 4;

struct ListColumn {
    std::string heading;
    int width = 0;  // pixels; 0 hides the column
};

// "Key,0; Name,120;": heading up to each ",", width up to the next ";" (or the end). The blank
// after a ";" belongs to the next heading. Stops when no further "," follows.
std::vector<ListColumn> ParseColumnSpec(std::string_view columnSpec);

class ListTable {
  public:
    using Row = std::vector<std::string>;

    // Appends the columns of `columnSpec`; returns whether any column was added.
    bool SetColumns(std::string_view columnSpec);
    const std::vector<ListColumn>& Columns() const { return columns_; }
    int ColumnCount() const { return static_cast<int>(columns_.size()); }

    int RowCount() const { return static_cast<int>(rows_.size()); }
    const std::vector<Row>& Rows() const { return rows_; }
    // Appends a row (cut or padded to the column count); returns its index.
    int AddRow(Row cells);
    void AppendRows(std::vector<Row> rows);
    // "" for a cell that does not exist.
    const std::string& Cell(int row, int column) const;
    bool SetCellText(int row, int column, std::string text);
    bool DeleteRow(int row);
    // Deletes the given rows (any order, duplicates allowed); returns how many went.
    int DeleteRows(std::vector<int> rows);
    void DeleteAllRows() { rows_.clear(); }
    // Replaces every row with rows already sorted by `sortedColumn` (-1: in no order).
    void ReplaceRows(std::vector<Row> rows, int sortedColumn = -1, bool ascending = true);
    // Adds rows sorted by `column` and leaves the whole table as a stable sort by that column of
    // the old rows followed by the new ones would: a merge when the table is already in that
    // order, a full sort otherwise. Returns the permutation: element i is the index, in the old
    // rows followed by the new ones, of the row now at i.
    std::vector<int> MergeRows(std::vector<Row> rows, int column, bool ascending);
    // Moves every row out, leaving the table empty.
    std::vector<Row> TakeRows() { return std::exchange(rows_, {}); }

    // Stable sort by one column with CompareListText. Returns the permutation applied:
    // element i is the old index of the row now at i.
    std::vector<int> Sort(int column, bool ascending);
    int SortColumn() const { return sortColumn_; }
    bool SortAscending() const { return sortAscending_; }
    // The direction a click on a column heading sorts in: the sorted column reverses an
    // ascending order, everything else sorts ascending.
    bool AscendingAfterHeaderClick(int column) const { return !(column == sortColumn_ && sortAscending_); }

    // The jump by first character: walking from the top, the first row whose Name begins with
    // exactly `c` (case-sensitive); an empty Name ends the walk. -1 when none.
    int FindFirstChar(char c) const;
    // The same letter pressed again: the next row after `current` whose Name begins with `c`,
    // round to the first one after the last; FindFirstChar when `current` is not such a row.
    int FindNextChar(char c, int current) const;

  private:
    void Fit(Row& row) const;
    // Puts the rows into `order` (old indexes) and returns it.
    std::vector<int> Permute(std::vector<int> order);

    std::vector<ListColumn> columns_;
    std::vector<Row> rows_;
    int sortColumn_ = -1;
    bool sortAscending_ = true;
    bool inSortOrder_ = false;  // rows_ still stand in the order of the last sort
};

// Match entries as rows in the game-list column order.
std::vector<ListTable::Row> GameRowsFromEntries(std::vector<MatchEntry> entries);
// The given rows of a game list as match entries, in the order given ("Add to your list").
std::vector<MatchEntry> EntriesFromGameRows(const ListTable& table, const std::vector<int>& rows);

// The window titles: `format` with its one "%d" replaced by `count`.
std::string FormatCountTitle(std::string_view format, long long count);

}  // namespace vantor
