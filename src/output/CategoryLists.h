#pragma once
// "One list per category": what every front end's category lists share. The category is
// catver.ini's, so only a merged master file has one.
#include <string>
#include <string_view>

#include "ListWriter.h"
#include "gamedata/Catalog.h"

namespace vantor {

inline constexpr const char* kCategoryListsNeedMergedFile =
    "One list per category needs a merged master file: the categories come from catver.ini.\r\n"
    "Make one with Merge! in Settings and Tools (or vantor-cli merge) and choose it as the input file.";

// Throws EngineError (kCategoryListsNeedMergedFile) unless the master file is a merged one.
void RequireCategories(const Catalog& catalog);

// The game's category, or "" when the merge found none for it.
std::string GameCategory(const ListedRecord& record);

// The category as a part of a file name: no folder separators, no characters that Windows or a
// shared folder refuses, no control characters, no leading or trailing dots and blanks.
// "Maze / Collect" becomes "Maze - Collect"; "" when nothing is left.
std::string CategoryFileName(std::string_view category);

}  // namespace vantor
