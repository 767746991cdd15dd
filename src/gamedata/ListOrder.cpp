#include "ListOrder.h"

#include "TextUtil.h"

namespace vantor {

namespace {
int CaseRank(char c) {
    return (c >= 'A' && c <= 'Z') ? 1 : 0;
}
}  // namespace

int CompareListText(std::string_view a, std::string_view b) {
    std::size_t common = a.size() < b.size() ? a.size() : b.size();
    int caseTieBreak = 0;
    for (std::size_t i = 0; i < common; ++i) {
        unsigned char la = static_cast<unsigned char>(AsciiLower(a[i]));
        unsigned char lb = static_cast<unsigned char>(AsciiLower(b[i]));
        if (la != lb) return la < lb ? -1 : 1;
        if (caseTieBreak == 0 && a[i] != b[i]) caseTieBreak = CaseRank(a[i]) - CaseRank(b[i]);
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return caseTieBreak;
}

}  // namespace vantor
