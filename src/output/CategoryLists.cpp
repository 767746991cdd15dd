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

}  // namespace vantor
