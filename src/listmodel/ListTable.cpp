#include "ListTable.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "gamedata/ListOrder.h"
#include "search/MatchEntry.h"

namespace vantor {

std::vector<ListColumn> ParseColumnSpec(std::string_view columnSpec) {
    std::vector<ListColumn> columns;
    std::size_t pos = 0;
    while (pos < columnSpec.size()) {
        std::size_t comma = columnSpec.find(',', pos);
        if (comma == std::string_view::npos) break;
        std::size_t semicolon = columnSpec.find(';', comma + 1);
        std::size_t widthEnd = semicolon == std::string_view::npos ? columnSpec.size() : semicolon;
        ListColumn column;
        column.heading = std::string(columnSpec.substr(pos, comma - pos));
        std::string width(columnSpec.substr(comma + 1, widthEnd - comma - 1));
        column.width = std::atoi(width.c_str());
        if (column.width < 0) column.width = 0;
        columns.push_back(std::move(column));
        if (semicolon == std::string_view::npos) break;
        pos = semicolon + 1;
    }
    return columns;
}

bool ListTable::SetColumns(std::string_view columnSpec) {
    std::vector<ListColumn> added = ParseColumnSpec(columnSpec);
    if (added.empty()) return false;
    columns_.insert(columns_.end(), added.begin(), added.end());
    for (Row& row : rows_) Fit(row);
    return true;
}

void ListTable::Fit(Row& row) const {
    row.resize(columns_.size());
}

int ListTable::AddRow(Row cells) {
    Fit(cells);
    inSortOrder_ = false;
    rows_.push_back(std::move(cells));
    return RowCount() - 1;
}

void ListTable::AppendRows(std::vector<Row> rows) {
    for (Row& row : rows) Fit(row);
    if (!rows.empty()) inSortOrder_ = false;
    if (rows_.empty()) {
        rows_ = std::move(rows);
        return;
    }
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
}

const std::string& ListTable::Cell(int row, int column) const {
    static const std::string kEmpty;
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return kEmpty;
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

bool ListTable::SetCellText(int row, int column, std::string text) {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return false;
    rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
    if (column == sortColumn_) inSortOrder_ = false;
    return true;
}

bool ListTable::DeleteRow(int row) {
    if (row < 0 || row >= RowCount()) return false;
    rows_.erase(rows_.begin() + row);
    return true;
}

int ListTable::DeleteRows(std::vector<int> rows) {
    std::vector<char> doomed(rows_.size(), 0);
    int count = 0;
    for (int row : rows) {
        if (row >= 0 && row < RowCount() && !doomed[static_cast<std::size_t>(row)]) {
            doomed[static_cast<std::size_t>(row)] = 1;
            ++count;
        }
    }
    if (count == 0) return 0;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (!doomed[i]) {
            if (kept != i) rows_[kept] = std::move(rows_[i]);
            ++kept;
        }
    }
    rows_.resize(kept);
    return count;
}

void ListTable::ReplaceRows(std::vector<Row> rows, int sortedColumn, bool ascending) {
    for (Row& row : rows) Fit(row);
    rows_ = std::move(rows);
    // Rows in no sorted order leave no sorted column behind: a heading click then sorts ascending.
    sortColumn_ = sortedColumn >= 0 ? sortedColumn : -1;
    sortAscending_ = sortedColumn >= 0 ? ascending : true;
    inSortOrder_ = sortedColumn >= 0;
}

std::vector<int> ListTable::MergeRows(std::vector<Row> rows, int column, bool ascending) {
    const bool merge = inSortOrder_ && column == sortColumn_ && ascending == sortAscending_ && column >= 0 &&
                       column < ColumnCount();
    const std::size_t middle = rows_.size();
    AppendRows(std::move(rows));
    if (!merge) return Sort(column, ascending);
    inSortOrder_ = true;
    std::vector<int> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    const auto col = static_cast<std::size_t>(column);
    // std::inplace_merge is stable: of equal rows, the old ones stay first.
    std::inplace_merge(
        order.begin(), order.begin() + static_cast<std::ptrdiff_t>(middle), order.end(), [&](int a, int b) {
            const std::string& left = rows_[static_cast<std::size_t>(a)][col];
            const std::string& right = rows_[static_cast<std::size_t>(b)][col];
            return ascending ? CompareListText(left, right) < 0 : CompareListText(right, left) < 0;
        });
    return Permute(std::move(order));
}

std::vector<int> ListTable::Permute(std::vector<int> order) {
    std::vector<Row> arranged;
    arranged.reserve(rows_.size());
    for (int index : order) arranged.push_back(std::move(rows_[static_cast<std::size_t>(index)]));
    rows_.swap(arranged);
    return order;
}

std::vector<int> ListTable::Sort(int column, bool ascending) {
    sortColumn_ = column;
    sortAscending_ = ascending;
    inSortOrder_ = true;
    std::vector<int> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    if (column < 0 || column >= ColumnCount()) return order;
    const auto col = static_cast<std::size_t>(column);
    // Sorting indices keeps the comparisons on the rows where they are; the rows move once.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const std::string& left = rows_[static_cast<std::size_t>(a)][col];
        const std::string& right = rows_[static_cast<std::size_t>(b)][col];
        return ascending ? CompareListText(left, right) < 0 : CompareListText(right, left) < 0;
    });
    return Permute(std::move(order));
}

int ListTable::FindFirstChar(char c) const {
    if (ColumnCount() <= kNameColumn) return -1;
    for (int row = 0; row < RowCount(); ++row) {
        const std::string& name = rows_[static_cast<std::size_t>(row)][kNameColumn];
        if (name.empty()) return -1;
        if (name.front() == c) return row;
    }
    return -1;
}

int ListTable::FindNextChar(char c, int current) const {
    auto startsWith = [&](int row) {
        const std::string& name = Cell(row, kNameColumn);
        return !name.empty() && name.front() == c;
    };
    if (current < 0 || current >= RowCount() || !startsWith(current)) return FindFirstChar(c);
    for (int row = current + 1; row < RowCount(); ++row) {
        if (startsWith(row)) return row;
    }
    return FindFirstChar(c);
}

std::vector<ListTable::Row> GameRowsFromEntries(std::vector<MatchEntry> entries) {
    std::vector<ListTable::Row> rows;
    rows.reserve(entries.size());
    for (MatchEntry& entry : entries) {
        ListTable::Row row(5);
        row[kKeyColumn] = std::move(entry.key);
        row[kNameColumn] = std::move(entry.description);
        row[kRomNameColumn] = std::move(entry.romName);
        row[kYearColumn] = std::move(entry.year);
        row[kManufacturerColumn] = std::move(entry.manufacturer);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<MatchEntry> EntriesFromGameRows(const ListTable& table, const std::vector<int>& rows) {
    std::vector<MatchEntry> entries;
    for (int row : rows) {
        if (row < 0 || row >= table.RowCount()) continue;
        entries.push_back({table.Cell(row, kKeyColumn), table.Cell(row, kRomNameColumn),
                           table.Cell(row, kNameColumn), table.Cell(row, kYearColumn),
                           table.Cell(row, kManufacturerColumn)});
    }
    return entries;
}

std::string FormatCountTitle(std::string_view format, long long count) {
    std::string title(format);
    std::size_t pos = title.find("%d");
    if (pos != std::string::npos) title.replace(pos, 2, std::to_string(count));
    return title;
}

}  // namespace vantor
