#pragma once
// One game of a match list, as every scan produces it and every list window and writer takes it.
#include <string>

namespace vantor {

struct MatchEntry {
    std::string key, romName, description, year, manufacturer;
    bool operator==(const MatchEntry&) const = default;
};

}  // namespace vantor
