// "EmulationStation (ES-DE)" and "EmulationStation (Batocera)": gamelist.xml. A list already at
// the target is updated, not replaced: what the user or the front end set in a game's entry
// stays, what the listing says is refreshed.
#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <unordered_map>

#include "CategoryLists.h"
#include "GamelistXml.h"
#include "ListWriter.h"
#include "gamedata/EngineError.h"
#include "gamedata/TextUtil.h"
#include "gamedata/XmlEntities.h"

namespace vantor {

namespace {

enum class Flavour { EsDe, Batocera };

// Set on a game this program hid because it left the list, so that the game shows again when it
// comes back; a game the user hid stays hidden.
constexpr std::string_view kHiddenByVantor = "hiddenbyvantor";

// Each front end's fields in the order it declares (and writes) them; a rewrite by the front end
// then changes as little as possible. Fields not named here follow in their own order.
const std::vector<std::string_view>& FieldOrder(Flavour flavour) {
    static const std::vector<std::string_view> esDe = {
        "path",        "name",          "sortname",     "collectionsortname",
        "desc",        "rating",        "releasedate",  "developer",
        "publisher",   "genre",         "players",      "favorite",
        "completed",   "kidgame",       "hidden",       "broken",
        "nogamecount", "nomultiscrape", "hidemetadata", "playcount",
        "controller",  "altemulator",   "lastplayed",   kHiddenByVantor};
    static const std::vector<std::string_view> batocera = {
        "path",        "name",      "desc",         "genre",       "tags",      "sortname",
        "emulator",    "core",      "image",        "video",       "marquee",   "thumbnail",
        "fanart",      "titleshot", "manual",       "magazine",    "map",       "bezel",
        "cartridge",   "boxart",    "boxback",      "wheel",       "mix",       "rating",
        "releasedate", "developer", "publisher",    "family",      "genres",    "arcadesystemname",
        "players",     "favorite",  "hidden",       "kidgame",     "playcount", "lastplayed",
        "crc32",       "md5",       "gametime",     "cheevosHash", "cheevosId", "multidisk",
        "lang",        "region",    kHiddenByVantor};
    return flavour == Flavour::EsDe ? esDe : batocera;
}

// What becomes of one field of a game's entry. A field without a change keeps what it has.
enum class Change { Set, Fill, Drop };
struct FieldChange {
    std::string_view name;
    Change change;
    std::string text;  // XML-escaped
};
using Changes = std::vector<FieldChange>;

void Add(Changes& changes, std::string_view name, Change change, std::string text = {}) {
    changes.push_back({name, change, std::move(text)});
}

// The value of a key that may occur more than once: its first occurrence (for values that hold
// no " & " of their own).
std::string FirstValue(const ListedRecord& record, std::string_view key) {
    std::string value = record.Value(key);
    const std::size_t more = value.find(" & ");
    if (more != std::string::npos) value.resize(more);
    return value;
}

// The largest number in `text`; with `beforeP`, only numbers followed by "P" ("4P alt / 2P sim").
int LargestNumber(std::string_view text, bool beforeP = false) {
    int largest = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        int number = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            number = std::min(number * 10 + (text[i] - '0'), 9999);
        if (!beforeP || (i < text.size() && (text[i] == 'P' || text[i] == 'p')))
            largest = std::max(largest, number);
    }
    return largest;
}

// ES-DE's controller badge for MAME's control words (the listing's "joy", "doublejoy" with ways,
// or the merged file's "joy8way"; controls.xml's constants where the listing has none): the first
// control that has a badge.
std::string ControllerBadge(const ListedRecord& record, bool controlsData) {
    std::string types = record.Value("<control_type=");
    if (types.empty() && controlsData) types = record.Value("constant name=");
    const bool pedal = Contains(types, "pedal");
    for (std::string_view rest = types; !rest.empty();) {
        const std::size_t end = rest.find(" & ");
        const std::string_view type = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 3);
        if (type.starts_with("doublejoy") || type.starts_with("triplejoy"))
            return "joystick_arcade_no_buttons_twin";
        if (type.starts_with("joy")) {
            const int buttons = std::min(LargestNumber(record.Value("buttons=")), 6);
            if (buttons == 0) return "joystick_arcade_no_buttons";
            return "joystick_arcade_" + std::to_string(buttons) + (buttons == 1 ? "_button" : "_buttons");
        }
        if (type == "lightgun") return "lightgun_generic";
        if (type == "trackball") return "trackball_generic";
        if (type == "dial") return "spinner_generic";
        if (type == "paddle" && pedal)
            return "steering_wheel_generic";  // a wheel and a pedal: a driving game
        if (type == "mouse") return "mouse_generic";
        if (type == "keyboard") return "keyboard_generic";
    }
    return {};
}

