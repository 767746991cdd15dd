// "Maximus Arcade": one line that the front end's own converter turns into its list file.
#include <algorithm>

#include "ListWriter.h"
#include "gamedata/TextUtil.h"

namespace vantor {

bool ListWriter::WriteMaximusList(std::string fileName, const std::string& romFolder,
                                  std::string_view keyList, std::int64_t count) {
    if (!CheckTarget(fileName)) return false;
    Begin();
    text_ = "[";
    AppendEntries(keyList, count, false, [&](const ListedRecord& record, std::string& out) {
        // A double quote would end the quoted description early and shift every text after it.
        std::string description = record.Description();
        std::replace(description.begin(), description.end(), '"', '\'');
        out += "\"" + description + "\":";
        out += " [#name: \"" + record.RomName() + "\",";
        std::string parent = record.Value("cloneof=");
        if (!parent.empty()) out += " #cloneof:\"" + parent + "\",";
        out += " #path: \"" + romFolder + "\"], ";
        return true;
    });
    TrimRight(text_, ", ");
    text_ += "]";
    return WriteTarget(fileName, text_);
}

}  // namespace vantor
