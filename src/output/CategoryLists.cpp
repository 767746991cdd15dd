#include "CategoryLists.h"

#include <algorithm>

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

namespace {

// The systems of ES-DE and Batocera a MAME category could be named like: a custom collection of
// that name is skipped.
bool IsEsSystemName(std::string_view name) {
    static constexpr std::string_view kSystems[] = {"arcade", "mame", "neogeo", "naomi", "atomiswave",
                                                    "daphne", "cps1", "cps2",   "cps3",  "fbneo"};
    const std::string lower = ToLowerAscii(name);
    for (std::string_view system : kSystems) {
        if (lower == system) return true;
    }
    return false;
}

std::string EsCollectionName(std::string_view category) {
    const std::string fileName = CategoryFileName(category);
    std::string name;
    for (std::size_t i = 0; i < fileName.size(); ++i) {
        const char c = fileName[i];
        if (c == '.') {
            // A dot ending a word ("Misc.") goes, one inside a word ("2.5D") is a dash.
            const bool wordEnd = i + 1 == fileName.size() || fileName[i + 1] == ' ';
            if (!wordEnd && !name.empty() && name.back() != ' ') name += '-';
        } else if (c == ',' || c == ';') {
            if (!name.empty() && name.back() != ' ') name += ' ';
        } else if (c != ' ' || (!name.empty() && name.back() != ' ')) {
            name += c;
        }
    }
    Trim(name, " -");
    if (IsEsSystemName(name)) name += " (MAME)";
    return name;
}

std::string ListName(std::string_view category, CategoryNaming naming) {
    switch (naming) {
        case CategoryNaming::EsCollection:
            return EsCollectionName(category);
        case CategoryNaming::AttractModeTag: {
            std::string name = CategoryFileName(category);
            std::replace(name.begin(), name.end(), ';', ',');
            return name;
        }
        default:
            return CategoryFileName(category);
    }
}

}  // namespace

std::map<std::string, std::string> CategoryListNames(const std::set<std::string>& categories,
                                                     CategoryNaming naming) {
    std::map<std::string, std::string> names;
    std::set<std::string> taken;  // lower case: a file system may not tell "A" from "a"
    for (const std::string& category : categories) {
        const std::string name = ListName(category, naming);
        if (name.empty()) continue;
        std::string unique = name;
        for (int n = 2; !taken.insert(ToLowerAscii(unique)).second; ++n)
            unique = name + " " + std::to_string(n);
        names.emplace(category, std::move(unique));
    }
    return names;
}

CategorySplit SplitOf(const ListOptions& options) {
    return options.Text(ListOption::SplitByCategory) == "main" ? CategorySplit::Main : CategorySplit::Full;
}

std::string SplitCategory(std::string category, CategorySplit split) {
    if (split == CategorySplit::Main) {
        const std::size_t sub = category.find(" / ");
        if (sub != std::string::npos) category.resize(sub);
    }
    return category;
}

void CategoryGrouping::Remember(const std::string& romName, std::string category) const {
    if (category.empty()) return;
    std::string split = SplitCategory(std::move(category), split_);
    const std::lock_guard lock(mutex_);
    auto [kept, added] = categories_.try_emplace(romName, std::move(split));
    if (!added && split < kept->second) kept->second = std::move(split);
}

std::map<std::string, CategoryGroup> CategoryGrouping::Group(const std::vector<ListEntryText>& entries,
                                                             CategoryNaming naming) const {
    std::set<std::string> met;
    for (const ListEntryText& entry : entries) {
        auto found = categories_.find(entry.romName);
        if (found != categories_.end()) met.insert(found->second);
    }
    const std::map<std::string, std::string> names = CategoryListNames(met, naming);
    std::map<std::string, CategoryGroup> groups;
    for (const ListEntryText& entry : entries) {
        auto found = categories_.find(entry.romName);
        if (found == categories_.end()) continue;
        auto name = names.find(found->second);
        if (name == names.end()) continue;
        CategoryGroup& group = groups[name->second];
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
