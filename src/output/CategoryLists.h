#pragma once
// "One list per category": the category of each game a writer met, and the list's entries grouped
// by category (by the file name each category gets), in list order. Games without a category go
// to no group.
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ListSink.h"
#include "gamedata/Catalog.h"

namespace vantor {

inline constexpr const char* kSplitNeedsMergedFile =
    "One list per category needs the categories of catver.ini, which only a merged master file holds.\r\n"
    "To get one, create a merged input file via the settings window.";
inline constexpr const char* kNoGameHasACategory =
    "No game of the list has a category in the master file: no category lists were written.";

// Throws EngineError with kSplitNeedsMergedFile unless the catalog's file is a merged one.
void RequireCategories(const Catalog& catalog);

// One entry of a finished list: the game it names and its text in the list.
struct ListEntryText {
    std::string romName;
    std::string_view text;
};

struct CategoryGroup {
    std::string category;  // as the first of its games has it
    std::vector<std::string_view> entries;
};

class CategoryLists {
  public:
    // Writers note categories while they make entries, which is const work.
    void Remember(const std::string& romName, std::string category) const;
    // Keyed by CategoryFileName; categories whose names make the same file name share it.
    std::map<std::string, CategoryGroup> Group(const std::vector<ListEntryText>& entries) const;

  private:
    mutable std::unordered_map<std::string, std::string> categories_;
};

// Adds a note to the document when splitting found no category at all.
void NoteWhenNoCategory(const std::map<std::string, CategoryGroup>& groups, ListDocument& document);

}  // namespace vantor
