#pragma once
// The engine side of "Save List to file", "Preview List" and vantor-cli save: one request, one
// call, one outcome.
#include <cstdint>
#include <optional>
#include <vector>

#include "ListFormats.h"
#include "ListOptions.h"
#include "ListSink.h"
#include "gamedata/Catalog.h"
#include "gamedata/ProgressSink.h"

namespace vantor {

// The progress window's text while a list is made.
inline constexpr const char* kCreatingList = "Creating list...";
inline constexpr const char* kStaleListKeys =
    "This list was made from another input file, or from an earlier state of it: nothing was written.";

struct SaveRequest {
    ListFormat format = ListFormat::Xml;
    // Record keys (file offsets of the catalog's master file) in list order. A game in adjacent
    // rows is written once; one listed again further on is written again.
    std::vector<std::int64_t> keys;
    ListOptions options;
    // The games sorted by Name (the description as the working list shows it, compared as the
    // list sorts), stably in key order. A caller with every game's key in file order need not
    // read the names first: the writer reads them anyway.
    bool sortByName = false;
    // Every game of the master file in file order (`keys` unused), found and written in one pass
    // over the file, as "List all ROMs" finds them.
    bool allGames = false;
    // The state of the master file the keys were taken from, when known: keys of another file,
    // or of an earlier state of this one, would name other games or none, so such a list is
    // refused before anything is read.
    std::optional<FileIdentity> keysFrom = std::nullopt;
};

// Writes the list to `target`. Nothing is written when the target cannot take it (checked before
// any work), the keys come from another state of the file (`keysFrom`), a key lies outside the
// master file, the format has no preview for a string target,
// or the progress sink asks to stop (then the outcome is Cancelled). Progress goes to `progress`
// a few hundred games at a time.
[[nodiscard]] Outcome<SavedGames> SaveList(const Catalog& catalog, const SaveRequest& request,
                                           ListSink& target, ProgressSink* progress = nullptr);

}  // namespace vantor
