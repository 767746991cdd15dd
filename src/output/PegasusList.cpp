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
          folder_(options.Text(ListOption::RomFolder)),
          extension_(PlainExtension(options.Text(ListOption::RomExtension, "zip"))),
          launch_(OneLineText(options.Text(ListOption::LaunchCommand, kDefaultLaunch))),
          split_(options.Has(ListOption::SplitByCategory)) {}

    void Begin(const ListContext& context, ListDocument& document) override {
        for (char c : folder_ + extension_) {
            if (static_cast<unsigned char>(c) < 0x20)
                throw EngineError(
                    "The ROM folder or extension holds a line break or another control character, "
                    "which a Pegasus list cannot hold.");
        }
        if (split_) RequireCategories(context.catalog);
        document.text = Head(collection_.empty() ? std::string("MAME") : collection_, true);
        headSize_ = document.text.size();
    }

    // Category lists gather the games' categories as entries are made.
    bool EntriesInParallel() const override { return !split_; }

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

    void End(const ListContext&, ListDocument& document) override {
        if (!split_) return;
        const std::map<std::string, CategoryGroup> groups = categories_.Group(Games(document.text));
        for (const auto& [fileName, group] : groups) {
            std::string text = Head(group.category, false);
            for (std::string_view game : group.entries) text += game;
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

    // The game blocks of the finished list (each with the blank line before it) and the games
    // their files name.
    std::vector<ListEntryText> Games(std::string_view text) const {
        std::vector<ListEntryText> games;
        const std::string_view start = kGameStart;
        std::size_t at = text.find(start, headSize_);
        while (at != std::string_view::npos) {
            const std::size_t next = text.find(start, at + 1);
            const std::string_view block = text.substr(at, next == std::string_view::npos ? next : next - at);
            const std::size_t file = block.find("\nfile: ");
            std::string romName;
            if (file != std::string_view::npos) {
                const std::size_t from = file + 7;
                romName = RomNameOfPath(block.substr(from, block.find('\n', from) - from));
            }
            games.push_back({std::move(romName), block});
            at = next;
        }
        return games;
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
