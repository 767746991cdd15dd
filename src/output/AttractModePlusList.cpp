// "Attract-Mode Plus": the romlist of 21 columns that Attract-Mode and Attract-Mode Plus read, with
// the values in the words their own MAME import writes, so that filters made for those lists
// work on this one. One list per category becomes one tag file per category beside it.
#include "CategoryLists.h"
#include "GameFacts.h"
#include "GamelistXml.h"
#include "ListWriter.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

constexpr const char* kRomlistHeader =
    "#Name;Title;Emulator;CloneOf;Year;Manufacturer;Category;Players;Rotation;Control;Status;DisplayCount;"
    "DisplayType;AltRomname;AltTitle;Extra;Buttons;Series;Language;Region;Rating\n";
constexpr int kColumns = 21;

// A field as the romlist reader takes it back: in double quotes, its own written \", when it holds
// a ";" or starts with a quote. The reader ends a quoted field at a quote without a "\" before it
// and trims what it read, so a field ending in "\" gets a blank before its closing quote.
void AppendField(std::string& row, const std::string& value) {
    if (value.find(';') == std::string::npos && !value.starts_with('"')) {
        row += value;
        return;
    }
    row += '"';
    for (char c : value) {
        if (c == '"') row += '\\';
        row += c;
    }
    if (value.ends_with('\\')) row += ' ';
    row += '"';
}

class AttractModePlusWriter : public ListWriter {
  public:
    explicit AttractModePlusWriter(const ListOptions& options)
        : emulator_(OneLineText(options.Text(ListOption::ListName, "mame"))),
          split_(options.Has(ListOption::SplitByCategory)),
          categories_(SplitOf(options)) {}

    void Begin(const ListContext& context, ListDocument& document) override {
        if (split_) RequireCategories(context.catalog);
        // romlists/NAME.txt keeps its tags in romlists/NAME/; a list saved without an extension
        // would be in the way of that folder.
        const std::string target = context.target.TargetPath();
        const std::string stem = RomNameOfPath(target);
        tagFolder_ = stem.empty() ? CategoryFileName(emulator_) : stem;
        if (!target.empty() && target.ends_with("/" + stem)) tagFolder_ += " tags";
        document.text = kRomlistHeader;
    }

    // Category lists gather the games' categories as entries are made, on any thread.
    bool EntriesInParallel() const override { return true; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        const GameFacts facts = ReadGameFacts(record);
        std::string extra;
        if (facts.hasDisk) extra = "chd";
        if (facts.mechanical) extra += extra.empty() ? "mechanical" : ",mechanical";
        const std::string fields[kColumns] = {
            facts.romName,
            facts.description,
            emulator_,
            facts.cloneOf,
            facts.year,
            facts.manufacturer,
            facts.category,
            facts.playerModes.empty() ? facts.inputPlayers : facts.playerModes,
            facts.rotate,
            ControlWords(facts),
            facts.status,
            facts.displayCount < 0 ? std::string() : std::to_string(facts.displayCount),
            facts.displayType,
            facts.romOf,
            {},  // AltTitle
            extra,
            facts.Buttons(),
            {},  // Series, Language, Region, Rating: MAME's listing has none of them
            {},
            {},
            {},
        };
        for (int i = 0; i < kColumns; ++i) {
            if (i > 0) out += ';';
            AppendField(out, fields[i]);
        }
        out += '\n';
        if (split_) categories_.Remember(facts.romName, facts.category);
        return true;
    }

    // Tag files hold one ROM name per line, in romlists/LIST/CATEGORY.tag.
    void End(const ListContext&, ListDocument& document) override {
        if (!split_) return;
        std::vector<std::string> names;
        std::string_view text = document.text;
        for (std::size_t at = text.find('\n') + 1; at < text.size();) {
            const std::size_t end = std::min(text.find('\n', at), text.size());
            names.emplace_back(text.substr(at, std::min(text.find(';', at), end) - at));
            at = end + 1;
        }
        std::vector<ListEntryText> entries;
        for (const std::string& name : names) entries.push_back({name, name});
        const std::map<std::string, CategoryGroup> groups =
            categories_.Group(entries, CategoryNaming::AttractModeTag);
        for (const auto& [fileName, group] : groups) {
            std::string tags;
            for (std::string_view name : group.entries) tags.append(name).append("\n");
            document.companions.push_back({tagFolder_ + "/" + fileName + ".tag", std::move(tags)});
        }
        NoteWhenNoCategory(groups, document);
    }

  private:
    const std::string emulator_;
    const bool split_;
    std::string tagFolder_;
    CategoryGrouping categories_;
};

}  // namespace

std::unique_ptr<ListWriter> MakeAttractModePlusWriter(const ListOptions& options) {
    return std::make_unique<AttractModePlusWriter>(options);
}

}  // namespace vantor