class GamelistWriter : public ListWriter {
  public:
    GamelistWriter(Flavour flavour, const ListOptions& options)
        : flavour_(flavour),
          media_(options.Has(ListOption::Media)),
          hideRemoved_(options.Has(ListOption::HideRemoved)),
          splitByCategory_(options.Has(ListOption::SplitByCategory)),
          split_(SplitOf(options)) {
        extension_ = options.Text(ListOption::RomExtension);
        TrimLeft(extension_, ".");
        Trim(extension_);
        extensionGiven_ = !extension_.empty();
        if (!extensionGiven_) extension_ = "zip";
        romFolder_ = options.Text(ListOption::RomFolder,
                                  flavour == Flavour::EsDe ? "%ROMPATH%/mame" : "/userdata/roms/mame");
        TrimRight(romFolder_, "/");
    }

    void Begin(const ListContext& context, ListDocument& document) override {
        if (splitByCategory_) RequireCategories(context.catalog);
        if (context.target.ReadCurrent(currentText_) && !TrimView(currentText_).empty()) {
            std::string problem;
            if (!ParseGamelist(currentText_, current_, problem)) {
                throw EngineError(
                    "The file to be updated is not an EmulationStation game list, so it was left as it "
                    "is:\r\n" +
                    problem + "\r\nRepair it or move it away, then save again.");
            }
            used_ = std::make_unique<std::atomic<bool>[]>(current_.games.size());
            for (std::size_t i = 0; i < current_.games.size(); ++i)
                firstEntry_.emplace(RomNameOfPath(current_.games[i].path), i);
        }
        document.text = "<?xml version=\"1.0\"?>\n" + current_.before + "<gameList>\n";
        for (const std::string& other : current_.others) document.text += "\t" + other + "\n";
    }

