#pragma once
// The scans behind "Go!", "List all ROMs" and "ROM Search", each making a match list.
#include <string>
#include <string_view>
#include <vector>

#include "MatchEntry.h"
#include "ScanSplit.h"
#include "gamedata/Catalog.h"
#include "gamedata/ProgressSink.h"

namespace vantor {

inline constexpr const char* kListAllExpression = "=";
inline constexpr const char* kNoMatchesFound = "No matches found!";

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

}  // namespace vantor
