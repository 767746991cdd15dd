#pragma once
// The "-find:" text as typed made ready for the search: trimmed, checked, its macros expanded.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

inline constexpr const char* kNothingToSearchFor = "Error! Nothing to search for";

// "Go!" before the scan: trims, rejects an empty text, removes double quotes, checks the
// expression's syntax and its macro names, expands macros. Throws EngineError: ErrorKind::Expression
// for a mistake in the text (kNothingToSearchFor included), ErrorKind::Failure for the macro file.
std::string PrepareSearchText(const std::string& findText, const std::string& macroFilePath);

// One line "NAME = replacement" of vnmacros.txt; comments and lines without "=" are skipped.
struct MacroDefinition {
    std::string name, replacement;
};
std::vector<MacroDefinition> ParseMacroDefinitions(std::string_view fileText);

// Replaces macro names by their definitions, in file order. `macroFilePath` empty or unreadable
// throws the missing-file message, but only when the text holds "@".
void ExpandMacros(std::string& text, const std::string& macroFilePath);
extern const char* const kMacroFileMissing;
// Macros that would make the search text longer than this stop the search with the message below.
inline constexpr std::size_t kMaxExpandedSearchBytes = 4 * 1024 * 1024;
extern const char* const kMacroExpansionTooLong;

}  // namespace vantor