    // The collections gather paths from every entry: one thread then.
    bool EntriesInParallel() const override { return !splitByCategory_; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        const std::string rom = record.RomName();
        if (rom.empty()) return false;
        const GamelistGame* old = nullptr;
        if (auto found = firstEntry_.find(rom); found != firstEntry_.end()) {
            old = &current_.games[found->second];
            used_[found->second] = true;
        }
        Changes changes = Refreshed(record, rom);

        // The path: a new game's, or an old one's with the extension asked for.
        std::string path = old != nullptr ? old->path : "./" + rom + "." + extension_;
        if (old != nullptr && extensionGiven_) {
            const std::size_t slash = path.find_last_of("/\\"), dot = path.rfind('.');
            if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1)) path.resize(dot);
            path += "." + extension_;
        }
        if (old == nullptr || extensionGiven_) Add(changes, "path", Change::Set, XmlOneLineText(path));
        if (old != nullptr && old->Field(kHiddenByVantor) != nullptr) {
            Add(changes, "hidden", Change::Drop);
            Add(changes, kHiddenByVantor, Change::Drop);
        }
        // Built apart and appended once: a list sorted by name keeps every entry in a string of
        // its own until the end, best without spare capacity.
        std::string entry;
        AppendGame(entry, old, changes);
        out += entry;

        if (splitByCategory_) {
            const std::string category = SplitCategory(GameCategory(record), split_);
            if (!category.empty()) {
                std::string_view relative = path;
                if (relative.starts_with("./")) relative.remove_prefix(2);
                collections_[category].insert(relative.starts_with("/")
                                                  ? std::string(relative)
                                                  : romFolder_ + "/" + std::string(relative));
            }
        }
        return true;
    }

    void End(const ListContext&, ListDocument& document) override {
        // Games no longer in the list go, or stay hidden when asked. A second entry of a game
        // still listed goes with the first.
        for (std::size_t i = 0; i < current_.games.size(); ++i) {
            const GamelistGame& game = current_.games[i];
            if (!hideRemoved_ || used_[firstEntry_.at(RomNameOfPath(game.path))]) continue;
            Changes changes;
            const GamelistField* hidden = game.Field("hidden");
            if (hidden == nullptr || TrimView(hidden->text) != "true") {
                Add(changes, "hidden", Change::Set, "true");
                Add(changes, kHiddenByVantor, Change::Set, "true");
            }
            AppendGame(document.text, &game, changes);
        }
        document.text += "</gameList>\n" + current_.after;
        // ES reads one path per line and strips a carriage return.
        std::set<std::string> categories;
        for (const auto& [category, paths] : collections_) categories.insert(category);
        const std::map<std::string, std::string> names =
            CategoryListNames(categories, CategoryNaming::EsCollection);
        for (const auto& [category, name] : names) {
            CompanionFile file{"custom-" + name + ".cfg", {}};
            for (const std::string& path : collections_.at(category)) file.bytes += path + "\n";
            document.companions.push_back(std::move(file));
        }
    }

  private:
    // What the listing says of the game.
    Changes Refreshed(const ListedRecord& record, const std::string& rom) const {
        Changes changes;
        auto set = [&](std::string_view name, std::string_view value) {
            std::string text = XmlOneLineText(value);
            if (!text.empty()) Add(changes, name, Change::Set, std::move(text));
        };
        set("name", record.Description());
        // ES reads a date digit by digit: "198?" would be 1995.
        const std::string year = FirstValue(record, "<year>");
        if (year.size() == 4 && LargestNumber(year) >= 1000) set("releasedate", year + "0101T000000");
        const std::string maker = record.Value(Tags().ManufacturerTag(record.InputType()));
        if (record.InputType() != SoftwareList) set("developer", maker);  // a software list names publishers
        set("publisher", maker);
        // Only the merge brings catver.ini's and nplayers.ini's data, only controls.xml numPlayers.
        const int type = record.InputType();
        const bool merged = type == MergedList, controlsData = merged || type == Dat;
        if (merged) set("genre", GameCategory(record));
        int players = merged ? LargestNumber(record.Value("<nplayers>"), true) : 0;
        if (players == 0 && type != Dat) players = LargestNumber(FirstValue(record, "<input_players="));
        if (players == 0 && controlsData) players = LargestNumber(FirstValue(record, "numplayers="));
        if (players > 0) set("players", std::to_string(players));
        if (flavour_ == Flavour::EsDe) {
            set("controller", ControllerBadge(record, controlsData));
            // "broken" is the user's to clear: a preliminary driver sets it, nothing removes it.
            if (record.Value("<driver_status=") == "preliminary") set("broken", "true");
        } else if (media_) {
            // Where Batocera's scraper puts them; paths the user already has stay.
            const std::string file = XmlOneLineText(rom);
            Add(changes, "image", Change::Fill, "./images/" + file + "-image.png");
            Add(changes, "video", Change::Fill, "./videos/" + file + "-video.mp4");
            Add(changes, "marquee", Change::Fill, "./images/" + file + "-marquee.png");
        }
        return changes;
    }

    // One <game> element: the fields in the front end's order, each from `changes` or kept from
    // the old entry, then the old entry's other fields as they were.
    void AppendGame(std::string& out, const GamelistGame* old, const Changes& changes) const {
        out += "\t<game";
        if (old != nullptr) out += old->attributes;
        out += ">\n";
        auto keepOld = [&](std::string_view name) {
            if (old == nullptr) return false;
            bool kept = false;
            for (const GamelistField& field : old->fields) {
                if (field.name == name) {
                    out.append("\t\t").append(field.raw).append("\n");
                    kept = true;
                }
            }
            return kept;
        };
        const std::vector<std::string_view>& order = FieldOrder(flavour_);
        for (std::string_view name : order) {
            const FieldChange* change = nullptr;
            for (const FieldChange& c : changes) {
                if (c.name == name) change = &c;
            }
            if (change == nullptr) {
                keepOld(name);
            } else if (change->change == Change::Set || (change->change == Change::Fill && !keepOld(name))) {
                out += "\t\t<" + std::string(name) + ">" + change->text + "</" + std::string(name) + ">\n";
            }
        }
        if (old != nullptr) {
            for (const GamelistField& field : old->fields) {
                if (std::find(order.begin(), order.end(), field.name) == order.end())
                    out.append("\t\t").append(field.raw).append("\n");
            }
        }
        out += "\t</game>\n";
    }

    const Flavour flavour_;
    const bool media_, hideRemoved_, splitByCategory_;
    const CategorySplit split_;
    std::string extension_;
    bool extensionGiven_ = false;
    std::string romFolder_;  // where collections find the ROMs, without a trailing "/"

    std::string currentText_;
    GamelistDocument current_;  // the list being updated, if any (it points into currentText_)
    std::unordered_map<std::string, std::size_t> firstEntry_;  // by ROM name
    // Bookkeeping beside the entries, whatever their order: the old entries taken (entries may be
    // made on several threads) and the collections' paths.
    std::unique_ptr<std::atomic<bool>[]> used_;
    mutable std::map<std::string, std::set<std::string>> collections_;  // by category
};

}  // namespace

std::unique_ptr<ListWriter> MakeEsDeWriter(const ListOptions& options) {
    return std::make_unique<GamelistWriter>(Flavour::EsDe, options);
}

std::unique_ptr<ListWriter> MakeBatoceraWriter(const ListOptions& options) {
    return std::make_unique<GamelistWriter>(Flavour::Batocera, options);
}

}  // namespace vantor
