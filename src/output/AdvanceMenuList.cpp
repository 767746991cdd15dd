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

class AdvanceMenuWriter : public ListWriter {
  public:
    bool EntriesInParallel() const override { return true; }
    bool Entry(const ListedRecord& record, std::string& out) const override {
        std::string description = record.Description();
        RemoveAll(description, '\r');
        RemoveAll(description, '\n');
        std::string parent = record.Value("cloneof=");
        out += "game (\r\n";
        out += "      name " + record.RomName() + "\r\n";
        out += "      description " + QuotedText(description) + "\r\n";
        out += "      year " + record.Value("<year>") + "\r\n";
        out += "      manufacturer " + QuotedText(record.Value(Tags().ManufacturerTag(record.InputType()))) +
               "\r\n";
        if (!parent.empty()) out += "      cloneof " + parent + "\r\n";
        out += ")\r\n";
        return true;
    }
};

}  // namespace

std::unique_ptr<ListWriter> MakeAdvanceMenuWriter(const ListOptions&) {
    return std::make_unique<AdvanceMenuWriter>();
}

}  // namespace vantor
