#pragma once
// What today's front ends want to know of a game, read once from its record by element and
// attribute (not by substring), and the ROM paths their lists name. Values are single lines of
// valid UTF-8 (OneLineText).
#include <string>
#include <string_view>
#include <vector>

#include "ListWriter.h"

namespace vantor {

struct ControlFact {
    std::string type, player, ways, buttons;
};

struct GameFacts {
    std::string romName, description, year, manufacturer, cloneOf, romOf;
    std::string category;               // catver's; "" when the master file has none for the game
    std::string playerModes;            // nplayers' "2P alt"; "" when it has none or says nothing of players
    std::string inputPlayers;           // MAME's <input players=>, or numPlayers= of a controls file
    std::vector<ControlFact> controls;  // MAME's <control type=...>, in record order
    std::string inputButtons;           // <input buttons=> of older listings
    std::string panelButtons;           // numButtons= of player 1 in controls.xml data
    bool hasInput = false;              // the record has an <input> element
    std::string rotate, displayType;    // of the last display
    int displayCount = -1;              // -1: the record type tells nothing of displays
    std::string status;                 // <driver status=>
    bool hasDisk = false;
    bool mechanical = false;

    // The most players the game takes, from nplayers' text or else the listing; 0 when unknown.
    int MostPlayers() const;
    // The buttons of the first control that names them, else of the input or the control panel;
    // "0" for a listing game with controls but none named; "" when the record tells nothing.
    std::string Buttons() const;
    // The year when it is four digits ("1980"), else "" ("198?" is no release date).
    std::string ReleaseYear() const;
    // The controls of player 1 (and those of no player), without repeats.
    std::vector<const ControlFact*> FirstPlayerControls() const;
};

[[nodiscard]] GameFacts ReadGameFacts(const ListedRecord& record);
// Player 1's controls in the words Attract-Mode's own MAME import uses ("joystick (8-way)",
// "double joystick", "joystick (analog)", MAME's type otherwise), joined by ",".
std::string ControlWords(const GameFacts& facts);
// FOLDER/ROM.EXT (the folder's own trailing "/" kept single; no "." for an empty extension,
// whose leading "." is optional).
std::string RomFilePath(std::string_view folder, std::string_view romName, std::string_view extension);
// Where the ROMs are when no folder is given: ~/roms/mame.
std::string DefaultRomFolder();
// The path with a leading "~" or "~/" as the home folder, for front ends that take paths as
// written (RetroArch, Pegasus).
std::string WithHomeFolder(std::string_view path);
// The extension as given, without a leading ".".
std::string PlainExtension(std::string_view extension);
}  // namespace vantor
