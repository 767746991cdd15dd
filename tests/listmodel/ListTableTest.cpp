#include "listmodel/ListTable.h"

#include <gtest/gtest.h>

#include "MatchEntryText.h"

namespace vantor {
namespace {

std::vector<std::string> Column(const ListTable& table, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < table.RowCount(); ++row) cells.push_back(table.Cell(row, column));
    return cells;
}

ListTable GameTable(std::vector<MatchEntry> entries) {
    ListTable table;
    table.SetColumns(kGameListColumns);
    table.AppendRows(GameRowsFromEntries(std::move(entries)));
    return table;
}
ListTable GameTable(std::string_view text) {
    return GameTable(test::EntriesFromText(text));
}

// Kept on purpose: the stored column texts have always carried this blank into the headings.
TEST(ListTableTest, ColumnSpecKeepsTheBlankAfterEachSemicolon) {
    std::vector<ListColumn> columns = ParseColumnSpec("Key,0; Name,120;");
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].heading, "Key");
    EXPECT_EQ(columns[0].width, 0);
    EXPECT_EQ(columns[1].heading, " Name");
    EXPECT_EQ(columns[1].width, 120);

    // The last width may run to the end; a heading without a comma ends the parse.
    columns = ParseColumnSpec("Search,800");
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_EQ(columns[0].width, 800);
    EXPECT_EQ(ParseColumnSpec("A,1;B").size(), 1u);
    EXPECT_TRUE(ParseColumnSpec("").empty());

    ListTable table;
    EXPECT_FALSE(table.SetColumns("no columns here"));
    EXPECT_TRUE(table.SetColumns(kGameListColumns));
    EXPECT_EQ(table.ColumnCount(), 5);
}

TEST(ListTableTest, OneEntryFillsOneRowInColumnOrder) {
    ListTable table = GameTable("0x10|pacman|Pac-Man|1980|Namco|");
    ASSERT_EQ(table.RowCount(), 1);
    EXPECT_EQ(table.Rows()[0], (ListTable::Row{"0x10", "Pac-Man", "pacman", "1980", "Namco"}));
    EXPECT_EQ(FormatCountTitle("Found %d ROMs", table.RowCount()), "Found 1 ROMs");
    EXPECT_EQ(FormatCountTitle("Found:%d matches", 3), "Found:3 matches");
}

TEST(ListTableTest, HeaderClicksSortStablyWithTheListComparison) {
    ListTable table = GameTable(
        "0x1|b1|b|1982|X|"
        "0x2|B1|B|1980|Y|"
        "0x3|a1|a|1982|Z|"
        "0x4|b2|b|1981|W|");
    EXPECT_TRUE(table.AscendingAfterHeaderClick(kNameColumn));
    table.Sort(kNameColumn, table.AscendingAfterHeaderClick(kNameColumn));
    // Lower case before upper case of the same letter; equal names keep their order.
    EXPECT_EQ(Column(table, kKeyColumn), (std::vector<std::string>{"0x3", "0x1", "0x4", "0x2"}));

    EXPECT_FALSE(table.AscendingAfterHeaderClick(kNameColumn));
    std::vector<int> order = table.Sort(kNameColumn, false);
    EXPECT_EQ(Column(table, kKeyColumn), (std::vector<std::string>{"0x2", "0x1", "0x4", "0x3"}));
    EXPECT_EQ(order, (std::vector<int>{3, 1, 2, 0}));  // old positions of the new rows

    // Another column starts ascending again; a reversed column reverses back to ascending.
    EXPECT_TRUE(table.AscendingAfterHeaderClick(kYearColumn));
    EXPECT_TRUE(table.AscendingAfterHeaderClick(kNameColumn));
    table.Sort(kYearColumn, true);
    EXPECT_EQ(Column(table, kYearColumn), (std::vector<std::string>{"1980", "1981", "1982", "1982"}));
    EXPECT_EQ(table.Cell(2, kKeyColumn), "0x1");  // 0x1 stood before 0x3 in the descending order
    EXPECT_EQ(table.SortColumn(), kYearColumn);

    ASSERT_TRUE(table.SetCellText(0, kYearColumn, "1999"));
    table.Sort(kYearColumn, true);
    EXPECT_EQ(table.Cell(3, kYearColumn), "1999");
    EXPECT_FALSE(table.SetCellText(4, 0, "x"));
    EXPECT_FALSE(table.SetCellText(0, 5, "x"));
}

