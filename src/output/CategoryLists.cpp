#include "CategoryLists.h"

#include "GameFacts.h"
#include "gamedata/EngineError.h"

namespace vantor {

void RequireCategories(const Catalog& catalog) {
    if (catalog.inputType != MergedList) throw EngineError(kSplitNeedsMergedFile);
}

void CategoryLists::Remember(const std::string& romName, std::string category) const {
    if (!category.empty()) categories_.try_emplace(romName, std::move(category));
}

std::map<std::string, CategoryGroup> CategoryLists::Group(const std::vector<ListEntryText>& entries) const {
    std::map<std::string, CategoryGroup> groups;
    for (const ListEntryText& entry : entries) {
        auto found = categories_.find(entry.romName);
        if (found == categories_.end()) continue;
        CategoryGroup& group = groups[CategoryFileName(found->second)];
        if (group.category.empty()) group.category = found->second;
        group.entries.push_back(entry.text);
    }
    return groups;
}

void NoteWhenNoCategory(const std::map<std::string, CategoryGroup>& groups, ListDocument& document) {
    if (groups.empty() && document.games > 0)
        document.notes.push_back({MessageIcon::Information, kNoGameHasACategory});
}

}  // namespace vantor
