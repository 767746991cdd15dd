#include "ListLoader.h"

#include <pugixml.hpp>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "ListConverters.h"
#include "gamedata/TextUtil.h"
#include "output/CsvColumns.h"
#include "output/GameFacts.h"
#include "output/GamelistXml.h"
#include "output/JsonText.h"
#include "output/MalaList.h"
#include "search/SearchDriver.h"

namespace vantor {

namespace {

// Keeps the first of repeated names and drops empty ones.
class NameList {
  public:
    void Add(std::string name) {
        if (!name.empty() && seen_.insert(name).second) names_.push_back(std::move(name));
    }
    std::vector<std::string> Take() { return std::move(names_); }

  private:
    std::vector<std::string> names_;
    std::unordered_set<std::string> seen_;
};

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

// ---------------------------------------------------------------------------------------------
// RetroArch: the stem of each item's path.

ListRomNames ReadRetroArch(std::string_view text) {
    ListRomNames list{"RetroArch playlist", {}, {}};
    JsonValue root;
    if (!ParseJson(text, root, list.problem)) return list;
    if (!root.is_object() || !root.contains("items") || !root["items"].is_array()) {
        list.problem = "it holds no \"items\" list";
        return list;
    }
    NameList names;
    for (const JsonValue& item : root["items"]) names.Add(RomNameOfPath(StringMember(item, "path")));
    list.names = names.Take();
    return list;
}

// ---------------------------------------------------------------------------------------------
// XML lists

// The gamelist.xml of EmulationStation (ES-DE and Batocera): the reader of its writers.
ListRomNames ReadGamelist(std::string_view text) {
    ListRomNames list{"EmulationStation gamelist.xml", {}, {}};
    NameList names;
    for (std::string& name : GamelistRomNames(text, list.problem)) names.Add(std::move(name));
    list.names = names.Take();
    return list;
}

// The names of the elements <game name="...">, <machine name="..."> and <software name="..."> at
// any depth, in document order, devices left out (a master file has none of them).
std::vector<std::string> RecordNames(pugi::xml_document& document) {
    NameList names;
    struct Walker : pugi::xml_tree_walker {
        NameList& names;
        explicit Walker(NameList& found) : names(found) {}
        bool for_each(pugi::xml_node& node) override {
            const std::string_view element = node.name();
            if (node.type() == pugi::node_element &&
                (element == "game" || element == "machine" || element == "software") &&
                std::string_view(node.attribute("isdevice").value()) != "yes")
                names.Add(node.attribute("name").value());
            return true;
        }
    } walker(names);
    document.traverse(walker);
    return names.Take();
}

ListRomNames ReadXml(std::string_view text) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(text.data(), text.size(), pugi::parse_escapes, pugi::encoding_utf8);
    if (!parsed && document.child("gameList")) return ReadGamelist(text);  // it says what is wrong
    if (!parsed) {
        const std::size_t at =
            std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(parsed.offset, 0)), text.size());
        return {"XML file",
                {},
                "it is not XML: line " +
                    std::to_string(
                        1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n')) +
                    ", " + ToLowerAscii(parsed.description())};
    }
    const std::string_view root = document.document_element().name();
    if (document.child("gameList")) return ReadGamelist(text);
    if (root == "menu") return {"HyperSpin database", RecordNames(document), {}};
    return {"XML file", RecordNames(document), {}};
}

// ---------------------------------------------------------------------------------------------
// Maximus Arcade: the value of each "#name:". (maximus2xml reads the third quoted piece of each
// entry, as the converter it replaces did; a description holding "]" throws that off.)

ListRomNames ReadMaximus(std::string_view text) {
    NameList names;
    const std::string_view key = "#name:";
    for (std::size_t at = text.find(key); at != std::string_view::npos; at = text.find(key, at + 1)) {
        std::size_t open = at + key.size();
        while (open < text.size() && text[open] == ' ') ++open;
        if (open >= text.size() || text[open] != '"') continue;
        const std::size_t close = text.find('"', open + 1);
        if (close == std::string_view::npos) break;
        names.Add(std::string(text.substr(open + 1, close - open - 1)));
    }
    return {"Maximus Arcade list", names.Take(), {}};
}

// ---------------------------------------------------------------------------------------------
// Line lists

// The first field of a romlist line as Attract-Mode reads it: trimmed; a quoted field runs to
// the next quote without a "\" before it, and \" stands for a quote.
std::string FirstRomlistField(std::string_view line) {
    line = TrimView(line);
    if (!line.starts_with('"')) return std::string(TrimView(line.substr(0, line.find(';'))));
    std::string field;
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            ++i;
        } else if (line[i] == '"') {
            break;
        } else {
            field += line[i];
        }
    }
    Trim(field);
    return field;
}

ListRomNames ReadRomlist(const std::vector<std::string_view>& lines) {
    NameList names;
    for (std::string_view line : lines) {
        std::string name = FirstRomlistField(line);
        if (!name.starts_with('#')) names.Add(std::move(name));
    }
    return {"Attract-Mode romlist", names.Take(), {}};
}

