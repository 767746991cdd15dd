// "Attract Mode": a semicolon-separated romlist with a fixed header line.
#include "ListWriter.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

constexpr const char* kAttractModeHeader =
    "#Name;Title;Emulator;CloneOf;Year;Manufacturer;Category;Players;Rotation;Control;Status;DisplayCount;"
    "DisplayType;AltRomname;AltTitle;Extra\r\n";

class AttractModeWriter : public ListWriter {
  public:
    void Begin(const ListContext&, ListDocument& document) override { document.text = kAttractModeHeader; }

    bool EntriesInParallel() const override { return true; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        std::string controls = record.Value("control type=");
        if (Contains(controls, '&')) ReplaceAll(controls, " & ", ", ");
        out += record.RomName() + ";";
        out += record.Description() + ";mame;";
        out += record.Value("cloneof=") + ";";
        out += record.Value("<year>") + ";";
        out += record.Value("<manufacturer>") + ";";
        out += record.Value("<category>") + ";";
        out += record.Value("<nplayers>") + ";";
        out += record.Value("rotate=") + ";";
        out += controls + ";";
        out += record.Value("%<driver.status") + ";";
        out += "1;";
        out += record.Value("%<display.type=") + ";";
        out += ";\r\n";
        return true;
    }
};

}  // namespace

std::unique_ptr<ListWriter> MakeAttractModeWriter(const ListOptions&) {
    return std::make_unique<AttractModeWriter>();
}

}  // namespace vantor
