// "XML File" and "MultiFE": a cut-down copy of the master file itself, its records copied byte
// for byte.
#include "ListWriter.h"
#include "gamedata/RecordReader.h"

namespace vantor {

bool ListWriter::WriteXmlList(std::string& fileName, std::string_view keyList, std::int64_t count) {
    if (!CheckTarget(fileName)) return false;
    Begin();
    vn_.reader.ReadHeader(file_, vn_.listText);
    const std::string rootCloseTag = RecordReader::GetRootCloseTag(vn_.listText);
    AppendEntries(keyList, count, true, [](const ListedRecord& record, std::string& out) {
        record.AppendText(out);
        return true;
    });
    vn_.listText += "\r\n";
    vn_.listText += rootCloseTag;
    vn_.listText += "\n";
    return Finish(fileName, vn_.listText);
}

}  // namespace vantor
