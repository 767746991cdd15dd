#include "CsvColumns.h"

#include <algorithm>

#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {
constexpr unsigned kAll =
    (1u << MameGame) | (1u << Dat) | (1u << MergedList) | (1u << SoftwareList) | (1u << MameMachine);
constexpr unsigned kListing = (1u << MameGame) | (1u << MergedList);
constexpr unsigned kMergedData = (1u << Dat) | (1u << MergedList);

constexpr std::array<CsvColumn, kCsvColumnCount> kColumns = {{
    {"Description", "description", nullptr, "Description", kAll, -1},
    {"ROM Name", "rom-name", nullptr, "ROM Name", kAll, -1},
    {"Clone of", "clone-of", "cloneof=", "cloneof", kAll, -1},
    {"Driver", "driver", "sourcefile=", "driver", kAll, -1},
    {"Year", "year", "<year>", "Year", kListing, Dat},
    {"Manufacturer", "manufacturer", nullptr, "Manufacturer", kListing, Dat},
    {"# of Buttons", "buttons", "buttons=", "Buttons", kAll, -1},
    {"Controls", "controls", "control_type=", "Controls", kAll, -1},
    {"Cocktail", "cocktail", "cocktail=", "Cocktail Support", kAll, MameGame},
    {"Video Width", "video-width", "width=", "Screen Width", kListing, Dat},
    {"Video Height", "video-height", "height=", "Screen Height", kListing, Dat},
    {"Orientation", "orientation", "rotate=", "Rotate", kListing, Dat},
    {"Display Type", "display-type", "%<display.type", "Display Type", kListing, Dat},
    {"Refresh Rate", "refresh-rate", "refresh=", "Refresh Rate", kListing, -1},
    {"Emulation Status", "emulation-status", "emulation=", "Emulation Status", kListing, Dat},
    {"CHD", "chd", "disk_name=", "CHD name", kListing, -1},
    {"Category", "category", "<category>", "Category", kMergedData, MameGame},
    {"Controls XML", "controls-xml", "'<controls_info>'", "controlsXML_info", kMergedData, -1},
    {"Tilt", "tilt", "tilt=", "Tilt", kMergedData, MameGame},
    {"Alternating", "alternating", "alternating=", "Alternating", kMergedData, MameGame},
    {"# Players", "players", "<nplayers>|numPlayers=", "Number of Players", kMergedData, MameGame},
    {"Uses Service", "uses-service", "usesService=", "Services", kMergedData, MameGame},
    {"Mirrored", "mirrored", "mirrored=", "Mirrored", kMergedData, MameGame},
    {"Version Added", "version-added", "<verAdded>", "Version Added", kMergedData, MameGame},
}};
}  // namespace

const std::array<CsvColumn, kCsvColumnCount>& CsvColumns() {
    return kColumns;
}

const CsvColumn* FindCsvColumn(std::string_view cliName) {
    for (const CsvColumn& column : kColumns) {
        if (cliName == column.cliName) return &column;
    }
    return nullptr;
}

std::vector<const CsvColumn*> ParseCsvColumnList(std::string_view names, std::string& problem) {
    std::vector<const CsvColumn*> columns;
    problem.clear();
    for (std::size_t pos = 0; pos <= names.size();) {
        std::size_t comma = std::min(names.find(',', pos), names.size());
        const std::string_view name = TrimView(names.substr(pos, comma - pos));
        pos = comma + 1;
        if (name.empty()) continue;
        const CsvColumn* column = FindCsvColumn(name);
        if (column == nullptr) {
            std::string known;
            for (const CsvColumn& each : kColumns)
                known += std::string(known.empty() ? "" : ", ") + each.cliName;
            problem = "unknown CSV column " + std::string(name) + " (columns: " + known + ")";
            return {};
        }
        if (std::find(columns.begin(), columns.end(), column) != columns.end()) {
            problem = "CSV column " + std::string(name) + " is named twice";
            return {};
        }
        columns.push_back(column);
    }
    return columns;
}

std::string CsvColumnList(const std::vector<const CsvColumn*>& columns) {
    std::string names;
    for (const CsvColumn* column : columns) {
        if (!names.empty()) names += ',';
        names += column->cliName;
    }
    return names;
}

std::string CsvColumnKey(const CsvColumn& column, int inputType) {
    if (column.key != nullptr) return column.key;
    // The columns without a key of their own: the input type's tags.
    const TagTable& tags = Tags();
    const int type = TagTable::Column(inputType);
    const std::string_view name = column.cliName;
    if (name == "description") return tags.descriptionTag[type];
    if (name == "rom-name") return tags.startTag[type];
    return tags.manufacturerTag[type];
}

bool IsCsvColumnGathered(const CsvColumn& column, int inputType) {
    return (column.gatheredTypes & (1u << TagTable::Column(inputType))) != 0;
}

CsvListOptions MakeCsvListOptions(const std::vector<const CsvColumn*>& columns, int inputType,
                                  const std::string& delimiter, bool header) {
    CsvListOptions options;
    options.delimiter = delimiter;
    const CsvFields fields(delimiter);
    bool first = true;
    for (const CsvColumn* column : columns) {
        if (column == nullptr || !IsCsvColumnGathered(*column, inputType)) continue;
        options.columnKeys += CsvColumnKey(*column, inputType) + ",";
        if (!first) options.headerLine += delimiter;
        fields.Append(options.headerLine, column->heading);
        first = false;
    }
    if (!header) options.headerLine.clear();
    return options;
}

}  // namespace vantor
