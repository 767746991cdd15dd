// "Cabrio": a Cabrio configuration with image folders, a named game list and five categories
// per game.
#include "ListWriter.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"
#include "gamedata/XmlEntities.h"

namespace vantor {

namespace {

// One value line per part of `text`, parts ending at `partEnd`; `stripChars` are dropped from the
// front after each part. Always at least one line, so an empty text gives one empty value.
void AppendValueParts(std::string text, std::string_view partEnd, char mark, std::string_view stripChars,
                      std::string& out) {
    text += partEnd;
    while (Contains(text, mark)) {
        std::size_t end = text.find(partEnd);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(0, end);
        text.erase(0, end);
        TrimLeft(text, stripChars);
        Trim(part);
        out += "      <value>" + EncodedEntities(part) + "</value>\r\n";
    }
}

void AppendCategory(std::string_view name, std::string_view valueLines, std::string& out) {
    out += "     <category>\r\n";
    out += "      <name>";
    out += name;
    out += "</name>\r\n";
    out += valueLines;
    out += "     </category>\r\n";
}

class CabrioWriter : public ListWriter {
  public:
    explicit CabrioWriter(const ListOptions& options)
        : title_(options.Text(ListOption::Title)),
          logoFolder_(options.Text(ListOption::LogoFolder)),
          screenshotFolder_(options.Text(ListOption::ScreenshotFolder)),
          backgroundFolder_(options.Text(ListOption::BackgroundFolder)) {}

    void Begin(const ListContext&, ListDocument& document) override {
        std::string& text = document.text;
        text = "<cabrio-config>\r\n";
        text += " <locations>\r\n";
        for (auto [type, folder] : {std::pair<const char*, const std::string*>{"logo", &logoFolder_},
                                    {"screenshot", &screenshotFolder_},
                                    {"background", &backgroundFolder_}}) {
            text += "  <location>\r\n";
            text += std::string("   <type>") + type + "</type>\r\n";
            text += "   <directory>" + EncodedEntities(*folder) + "</directory>\r\n";
            text += "  </location>\r\n";
        }
        text += " </locations>\r\n";
        text += " <game-list>\r\n";
        text += "  <name>" + EncodedEntities(title_) + "</name>\r\n";
        text += "  <games>\r\n";
    }

    bool EntriesInParallel() const override { return true; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        out += "   <game>\r\n";
        out += "    <name>" + EncodedEntities(record.Description()) + "</name>\r\n";
        out += "    <rom-image>" + EncodedEntities(record.RomName()) + ".zip</rom-image>\r\n";
        out += "    <platform>Arcade</platform>\r\n";
        out += "    <categories>\r\n";

        std::string lines;
        AppendValueParts(record.Value("<category>"), "/ ", '/', " /", lines);
        AppendCategory("Genre", lines, out);

        AppendCategory("Year", "      <value>" + EncodedEntities(record.Value("<year>")) + "</value>\r\n",
                       out);
        const std::string& manufacturerTag = Tags().ManufacturerTag(record.InputType());
        AppendCategory("Manufacturer",
                       "      <value>" + EncodedEntities(record.Value(manufacturerTag)) + "</value>\r\n",
                       out);

        lines.clear();
        AppendValueParts(record.Value("control type="), "& ", '&', " &", lines);
        AppendCategory("Controls", lines, out);

        // Only the first of several button counts ("4 & 6" gives 4).
        std::string buttons = record.Value(Tags().buttonsKey) + " ";
        buttons.erase(buttons.find(' '));
        Trim(buttons);
        AppendCategory("Buttons", "      <value>" + EncodedEntities(buttons) + "</value>\r\n", out);

        out += "    </categories>\r\n";
        out += "   </game>\r\n";
        return true;
    }

    void End(const ListContext&, ListDocument& document) override {
        document.text += "  </games>\r\n";
        document.text += " </game-list>\r\n";
        document.text += "</cabrio-config>\r\n";
    }

  private:
    std::string title_, logoFolder_, screenshotFolder_, backgroundFolder_;
};

}  // namespace

std::unique_ptr<ListWriter> MakeCabrioWriter(const ListOptions& options) {
    return std::make_unique<CabrioWriter>(options);
}

}  // namespace vantor
