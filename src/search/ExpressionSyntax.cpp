#include "ExpressionSyntax.h"

#include <string>

#include "gamedata/EngineError.h"

namespace vantor {

namespace {

// One piece of a nesting level: a byte, a whole phrase or a whole group, at its offset in the text.
struct Unit {
    enum class Kind { Byte, Phrase, Group } kind;
    char byte;
    std::size_t offset;
};

bool IsOperator(char c) {
    return c == '&' || c == '|';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

class SyntaxChecker {
  public:
    SyntaxChecker(std::string_view text, const std::vector<std::size_t>* origin)
        : text_(text), origin_(origin) {}

    void Check() {
        std::vector<std::size_t> quotes;
        for (std::size_t i = 0; i < text_.size(); ++i) {
            if (text_[i] == '\'' || text_[i] == '`') quotes.push_back(i);
        }
        if (quotes.size() % 2 != 0) {
            Fail(std::string(kMissingQuoteError) + "\r\nThe quote mark at position " +
                 Position(quotes.back()) + " has no partner.");
        }
        // Each level of nesting as its units; a group's own units follow when it closes.
        std::vector<std::vector<Unit>> open(1);
        std::vector<std::size_t> openedAt;
        std::size_t nextQuote = 0;
        for (std::size_t i = 0; i < text_.size(); ++i) {
            if (nextQuote < quotes.size() && i == quotes[nextQuote]) {
                std::size_t close = quotes[nextQuote + 1];
                if (close == i + 1)
                    Fail("Error, the quote marks at position " + Position(i) + " hold nothing.");
                open.back().push_back({Unit::Kind::Phrase, 0, i});
                i = close;
                nextQuote += 2;
            } else if (text_[i] == '(') {
                open.emplace_back();
                openedAt.push_back(i);
            } else if (text_[i] == ')') {
                if (openedAt.empty()) {
                    Fail(std::string(kMissingParenthesisError) + "\r\nThe \")\" at position " + Position(i) +
                         " closes nothing.");
                }
                CheckLevel(open.back(), openedAt.back());
                open.pop_back();
                open.back().push_back({Unit::Kind::Group, 0, openedAt.back()});
                openedAt.pop_back();
            } else {
                open.back().push_back({Unit::Kind::Byte, text_[i], i});
            }
        }
        if (!openedAt.empty()) {
            Fail(std::string(kMissingParenthesisError) + "\r\nThe \"(\" at position " +
                 Position(openedAt.back()) + " is never closed.");
        }
        CheckLevel(open.front(), std::string_view::npos);
    }

  private:
    // A word of a level: the operators that lead it, then a term.
    struct Word {
        std::size_t operatorStart = 0, operatorCount = 0;  // units
        std::size_t termStart = 0, termEnd = 0;
    };

    void CheckLevel(const std::vector<Unit>& units, std::size_t groupOffset) {
        auto isByte = [&](std::size_t i, bool (*test)(char)) {
            return units[i].kind == Unit::Kind::Byte && test(units[i].byte);
        };
        std::size_t first = 0, last = units.size();
        while (first < last && isByte(first, IsBlank)) ++first;
        while (last > first && isByte(last - 1, IsBlank)) --last;
        if (first == last) {
            if (groupOffset != std::string_view::npos) {
                Fail("Error, the parentheses at position " + Position(groupOffset) + " hold nothing.");
            }
            return;
        }

        // With no "&" or "|" after its first byte a level is one term, spaces and all.
        bool singleTerm = true;
        for (std::size_t i = first + 1; i < last && singleTerm; ++i) singleTerm = !isByte(i, IsOperator);
        if (singleTerm) {
            if (isByte(first, IsOperator)) {
                Fail(Quoted(units[first]) + " at position " + Position(units[first].offset) +
                     " has nothing before it.");
            }
            bool onlyNegation = true;
            for (std::size_t i = first; i < last && onlyNegation; ++i) onlyNegation = isByte(i, IsNegation);
            if (onlyNegation) {
                Fail(Quoted(units[last - 1]) + " at position " + Position(units[last - 1].offset) +
                     " has nothing after it.");
            }
            return;
        }

        std::vector<Word> words;
        for (std::size_t i = first; i < last;) {
            Word word;
            word.operatorStart = i;
            while (i < last && isByte(i, IsOperator)) ++i;
            word.operatorCount = i - word.operatorStart;
            word.termStart = i;
            while (i < last && !isByte(i, IsBlank)) ++i;
            word.termEnd = i;
            // "! (" and "- (" negate the group that follows.
            if (word.termEnd == word.termStart + 1 && isByte(word.termStart, IsNegation) && i + 1 < last &&
                units[i].byte == ' ' && units[i + 1].kind == Unit::Kind::Group) {
                i += 1;
                while (i < last && !isByte(i, IsBlank)) ++i;
                word.termEnd = i;
            }
            words.push_back(word);
            while (i < last && isByte(i, IsBlank)) ++i;
        }

        const Unit* pending = nullptr;  // an operator still waiting for its right-hand term
        bool termSeen = false;
        for (const Word& word : words) {
            for (std::size_t k = 0; k < word.operatorCount; ++k) {
                const Unit& op = units[word.operatorStart + k];
                if (!termSeen)
                    Fail(Quoted(op) + " at position " + Position(op.offset) + " has nothing before it.");
                if (pending != nullptr && pending->byte != op.byte) {
                    Fail(Quoted(*pending) + " at position " + Position(pending->offset) + " and " +
                         Quoted(op) + " at position " + Position(op.offset) + " have nothing between them.");
                }
                pending = &op;  // "&&" and "||" count as one
            }
            if (word.termEnd == word.termStart) continue;
            bool onlyNegation = true;
            for (std::size_t k = word.termStart; k < word.termEnd && onlyNegation; ++k) {
                onlyNegation = isByte(k, IsNegation);
            }
            if (onlyNegation) {
                const Unit& sign = units[word.termEnd - 1];
                Fail(Quoted(sign) + " at position " + Position(sign.offset) + " has nothing after it.");
            }
            termSeen = true;
            pending = nullptr;
        }
        if (pending != nullptr)
            Fail(Quoted(*pending) + " at position " + Position(pending->offset) + " has nothing after it.");
    }

    static bool IsNegation(char c) { return c == '!' || c == '-'; }

    static std::string Quoted(const Unit& unit) { return std::string("\"") + unit.byte + "\""; }

    std::string Position(std::size_t offset) const {
        std::size_t typed = origin_ != nullptr && offset < origin_->size() ? (*origin_)[offset] : offset;
        return std::to_string(typed + 1);
    }

    [[noreturn]] static void Fail(std::string message) {
        if (message.rfind("Error", 0) != 0) message = "Error, " + message;
        throw EngineError(std::move(message), ErrorKind::Expression);
    }

    std::string_view text_;
    const std::vector<std::size_t>* origin_;
};

}  // namespace

void CheckExpressionSyntax(std::string_view text, const std::vector<std::size_t>* origin) {
    SyntaxChecker(text, origin).Check();
}

}  // namespace vantor
