#pragma once
// Mistakes in a "-find:" text that the evaluator would take without a word: an unbalanced quote
// or parenthesis, an "&" or "|" with nothing on one side, a "!" with nothing after it, empty
// parentheses or quotes. A valid text passes unchanged; the evaluator's answers stay its own.
#include <cstddef>
#include <string_view>
#include <vector>

namespace vantor {

// Throws EngineError (ErrorKind::Expression) naming the first mistake and its position, counted
// from 1. `origin`, when given, maps each byte of `text` to its position in what the user typed
// (counted from 0), so that positions survive the removal of double quotes.
void CheckExpressionSyntax(std::string_view text, const std::vector<std::size_t>* origin = nullptr);

}  // namespace vantor
