// "HyperSpin": a menu database with one game element per game.
#include "ListWriter.h"
#include "gamedata/RecordFields.h"
#include "gamedata/TagTable.h"

namespace vantor {

bool ListWriter::WriteHyperSpinList(std::string& fileName, std::string_view keyList, std::int64_t count) {
    if (!CheckTarget(fileName)) return false;
    Begin();
    vn_.listText = "<menu>\r\n";
    const std::string& manufacturerTag = Tags().manufacturerTag[TagTable::Column()];
    AppendEntries(keyList, count, true, [&](const ListedRecord& record, std::string& out) {
        std::string manufacturer = record.Value(manufacturerTag);
        EncodeEntities(manufacturer);
        out += "\t<game name=\"" + record.RomName() + "\">\r\n";
        out += "\t\t<description>" + record.Description() + "</description>\r\n";
        out += "\t\t<cloneof>" + record.Value("cloneof=") + "</cloneof>\r\n";
        out += "\t\t<manufacturer>" + manufacturer + "</manufacturer>\r\n";
        out += "\t\t<year>" + record.Value("<year>") + "</year>\r\n";
        out += "\t\t<genre>" + record.Value("<category>") + "</genre>\r\n";
        out += "\t</game>\r\n";
        return true;
    });
    vn_.listText += "</menu>\r\n";
    return Finish(fileName, vn_.listText);
}

}  // namespace vantor
