// The compiled evaluator against the literal rewriting: the same answer and the same error on
// every expression and record. Input: the expression, a line feed, the record.
#include <optional>

#include "FuzzSupport.h"
#include "gamedata/EngineError.h"
#include "search/CompiledExpression.h"
#include "search/Explanation.h"
#include "search/ExpressionSyntax.h"
#include "search/LiteralEvaluator.h"

using namespace vantor;

namespace {
struct Outcome {
    bool rejects = false;
    std::optional<std::string> error;
    bool operator==(const Outcome&) const = default;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 8192) return 0;  // the literal algorithm is quadratic in the expression
    auto parts = fuzz::SplitInput(data, size, 2);
    std::string expression(parts[0]), record(parts[1]);
    // The syntax check reads any text without failing otherwise than by its message, whose span
    // lies within the text.
    try {
        CheckExpressionSyntax(ParseExpression(expression));
    } catch (const EngineError& e) {
        if (e.Where() && e.Where()->offset + e.Where()->length > expression.size())
            fuzz::Fail("a mistake's span lies outside [" + expression + "]");
    }
    Outcome literal, compiled;
    try {
        literal.rejects = !LiteralMatches(record, expression);
    } catch (const EngineError& e) {
        literal.error = e.Text();
    }
    std::optional<CompiledExpression> program;
    try {
        program.emplace(expression);
        compiled.rejects = !program->Matches(PreparedRecord(record));
    } catch (const EngineError& e) {
        compiled.error = e.Text();
    }
    if (!(literal == compiled)) fuzz::Fail("evaluators differ on [" + expression + "]");
    if (!program) return 0;
    // The explanation draws the same answer (it throws when its tree and the search differ), and a
    // record left out names what excluded it.
    if (ExplainRecord(*program, record).matches == compiled.rejects)
        fuzz::Fail("the explanation differs on [" + expression + "]");
    std::vector<std::string_view> excludedBy;
    if (program->Matches(PreparedRecord(record), excludedBy) != excludedBy.empty())
        fuzz::Fail("excluded-by does not fit the answer on [" + expression + "]");
    return 0;
}
