// "CSV File": the chosen columns, one row per game, joined by a free delimiter.
#include "ListWriter.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

bool IsMergePlaceholder(std::string_view value) {
    return value == kNoCatver || value == kNoNplayers || value == kNoVerAdded;
}

// The first real value of the keys joined by "|"; a placeholder only when there is nothing else.
std::string ColumnValue(const ListedRecord& record, std::string_view keys) {
    if (keys.find('|') == std::string_view::npos) return record.Value(keys);
    std::string fallback;
    for (std::size_t pos = 0; pos <= keys.size();) {
        std::size_t bar = keys.find('|', pos);
        if (bar == std::string_view::npos) bar = keys.size();
        std::string value = record.Value(keys.substr(pos, bar - pos));
        if (!value.empty() && !IsMergePlaceholder(value)) return value;
        if (fallback.empty()) fallback = std::move(value);
        pos = bar + 1;
    }
    return fallback;
}

}  // namespace

bool ListWriter::WriteCsvList(std::string& fileName, std::string_view keyList, std::int64_t count,
                              const CsvListOptions& options) {
    separator_ = options.delimiter;
    if (!CheckTarget(fileName)) return false;
    Begin();
    std::vector<std::string> keys;
    for (std::size_t pos = 0; pos < options.columnKeys.size();) {
        std::size_t comma = options.columnKeys.find(',', pos);
        if (comma == std::string::npos) comma = options.columnKeys.size();
        if (comma > pos) keys.push_back(options.columnKeys.substr(pos, comma - pos));
        pos = comma + 1;
    }
    text_ = options.headerLine;
    if (!text_.empty()) text_ += "\r\n";
    const std::string& separator = options.delimiter;
    const CsvFields fields(separator);
    // Values are read whole (no "_" for the delimiter inside them): quoting keeps them apart.
    separator_.clear();
    AppendEntries(keyList, count, false, [&](const ListedRecord& record, std::string& out) {
        std::string row;
        for (const std::string& key : keys) {
            fields.Append(row, ColumnValue(record, key));
            row += separator;
        }
        // Empty trailing columns vanish; a game with no value at all has no row.
        TrimRight(row, separator);
        if (row.empty()) return false;
        out += row;
        out += "\r\n";
        return true;
    });
    separator_ = separator;
    return Finish(fileName, text_);
}

}  // namespace vantor