TEST(ListTableTest, FirstCharacterJumpIsCaseSensitiveAndStopsAtAnEmptyName) {
    ListTable table = GameTable(
        "0x1|a|1942|1984|C|"
        "0x2|b|ms. pac|1981|M|"
        "0x3|c|Mappy|1983|N|"
        "0x4|d|Pac-Man|1980|N|");
    EXPECT_EQ(table.FindFirstChar('M'), 2);
    EXPECT_EQ(table.FindFirstChar('1'), 0);
    EXPECT_EQ(table.FindFirstChar('P'), 3);
    EXPECT_EQ(table.FindFirstChar('Z'), -1);

    ASSERT_TRUE(table.SetCellText(1, kNameColumn, ""));
    EXPECT_EQ(table.FindFirstChar('M'), -1);  // the empty name ends the walk
    EXPECT_EQ(table.FindFirstChar('1'), 0);

    ListTable oneColumn;
    oneColumn.SetColumns("Search,800;");
    oneColumn.AddRow({"Mappy"});
    EXPECT_EQ(oneColumn.FindFirstChar('M'), -1);
}

TEST(ListTableTest, DeletingRowsAndAddingToTheWorkingList) {
    ListTable table = GameTable(
        "0x1|r1|One|1981|A|"
        "0x2|r2|Two|1982|B|"
        "0x3|r3|Three|1983|C|"
        "0x4|r4|Four|1984|D|"
        "0x5|r5|Five|1985|E|");
    EXPECT_EQ(EntriesFromGameRows(table, {3, 1}),
              test::EntriesFromText("0x4|r4|Four|1984|D|0x2|r2|Two|1982|B|"));
    EXPECT_TRUE(EntriesFromGameRows(table, {}).empty());
    EXPECT_TRUE(EntriesFromGameRows(table, {9}).empty());

    EXPECT_EQ(table.DeleteRows({3, 1, 3, 7}), 2);
    EXPECT_EQ(Column(table, kKeyColumn), (std::vector<std::string>{"0x1", "0x3", "0x5"}));
    EXPECT_TRUE(table.DeleteRow(0));
    EXPECT_FALSE(table.DeleteRow(2));
    EXPECT_EQ(table.RowCount(), 2);

    // The text of the added rows fills the same rows again.
    ListTable copy = GameTable(EntriesFromGameRows(table, {0, 1}));
    EXPECT_EQ(copy.Rows(), table.Rows());

    // A row of the wrong width is fitted to the columns.
    EXPECT_EQ(table.AddRow({"0x9"}), 2);
    EXPECT_EQ(table.Cell(2, kManufacturerColumn), "");
    table.DeleteAllRows();
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(table.ColumnCount(), 5);
}

TEST(ListTableTest, MergingABatchEqualsSortingTheWholeList) {
    const char* first = "0x1|r1|b|1|M|0x2|r2|A|2|M|0x3|r3|a|3|M|0x4|r4|c|4|M|";
    const char* batch = "0x5|r5|a|5|M|0x6|r6|B|6|M|0x7|r7|b|7|M|";
    auto sortedBatch = [&](int column, bool ascending) {
        ListTable rows = GameTable(batch);
        rows.Sort(column, ascending);
        return rows.Rows();
    };

    // Already in name order: the batch is merged, old rows first among equal names.
    ListTable table = GameTable(first);
    table.Sort(kNameColumn, true);
    table.MergeRows(sortedBatch(kNameColumn, true), kNameColumn, true);
    EXPECT_EQ(Column(table, kKeyColumn),
              (std::vector<std::string>{"0x3", "0x5", "0x2", "0x1", "0x7", "0x6", "0x4"}));

    // Sorted by another column, or disturbed since: the whole list is sorted again.
    ListTable byYear = GameTable(first);
    byYear.Sort(kYearColumn, false);
    byYear.MergeRows(sortedBatch(kNameColumn, true), kNameColumn, true);
    ListTable reference = GameTable(first);
    reference.Sort(kYearColumn, false);
    reference.AppendRows(GameRowsFromEntries(test::EntriesFromText(batch)));
    reference.Sort(kNameColumn, true);
    EXPECT_EQ(byYear.Rows(), reference.Rows());

    ListTable edited = GameTable(first);
    edited.Sort(kNameColumn, false);
    edited.SetCellText(0, kNameColumn, "zzz");
    edited.MergeRows(sortedBatch(kNameColumn, false), kNameColumn, false);
    EXPECT_EQ(edited.Cell(0, kNameColumn), "zzz");
    EXPECT_EQ(edited.SortColumn(), kNameColumn);
    EXPECT_FALSE(edited.SortAscending());

    ListTable fresh;
    fresh.SetColumns(kGameListColumns);
    fresh.MergeRows(sortedBatch(kNameColumn, true), kNameColumn, true);
    fresh.MergeRows(GameRowsFromEntries({}), kNameColumn, true);
    EXPECT_EQ(fresh.Rows(), sortedBatch(kNameColumn, true));
}

}  // namespace
}  // namespace vantor
