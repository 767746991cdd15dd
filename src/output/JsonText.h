#pragma once
// JSON as RetroArch's playlists use it: a playlist already there is read with nlohmann-json, its
// keys kept in file order; strings are written the way RetroArch's own writer escapes them.
#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace vantor {

// Objects keep their members in file order, so that what is kept of a playlist is written back
// in the order it had; a name given twice keeps its last value, as RetroArch's reader does.
using JsonValue = nlohmann::ordered_json;

// Appends `text` as a JSON string: '"', '\' and control characters escaped (\b \t \n \f \r, else
// \u00XX), "/" only after "<"; everything else as it is. RetroArch's writer escapes "</" as
// "<\/", which no JSON library's writer does, and a playlist it rewrites should not change.
void AppendJsonString(std::string& out, std::string_view text);

// Appends `value` as RetroArch lays out what it writes: strings as AppendJsonString writes them,
// arrays and objects one member a line, their members indented two blanks deeper than `indent`.
void AppendJsonValue(std::string& out, const JsonValue& value, int indent);

// Reads one JSON text as RetroArch reads a playlist: a UTF-8 byte order mark and comments are
// skipped, a byte that is no part of a UTF-8 character is read as Latin-1; values nest at most 64
// deep. On failure returns false and says where and why in `problem` ("line 3, column 7: ...").
[[nodiscard]] bool ParseJson(std::string_view text, JsonValue& value, std::string& problem);

// The value of a string member of an object, or "" when there is none or it is no string.
std::string StringMember(const JsonValue& object, std::string_view name);

}  // namespace vantor
