// "ROM descriptions only": one description per line.
#include "ListWriter.h"

namespace vantor {

bool ListWriter::WriteDescriptionList(std::string& fileName, std::string_view keyList, std::int64_t count) {
    if (!CheckTarget(fileName)) return false;
    Begin();
    AppendEntries(keyList, count, false, [](const ListedRecord& record, std::string& out) {
        out += record.Description();
        out += "\r\n";
        return true;
    });
    return Finish(fileName, text_);
}

}  // namespace vantor
