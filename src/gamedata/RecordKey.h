#pragma once
// Where a game's record starts in the master file: what identifies a game in a list while its
// file stays the same. Shown and stored as "0x..." text (FormatRecordKey), read back with Parse.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "TextUtil.h"

namespace vantor {

struct RecordKey {
    std::int64_t position = 0;

    std::string Text() const { return FormatRecordKey(position); }
    // The key a "0x..." text names; nothing for any other text.
    static std::optional<RecordKey> Parse(std::string_view text) {
        const long long position = ParseRecordKey(text);
        if (position < 0) return std::nullopt;
        return RecordKey{position};
    }
    bool operator==(const RecordKey&) const = default;
};

}  // namespace vantor
