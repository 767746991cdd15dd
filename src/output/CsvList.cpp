// "CSV File": the chosen columns, one row per game, joined by a free delimiter.
#include "ListWriter.h"
#include "gamedata/TextUtil.h"

namespace vantor {

bool ListWriter::WriteCsvList(std::string& fileName, std::string_view keyList, std::int64_t count,
                              const CsvListOptions& options) {
    vn_.valueSeparator = options.delimiter;
    if (!CheckTarget(fileName)) return false;
    Begin();
    std::vector<std::string> keys;
    for (std::size_t pos = 0; pos < options.columnKeys.size();) {
        std::size_t comma = options.columnKeys.find(',', pos);
        if (comma == std::string::npos) comma = options.columnKeys.size();
        if (comma > pos) keys.push_back(options.columnKeys.substr(pos, comma - pos));
        pos = comma + 1;
    }
    vn_.listText = options.headerLine;
    if (!vn_.listText.empty()) vn_.listText += "\r\n";
    const std::string& separator = vn_.valueSeparator;
    AppendEntries(keyList, count, false, [&](const ListedRecord& record, std::string& out) {
        std::string row;
        for (const std::string& key : keys) {
            row += record.Value(key);
            row += separator;
        }
        // Empty trailing columns vanish; a game with no value at all has no row.
        TrimRight(row, separator);
        if (row.empty()) return false;
        out += row;
        out += "\r\n";
        return true;
    });
    return Finish(fileName, vn_.listText);
}

}  // namespace vantor