// The key of a Pegasus line ("game" of "Game: Pac-Man"), lower case; "" for a line that is none.
std::string PegasusKey(std::string_view line) {
    if (line.empty() || line[0] == '#' || IsWhiteSpace(line[0])) return {};
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return {};
    return ToLowerAscii(TrimView(line.substr(0, colon)));
}

// Pegasus: a line starting with white space continues the attribute before it, a blank line ends
// it, "#" in the first column is a comment. Each game is named by the stems of its files; a game
// without a file by its title (which the master file will hardly know: it is reported).
ListRomNames ReadPegasus(const std::vector<std::string_view>& lines) {
    NameList names;
    std::string key, title;
    bool gameHasFile = true;
    auto endGame = [&] {
        if (!gameHasFile) names.Add(title);
        gameHasFile = true;
    };
    for (std::string_view line : lines) {
        if (TrimView(line).empty()) {
            key.clear();
            continue;
        }
        if (line[0] == '#') continue;
        std::string_view value;
        if (IsWhiteSpace(line[0])) {
            value = TrimView(line);
        } else {
            const std::size_t colon = line.find(':');
            if (colon == std::string_view::npos) continue;  // Pegasus skips such a line too
            key = PegasusKey(line);
            value = TrimView(line.substr(colon + 1));
            if (key == "game") {
                endGame();
                title = value;
                gameHasFile = false;
                continue;
            }
        }
        if ((key == "file" || key == "files") && !value.empty()) {
            names.Add(RomNameOfPath(value));
            gameHasFile = true;
        }
    }
    endGame();
    return {"Pegasus metadata file", names.Take(), {}};
}

ListRomNames ReadNameLines(const std::vector<std::string_view>& lines) {
    NameList names;
    for (std::string_view line : lines) {
        line = TrimView(line);
        // A path list (an ES collection, a playlist of files) names its games by the file stems.
        names.Add(line.find('/') != std::string_view::npos ? RomNameOfPath(line) : std::string(line));
    }
    return {"ROM names", names.Take(), {}};
}

// Vantor's own CSV, told by its header line of known headings with "ROM Name" among them; the
// delimiter is what stands between the first two headings. Fields are read as CsvFields writes
// them: in double quotes (their own doubled) when they hold the delimiter, a quote or a line break.
bool ReadVantorCsv(std::string_view text, ListRomNames& list) {
    const std::string_view header = text.substr(0, std::min(text.find_first_of("\r\n"), text.size()));
    const std::string_view romHeading = FindCsvColumn("rom-name")->heading;
    if (header.find(romHeading) == std::string_view::npos) return false;
    auto headingAt = [&](std::size_t at) -> std::size_t {  // the length of the longest heading there
        std::size_t longest = 0;
        for (const CsvColumn& column : CsvColumns()) {
            const std::string_view heading = column.heading;
            if (heading.size() > longest && header.substr(at).starts_with(heading)) longest = heading.size();
        }
        return longest;
    };
    std::vector<std::size_t> headings;  // where each heading starts
    std::string delimiter;
    for (std::size_t at = 0; at < header.size();) {
        const std::size_t length = headingAt(at);
        if (length == 0) return false;
        headings.push_back(at);
        at += length;
        if (at == header.size()) break;
        std::size_t next = at + 1;
        while (next < header.size() && headingAt(next) == 0) ++next;
        if (next >= header.size()) return false;
        const std::string_view between = header.substr(at, next - at);
        if (!delimiter.empty() && between != delimiter) return false;
        delimiter = between;
        at = next;
    }
    std::size_t romColumn = headings.size();
    for (std::size_t i = 0; i < headings.size(); ++i) {
        if (header.substr(headings[i], romHeading.size()) == romHeading &&
            headingAt(headings[i]) == romHeading.size())
            romColumn = i;
    }
    if (romColumn == headings.size()) return false;
    NameList names;
    std::size_t at = header.size();
    while (at < text.size()) {
        while (at < text.size() && (text[at] == '\r' || text[at] == '\n')) ++at;
        if (at >= text.size()) break;
        // One row: its fields up to its line end outside quotes.
        std::vector<std::string> fields(1);
        while (at < text.size() && text[at] != '\n' && text[at] != '\r') {
            if (text[at] == '"' && fields.back().empty()) {
                for (++at; at < text.size(); ++at) {
                    if (text[at] == '"' && at + 1 < text.size() && text[at + 1] == '"') {
                        fields.back() += '"';
                        ++at;
                    } else if (text[at] == '"') {
                        ++at;
                        break;
                    } else {
                        fields.back() += text[at];
                    }
                }
            } else if (!delimiter.empty() && text.substr(at).starts_with(delimiter)) {
                fields.emplace_back();
                at += delimiter.size();
            } else {
                fields.back() += text[at++];
            }
        }
        if (romColumn < fields.size()) names.Add(std::move(fields[romColumn]));
    }
    list = {"CSV file", names.Take(), {}};
    return true;
}

