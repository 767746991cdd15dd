#pragma once
// One game's record read by its ROM name: for "View Details" and the explanation.
#include <cstdint>
#include <string>

#include "gamedata/Catalog.h"

namespace vantor {

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
