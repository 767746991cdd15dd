#include "GameFacts.h"

#include <algorithm>
#include <cstdlib>

#include "CategoryLists.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

struct Attribute {
    std::string_view name, value;
};

bool IsNameEnd(char c) {
    return IsWhiteSpace(c) || c == '>' || c == '/' || c == '=';
}

// The start tag whose "<" is at `at`: its element name and attributes. Returns the offset after
// the tag. The record's text is entity-decoded but for &quot; inside tags, so a quoted value
// ends at the next quote of its kind.
std::size_t ReadStartTag(std::string_view text, std::size_t at, std::string_view& name,
                         std::vector<Attribute>& attributes) {
    attributes.clear();
    std::size_t i = at + 1;
    while (i < text.size() && !IsNameEnd(text[i])) ++i;
    name = text.substr(at + 1, i - at - 1);
    for (;;) {
        while (i < text.size() && IsWhiteSpace(text[i])) ++i;
        if (i >= text.size()) return i;
        if (text[i] == '>') return i + 1;
        if (text[i] == '/') {
            ++i;
            continue;
        }
        const std::size_t nameStart = i;
        while (i < text.size() && !IsNameEnd(text[i])) ++i;
        const std::string_view attributeName = text.substr(nameStart, i - nameStart);
        while (i < text.size() && IsWhiteSpace(text[i])) ++i;
        if (i >= text.size() || text[i] != '=') {
            if (i == nameStart) ++i;  // a stray "=" or the like: step over it
            continue;
        }
        ++i;
        while (i < text.size() && IsWhiteSpace(text[i])) ++i;
        if (i >= text.size()) return i;
        const char quote = text[i];
        if (quote != '"' && quote != '\'') continue;
        const std::size_t close = text.find(quote, i + 1);
        const std::size_t end = close == std::string_view::npos ? text.size() : close;
        attributes.push_back({attributeName, text.substr(i + 1, end - i - 1)});
        i = end == text.size() ? end : end + 1;
    }
}

std::string AttributeValue(const std::vector<Attribute>& attributes, std::string_view name) {
    for (const Attribute& attribute : attributes) {
        if (attribute.name == name) {
            std::string value(attribute.value);
            if (value.find('&') != std::string::npos) ReplaceAll(value, "&quot;", "\"");
            return OneLineText(value);
        }
    }
    return {};
}

// The text of the element whose start tag ends at `from`, up to its end tag.
std::string ElementText(std::string_view text, std::size_t from, std::string_view name) {
    const std::string endTag = "</" + std::string(name) + ">";
    const std::size_t end = FindText(text, endTag, from);
    if (end == std::string_view::npos) return {};
    return OneLineText(text.substr(from, end - from));
}

// What the merge writes for a game nplayers does not know, and its words for "unknown", are no
// values.
std::string KnownPlayerModes(std::string text) {
    if (text == kNoNplayers) return {};
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9' && text[i + 1] == 'P') return text;
    }
    return {};
}

// Whether the element whose name starts `rest` is one ReadGameFacts takes something from. Most
// elements of a record are ROMs, chips, switches and ports: their first letter and length settle
// it before any name is compared.
bool IsFactElement(std::string_view rest) {
    std::size_t length = 0;
    while (length < rest.size() && length < 13 && !IsNameEnd(rest[length])) ++length;
    const std::string_view name = rest.substr(0, length);
    switch (length) {
        case 4:
            return name == "year" || name == "disk";
        case 5:
            return name == "video" || name == "input";
        case 6:
            return name == "driver" || name == "player";
        case 7:
            return name == "display" || name == "control";
        case 8:
            return name == "nplayers";
        case 9:
            return name == "publisher";
        case 12:
            return name == "manufacturer";
        default:
            return false;
    }
}

int LeadingInteger(std::string_view text) {
    int value = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 100000; ++i)
        value = value * 10 + (text[i] - '0');
    return i == 0 ? -1 : value;
}

}  // namespace

int GameFacts::MostPlayers() const {
    int most = 0;
    for (std::size_t i = 0; i + 1 < playerModes.size(); ++i) {
        if (playerModes[i + 1] != 'P' || playerModes[i] < '0' || playerModes[i] > '9') continue;
        std::size_t start = i;
        while (start > 0 && playerModes[start - 1] >= '0' && playerModes[start - 1] <= '9') --start;
        most = std::max(most, LeadingInteger(std::string_view(playerModes).substr(start)));
    }
    if (most > 0) return most;
    return std::max(0, LeadingInteger(inputPlayers));
}

std::string GameFacts::Buttons() const {
    for (const ControlFact& control : controls) {
        if (!control.buttons.empty()) return control.buttons;
    }
    if (!inputButtons.empty()) return inputButtons;
    if (hasInput) return "0";
    return panelButtons;
}

std::string GameFacts::ReleaseYear() const {
    if (year.size() != 4) return {};
    for (char c : year) {
        if (c < '0' || c > '9') return {};
    }
    return year;
}

std::vector<const ControlFact*> GameFacts::FirstPlayerControls() const {
    std::vector<const ControlFact*> first;
    for (const ControlFact& control : controls) {
        if (!control.player.empty() && control.player != "1") continue;
        const bool repeated = std::any_of(first.begin(), first.end(), [&](const ControlFact* seen) {
            return seen->type == control.type && seen->ways == control.ways;
        });
        if (!repeated) first.push_back(&control);
    }
    return first;
}

