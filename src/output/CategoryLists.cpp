#include "CategoryLists.h"

#include "gamedata/EngineError.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

// Long enough for any catver category, short enough for every file system with the list's name
// around it.
constexpr std::size_t kMaxNameBytes = 160;

}  // namespace

void RequireCategories(const Catalog& catalog) {
    if (catalog.inputType != MergedList) throw EngineError(kCategoryListsNeedMergedFile);
}

std::string GameCategory(const ListedRecord& record) {
    std::string category = record.Value("<category>");
    return category == kNoCatver ? std::string() : category;
}

std::string CategoryFileName(std::string_view category) {
    const std::string text = OneLineText(category);
    std::string name;
    for (char c : text) {
        switch (c) {
            case '/':
            case '\\':
            case ':':
            case '|':
                name += '-';
                break;
            case '*':
            case '?':
            case '"':
            case '<':
            case '>':
                break;
            default:
                if (c != ' ' || (!name.empty() && name.back() != ' ')) name += c;
        }
    }
    if (name.size() > kMaxNameBytes) {
        std::size_t cut = kMaxNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;  // whole characters
        name.resize(cut);
    }
    Trim(name, " .");
    return name;
}

void CategoryGrouping::Remember(const std::string& romName, std::string category) const {
    if (!category.empty()) categories_.try_emplace(romName, std::move(category));
}

std::map<std::string, CategoryGroup> CategoryGrouping::Group(
    const std::vector<ListEntryText>& entries) const {
    std::map<std::string, CategoryGroup> groups;
    for (const ListEntryText& entry : entries) {
        auto found = categories_.find(entry.romName);
        if (found == categories_.end()) continue;
        std::string fileName = CategoryFileName(found->second);
        if (fileName.empty()) continue;
        CategoryGroup& group = groups[std::move(fileName)];
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
