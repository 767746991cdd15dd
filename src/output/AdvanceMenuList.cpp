// "AdvanceMenu Lst": one "game ( ... )" block per game, plain text.
#include <algorithm>

#include "ListWriter.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {
// A double quote would end the quoted text early; the list shows an apostrophe instead.
std::string QuotedText(std::string text) {
    std::replace(text.begin(), text.end(), '"', '\'');
    return "\"" + text + "\"";
}
}  // namespace

bool ListWriter::WriteAdvanceMenuList(std::string& fileName, std::string_view keyList, std::int64_t count) {
    if (!CheckTarget(fileName)) return false;
    Begin();
    const std::string& manufacturerTag = catalog_.ManufacturerTag();
    AppendEntries(keyList, count, false, [&](const ListedRecord& record, std::string& out) {
        std::string description = record.Description();
        RemoveAll(description, '\r');
        RemoveAll(description, '\n');
        std::string parent = record.Value("cloneof=");
        out += "game (\r\n";
        out += "      name " + record.RomName() + "\r\n";
        out += "      description " + QuotedText(description) + "\r\n";
        out += "      year " + record.Value("<year>") + "\r\n";
        out += "      manufacturer " + QuotedText(record.Value(manufacturerTag)) + "\r\n";
        if (!parent.empty()) out += "      cloneof " + parent + "\r\n";
        out += ")\r\n";
        return true;
    });
    return Finish(fileName, text_);
}

}  // namespace vantor
