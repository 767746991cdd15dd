#pragma once
// Mistakes in a "-find:" text that the language would take without a word: an unbalanced quote
// or parenthesis, an "&" or "|" with nothing on one side, a "!" with nothing after it, empty
// parentheses or quotes, a comparison without its number (buttons>), a value an outside-data
// term does not know. A valid text passes unchanged; the matcher's answers stay its own.
#include "ExpressionTree.h"

namespace vantor {

// Throws EngineError (ErrorKind::Expression) naming the first mistake and its position, counted
// from 1 in what the user typed, with the mistake's bytes as the error's span.
void CheckExpressionSyntax(const ExpressionTree& tree,
                           const std::vector<OutsideTermKind>& outsideKinds = OutsideTermKinds());

}  // namespace vantor
