// "Khameleon": a GameList document whose category name is the list title.
#include "ListWriter.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"
#include "gamedata/XmlEntities.h"

namespace vantor {

namespace {

constexpr const char* kKhameleonHeader =
    "<GameList>\r\n   <Category_Name>All Games</Category_Name>\r\n   <Category_Image></Category_Image>\r\n"
    "   <KonfigParams>34</KonfigParams>\r\n   <DatFilename></DatFilename>\r\n   "
    "<XMLFilename></XMLFilename>\r\n"
    "   <ListFilename>allgames.lst</ListFilename>\r\n   <FilterFilename>allgames.flt</FilterFilename>\r\n"
    "   <Version>2</Version>\r\n";

void AppendElement(std::string& out, std::string_view open, const std::string& value,
                   std::string_view close) {
    out += open;
    out += EncodedEntities(value);
    out += close;
}

// One control block per control type ("joystick & buttons" gives two; none gives one empty one).
void AppendControlBlocks(std::string remaining, std::string& out) {
    for (;;) {
        out += "         <control>\r\n";
        out += "            <ControlName>";
        std::string part;
        bool last = !Contains(remaining, '&');
        if (last) {
            part = remaining;
        } else {
            std::size_t amp = remaining.find('&');
            part = remaining.substr(0, amp);
            remaining.erase(0, amp);
            TrimLeft(remaining, " &");
        }
        Trim(part);
        out += EncodedEntities(part);
        out += "</ControlName>\r\n";
        out += "         </control>\r\n";
        if (last) break;
    }
}

class KhameleonWriter : public ListWriter {
  public:
    explicit KhameleonWriter(std::string title) : title_(std::move(title)) {}

    void Begin(const ListContext&, ListDocument& document) override {
        document.text = kKhameleonHeader;
        ReplaceAll(document.text, "All Games", EncodedEntities(title_));
    }

    bool EntriesInParallel() const override { return true; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        std::string manufacturer = record.Value(Tags().ManufacturerTag(record.InputType()));

        std::string buttons = record.Value("buttons=");
        if (Contains(buttons, '&')) {
            buttons.erase(buttons.find('&'));
            Trim(buttons);
        }
        if (buttons.empty()) buttons = "0";

        std::string inputPlayers = record.Value("input_players=");
        std::string simultaneous = record.Value("alternating=");
        if (simultaneous == "0") simultaneous = inputPlayers;
        if (simultaneous.empty()) simultaneous = "1";

        out += "   <Entry>\r\n";
        AppendElement(out, "      <m_gamename>", record.RomName(), "</m_gamename>\r\n");
        AppendElement(out, "      <m_description>", record.Description(), "</m_description>\r\n");
        AppendElement(out, "      <m_manufacturer>", manufacturer, "</m_manufacturer>\r\n");
        AppendElement(out, "      <m_cloneof>", record.Value("cloneof="), "</m_cloneof>\r\n");
        AppendElement(out, "      <m_catinfo>", record.Value("<category>"), "</m_catinfo>\r\n");
        AppendElement(out, "      <year>", record.Value("<year>"), "</year>\r\n");
        AppendElement(out, "      <orientation>", record.Value("rotate="), "</orientation>\r\n");
        AppendElement(out, "      <screentype>", record.Value("display type="), "</screentype>\r\n");
        AppendElement(out, "      <xsize>", record.Value("width="), "</xsize>\r\n");
        AppendElement(out, "      <ysize>", record.Value("height="), "</ysize>\r\n");
        out += "      <controls>\r\n";
        AppendControlBlocks(record.Value("control type="), out);
        out += "      </controls>\r\n";
        AppendElement(out, "      <ButtonCount>", buttons, "</ButtonCount>\r\n");
        AppendElement(out, "      <NOSP>", simultaneous, "</NOSP>\r\n");
        AppendElement(out, "      <MNOP>", inputPlayers, "</MNOP>\r\n");
        out += "      <Gameplay></Gameplay>\r\n";
        out += "      <ControlLayout></ControlLayout>\r\n";
        AppendElement(out, "      <DriverStatus>", record.Value("%<driver.status"), "</DriverStatus>\r\n");
        AppendElement(out, "      <ColorStatus>", record.Value("%<driver.color"), "</ColorStatus>\r\n");
        AppendElement(out, "      <SoundStatus>", record.Value("%<driver.sound"), "</SoundStatus>\r\n");
        out += "      <Emulator>MAME</Emulator>\r\n";
        out += "      <RomParms></RomParms>\r\n";
        out += "   </Entry>\r\n";
        return true;
    }

    void End(const ListContext&, ListDocument& document) override { document.text += "</GameList>\r\n"; }

  private:
    std::string title_;
};

}  // namespace

std::unique_ptr<ListWriter> MakeKhameleonWriter(const ListOptions& options) {
    return std::make_unique<KhameleonWriter>(options.Text(ListOption::Title));
}

}  // namespace vantor
