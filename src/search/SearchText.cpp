#include "SearchText.h"

#include "ExpressionSyntax.h"
#include "gamedata/EngineError.h"
#include "gamedata/FileIo.h"
#include "gamedata/TextUtil.h"

namespace vantor {

const char* const kMacroFileMissing =
    "Error, cannot find vnmacros.txt file in the folder Vantor is in.\r\nThis file came with the "
    "distribution "
    "package, make sure it's installed along with vantor.";

const char* const kMacroExpansionTooLong =
    "Error, the macros of vnmacros.txt make the search text longer than 4 MB.\r\nCheck the definitions in "
    "that file.";

std::vector<MacroDefinition> ParseMacroDefinitions(std::string_view fileText) {
    std::vector<MacroDefinition> definitions;
    std::size_t pos = 0;
    while (pos < fileText.size()) {
        std::size_t end = fileText.find('\n', pos);
        if (end == std::string_view::npos) end = fileText.size();
        std::string line(fileText.substr(pos, end - pos));
        pos = end + 1;
        Trim(line);
        if (line.empty() || line.front() == ';') continue;
        std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        MacroDefinition definition{line.substr(0, equals), line.substr(equals + 1)};
        TrimRight(definition.name);
        Trim(definition.replacement);
        definitions.push_back(std::move(definition));
    }
    return definitions;
}

namespace {

bool IsMacroNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Every "@NAME" outside quotes must start with a defined name; otherwise the text would be
// searched for the name itself and quietly match nothing.
void CheckMacroNames(std::string_view text, const std::vector<MacroDefinition>& definitions,
                     const std::vector<std::size_t>* origin) {
    bool inPhrase = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\'' || text[at] == '`') inPhrase = !inPhrase;
        if (inPhrase || text[at] != '@' || at + 1 >= text.size() || !IsMacroNameChar(text[at + 1])) continue;
        std::string_view rest = text.substr(at);
        bool known = false;
        for (const MacroDefinition& definition : definitions) {
            known = known || (!definition.name.empty() && rest.starts_with(definition.name));
        }
        if (known) continue;
        std::size_t nameEnd = at + 1;
        while (nameEnd < text.size() && IsMacroNameChar(text[nameEnd])) ++nameEnd;
        std::string name(text.substr(at, nameEnd - at));
        std::size_t typed = origin != nullptr && at < origin->size() ? (*origin)[at] : at;
        const ErrorSpan where{typed, name.size()};
        std::string message =
            "Error, unknown macro " + name + " at position " + std::to_string(typed + 1) + ".";
        std::string known_names;
        for (const MacroDefinition& definition : definitions) {
            if (definition.name.empty() || definition.name.front() != '@') continue;
            if (ToLowerAscii(definition.name) == ToLowerAscii(name)) {
                message += "\r\nDid you mean " + definition.name + "? Macro names are case-sensitive.";
                throw EngineError(message, ErrorKind::Expression, where);
            }
            known_names += (known_names.empty() ? "" : ", ") + definition.name;
        }
        message += known_names.empty() ? "\r\nvnmacros.txt defines no macros."
                                       : "\r\nThe macros of vnmacros.txt are " + known_names + ".";
        throw EngineError(message, ErrorKind::Expression, where);
    }
}

void ExpandMacros(std::string& text, const std::string& macroFilePath,
                  const std::vector<std::size_t>* origin) {
    if (!Contains(text, '@')) return;
    std::string fileText;
    if (macroFilePath.empty() || !ReadTextFile(macroFilePath, fileText)) throw EngineError(kMacroFileMissing);
    std::vector<MacroDefinition> definitions = ParseMacroDefinitions(fileText);
    CheckMacroNames(text, definitions, origin);
    for (const MacroDefinition& definition : definitions) {
        const std::string& name = definition.name;
        const std::string& replacement = definition.replacement;
        if (!name.empty() && replacement.size() > name.size()) {
            std::size_t count = 0;
            for (std::size_t at = FindText(text, name); at != std::string::npos;
                 at = FindText(text, name, at + name.size())) {
                ++count;
            }
            // A definition that names itself doubles the text each time: stop before it grows
            // without bound.
            if (text.size() + count * (replacement.size() - name.size()) > kMaxExpandedSearchBytes) {
                throw EngineError(kMacroExpansionTooLong);
            }
        }
        ReplaceAll(text, name, replacement);
    }
}

}  // namespace

void ExpandMacros(std::string& text, const std::string& macroFilePath) {
    ExpandMacros(text, macroFilePath, nullptr);
}

std::string PrepareSearchText(const std::string& findText, const std::string& macroFilePath) {
    std::string_view typed = findText;
    std::size_t lead = 0;
    while (lead < typed.size() && IsWhiteSpace(typed[lead])) ++lead;
    std::size_t tail = typed.size();
    while (tail > lead && IsWhiteSpace(typed[tail - 1])) --tail;
    if (lead == tail) throw EngineError(kNothingToSearchFor, ErrorKind::Expression);
    // The text without its double quotes, and where each of its bytes was typed.
    std::string text;
    std::vector<std::size_t> origin;
    for (std::size_t i = lead; i < tail; ++i) {
        if (typed[i] == '"') continue;
        text += typed[i];
        origin.push_back(i);
    }
    CheckExpressionSyntax(ParseExpression(text, &origin));
    std::string expanded = text;
    ExpandMacros(expanded, macroFilePath, &origin);
    if (expanded != text) {
        try {
            CheckExpressionSyntax(ParseExpression(expanded));
        } catch (const EngineError& error) {
            // No place in the typed text to point at.
            throw EngineError(error.Text() +
                                  "\r\n(The position is counted in the text after the macros of vnmacros.txt "
                                  "were expanded.)",
                              error.Kind());
        }
    }
    return expanded;
}

}  // namespace vantor
