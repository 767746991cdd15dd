#pragma once
// The columns a CSV list can gather: one per tick box of the column dialog, in the default
// order, with the record key each reads and the input types it is gathered for.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "ListWriter.h"

namespace vantor {

struct CsvColumn {
    int boxId;
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
