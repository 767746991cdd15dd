#pragma once
// The columns a CSV list can gather: one per tick box of the column dialog, in the default
// order, with the record key each reads and the input types it is gathered for.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "gamedata/CsvFields.h"

namespace vantor {

// The CSV choice: `columnKeys` each followed by ",", in output order; `headerLine` is the
// headings joined by the delimiter, or "" for no header line. A column key may name several keys
// joined by "|": the column takes the first real value among them (the merge's "no_..." texts for
// a game a data file does not know count only when nothing else is there).
struct CsvListOptions {
    std::string columnKeys;
    std::string delimiter = ";";
    std::string headerLine;
};

struct CsvColumn {
    const char* boxText;
    const char* cliName;
    // nullptr: the description, start or manufacturer tag of the input type. Keys joined by "|"
    // are tried in turn (see CsvListOptions).
    const char* key;
    const char* heading;
    unsigned gatheredTypes;  // one bit per InputType
    int disabledFor;         // the input type whose box is disabled, or -1
};

inline constexpr std::size_t kCsvColumnCount = 24;
const std::array<CsvColumn, kCsvColumnCount>& CsvColumns();
const CsvColumn* FindCsvColumn(std::string_view cliName);
// The columns of a comma-separated list of names ("year, rom-name"), in that order; blanks around
// names and empty names are ignored. An unknown name or one named twice is a `problem`.
[[nodiscard]] std::vector<const CsvColumn*> ParseCsvColumnList(std::string_view names, std::string& problem);
// The names of `columns` joined by ",", as ParseCsvColumnList reads them.
std::string CsvColumnList(const std::vector<const CsvColumn*>& columns);

// The key the column reads from records of `inputType`.
std::string CsvColumnKey(const CsvColumn& column, int inputType);
// Whether a ticked box of this column is gathered for `inputType`; others are ignored.
bool IsCsvColumnGathered(const CsvColumn& column, int inputType);

// The CSV choice for `columns` in output order, as the column dialogs hand it to the writer:
// columns not gathered for the input type are left out; the header line is the headings joined
// by the delimiter, or empty without `header`.
CsvListOptions MakeCsvListOptions(const std::vector<const CsvColumn*>& columns, int inputType,
                                  const std::string& delimiter, bool header);

}  // namespace vantor
