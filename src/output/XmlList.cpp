// "XML File" and "MultiFE": a cut-down copy of the master file itself, its records copied byte
// for byte.
#include "ListWriter.h"
#include "gamedata/RecordReader.h"

namespace vantor {

bool ListWriter::WriteXmlList(std::string& fileName, std::string_view keyList, std::int64_t count) {
    if (!CheckTarget(fileName)) return false;
    Begin();
    reader_.ReadHeader(file_, text_);
    const std::string rootCloseTag = RecordReader::GetRootCloseTag(text_);
    AppendEntries(keyList, count, true, [](const ListedRecord& record, std::string& out) {
        record.AppendText(out);
        return true;
    });
    text_ += "\r\n";
    text_ += rootCloseTag;
    text_ += "\n";
    return Finish(fileName, text_);
}

}  // namespace vantor
