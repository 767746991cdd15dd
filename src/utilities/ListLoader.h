#pragma once
// "Load list...": a game list of any format that names its games, read back and matched with the
// master file's records, so that a list made for one front end becomes the working list and can
// be saved for another.
#include <string>
#include <string_view>
#include <vector>

#include "UtilityCommon.h"
#include "search/MatchEntry.h"

namespace vantor {

inline constexpr const char* kLoadListLogName = "loadListLog.txt";

struct ListRomNames {
    std::string format;              // what the list was read as ("RetroArch playlist")
    std::vector<std::string> names;  // in list order, each once
    std::string problem;             // not "": the file is no list that names its games
};

// Tells the format by the text itself: a MaLa list, a RetroArch playlist (JSON), gamelist.xml,
// a HyperSpin database, an XML file of game records, a Maximus Arcade list, an Attract-Mode
// romlist (16 or 21 columns), a Pegasus metadata file, or ROM names one per line (Attract-Mode
// tag files and path lists included).
[[nodiscard]] ListRomNames ReadListRomNames(std::string_view bytes);

// The master file's games named by `romNames`, in that order, each name once; the names the file
// lacks go to `missing`, in order. One scan of the whole file; throws EngineError (Cancelled)
// when the progress sink asks to stop.
struct GamesByRomName {
    std::vector<MatchEntry> entries;
    std::vector<std::string> missing;
};
[[nodiscard]] GamesByRomName FindGamesByRomName(const Catalog& catalog,
                                                const std::vector<std::string>& romNames,
                                                ProgressSink* progress = nullptr);

struct LoadListInputs {
    std::string listPath;
    std::string logFolder;  // where loadListLog.txt goes ("" = the current working directory)
};

// The master file's games a list names, in the list's order; a name the master file lacks is
// counted in a message and written to the log.
struct LoadedList {
    std::string format;
    std::vector<MatchEntry> entries;
    std::vector<std::string> missing;
    std::string logPath;  // "" when no log was written
};

// A failure (the list cannot be read, names nothing, or names no game of the master file) says
// why; a stop asked of the progress sink cancels it.
[[nodiscard]] Outcome<LoadedList> LoadList(const Catalog& catalog, const LoadListInputs& inputs,
                                           ProgressSink* progress = nullptr);

}  // namespace vantor
