// "RetroArch playlist": the JSON playlist (.lpl) with RetroArch's own key order and indentation,
// so that a playlist RetroArch rewrites changes only where something changed. A playlist already
// at the target keeps what the user and RetroArch put in it: each game's core, its stored crc32,
// the playlist's default core and display modes, and every key this writer does not write (the
// manual scan's, an item's entry_slot...) with its value.
#include <set>
#include <unordered_map>

#include "CategoryLists.h"
#include "GameFacts.h"
#include "GamelistXml.h"
#include "JsonText.h"
#include "ListWriter.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

constexpr const char* kDetect = "DETECT";
// Any db_name starting with "MAME" takes RetroArch's one MAME thumbnail folder.
constexpr const char* kDatabaseName = "MAME.lpl";
constexpr const char* kNoChecksum = "00000000|crc";
constexpr const char* kItemEnd = "\n    },\n";
constexpr const char* kPathStart = "    {\n      \"path\": \"";
constexpr const char* kListEnd = "  ]\n}\n";

constexpr const char* kModeKeys[] = {"label_display_mode", "right_thumbnail_mode", "left_thumbnail_mode",
                                     "thumbnail_match_mode", "sort_mode"};

struct CoreChoice {
    std::string path, name;
};

// What a playlist already at the target holds of one game.
struct KeptItem {
    CoreChoice core;        // the core the user chose for it; an empty path for none
    std::string crc32;      // "" when none was stored
    std::string otherKeys;  // the keys written after db_name, each ",\n      \"key\": value"
};

// What a playlist already at the target holds of the user's choices.
struct KeptPlaylist {
    std::string defaultCorePath, defaultCoreName, baseContentDirectory;
    // The display modes in RetroArch's order, as written there ("" for one not given).
    std::vector<std::string> modes;
    std::string otherKeys;  // the keys written before the items, each "  \"key\": value,\n"
    std::unordered_map<std::string, KeptItem> items;  // by the game's file name stem
};

// The members of an object this writer does not write itself, in their order, as
// `before` "key": value `after`.
std::string OtherMembers(const JsonValue& object, const std::set<std::string_view>& written,
                         const char* before, const char* after, int indent) {
    std::string text;
    for (auto member = object.begin(); member != object.end(); ++member) {
        if (written.count(member.key()) != 0) continue;
        text += before;
        AppendJsonString(text, member.key());
        text += ": ";
        AppendJsonValue(text, *member, indent);
        text += after;
    }
    return text;
}

KeptPlaylist ReadKeptPlaylist(const std::string& text, const std::string& where) {
    KeptPlaylist kept;
    JsonValue root;
    std::string problem;
    if (ParseJson(text, root, problem) && !root.is_object()) problem = "it is no JSON object";
    const JsonValue* items = nullptr;
    if (problem.empty() && root.contains("items")) {
        items = &root["items"];
        if (!items->is_array()) problem = "its \"items\" are no list";
    }
    if (problem.empty() && items != nullptr) {
        for (const JsonValue& item : *items) {
            if (!item.is_object()) problem = "an item is no JSON object";
        }
    }
    if (!problem.empty()) {
        throw EngineError("The playlist " + where + " is not one RetroArch reads (" + problem +
                          ").\r\nIt was left as it was: move it away to write a new one.");
    }
    kept.defaultCorePath = StringMember(root, "default_core_path");
    kept.defaultCoreName = StringMember(root, "default_core_name");
    kept.baseContentDirectory = StringMember(root, "base_content_directory");
    for (const char* key : kModeKeys) {
        const auto mode = root.find(key);
        kept.modes.push_back(mode != root.end() && mode->is_number_integer() ? mode->dump() : std::string());
    }
    static const std::set<std::string_view> kPlaylistKeys = {"version",
                                                             "default_core_path",
                                                             "default_core_name",
                                                             "base_content_directory",
                                                             "label_display_mode",
                                                             "right_thumbnail_mode",
                                                             "left_thumbnail_mode",
                                                             "thumbnail_match_mode",
                                                             "sort_mode",
                                                             "items"};
    kept.otherKeys = OtherMembers(root, kPlaylistKeys, "  ", ",\n", 2);
    if (items == nullptr) return kept;
    static const std::set<std::string_view> kItemKeys = {"path",      "label", "core_path",
                                                         "core_name", "crc32", "db_name"};
    for (const JsonValue& item : *items) {
        const std::string stem = RomNameOfPath(StringMember(item, "path"));
        if (stem.empty()) continue;
        KeptItem game;
        // A core the user chose for this game: not "no core", not the playlist's default.
        game.core = {StringMember(item, "core_path"), StringMember(item, "core_name")};
        if (game.core.path == kDetect || game.core.path == kept.defaultCorePath) game.core = {};
        game.crc32 = StringMember(item, "crc32");
        game.otherKeys = OtherMembers(item, kItemKeys, ",\n      ", "", 6);
        kept.items.try_emplace(stem, std::move(game));
    }
    return kept;
}

void AppendMember(std::string& out, const char* indent, const char* key, std::string_view value,
                  bool last = false) {
    out += indent;
    AppendJsonString(out, key);
    out += ": ";
    AppendJsonString(out, value);
    out += last ? "\n" : ",\n";
}

class RetroArchWriter : public ListWriter {
  public:
    explicit RetroArchWriter(const ListOptions& options)
        : folder_(WithHomeFolder(options.Text(ListOption::RomFolder, DefaultRomFolder()))),
          extension_(PlainExtension(options.Text(ListOption::RomExtension, "zip"))),
          listName_(options.Text(ListOption::ListName)),
          corePath_(options.Text(ListOption::CorePath)),
          coreName_(options.Text(ListOption::CoreName)),
          givenCorePath_(options.Has(ListOption::CorePath)),
          givenCoreName_(options.Has(ListOption::CoreName)),
          split_(options.Has(ListOption::SplitByCategory)),
          categories_(SplitOf(options)) {}

