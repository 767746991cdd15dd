#pragma once
// The comparison every list sorts by: ASCII letters compared without case first; where two texts
// are equal so, the first position where they differ decides, lower case before upper case
// ("a" < "b" < "B"). Sorts using it are stable.
#include <string_view>

namespace vantor {

// <0, 0 or >0 as strcmp.
int CompareListText(std::string_view a, std::string_view b);
inline bool ListTextLess(std::string_view a, std::string_view b) {
    return CompareListText(a, b) < 0;
}

}  // namespace vantor
