// "HyperSpin": a menu database with one game element per game.
#include "ListWriter.h"
#include "gamedata/TagTable.h"
#include "gamedata/XmlEntities.h"

namespace vantor {

namespace {

class HyperSpinWriter : public ListWriter {
  public:
    void Begin(const ListContext&, ListDocument& document) override { document.text = "<menu>\r\n"; }

    bool EntriesInParallel() const override { return true; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        const std::string& manufacturerTag = Tags().ManufacturerTag(record.InputType());
        out += "\t<game name=\"" + EncodedEntities(record.RomName()) + "\">\r\n";
        out += "\t\t<description>" + EncodedEntities(record.Description()) + "</description>\r\n";
        out += "\t\t<cloneof>" + EncodedEntities(record.Value("cloneof=")) + "</cloneof>\r\n";
        out += "\t\t<manufacturer>" + EncodedEntities(record.Value(manufacturerTag)) + "</manufacturer>\r\n";
        out += "\t\t<year>" + EncodedEntities(record.Value("<year>")) + "</year>\r\n";
        out += "\t\t<genre>" + EncodedEntities(record.Value("<category>")) + "</genre>\r\n";
        out += "\t</game>\r\n";
        return true;
    }

    void End(const ListContext&, ListDocument& document) override { document.text += "</menu>\r\n"; }
};

}  // namespace

std::unique_ptr<ListWriter> MakeHyperSpinWriter(const ListOptions&) {
    return std::make_unique<HyperSpinWriter>();
}

}  // namespace vantor
