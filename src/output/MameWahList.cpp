// "MAMEWah": thirteen lines per game, no header.
#include "ListWriter.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

// Only ASCII letters change: the texts are raw bytes of the master file's own encoding.
std::string ToUpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
    }
    return text;
}

void AppendLine(std::string& out, std::string_view line) {
    out += line;
    out += "\r\n";
}

class MameWahWriter : public ListWriter {
  public:
    bool EntriesInParallel() const override { return true; }
    bool Entry(const ListedRecord& record, std::string& out) const override {
        std::string rotate = record.Value("rotate=");
        std::string controls = record.Value("control type=");
        if (Contains(controls, '&')) ReplaceAll(controls, " & ", ", ");
        AppendLine(out, ToUpperAscii(record.RomName()));
        AppendLine(out, record.Description());
        AppendLine(out, record.Value("<year>"));
        AppendLine(out, record.Value("<manufacturer>"));
        AppendLine(out, ToUpperAscii(record.Value("cloneof=")));
        AppendLine(out, ToUpperAscii(record.Value("romof=")));
        AppendLine(out, record.Value("display type="));
        AppendLine(out, rotate == "90" || rotate == "270" ? "Vert" : "Horz");
        AppendLine(out, controls);
        AppendLine(out, "Status " + record.Value("%<driver.status") + " (" +
                            record.Value("%<driver.emulation") + ")");
        AppendLine(out,
                   "Color " + record.Value("%<driver.color") + " (" + record.Value("%<driver.graphic") + ")");
        AppendLine(out, "Sound " + record.Value("%<driver.sound"));
        AppendLine(out, record.Value("<category>"));
        return true;
    }
};

}  // namespace

std::unique_ptr<ListWriter> MakeMameWahWriter(const ListOptions&) {
    return std::make_unique<MameWahWriter>();
}

}  // namespace vantor
