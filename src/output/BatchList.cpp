// "Batch File": one expansion of the line template per game.
#include "ListWriter.h"
#include "gamedata/TextUtil.h"

namespace vantor {

bool ListWriter::WriteBatchList(std::string& fileName, std::string_view keyList, std::int64_t count,
                                const std::string& lineTemplate) {
    if (!CheckTarget(fileName)) return false;
    Begin();
    AppendEntries(keyList, count, false, [&](const ListedRecord& record, std::string& out) {
        // In this order, so that a value brought in by an earlier placeholder is expanded too.
        std::string line = lineTemplate;
        ReplaceAll(line, "%ROM%", record.RomName());
        if (Contains(line, "%DESC%")) ReplaceAll(line, "%DESC%", record.Description());
        if (Contains(line, "%CHD%")) ReplaceAll(line, "%CHD%", record.Value("disk_name="));
        ReplaceAll(line, "|", "\r\n");
        out += line;
        out += "\r\n";
        return true;
    });
    return Finish(fileName, vn_.listText);
}

}  // namespace vantor
