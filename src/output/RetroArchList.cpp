// "RetroArch playlist": the JSON playlist (.lpl) with RetroArch's own key order and indentation,
// so that a playlist RetroArch rewrites changes only where something changed. A playlist already
// at the target keeps what the user chose in RetroArch: each game's core, the playlist's default
// core and its display modes.
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

struct CoreChoice {
    std::string path, name;
};

// What a playlist already at the target holds of the user's choices.
struct KeptPlaylist {
    bool found = false;
    std::string defaultCorePath, defaultCoreName, baseContentDirectory;
    // The display modes in RetroArch's order, as written there ("" for one not given).
    std::vector<std::string> modes;
    std::unordered_map<std::string, CoreChoice> cores;  // by the game's file name stem
};

constexpr const char* kModeKeys[] = {"label_display_mode", "right_thumbnail_mode", "left_thumbnail_mode",
                                     "thumbnail_match_mode", "sort_mode"};

KeptPlaylist ReadKeptPlaylist(const std::string& text, const std::string& where) {
    KeptPlaylist kept;
    kept.found = true;
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
    if (items == nullptr) return kept;
    for (const JsonValue& item : *items) {
        // A core the user chose for this game: not "no core", not the playlist's default.
        CoreChoice core{StringMember(item, "core_path"), StringMember(item, "core_name")};
        if (core.path.empty() || core.path == kDetect || core.path == kept.defaultCorePath) continue;
        const std::string stem = RomNameOfPath(StringMember(item, "path"));
        if (!stem.empty()) kept.cores.try_emplace(stem, std::move(core));
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
        : folder_(options.Text(ListOption::RomFolder, DefaultRomFolder())),
          extension_(PlainExtension(options.Text(ListOption::RomExtension, "zip"))),
          listName_(options.Text(ListOption::ListName)),
          corePath_(options.Text(ListOption::CorePath)),
          coreName_(options.Text(ListOption::CoreName)),
          givenCorePath_(options.Has(ListOption::CorePath)),
          givenCoreName_(options.Has(ListOption::CoreName)),
          split_(options.Has(ListOption::SplitByCategory)) {}

    void Begin(const ListContext& context, ListDocument& document) override {
        if (split_) RequireCategories(context.catalog);
        std::string current;
        // An empty file holds no choices to keep.
        if (context.target.ReadCurrent(current) && !TrimView(current).empty()) {
            const std::string target = context.target.TargetPath();
            kept_ = ReadKeptPlaylist(current, target.empty() ? std::string("there") : "at " + target);
        }
        target_ = context.target.TargetPath();
        document.text = Head();
        headSize_ = document.text.size();
    }

    // Category lists gather the games' categories as entries are made.
    bool EntriesInParallel() const override { return !split_; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        const std::string romName = OneLineText(record.RomName());
        std::string corePath = givenCorePath_ ? corePath_ : kDetect;
        std::string coreName = givenCoreName_ ? coreName_ : kDetect;
        auto core = kept_.cores.find(romName);
        if (core != kept_.cores.end()) {
            corePath = core->second.path;
            coreName = core->second.name;
        }
        out += "    {\n";
        AppendMember(out, "      ", "path", RomFilePath(folder_, romName, extension_));
        AppendMember(out, "      ", "label", OneLineText(record.Description()));
        AppendMember(out, "      ", "core_path", corePath);
        AppendMember(out, "      ", "core_name", coreName);
        AppendMember(out, "      ", "crc32", kNoChecksum);
        AppendMember(out, "      ", "db_name", kDatabaseName, true);
        out += "    },\n";
        if (split_) categories_.Remember(romName, GameCategory(record));
        return true;
    }

    void End(const ListContext&, ListDocument& document) override {
        std::vector<ListEntryText> entries;
        if (split_) entries = Items(document.text);
        const std::map<std::string, CategoryGroup> groups = categories_.Group(entries);
        for (const auto& [fileName, group] : groups) {
            std::string text = Head();
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
    std::string Head() const {
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
