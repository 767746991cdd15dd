#pragma once
// The MaLa game list (.mlg): typed byte records, a header with the title and the game count,
// then one record of 37 values per game.
#include <array>
#include <cstdint>
#include <string>

#include "ListWriter.h"

namespace vantor {

// The item tags of the .mlg byte format, shared by the writer and the reader of the converters.
enum MalaTag : unsigned char {
    kMalaRecordEnd = 0x00,
    kMalaRecordStart = 0x01,
    kMalaSmallInteger = 0x02,
    kMalaInteger = 0x03,
    kMalaText = 0x06,
    kMalaMarker = 0x08,
    kMalaFixedValue = 0x11,
};

// The values of one game, in file order.
struct MalaEntry {
    std::string romName, romOf, cloneOf, driver, description;
    int year = 0;
    std::string manufacturer, category;
    int buttons = 0;
    int coins = 0;
    std::string players, controlType, displayType, orientation;
    int width = 0;
    int height = 0;
    std::string driverStatus, colorStatus, soundStatus, emulationStatus, graphicStatus;
    std::string controlLabel, joystickUp, joystickDown, joystickLeft, joystickRight;
    std::array<std::string, 8> buttonLabels;
};

// Each appends one record to `bytes`. The header's result is the offset of its two-byte,
// little-endian game count.
std::size_t BuildMalaHeader(std::string_view listTitle, std::string& bytes);
void BuildMalaEntry(const MalaEntry& entry, std::string& bytes);
// Fills the entry from a game record.
MalaEntry MakeMalaEntry(const ListedRecord& record);

}  // namespace vantor
