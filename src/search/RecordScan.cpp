#include "RecordScan.h"

#include <cstring>

#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

MatchEntry MakeMatchEntry(const RecordFields& fields, std::int64_t position, std::string_view record) {
    MatchEntry entry;
    entry.key = FormatRecordKey(position);
    entry.romName = fields.GetRomName(record);
    entry.description = fields.GetDescription(record);
    if (entry.description.empty()) entry.description = "Unknown";
    entry.year = fields.GetFieldValues(record, "<year>", {}, 0, true);
    if (entry.year.size() < 4) entry.year = "19??";
    entry.manufacturer =
        fields.GetFieldValues(record, Tags().ManufacturerTag(fields.InputType()), {}, 0, true);
    if (entry.manufacturer.empty()) entry.manufacturer = "?";
    return entry;
}

std::int64_t LineStartFrom(const MasterFile& file, std::int64_t offset) {
    if (offset <= 0) return 0;
    char buffer[4096];
    for (std::int64_t at = offset - 1;;) {
        std::size_t got = file.ReadAt(at, buffer, sizeof buffer);
        if (got == 0) return file.Size();
        const void* newline = std::memchr(buffer, '\n', got);
        if (newline != nullptr) return at + (static_cast<const char*>(newline) - buffer) + 1;
        at += static_cast<std::int64_t>(got);
    }
}

}  // namespace vantor
