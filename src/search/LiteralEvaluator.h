#pragma once
// The "-find:" language as it is defined: a rewriting of the text for each record. Phrases go
// first (each 'text' becomes the truth text "=" or "zadorules"), then groups innermost first,
// then the flat term list. The compiled matcher (CompiledExpression.h) gives the same answers and
// errors from one parse; this definition is its test oracle, and it decides the rare texts whose
// phrases overlap (ExpressionTree::rewrittenWhole).
#include <string>
#include <string_view>

namespace vantor {

// The texts a phrase or group becomes: every record holds "=" (its name= at least), and no
// record holds "zadorules".
inline constexpr std::string_view kMatchAllToken = "=";
inline constexpr std::string_view kMatchNoneToken = "zadorules";

// Whether the record matches, by rewriting the expression for this record. Throws EngineError.
bool LiteralMatches(std::string record, std::string expression);

}  // namespace vantor