    void Begin(const ListContext& context, ListDocument& document) override {
        if (split_) RequireCategories(context.catalog);
        std::string current;
        // An empty file holds no choices to keep.
        if (context.target.ReadCurrent(current) && !TrimView(current).empty()) {
            const std::string target = context.target.TargetPath();
            kept_ = ReadKeptPlaylist(current, target.empty() ? std::string("there") : "at " + target);
        }
        target_ = context.target.TargetPath();
        document.text = Head(true);
        headSize_ = document.text.size();
    }

    // Category lists gather the games' categories as entries are made, on any thread.
    bool EntriesInParallel() const override { return true; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        const std::string romName = OneLineText(record.RomName());
        std::string corePath = givenCorePath_ ? corePath_ : kDetect;
        std::string coreName = givenCoreName_ ? coreName_ : kDetect;
        const KeptItem* kept = nullptr;
        if (auto found = kept_.items.find(romName); found != kept_.items.end()) kept = &found->second;
        if (kept != nullptr && !kept->core.path.empty()) {
            corePath = kept->core.path;
            coreName = kept->core.name;
        }
        out += "    {\n";
        AppendMember(out, "      ", "path", RomFilePath(folder_, romName, extension_));
        AppendMember(out, "      ", "label", OneLineText(record.Description()));
        AppendMember(out, "      ", "core_path", corePath);
        AppendMember(out, "      ", "core_name", coreName);
        AppendMember(out, "      ", "crc32",
                     kept != nullptr && !kept->crc32.empty() ? kept->crc32 : kNoChecksum);
        if (kept == nullptr || kept->otherKeys.empty()) {
            AppendMember(out, "      ", "db_name", kDatabaseName, true);
        } else {
            out += "      ";
            AppendJsonString(out, "db_name");
            out += ": ";
            AppendJsonString(out, kDatabaseName);
            out += kept->otherKeys;
            out += '\n';
        }
        out += "    },\n";
        if (split_) categories_.Remember(romName, GameCategory(record));
        return true;
    }

    void End(const ListContext&, ListDocument& document) override {
        std::vector<ListEntryText> entries;
        if (split_) entries = Items(document.text);
        const std::map<std::string, CategoryGroup> groups = categories_.Group(entries);
        for (const auto& [fileName, group] : groups) {
            std::string text = Head(false);
            for (std::size_t i = 0; i < group.entries.size(); ++i) {
                text += group.entries[i];
                text += i + 1 < group.entries.size() ? ",\n" : "\n";
            }
            text += kListEnd;
            document.companions.push_back({CategoryListName() + " - " + fileName + ".lpl", std::move(text)});
        }
        if (split_) NoteWhenNoCategory(groups, document);
        // The last item takes no comma.
        if (document.text.size() > headSize_) document.text.erase(document.text.size() - 2, 1);
        document.text += kListEnd;
    }

  private:
    std::string Head(bool mainList) const {
        std::string head = "{\n";
        head += "  \"version\": \"1.5\",\n";
        const std::string defaultPath = givenCorePath_ ? corePath_ : kept_.defaultCorePath;
        const std::string defaultName = givenCoreName_ ? coreName_ : kept_.defaultCoreName;
        AppendMember(head, "  ", "default_core_path", defaultPath);
        AppendMember(head, "  ", "default_core_name", defaultName);
        if (!kept_.baseContentDirectory.empty())
            AppendMember(head, "  ", "base_content_directory", kept_.baseContentDirectory);
        for (std::size_t i = 0; i < std::size(kModeKeys); ++i) {
            const bool keptMode = i < kept_.modes.size() && !kept_.modes[i].empty();
            head += std::string("  \"") + kModeKeys[i] + "\": " + (keptMode ? kept_.modes[i] : "0") + ",\n";
        }
        // The keys of a manual scan stay with the playlist that was scanned, not its categories.
        if (mainList) head += kept_.otherKeys;
        head += "  \"items\": [\n";
        return head;
    }

    // The items of the finished list with the games they name, each without its comma.
    std::vector<ListEntryText> Items(std::string_view text) const {
        std::vector<ListEntryText> items;
        const std::string_view end = kItemEnd, path = kPathStart;
        for (std::size_t start = headSize_; start < text.size();) {
            const std::size_t close = text.find(end, start);
            if (close == std::string_view::npos) break;
            const std::string_view item = text.substr(start, close + 6 - start);
            // Entry wrote the path first, on a line of its own; the ROM name in it needs no
            // unescaping, and a folder's escapes stand before the last "/".
            if (item.starts_with(path)) {
                const std::string_view value =
                    item.substr(path.size(), item.find('\n', path.size()) - path.size());
                items.push_back({RomNameOfPath(value.substr(0, value.size() - 2)), item});  // without `",`
            }
            start = close + end.size();
        }
        return items;
    }

    // "NAME - CATEGORY.lpl": the name given, else the playlist's own file name.
    std::string CategoryListName() const {
        std::string name = CategoryFileName(listName_);
        if (name.empty()) name = RomNameOfPath(target_);
        return name.empty() ? std::string("MAME") : name;
    }

    const std::string folder_, extension_, listName_, corePath_, coreName_;
    const bool givenCorePath_, givenCoreName_, split_;
    KeptPlaylist kept_;
    std::string target_;
    std::size_t headSize_ = 0;
    CategoryGrouping categories_;
};

}  // namespace

std::unique_ptr<ListWriter> MakeRetroArchWriter(const ListOptions& options) {
    return std::make_unique<RetroArchWriter>(options);
}

}  // namespace vantor