GameFacts ReadGameFacts(const ListedRecord& record) {
    GameFacts facts;
    facts.romName = OneLineText(record.RomName());
    facts.description = OneLineText(record.Description());
    facts.category = OneLineText(GameCategory(record));
    const std::string_view text = record.Text();
    const bool listing = record.InputType() != Dat && record.InputType() != SoftwareList;
    if (listing) facts.displayCount = 0;
    std::vector<Attribute> attributes;
    std::string_view name;
    bool startTag = true;
    bool manufacturerRead = false;
    for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
        if (at + 1 >= text.size() || text[at + 1] == '/' || text[at + 1] == '!' || text[at + 1] == '?')
            continue;
        // Most of a record is ROMs, chips and switches: their attributes are not read.
        if (!startTag && !IsFactElement(text.substr(at + 1))) continue;
        const std::size_t after = ReadStartTag(text, at, name, attributes);
        if (startTag) {
            // The game's own tag: its family and what kind of machine it is.
            startTag = false;
            facts.cloneOf = AttributeValue(attributes, "cloneof");
            facts.romOf = AttributeValue(attributes, "romof");
            facts.mechanical = AttributeValue(attributes, "ismechanical") == "yes";
            facts.inputPlayers = AttributeValue(attributes, "numPlayers");
        } else if (name == "year") {
            if (facts.year.empty()) facts.year = ElementText(text, after, name);
        } else if (name == "manufacturer" || name == "publisher") {
            if (!manufacturerRead) facts.manufacturer = ElementText(text, after, name);
            manufacturerRead = true;
        } else if (name == "nplayers") {
            if (facts.playerModes.empty())
                facts.playerModes = KnownPlayerModes(ElementText(text, after, name));
        } else if (name == "display" || name == "video") {
            if (!listing) continue;
            ++facts.displayCount;
            facts.displayType = AttributeValue(attributes, name == "display" ? "type" : "screen");
            facts.rotate = AttributeValue(attributes, "rotate");
        } else if (name == "input") {
            facts.hasInput = true;
            facts.inputPlayers = AttributeValue(attributes, "players");
            facts.inputButtons = AttributeValue(attributes, "buttons");
            // The oldest listings name the one control on the input itself.
            std::string control = AttributeValue(attributes, "control");
            if (!control.empty()) facts.controls.push_back({std::move(control), {}, {}, {}});
        } else if (name == "control") {
            // controls.xml's <control name=...> of a merged file has no type: not MAME's.
            std::string type = AttributeValue(attributes, "type");
            if (type.empty()) continue;
            facts.controls.push_back({std::move(type), AttributeValue(attributes, "player"),
                                      AttributeValue(attributes, "ways"),
                                      AttributeValue(attributes, "buttons")});
        } else if (name == "driver") {
            if (facts.status.empty()) facts.status = AttributeValue(attributes, "status");
        } else if (name == "disk") {
            facts.hasDisk = true;
        } else if (name == "player") {
            if (facts.panelButtons.empty() && AttributeValue(attributes, "number") == "1")
                facts.panelButtons = AttributeValue(attributes, "numButtons");
        }
        at = after - 1;
    }
    return facts;
}

namespace {

// Attract-Mode's own import writes MAME's ways as they stand: "joystick (8-way)",
// "joystick (vertical2-way)", "joystick (5 (half8)-way)".
std::string ControlWord(const ControlFact& control) {
    const std::string_view type = control.type;
    std::string_view ways;
    if (type == "joy") {
        ways = control.ways;
    } else if (type == "vjoy2way") {
        ways = "vertical2";  // listings before 0.144
    } else if (type.starts_with("joy") && type.ends_with("way")) {
        ways = type.substr(3, type.size() - 6);  // the merge's joy8way
    } else if (type.starts_with("doublejoy")) {
        return "double joystick";
    } else if (type.starts_with("triplejoy")) {
        return "triple joystick";
    } else if (type == "stick") {
        return "joystick (analog)";
    } else {
        return control.type;
    }
    return ways.empty() ? std::string("joystick") : "joystick (" + std::string(ways) + "-way)";
}

}  // namespace

std::string ControlWords(const GameFacts& facts) {
    std::string words;
    std::vector<std::string> seen;
    for (const ControlFact* control : facts.FirstPlayerControls()) {
        std::string word = ControlWord(*control);
        if (std::find(seen.begin(), seen.end(), word) != seen.end()) continue;
        if (!words.empty()) words += ',';
        words += word;
        seen.push_back(std::move(word));
    }
    return words;
}

std::string DefaultRomFolder() {
    return WithHomeFolder("~/roms/mame");
}

std::string WithHomeFolder(std::string_view path) {
    if (path != "~" && !path.starts_with("~/")) return std::string(path);
    const char* home = std::getenv("HOME");
    std::string expanded = home != nullptr ? home : "";
    if (expanded.ends_with('/') && path.size() > 1) expanded.pop_back();
    return expanded + std::string(path.substr(1));
}

std::string PlainExtension(std::string_view extension) {
    if (extension.starts_with('.')) extension.remove_prefix(1);
    return std::string(extension);
}

std::string RomFilePath(std::string_view folder, std::string_view romName, std::string_view extension) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/') path += '/';
    path += romName;
    const std::string plain = PlainExtension(extension);
    if (!plain.empty()) path += "." + plain;
    return path;
}

}  // namespace vantor
