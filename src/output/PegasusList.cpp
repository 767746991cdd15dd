// "Pegasus": metadata.pegasus.txt, one collection of the listed games. The collection names no
// extensions, so Pegasus shows exactly these games and not every archive of the folder. Every
// value stands on its key's line; a line break or a leading "#" could not be said otherwise.
#include "CategoryLists.h"
#include "GameFacts.h"
#include "GamelistXml.h"
#include "ListWriter.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

constexpr const char* kDefaultLaunch = "mame -rompath \"{file.dir}\" \"{file.basename}\"";
constexpr const char* kGameStart = "\ngame: ";

// A key with a value; a key without one would make Pegasus drop the whole game.
void AppendLine(std::string& out, const char* key, const std::string& value) {
    if (value.empty()) return;
    out += key;
    out += ": ";
    out += value;
    out += '\n';
}

// Pegasus finds a collection's theme assets by its short name.
std::string ShortName(std::string_view name) {
    std::string shortName;
    for (char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) shortName += c;
        if (c >= 'A' && c <= 'Z') shortName += AsciiLower(c);
    }
    return shortName;
}

class PegasusWriter : public ListWriter {
  public:
    explicit PegasusWriter(const ListOptions& options)
        : collection_(OneLineText(options.Text(ListOption::ListName, "MAME"))),
          folder_(WithHomeFolder(options.Text(ListOption::RomFolder))),
          extension_(PlainExtension(options.Text(ListOption::RomExtension, "zip"))),
          launch_(OneLineText(options.Text(ListOption::LaunchCommand, kDefaultLaunch))),
          split_(options.Has(ListOption::SplitByCategory)),
          categories_(SplitOf(options)) {}

    void Begin(const ListContext& context, ListDocument& document) override {
        if (split_) RequireCategories(context.catalog);
        document.text = Head(collection_.empty() ? std::string("MAME") : collection_, true);
        headSize_ = document.text.size();
    }

    // Category lists gather the games' categories as entries are made, on any thread.
    bool EntriesInParallel() const override { return true; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        const GameFacts facts = ReadGameFacts(record);
        out += kGameStart;
        out += facts.description.empty() ? facts.romName : facts.description;
        out += '\n';
        AppendLine(out, "file", RomFilePath(folder_, facts.romName, extension_));
        AppendLine(out, "developer", facts.manufacturer);
        AppendLine(out, "genre", facts.category);
        const int players = facts.MostPlayers();
        if (players > 0) AppendLine(out, "players", std::to_string(players));
        AppendLine(out, "release", facts.ReleaseYear());
        AppendLine(out, "x-mame-cloneof", facts.cloneOf);
        AppendLine(out, "x-mame-status", facts.status);
        AppendLine(out, "x-mame-rotate", facts.rotate);
        AppendLine(out, "x-mame-buttons", facts.Buttons());
        AppendLine(out, "x-mame-controls", ControlWords(facts));
        AppendLine(out, "x-mame-nplayers", facts.playerModes);
        if (split_) categories_.Remember(facts.romName, facts.category);
        return true;
    }

    // Pegasus reads every metafile of the folder and refuses a second game of a file, so a
    // category's collection names the files of its games, defined once in the main file.
    void End(const ListContext&, ListDocument& document) override {
        if (!split_) return;
        const std::map<std::string, CategoryGroup> groups = categories_.Group(GameFiles(document.text));
        for (const auto& [fileName, group] : groups) {
            std::string text = Head(group.category, false);
            text += "files:\n";
            for (std::string_view file : group.entries) text.append("  ").append(file).append("\n");
            document.companions.push_back({fileName + ".metadata.pegasus.txt", std::move(text)});
        }
        NoteWhenNoCategory(groups, document);
    }

  private:
    std::string Head(const std::string& collection, bool withShortName) const {
        std::string head;
        AppendLine(head, "collection", collection);
        if (withShortName) AppendLine(head, "shortname", ShortName(collection));
        AppendLine(head, "launch", launch_);
        return head;
    }

    // The file of each game of the finished list, and the game it names.
    std::vector<ListEntryText> GameFiles(std::string_view text) const {
        std::vector<ListEntryText> files;
        const std::string_view start = kGameStart, fileKey = "\nfile: ";
        for (std::size_t at = text.find(start, headSize_); at != std::string_view::npos;) {
            const std::size_t next = text.find(start, at + 1);
            const std::size_t file = text.find(fileKey, at);
            if (file < next) {
                const std::size_t from = file + fileKey.size();
                const std::string_view path = text.substr(from, text.find('\n', from) - from);
                files.push_back({RomNameOfPath(path), path});
            }
            at = next;
        }
        return files;
    }

    const std::string collection_, folder_, extension_, launch_;
    const bool split_;
    std::size_t headSize_ = 0;
    CategoryGrouping categories_;
};

}  // namespace

std::unique_ptr<ListWriter> MakePegasusWriter(const ListOptions& options) {
    return std::make_unique<PegasusWriter>(options);
}

}  // namespace vantor
