#include "ExpressionSyntax.h"

#include <string>

#include "TermTest.h"
#include "gamedata/EngineError.h"

namespace vantor {

namespace {

bool IsOperator(char c) {
    return c == '&' || c == '|';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsNegation(char c) {
    return c == '!' || c == '-';
}

// A mistake, found while reading the text from the start: `at` is where reading finds it.
struct Mistake {
    std::size_t at = 0;
    std::string message;
    TextSpan span;  // in the tree's text
};

class SyntaxChecker {
  public:
    SyntaxChecker(const ExpressionTree& tree, const std::vector<OutsideTermKind>& outsideKinds)
        : tree_(tree), outsideKinds_(outsideKinds) {}

    void Check() {
        if (tree_.unpairedQuote) {
            const std::uint32_t at = *tree_.unpairedQuote;
            Fail({0,
                  std::string(kMissingQuoteError) + "\r\nThe quote mark at position " + Position(at) +
                      " has no partner.",
                  {at, at + 1}});
        }
        // The text is read from the start: a phrase is checked at its quote, a group when it
        // closes, the whole text at its end. The first mistake so met is the one named.
        std::optional<Mistake> first;
        auto consider = [&first](std::optional<Mistake> mistake) {
            if (mistake && (!first || mistake->at < first->at)) first = std::move(mistake);
        };
        for (const ExpressionTree::Part& part : tree_.parts) {
            if (part.isPhrase && part.phrase.empty()) {
                consider(Mistake{
                    part.span.begin,
                    "Error, the quote marks at position " + Position(part.span.begin) + " hold nothing.",
                    part.span});
            } else if (!part.isPhrase) {
                consider(CheckList(tree_.lists[part.list], part.span.begin, part.span.end - 1));
            }
        }
        const std::size_t end = tree_.text.size();
        if (tree_.strayClose) {
            const std::uint32_t at = *tree_.strayClose;
            consider(Mistake{at,
                             std::string(kMissingParenthesisError) + "\r\nThe \")\" at position " +
                                 Position(at) + " closes nothing.",
                             {at, at + 1}});
        }
        if (tree_.unclosedOpen) {
            const std::uint32_t at = *tree_.unclosedOpen;
            consider(Mistake{end,
                             std::string(kMissingParenthesisError) + "\r\nThe \"(\" at position " +
                                 Position(at) + " is never closed.",
                             {at, at + 1}});
        }
        consider(CheckList(tree_.lists[tree_.top], std::string_view::npos, end + 1));
        if (first) Fail(*first);
        CheckTerms();
    }

  private:
    // A unit of a list: a byte, a whole phrase or a whole group.
    struct Unit {
        bool isByte;
        char byte;
        bool isGroup;
        TextSpan span;
    };
    // A word of a list: the operators that lead it, then a term.
    struct Word {
        std::size_t operatorStart = 0, operatorCount = 0;  // units
        std::size_t termStart = 0, termEnd = 0;
    };

    std::optional<Mistake> CheckList(const ExpressionTree::List& list, std::size_t groupOffset,
                                     std::size_t checkedAt) const {
        std::vector<Unit> units;
        units.reserve(list.cells.size());
        for (std::size_t i = 0; i < list.cells.size(); ++i) {
            const ExpressionTree::Cell cell = list.cells[i];
            if (ExpressionTree::IsPart(cell)) {
                units.push_back(
                    {false, 0, !tree_.parts[ExpressionTree::PartOf(cell)].isPhrase, list.spans[i]});
            } else {
                units.push_back({true, static_cast<char>(cell), false, list.spans[i]});
            }
        }
        auto isByte = [&](std::size_t i, bool (*test)(char)) {
            return units[i].isByte && test(units[i].byte);
        };
        auto mistake = [&](std::string message, const Unit& unit) {
            return Mistake{checkedAt, "Error, " + std::move(message), unit.span};
        };
        std::size_t first = 0, last = units.size();
        while (first < last && isByte(first, IsBlank)) ++first;
        while (last > first && isByte(last - 1, IsBlank)) --last;
        if (first == last) {
            if (groupOffset == std::string_view::npos) return std::nullopt;
            const auto at = static_cast<std::uint32_t>(groupOffset);
            return Mistake{checkedAt, "Error, the parentheses at position " + Position(at) + " hold nothing.",
                           list.span};
        }

        // With no "&" or "|" after its first byte a list is one term, spaces and all.
        bool singleTerm = true;
        for (std::size_t i = first + 1; i < last && singleTerm; ++i) singleTerm = !isByte(i, IsOperator);
        if (singleTerm) {
            if (isByte(first, IsOperator))
                return mistake(Quoted(units[first]) + " has nothing before it.", units[first]);
            bool onlyNegation = true;
            for (std::size_t i = first; i < last && onlyNegation; ++i) onlyNegation = isByte(i, IsNegation);
            if (onlyNegation)
                return mistake(Quoted(units[last - 1]) + " has nothing after it.", units[last - 1]);
            return std::nullopt;
        }

        std::vector<Word> words;
        for (std::size_t i = first; i < last;) {
            Word word;
            word.operatorStart = i;
            while (i < last && isByte(i, IsOperator)) ++i;
            word.operatorCount = i - word.operatorStart;
            word.termStart = i;
            while (i < last && !isByte(i, IsBlank)) {
                // "! (" was read as "!(": the space ends the word, except after a sign alone,
                // which negates the group that follows.
                if (i > word.termStart && SpaceDroppedBefore(units[i]) &&
                    !(i == word.termStart + 1 && isByte(word.termStart, IsNegation) && units[i].isGroup))
                    break;
                ++i;
            }
            word.termEnd = i;
            words.push_back(word);
            while (i < last && isByte(i, IsBlank)) ++i;
        }

        const Unit* pending = nullptr;  // an operator still waiting for its right-hand term
        bool termSeen = false;
        for (const Word& word : words) {
            for (std::size_t k = 0; k < word.operatorCount; ++k) {
                const Unit& op = units[word.operatorStart + k];
                if (!termSeen) return mistake(Quoted(op) + " has nothing before it.", op);
                if (pending != nullptr && pending->byte != op.byte) {
                    Mistake both = mistake(
                        Quoted(*pending) + " and " + Quoted(op) + " have nothing between them.", *pending);
                    both.span.end = op.span.end;
                    return both;
                }
                pending = &op;  // "&&" and "||" count as one
            }
            if (word.termEnd == word.termStart) continue;
            bool onlyNegation = true;
            for (std::size_t k = word.termStart; k < word.termEnd && onlyNegation; ++k)
                onlyNegation = isByte(k, IsNegation);
            if (onlyNegation)
                return mistake(Quoted(units[word.termEnd - 1]) + " has nothing after it.",
                               units[word.termEnd - 1]);
            termSeen = true;
            pending = nullptr;
        }
        if (pending != nullptr) return mistake(Quoted(*pending) + " has nothing after it.", *pending);
        return std::nullopt;
    }

    // Terms the language would take as plain text though they were plainly meant otherwise.
    void CheckTerms() const {
        std::optional<Mistake> first;
        for (const ExpressionTree::List& list : tree_.lists) {
            for (const ExpressionTree::Term& term : list.terms) {
                std::optional<Mistake> mistake = CheckTerm(term);
                if (mistake && (!first || mistake->at < first->at)) first = std::move(mistake);
            }
        }
        if (first) Fail(*first);
    }

    std::optional<Mistake> CheckTerm(const ExpressionTree::Term& term) const {
        using Kind = ExpressionTree::Term::Kind;
        const std::string written(tree_.Written(term.span));
        if (term.kind == Kind::Outside) {
            const OutsideTermKind& kind = outsideKinds_[term.outsideKind];
            for (const std::string& value : kind.values) {
                if (value == term.outsideValue) return std::nullopt;
            }
            std::string known;
            for (const std::string& value : kind.values) known += (known.empty() ? "" : ", ") + value;
            return Mistake{term.span.begin,
                           "Error, \"" + written + "\" at position " + Position(term.span.begin) +
                               " names no " + kind.key + " the search knows.\r\n" + kind.key + "= takes " +
                               known + ".",
                           term.span};
        }
        if (term.kind != Kind::Plain) return std::nullopt;
        const std::size_t sign = MalformedComparison(term.text);
        if (sign == std::string::npos) return std::nullopt;
        const auto at = static_cast<std::uint32_t>(term.span.begin + sign);
        return Mistake{term.span.begin,
                       "Error, \"" + written + "\" at position " + Position(term.span.begin) +
                           " compares with no number.\r\nPut a number after \"" +
                           std::string(1, tree_.text[at]) +
                           "\", or quotes around the term to search for it as written.",
                       term.span};
    }

    bool SpaceDroppedBefore(const Unit& unit) const {
        return unit.span.begin > 0 && tree_.SpaceDroppedAfter(unit.span.begin - 1);
    }

    std::string Quoted(const Unit& unit) const {
        return std::string("\"") + unit.byte + "\" at position " + Position(unit.span.begin);
    }

    std::string Position(std::size_t at) const { return std::to_string(tree_.TypedOffset(at) + 1); }

    [[noreturn]] void Fail(const Mistake& mistake) const {
        const TextSpan typed = tree_.TypedSpan(mistake.span);
        throw EngineError(mistake.message, ErrorKind::Expression,
                          ErrorSpan{typed.begin, typed.end - typed.begin});
    }

    const ExpressionTree& tree_;
    const std::vector<OutsideTermKind>& outsideKinds_;
};

}  // namespace

void CheckExpressionSyntax(const ExpressionTree& tree, const std::vector<OutsideTermKind>& outsideKinds) {
    SyntaxChecker(tree, outsideKinds).Check();
}

}  // namespace vantor
