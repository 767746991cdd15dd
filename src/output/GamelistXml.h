#pragma once
// EmulationStation's gamelist.xml as it is found on disk, read with pugixml as ES-DE reads it:
// what it takes is a game list, and everything a user or the front end put in it is kept. Parts
// the writers do not rebuild are kept as the bytes they were.
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// One child element of a <game>: its name, its bytes from "<" to the end of its end tag, and its
// entity-decoded text when it holds text only (empty otherwise). The views point into the text
// that was read, which must outlive the document.
struct GamelistField {
    std::string_view name;
    std::string_view raw;
    std::string text;
};

struct GamelistGame {
    std::string_view attributes;  // the start tag's attributes as they stand (` id="5"`), or ""
    std::vector<GamelistField> fields;
    std::string path;  // the decoded <path>

    // The first field of that name, or nullptr.
    const GamelistField* Field(std::string_view name) const;
};

struct GamelistDocument {
    // Markup beside <gameList> at the top (ES-DE's <alternativeEmulator>, comments), as it stands,
    // without the XML declaration.
    std::string before, after;
    // Children of <gameList> that are not games with a path (<folder>, comments), as they stand.
    std::vector<std::string> others;
    std::vector<GamelistGame> games;  // in file order
};

// False with `problem` ("line 4: ...") when `text` is not well-formed XML or has no <gameList>
// (or two). A UTF-8 byte order mark is skipped; text beside the elements is ignored, as ES-DE
// ignores it.
[[nodiscard]] bool ParseGamelist(std::string_view text, GamelistDocument& document, std::string& problem);

// The ROM name a gamelist path names: without its folders and its extension.
std::string RomNameOfPath(std::string_view path);

// The ROM names of a gamelist's games, in file order; empty with `problem` set when the text is
// not a gamelist.
std::vector<std::string> GamelistRomNames(std::string_view text, std::string& problem);

}  // namespace vantor
