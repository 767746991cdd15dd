// "HyperSpin": a menu database with one game element per game.
#include "ListWriter.h"
#include "gamedata/TagTable.h"
#include "gamedata/XmlEntities.h"

namespace vantor {

bool ListWriter::WriteHyperSpinList(std::string& fileName, std::string_view keyList, std::int64_t count) {
    if (!CheckTarget(fileName)) return false;
    Begin();
    text_ = "<menu>\r\n";
    const std::string& manufacturerTag = catalog_.ManufacturerTag();
    AppendEntries(keyList, count, false, [&](const ListedRecord& record, std::string& out) {
        out += "\t<game name=\"" + EncodedEntities(record.RomName()) + "\">\r\n";
        out += "\t\t<description>" + EncodedEntities(record.Description()) + "</description>\r\n";
        out += "\t\t<cloneof>" + EncodedEntities(record.Value("cloneof=")) + "</cloneof>\r\n";
        out += "\t\t<manufacturer>" + EncodedEntities(record.Value(manufacturerTag)) + "</manufacturer>\r\n";
        out += "\t\t<year>" + EncodedEntities(record.Value("<year>")) + "</year>\r\n";
        out += "\t\t<genre>" + EncodedEntities(record.Value("<category>")) + "</genre>\r\n";
        out += "\t</game>\r\n";
        return true;
    });
    text_ += "</menu>\r\n";
    return Finish(fileName, text_);
}

}  // namespace vantor
