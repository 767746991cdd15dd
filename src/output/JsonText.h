#pragma once
// JSON as RetroArch's playlists use it: strings written the way its own writer escapes them, and
// a strict reader for the playlists already there (update mode, loading a list back).
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantor {

// Appends `text` as a JSON string: '"', '\' and control characters escaped (\b \t \n \f \r, else
// \u00XX), "/" only after "<"; everything else as it is.
void AppendJsonString(std::string& out, std::string_view text);

struct JsonMember;

struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    std::string text;  // a string's value, or a number as written
    std::vector<JsonValue> items;
    std::vector<JsonMember> members;  // in file order

    // The first member of that name, or nullptr (also when this is no object).
    const JsonValue* Member(std::string_view name) const;
    // A string member's value, or "" when there is none or it is no string.
    std::string StringMember(std::string_view name) const;
};

struct JsonMember {
    std::string name;
    JsonValue value;
};

// Reads one JSON text (RFC 8259, nesting at most 64 deep). On failure returns false and says
// where and why in `problem` ("line 3, column 7: a value was expected").
[[nodiscard]] bool ParseJson(std::string_view text, JsonValue& value, std::string& problem);

}  // namespace vantor
