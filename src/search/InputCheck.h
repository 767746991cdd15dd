#pragma once
// The input check that opens the master file: its type, its vocabulary and the criteria groups.
#include <string>
#include <vector>

#include "gamedata/Catalog.h"
#include "gamedata/Outcome.h"

namespace vantor {

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
    bool displayElements = false;  // screens as <display> elements (MAME 0.162 on), not <video>
    bool driverStatus = true;      // <driver status=...>
    bool softwareSupport = false;  // software lists' supported="no"
};

// Reads the vocabulary off the first records of an open file of the given type.
ListingVocabulary DetectListingVocabulary(const MasterFile& file, int inputType);

// The note shown when the master file is not a merged one, up to its advice
// (Advice::MakeMergedFile).
extern const char* const kNotMergedNote;

// What the input check decided; the window and the command line act on it.
struct InputCheck {
    int inputType = -1;  // after detection (unknown becomes MameGame)
    std::string header;
    std::string verticalClause = "(rotate=90 | rotate=270)";
    std::string horizontalClause = "(rotate=0 | rotate=180)";
    bool categoriesEnabled = false;
    bool playersEnabled = false;
    ListingVocabulary vocabulary;
};
// Opens `path` as the catalog's file, detects its type into the catalog and decides the criteria
// groups: done when the master file is open ("Go!" enabled), failed when it cannot be, each with
// its notes in the order they are shown. The catalog's display options are left as they are.
[[nodiscard]] Outcome<InputCheck> OpenInputFile(Catalog& catalog, const std::string& path);

}  // namespace vantor
