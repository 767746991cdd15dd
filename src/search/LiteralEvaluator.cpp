#include "LiteralEvaluator.h"

#include "TermTest.h"
#include "gamedata/EngineError.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

std::string_view TruthToken(bool rejects) {
    return rejects ? kMatchNoneToken : kMatchAllToken;
}

}  // namespace

namespace {

// The rejection flag of one term (true: the record does not match), as the rewriting works.
bool TermRejects(std::string record, std::string term, bool caseInsensitive) {
    if (caseInsensitive) {
        ToLowerAsciiInPlace(record);
        ToLowerAsciiInPlace(term);
    }
    // Unquoted terms (the case-insensitive ones) may name numbers; phrases are text as written.
    return TermTest(std::move(term), caseInsensitive).Rejects(record);
}

// The rejection flag of the whole expression, as the rewriting algorithm keeps it.
bool EvaluateRejects(std::string record, std::string expression) {
    ReplaceAll(expression, "`", "'");
    ReplaceAll(expression, "! (", "!(");
    ReplaceAll(expression, "- (", "-(");
    RemoveAll(record, '"');

    while (Contains(expression, '\'')) {
        std::size_t open = expression.find('\'');
        std::size_t close = expression.find('\'', open + 1);
        if (close == std::string::npos) throw EngineError(kMissingQuoteError, ErrorKind::Expression);
        std::string phrase = expression.substr(open + 1, close - open - 1);
        bool rejects = TermRejects(record, phrase, false);
        ReplaceAll(expression, "'" + phrase + "'", TruthToken(rejects));
        Trim(expression);
    }

    if (Contains(expression, '(') && Contains(expression, ')')) {
        while (Contains(expression, '(')) {
            std::size_t open = expression.rfind('(');
            std::size_t close = expression.find(')', open);
            if (close == std::string::npos)
                throw EngineError(kMissingParenthesisError, ErrorKind::Expression);
            std::string inner = expression.substr(open + 1, close - open - 1);
            bool rejects = EvaluateRejects(record, inner);
            ReplaceAll(expression, "(" + inner + ")", TruthToken(rejects));
            Trim(expression);
        }
    }

    std::size_t firstAnd = expression.find('&');
    std::size_t firstOr = expression.find('|');
    if ((firstAnd == std::string::npos || firstAnd == 0) && (firstOr == std::string::npos || firstOr == 0)) {
        ReplaceAll(expression, "_", " ");
        return TermRejects(record, expression, true);
    }

    TrimLeft(expression, "()|& ");
    expression += ' ';
    bool rejects = false;
    while (!expression.empty()) {
        std::size_t space = expression.find(' ');
        std::string term = expression.substr(0, space);
        expression.erase(0, space);
        TrimLeft(expression);
        ReplaceAll(term, "_", " ");
        rejects = TermRejects(record, term, true) || rejects;
        if (!expression.empty() && expression.front() == '|') {
            if (!rejects) return false;
            rejects = false;
        }
        TrimLeft(expression, "|& ");
    }
    return rejects;
}

}  // namespace

bool LiteralMatches(std::string record, std::string expression) {
    return !EvaluateRejects(std::move(record), std::move(expression));
}

}  // namespace vantor
