#pragma once
// The scans behind "Go!", "List all ROMs" and "ROM Search", the match list they produce, the
// input check that opens the master file, and the details text of one game.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gamedata/Catalog.h"
#include "gamedata/EngineError.h"
#include "gamedata/UserInterface.h"

namespace vantor {

inline constexpr const char* kListAllExpression = "=";
inline constexpr const char* kNothingToSearchFor = "Error! Nothing to search for";
inline constexpr const char* kNoMatchesFound = "No matches found!";

// One entry of a match list.
struct MatchEntry {
    std::string key, romName, description, year, manufacturer;
    bool operator==(const MatchEntry&) const = default;
};

// How a scan splits the file: a large file is read in parts, one thread each, joined in file
// order; the result never depends on the split. `threads` 0: one per processor.
struct ScanSplit {
    unsigned threads = 0;
    std::int64_t minimumBytes = 8 << 20;    // a smaller file is read by one thread
    RecordText form = RecordText::Decoded;  // how the records are handed to the visitors
};

// The games of the catalog's file that `expression` matches, in file order. Throws EngineError
// for an expression error before anything is read.
std::vector<MatchEntry> ScanForMatches(const Catalog& catalog, const std::string& expression,
                                       ProgressSink* progress = nullptr, const ScanSplit& split = {});

// "ROM Search": LCS(q,d)/|q| + LCS(d,q)/|d| in single precision, both lower-cased.
float DescriptionSimilarity(std::string_view query, std::string_view description);
// The games whose description resembles `text`, best match first (games that match alike in
// file order): the window and vantor-cli list them in this one order.
std::vector<MatchEntry> RomSearch(const Catalog& catalog, const std::string& text,
                                  ProgressSink* progress = nullptr, const ScanSplit& split = {});

// "Go!" before the scan: trims, rejects an empty text, removes double quotes, checks the
// expression's syntax and its macro names, expands macros. Throws EngineError: ErrorKind::Expression
// for a mistake in the text (kNothingToSearchFor included), ErrorKind::Failure for the macro file.
std::string PrepareSearchText(const std::string& findText, const std::string& macroFilePath);

// One line "NAME = replacement" of vnmacros.txt; comments and lines without "=" are skipped.
struct MacroDefinition {
    std::string name, replacement;
};
std::vector<MacroDefinition> ParseMacroDefinitions(std::string_view fileText);

// Replaces macro names by their definitions, in file order. `macroFilePath` empty or unreadable
// throws the missing-file message, but only when the text holds "@".
void ExpandMacros(std::string& text, const std::string& macroFilePath);
extern const char* const kMacroFileMissing;
// Macros that would make the search text longer than this stop the search with the message below.
inline constexpr std::size_t kMaxExpandedSearchBytes = 4 * 1024 * 1024;
extern const char* const kMacroExpansionTooLong;

// What a master file's records say, and in which words; the criteria build terms the file holds.
// The defaults describe a merged file of an older listing, whose words the criteria were made for.
struct ListingVocabulary {
    // Joysticks as type="joy" with ways="4" (MAME's own listing), not words such as joy4way.
    bool joystickWays = false;
    // A <control> per player with its own buttons; button panels are type="only_buttons".
    bool controlsPerPlayer = false;
    // controls.xml's cabinet names (49-way, Triggerstick, Top Fire, Rotary, Analog): merged files.
    bool cabinetControls = true;
    bool inputs = true;            // controls and buttons
    bool display = true;           // the screen's rotation or orientation
    bool driverStatus = true;      // <driver status=...>
    bool softwareSupport = false;  // software lists' supported="no"
};

// Reads the vocabulary off the first records of an open file of the given type.
ListingVocabulary DetectListingVocabulary(const MasterFile& file, int inputType);

// The note shown when the master file is not a merged one.
extern const char* const kNotMergedNote;

// What the input check decided; the window and the command line act on it.
struct InputCheck {
    bool opened = false;  // the master file is open: "Go!" enabled
    int inputType = -1;   // after detection (unknown becomes MameGame)
    std::string header;
    std::string verticalClause = "(rotate=90 | rotate=270)";
    std::string horizontalClause = "(rotate=0 | rotate=180)";
    bool categoriesEnabled = false;
    bool playersEnabled = false;
    ListingVocabulary vocabulary;
    struct Message {
        MessageIcon icon;
        std::string text;
    };
    std::vector<Message> messages;  // in the order they are shown
};
// Opens `path` as the catalog's file, detects its type into the catalog and decides the criteria
// groups. The catalog's display options are left as they are.
InputCheck OpenInputFile(Catalog& catalog, const std::string& path);

// The first record whose start line names the game `romName`, as a scan reads it: its position
// (the record key's number), or -1 when there is no complete one (`record` then holds the text of
// a record cut short by the end of the file, if any).
[[nodiscard]] std::int64_t ReadGameRecord(const Catalog& catalog, const std::string& romName,
                                          std::string& record);

// The text "View Details" shows for a game: the first record whose start line holds the name key.
// Returns false when the game is not in the file.
bool DetailsText(const Catalog& catalog, const std::string& romName, std::string& text);
// The preparation of a record's text for the details view.
std::string PrepareDetailsText(std::string record, bool hideRomNames);

}  // namespace vantor
