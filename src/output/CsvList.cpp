// "CSV File": the chosen columns, one row per game, joined by a free delimiter.
#include "CsvColumns.h"
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

class CsvWriter : public ListWriter {
  public:
    explicit CsvWriter(const ListOptions& options)
        : columns_(options.Text(ListOption::Columns)),
          delimiter_(options.Text(ListOption::Delimiter, ";")),
          header_(!options.Has(ListOption::NoHeader)),
          fields_(delimiter_) {}

    // The columns' keys depend on the master file's type.
    void Begin(const ListContext& context, ListDocument& document) override {
        std::string problem;
        std::vector<const CsvColumn*> columns = ParseCsvColumnList(columns_, problem);
        if (!problem.empty()) throw EngineError(problem);
        const CsvListOptions csv =
            MakeCsvListOptions(columns, context.catalog.inputType, delimiter_, header_);
        for (std::size_t pos = 0; pos < csv.columnKeys.size();) {
            std::size_t comma = csv.columnKeys.find(',', pos);
            if (comma == std::string::npos) comma = csv.columnKeys.size();
            if (comma > pos) keys_.push_back(csv.columnKeys.substr(pos, comma - pos));
            pos = comma + 1;
        }
        document.text = csv.headerLine;
        if (!document.text.empty()) document.text += "\r\n";
    }

    // Values are read whole (no "_" for the delimiter inside them): quoting keeps them apart.
    bool EntriesInParallel() const override { return true; }
    bool Entry(const ListedRecord& record, std::string& out) const override {
        std::string row;
        for (const std::string& key : keys_) {
            fields_.Append(row, ColumnValue(record, key));
            row += delimiter_;
        }
        // Empty trailing columns vanish; a game with no value at all has no row.
        TrimRight(row, delimiter_);
        if (row.empty()) return false;
        out += row;
        out += "\r\n";
        return true;
    }

  private:
    std::string columns_;
    std::string delimiter_;
    bool header_;
    CsvFields fields_;
    std::vector<std::string> keys_;
};

}  // namespace

std::unique_ptr<ListWriter> MakeCsvWriter(const ListOptions& options) {
    return std::make_unique<CsvWriter>(options);
}

}  // namespace vantor
