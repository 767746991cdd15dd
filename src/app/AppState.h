#pragma once
// What the windows of the desktop program hand each other: a batch of games for a result window.
#include <QMetaType>
#include <optional>
#include <string>
#include <vector>

#include "gamedata/MasterFile.h"
#include "search/MatchEntry.h"

namespace vantor::app {

// One batch for a result window, carried by a queued signal: each receiver gets its own copy,
// and batches arrive whole and in the order sent.
struct HandOver {
    std::vector<MatchEntry> entries;
    std::string titleFormat;  // one %d for the number of rows; unused by the working list
    bool hideRomNames = false;
    bool setsHideRomNames = true;  // "Add to your list" leaves the receiver's setting alone
    bool sortByName = true;        // false: the rows keep the order of the entries
    std::string note;              // shown after the working list's count of games added
    // The state of the master file the keys were taken from; unset: the one open now. A batch
    // from another state is not taken: its keys would name other games.
    std::optional<FileIdentity> source;
    // The rows' games found again in a new input file: they take the place of the rows, and the
    // list counts as changed only as the caller says.
    bool carriedOver = false;
};

// Registers the types that travel in queued signals; called before the first window is made.
void RegisterMetaTypes();

}  // namespace vantor::app

Q_DECLARE_METATYPE(vantor::app::HandOver)
