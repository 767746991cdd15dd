#pragma once
// The "-find:" language read once: ParseExpression() turns a search text into a tree of term
// lists, terms, quoted phrases and parenthesised groups, each with where it stands in the text.
// The syntax check (ExpressionSyntax.h), the compiled matcher (CompiledExpression.h) and through
// it the explanation and the live count all take this tree; nothing else reads the language.
//
// The tree keeps the language's rewriting rules (LiteralEvaluator.h defines them): a phrase or a
// group stands in its term as the text of its truth, so "x(a)" is the term "x=" or "xzadorules",
// and a list without "&" or "|" after its first byte is one term, spaces and all.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "OutsideTerms.h"

namespace vantor {

// Bytes [begin, end) of a text.
struct TextSpan {
    std::uint32_t begin = 0, end = 0;
    bool operator==(const TextSpan&) const = default;
};

struct ExpressionTree {
    // A piece of a term list or term: a byte (0..255) or a part (-1 - index into `parts`).
    using Cell = int;
    static bool IsPart(Cell cell) { return cell < 0; }
    static std::size_t PartOf(Cell cell) { return static_cast<std::size_t>(-1 - cell); }
    static Cell CellOfPart(std::size_t part) { return -1 - static_cast<Cell>(part); }

    // A quoted phrase (searched as written) or a parenthesised group (a term list of its own).
    struct Part {
        bool isPhrase = false;
        std::string phrase;    // a phrase's text, without its quotes
        std::size_t list = 0;  // a group's term list
        TextSpan span;         // in `text`, quotes or parentheses included
    };

    struct Term {
        // How a record decides it: Plain terms are final text; a Token term is a part alone,
        // perhaps negated ("(a | b)", "!'x'"), so its text is "=" or "zadorules" with that
        // negation; a Composite term mixes parts and bytes ("x(a)y"); an Outside term is
        // KEY=VALUE for a key of OutsideTermKinds(), answered by data kept outside the record.
        enum class Kind { Plain, Token, Composite, Outside };
        Kind kind = Kind::Plain;
        std::vector<Cell> cells;  // lower-cased, "_" as a space (phrases keep their own case)
        std::string text;         // Plain and Outside: the term's final text
        bool negated = false;     // Token and Outside: a leading "!" or "-"
        std::size_t part = 0;     // Token: its part
        std::size_t outsideKind = 0;
        std::string outsideValue;  // Outside: VALUE, lower-cased
        bool orFollows = false;    // an "|" follows it in its list
        TextSpan span;             // in `text`
    };

    struct List {
        bool singleTerm = false;  // no "&" or "|" after its first byte: all of it is one term
        std::vector<Term> terms;
        // Its own cells as written, with where each stands (for the syntax check).
        std::vector<Cell> cells;
        std::vector<TextSpan> spans;
        TextSpan span;  // a group's, parentheses included; the whole text for the top list
    };

    std::string text;  // what was parsed, with ` read as ' and "! (", "- (" as "!(", "-("
    std::vector<Part> parts;
    std::vector<List> lists;  // a group's list comes before the list that holds it
    std::size_t top = 0;
    // The phrases overlap (the rewriting of one would change another's text), so the text is
    // rewritten whole for each record; `lists` then still shows the pairwise reading.
    bool rewrittenWhole = false;
    // What evaluating the text would fail with (an unbalanced quote or parenthesis): such a
    // tree matches nothing.
    std::optional<std::string> evaluationError;

    // Where the syntax check looks, in `text`: the last quote when their count is odd; the first
    // ")" with no "(" before it; the last "(" never closed.
    std::optional<std::uint32_t> unpairedQuote, strayClose, unclosedOpen;

    // Where byte `at` of `text` stands in what the user typed (counted from 0).
    std::size_t TypedOffset(std::size_t at) const;
    // A span of `text` as a span of the typed text.
    TextSpan TypedSpan(TextSpan span) const;
    // A space was dropped between bytes `at` and `at + 1` ("! (" read as "!(").
    bool SpaceDroppedAfter(std::size_t at) const;
    std::string_view Written(TextSpan span) const {
        return std::string_view(text).substr(span.begin, span.end - span.begin);
    }

    std::vector<std::size_t> typedOffsets;  // per byte of `text`, and one for its end
};

// Parses `text`. `origin`, when given, maps each byte of `text` to its offset in what the user
// typed (so that positions survive the removal of double quotes). Never throws for a mistake in
// the text: the tree records it. Throws EngineError only for a text longer than 4 GB.
ExpressionTree ParseExpression(std::string_view text, const std::vector<std::size_t>* origin = nullptr,
                               const std::vector<OutsideTermKind>& outsideKinds = OutsideTermKinds());

}  // namespace vantor
