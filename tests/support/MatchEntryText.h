#pragma once
// Match entries written compactly in tests: "key|rom|description|year|maker|" five fields at a time.
#include <string>
#include <string_view>
#include <vector>

#include "search/MatchEntry.h"

namespace vantor::test {

inline std::vector<MatchEntry> EntriesFromText(std::string_view text) {
    std::vector<std::string> fields;
    for (std::size_t bar; (bar = text.find('|')) != std::string_view::npos; text.remove_prefix(bar + 1)) {
        fields.emplace_back(text.substr(0, bar));
    }
    std::vector<MatchEntry> entries;
    for (std::size_t i = 0; i + 5 <= fields.size(); i += 5) {
        entries.push_back({fields[i], fields[i + 1], fields[i + 2], fields[i + 3], fields[i + 4]});
    }
    return entries;
}

}  // namespace vantor::test
