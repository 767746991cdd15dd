#pragma once
// What the windows of the desktop program share: the hand-over of entries to a result window and
// the flag that the full list has been built.
#include <QMetaType>
#include <atomic>
#include <string>

namespace vantor::app {

// Set once "List all ROMs" has handed a full list to its window; cleared by the input check and
// by the settings dialog's "Set", so the next click scans again.
extern std::atomic<bool> g_fullListReady;

// One batch for a result window, carried by a queued signal: each receiver gets its own copy,
// and batches arrive whole and in the order sent.
struct HandOver {
    std::string entries;      // key, ROM name, description, year, manufacturer, each + "|"
    std::string titleFormat;  // one %d for the number of rows; unused by the working list
    bool hideRomNames = false;
    bool setsHideRomNames = true;  // "Add to your list" leaves the receiver's setting alone
    bool sortByName = true;        // false: the rows keep the order of the entries
};

// Registers the types that travel in queued signals; called before the first window is made.
void RegisterMetaTypes();

}  // namespace vantor::app

Q_DECLARE_METATYPE(vantor::app::HandOver)
