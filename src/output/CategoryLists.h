#pragma once
// "One list per category": what every front end's category lists share. The category is
// catver.ini's, so only a merged master file has one.
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ListOptions.h"
#include "ListSink.h"
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

// What else than a file name's rules a front end asks of the name of a category list.
enum class CategoryNaming {
    FileName,
    // ES-DE skips a custom collection whose name holds * " , . / : ; < > \ | or is a system's:
    // "Misc. / Clock" becomes "Misc - Clock", "Fighter / 2.5D" "Fighter - 2-5D".
    EsCollection,
    // Attract-Mode keeps a game's tags as one list split at ";": "a;b" becomes "a,b".
    AttractModeTag,
};

// The list names of one save's categories: each one the front end takes, and no two the same,
// not even but for case (a name taken already gets " 2", " 3"...). A category that leaves no name
// is left out.
std::map<std::string, std::string> CategoryListNames(const std::set<std::string>& categories,
                                                     CategoryNaming naming);

inline constexpr const char* kNoGameHasACategory =
    "No game of the list has a category in the master file: no category lists were written.";

// What --split-by-category splits by: catver's whole category ("Maze / Collect", given alone or
// as "full") or its main category ("Maze", given as "main").
enum class CategorySplit { Full, Main };
inline constexpr const char* kSplitWords[] = {"full", "main"};
CategorySplit SplitOf(const ListOptions& options);
// The category as the split takes it: with Main, the part before the first " / ".
std::string SplitCategory(std::string category, CategorySplit split);

// One entry of a finished list: the game it names and its text in the list.
struct ListEntryText {
    std::string romName;
    std::string_view text;
};

struct CategoryGroup {
    std::string category;
    std::vector<std::string_view> entries;
};

// For writers that cut their finished list into category lists: the category of each game met,
// then the list's entries grouped by their category, in list order. Games without a category, or
// whose category leaves no name, go to no group.
class CategoryGrouping {
  public:
    explicit CategoryGrouping(CategorySplit split = CategorySplit::Full) : split_(split) {}
    // Writers note categories while they make entries, which is const work, maybe on several
    // threads at once. A game listed twice with two categories keeps the one that sorts first,
    // whatever order the entries were made in.
    void Remember(const std::string& romName, std::string category) const;
    // Keyed by the list names of CategoryListNames.
    std::map<std::string, CategoryGroup> Group(const std::vector<ListEntryText>& entries,
                                               CategoryNaming naming = CategoryNaming::FileName) const;

  private:
    CategorySplit split_;
    mutable std::mutex mutex_;
    mutable std::unordered_map<std::string, std::string> categories_;
};

// Adds a note to the document when splitting found no category at all.
void NoteWhenNoCategory(const std::map<std::string, CategoryGroup>& groups, ListDocument& document);

}  // namespace vantor