ListRomNames ReadLines(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\r' && c != '\t')
            return {"ROM names", {}, "it is no text"};
    }
    if (ListRomNames csv; ReadVantorCsv(text, csv)) return csv;
    const std::vector<std::string_view> lines = Lines(text);
    bool romlist = false;
    for (std::string_view line : lines) {
        if (line.starts_with("#Name;")) romlist = true;
        const std::string key = PegasusKey(line);
        if (key == "game" || key == "collection") return ReadPegasus(lines);
        if (!line.starts_with('#') && line.find(';') != std::string_view::npos) romlist = true;
    }
    return romlist ? ReadRomlist(lines) : ReadNameLines(lines);
}

}  // namespace

ListRomNames ReadListRomNames(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == kMalaRecordStart &&
        static_cast<unsigned char>(bytes[1]) == kMalaText) {
        MalaList mala = ReadMalaList(bytes);
        if (!mala.valid) return {"MaLa game list", {}, "its header is damaged"};
        NameList names;
        for (std::string& name : mala.romNames) names.Add(std::move(name));
        return {"MaLa game list", names.Take(), {}};
    }
    std::string_view text = bytes;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::string_view trimmed = TrimView(text);
    if (trimmed.starts_with('{')) return ReadRetroArch(text);
    if (trimmed.starts_with('<')) return ReadXml(text);
    if (trimmed.starts_with('[')) return ReadMaximus(text);
    return ReadLines(text);
}

GamesByRomName FindGamesByRomName(const Catalog& catalog, const std::vector<std::string>& romNames,
                                  ProgressSink* progress) {
    std::vector<MatchEntry> games = ScanForMatches(catalog, kListAllExpression, progress);
    // The first record of a name counts, as a search finds it.
    std::unordered_map<std::string, std::size_t> byName;
    byName.reserve(games.size());
    for (std::size_t i = 0; i < games.size(); ++i) byName.try_emplace(games[i].romName, i);
    GamesByRomName found;
    std::unordered_set<std::string> named;
    for (const std::string& name : romNames) {
        if (!named.insert(name).second) continue;
        auto game = byName.find(name);
        if (game == byName.end()) {
            found.missing.push_back(name);
        } else {
            found.entries.push_back(games[game->second]);
        }
    }
    return found;
}

Outcome<LoadedList> LoadList(const Catalog& catalog, const LoadListInputs& inputs, ProgressSink* progress) {
    Outcome<LoadedList> outcome;
    LoadedList& loaded = outcome.value;
    std::string bytes;
    if (std::string problem; !ReadWholeFile(inputs.listPath, bytes, &problem)) {
        outcome.Tell(MessageIcon::Stop, std::string(kListOpenError) + "\r\n" + problem);
        return outcome;
    }
    ListRomNames list = ReadListRomNames(bytes);
    loaded.format = list.format;
    if (!list.problem.empty()) {
        outcome.Tell(MessageIcon::Stop, inputs.listPath + " is no game list Vantor can read back (" +
                                            list.format + "? " + list.problem + ").");
        return outcome;
    }
    if (list.names.empty()) {
        outcome.Tell(MessageIcon::Stop, "The list " + inputs.listPath + " names no games.");
        return outcome;
    }

    try {
        GamesByRomName games = FindGamesByRomName(catalog, list.names, progress);
        loaded.entries = std::move(games.entries);
        loaded.missing = std::move(games.missing);
    } catch (const EngineError& error) {
        return Outcome<>::From(error).With(std::move(loaded));
    }
    if (loaded.missing.empty()) {
        outcome.kind = OutcomeKind::Done;
        return outcome;
    }

    std::string log = UtilityLogHeader("Vantor list load log file.");
    log += "List: " + inputs.listPath + " (" + list.format + ")\r\n";
    for (const std::string& name : loaded.missing)
        log += "Unable to find " + name + " in the master file. ROM name may have changed.\r\n";
    const std::string logPath = LogFilePath(inputs.logFolder, kLoadListLogName);
    const bool logged = WriteFileAtomically(logPath, log);
    if (logged) loaded.logPath = logPath;
    const std::string count = std::to_string(loaded.missing.size());
    const std::string where = logged ? "; their names are in " + logPath + "." : std::string(".");
    if (loaded.entries.empty()) {
        outcome.Tell(MessageIcon::Stop,
                     "None of the " + count + " games the list names is in the master file" + where);
    } else {
        outcome.kind = OutcomeKind::Done;
        outcome.Tell(MessageIcon::Exclamation, count + " of the " + std::to_string(list.names.size()) +
                                                   " games the list names are not in the master file" +
                                                   where);
    }
    if (!logged) outcome.Tell(MessageIcon::Exclamation, kUtilityLogOpenError);
    return outcome;
}

}  // namespace vantor
