// "ROM names only", "Atomic FE" and "MAMEUIFX": one ROM name per line, with small differences.
#include "ListWriter.h"

namespace vantor {

bool ListWriter::WriteRomNames(std::string& fileName, std::string_view header, std::string_view lineEnd,
                               std::string_view keyList, std::int64_t count) {
    if (!CheckTarget(fileName)) return false;
    Begin();
    text_ = header;
    AppendEntries(keyList, count, false, [&](const ListedRecord& record, std::string& out) {
        out += record.RomName();
        out += lineEnd;
        return true;
    });
    return Finish(fileName, text_);
}

bool ListWriter::WriteRomNameList(std::string& fileName, std::string_view keyList, std::int64_t count) {
    return WriteRomNames(fileName, "", "\r\n", keyList, count);
}

bool ListWriter::WriteAtomicFeList(std::string& fileName, std::string_view keyList, std::int64_t count) {
    return WriteRomNames(fileName, "", ".zip\r\n", keyList, count);
}

bool ListWriter::WriteMameUifxList(std::string& fileName, const std::string& headerText,
                                   std::string_view keyList, std::int64_t count) {
    return WriteRomNames(fileName, headerText, "\r\n", keyList, count);
}

}  // namespace vantor
