// "AdvanceMenu Lst": one "game ( ... )" block per game, plain text.
#include "ListWriter.h"
#include "gamedata/RecordFields.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

bool ListWriter::WriteAdvanceMenuList(std::string& fileName, std::string_view keyList, std::int64_t count) {
    if (!CheckTarget(fileName)) return false;
    Begin();
    const std::string& manufacturerTag = Tags().manufacturerTag[TagTable::Column()];
    AppendEntries(keyList, count, false, [&](const ListedRecord& record, std::string& out) {
        std::string description = record.Description();
        RemoveAll(description, '\r');
        RemoveAll(description, '\n');
        std::string manufacturer = record.Value(manufacturerTag);
        EncodeEntities(manufacturer);
        std::string parent = record.Value("cloneof=");
        out += "game (\r\n";
        out += "      name " + record.RomName() + "\r\n";
        out += "      description \"" + description + "\"\r\n";
        out += "      year " + record.Value("<year>") + "\r\n";
        out += "      manufacturer \"" + manufacturer + "\"\r\n";
        if (!parent.empty()) out += "      cloneof " + parent + "\r\n";
        out += ")\r\n";
        return true;
    });
    // The file holds plain text: what the entity encoding above put in is taken out again.
    DecodeEntities(vn_.listText);
    return Finish(fileName, vn_.listText);
}

}  // namespace vantor
