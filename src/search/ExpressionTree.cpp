#include "ExpressionTree.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "LiteralEvaluator.h"
#include "gamedata/EngineError.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

using Cell = ExpressionTree::Cell;
using Cells = std::vector<Cell>;
using Spans = std::vector<TextSpan>;

bool IsChar(Cell cell, char c) {
    return cell == static_cast<unsigned char>(c);
}
bool IsWhiteCell(Cell cell) {
    return !ExpressionTree::IsPart(cell) && IsWhiteSpace(static_cast<char>(cell));
}

void TrimCells(Cells& cells, Spans& spans, bool (*drop)(Cell), bool right) {
    std::size_t first = 0, last = cells.size();
    while (first < last && drop(cells[first])) ++first;
    if (right)
        while (last > first && drop(cells[last - 1])) --last;
    cells = Cells(cells.begin() + static_cast<std::ptrdiff_t>(first),
                  cells.begin() + static_cast<std::ptrdiff_t>(last));
    spans = Spans(spans.begin() + static_cast<std::ptrdiff_t>(first),
                  spans.begin() + static_cast<std::ptrdiff_t>(last));
}

// The text that cells [first, last) of `spans` were made of.
TextSpan SpanOf(const Spans& spans, std::size_t first, std::size_t last) {
    return first < last ? TextSpan{spans[first].begin, spans[last - 1].end} : TextSpan{};
}

// Phrases are replaced pair by pair (first quote with the next). The rewriting replaces every
// occurrence of a phrase at once, which can also match the text between two pairs, or such text
// with an earlier truth text inside it (only when the phrase holds one); then the pairs no
// longer line up.
bool PhrasesOverlap(const std::string& text, const std::vector<std::size_t>& quotes) {
    std::string_view view(text);
    std::unordered_set<std::string_view> phrases;
    std::vector<std::string_view> phrasesWithTokenText;
    for (std::size_t i = 0; i + 1 < quotes.size(); i += 2) {
        std::string_view phrase = view.substr(quotes[i] + 1, quotes[i + 1] - quotes[i] - 1);
        if (phrases.insert(phrase).second &&
            (Contains(phrase, kMatchAllToken) || Contains(phrase, kMatchNoneToken))) {
            phrasesWithTokenText.push_back(phrase);
        }
    }
    std::unordered_set<std::string_view> betweenPairs;
    for (std::size_t i = 1; i + 1 < quotes.size(); i += 2) {
        std::string_view between = view.substr(quotes[i] + 1, quotes[i + 1] - quotes[i] - 1);
        if (phrases.count(between) != 0) return true;
        betweenPairs.insert(between);
    }
    if (betweenPairs.empty() || phrasesWithTokenText.empty()) return false;
    constexpr std::size_t kMaxChecks = 1'000'000;
    if (betweenPairs.size() * phrasesWithTokenText.size() > kMaxChecks) return true;
    // Text spanning a truth text runs from the end of one pair to the start of a later one.
    for (std::string_view phrase : phrasesWithTokenText) {
        bool startsAlike = false, endsAlike = false;
        for (std::string_view between : betweenPairs) {
            startsAlike = startsAlike || phrase.starts_with(between);
            endsAlike = endsAlike || phrase.ends_with(between);
        }
        if (startsAlike && endsAlike) return true;
    }
    return false;
}

class Parser {
  public:
    Parser(ExpressionTree& tree, const std::vector<OutsideTermKind>& outsideKinds)
        : tree_(tree), outsideKinds_(outsideKinds) {}

    void Parse();

  private:
    std::size_t AddList(const Cells& cells, const Spans& spans, TextSpan span);
    ExpressionTree::Term MakeTerm(Cells cells, TextSpan span) const;

    ExpressionTree& tree_;
    const std::vector<OutsideTermKind>& outsideKinds_;
};

ExpressionTree::Term Parser::MakeTerm(Cells cells, TextSpan span) const {
    using Term = ExpressionTree::Term;
    Term term;
    term.span = span;
    std::size_t partCount = 0, lastPart = 0;
    for (Cell& cell : cells) {
        if (ExpressionTree::IsPart(cell)) {
            ++partCount;
            lastPart = ExpressionTree::PartOf(cell);
            continue;
        }
        if (IsChar(cell, '_')) cell = ' ';
        cell = static_cast<unsigned char>(AsciiLower(static_cast<char>(cell)));
    }
    term.cells = std::move(cells);
    if (partCount == 0) {
        for (Cell cell : term.cells) term.text += static_cast<char>(cell);
        // KEY=VALUE of a kind answered outside the record.
        std::string_view bare = term.text;
        term.negated = !bare.empty() && (bare.front() == '!' || bare.front() == '-');
        std::string trimmed = term.text;
        if (term.negated) Trim(trimmed, "-!");
        std::size_t equals = trimmed.find('=');
        for (std::size_t kind = 0; kind < outsideKinds_.size() && equals != std::string::npos; ++kind) {
            if (std::string_view(trimmed).substr(0, equals) != outsideKinds_[kind].key) continue;
            term.kind = Term::Kind::Outside;
            term.outsideKind = kind;
            term.outsideValue = trimmed.substr(equals + 1);
            return term;
        }
        term.negated = false;
        return term;
    }
    // A part alone behind "!" and "-" signs, as the rewriting reads "!=".
    std::size_t signs = 0;
    while (signs < term.cells.size() && (IsChar(term.cells[signs], '!') || IsChar(term.cells[signs], '-')))
        ++signs;
    if (partCount == 1 && signs + 1 == term.cells.size() && ExpressionTree::IsPart(term.cells.back())) {
        term.kind = Term::Kind::Token;
        term.negated = signs > 0;
        term.part = lastPart;
    } else {
        term.kind = Term::Kind::Composite;
    }
    return term;
}

std::size_t Parser::AddList(const Cells& input, const Spans& spans, TextSpan span) {
    ExpressionTree::List list;
    list.cells = input;
    list.spans = spans;
    list.span = span;
    // One term unless the first "&" or the first "|" stands after the first cell.
    auto firstIndex = [&](char c) {
        auto found = std::find_if(input.begin(), input.end(), [c](Cell cell) { return IsChar(cell, c); });
        return found == input.end() ? std::ptrdiff_t{-1} : found - input.begin();
    };
    if (firstIndex('&') < 1 && firstIndex('|') < 1) {
        list.singleTerm = true;
        list.terms.push_back(MakeTerm(input, SpanOf(spans, 0, input.size())));
    } else {
        Cells rest = input;
        Spans restSpans = spans;
        TrimCells(
            rest, restSpans,
            [](Cell c) {
                return IsChar(c, '(') || IsChar(c, ')') || IsChar(c, '|') || IsChar(c, '&') || IsChar(c, ' ');
            },
            false);
        rest.push_back(' ');
        std::size_t pos = 0;
        while (pos < rest.size()) {
            std::size_t space = pos;
            while (space < rest.size() && !IsChar(rest[space], ' ')) ++space;
            Cells termCells(rest.begin() + static_cast<std::ptrdiff_t>(pos),
                            rest.begin() + static_cast<std::ptrdiff_t>(space));
            TextSpan written = SpanOf(restSpans, pos, std::min(space, restSpans.size()));
            pos = space;
            while (pos < rest.size() && IsWhiteCell(rest[pos])) ++pos;
            list.terms.push_back(MakeTerm(std::move(termCells), written));
            list.terms.back().orFollows = pos < rest.size() && IsChar(rest[pos], '|');
            while (pos < rest.size() &&
                   (IsChar(rest[pos], '|') || IsChar(rest[pos], '&') || IsChar(rest[pos], ' ')))
                ++pos;
        }
    }
    tree_.lists.push_back(std::move(list));
    return tree_.lists.size() - 1;
}

void Parser::Parse() {
    const std::string& text = tree_.text;
    std::vector<std::size_t> quotes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\'') quotes.push_back(i);
    }
    if (quotes.size() % 2 != 0) {
        tree_.unpairedQuote = static_cast<std::uint32_t>(quotes.back());
        tree_.evaluationError = kMissingQuoteError;
        return;
    }
    tree_.rewrittenWhole = PhrasesOverlap(text, quotes);

    Cells cells;
    Spans spans;
    cells.reserve(text.size());
    spans.reserve(text.size());
    std::size_t nextQuote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto at = static_cast<std::uint32_t>(i);
        if (nextQuote < quotes.size() && i == quotes[nextQuote]) {
            std::size_t close = quotes[nextQuote + 1];
            TextSpan written{at, static_cast<std::uint32_t>(close + 1)};
            tree_.parts.push_back({true, text.substr(i + 1, close - i - 1), 0, written});
            cells.push_back(ExpressionTree::CellOfPart(tree_.parts.size() - 1));
            spans.push_back(written);
            i = close;
            nextQuote += 2;
        } else {
            cells.push_back(static_cast<unsigned char>(text[i]));
            spans.push_back({at, at + 1});
        }
    }
    bool replaced = !quotes.empty();

    bool hasOpen = false, hasClose = false;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (IsChar(cells[i], '(')) {
            hasOpen = true;
            tree_.unclosedOpen = spans[i].begin;  // the last one, while nothing closes
        } else if (IsChar(cells[i], ')')) {
            hasClose = true;
            if (!tree_.strayClose && !hasOpen) tree_.strayClose = spans[i].begin;
        }
    }
    if (hasOpen && hasClose) {
        // Each ")" closes the nearest open "(": the same pairs as taking the last "(" with the
        // first ")" after it, innermost first. A ")" with nothing open stays a byte.
        tree_.unclosedOpen.reset();
        tree_.strayClose.reset();
        struct Frame {
            Cells cells;
            Spans spans;
            std::uint32_t open = 0;  // where its "(" stands
        };
        std::vector<Frame> frames(1);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const Cell cell = cells[i];
            if (IsChar(cell, '(')) {
                frames.push_back({{}, {}, spans[i].begin});
            } else if (IsChar(cell, ')') && frames.size() > 1) {
                Frame inner = std::move(frames.back());
                frames.pop_back();
                TextSpan written{inner.open, spans[i].end};
                std::size_t part = tree_.parts.size();
                tree_.parts.push_back({false, {}, 0, written});
                tree_.parts[part].list = AddList(inner.cells, inner.spans, written);
                frames.back().cells.push_back(ExpressionTree::CellOfPart(part));
                frames.back().spans.push_back(written);
                replaced = true;
            } else {
                if (IsChar(cell, ')') && !tree_.strayClose) tree_.strayClose = spans[i].begin;
                frames.back().cells.push_back(cell);
                frames.back().spans.push_back(spans[i]);
            }
        }
        if (frames.size() > 1) {
            tree_.unclosedOpen = frames.back().open;
            tree_.evaluationError = kMissingParenthesisError;
        }
        cells = std::move(frames.front().cells);
        spans = std::move(frames.front().spans);
    }
    if (replaced) TrimCells(cells, spans, IsWhiteCell, true);
    tree_.top = AddList(cells, spans, {0, static_cast<std::uint32_t>(text.size())});
}

}  // namespace

std::size_t ExpressionTree::TypedOffset(std::size_t at) const {
    return at < typedOffsets.size() ? typedOffsets[at] : (typedOffsets.empty() ? at : typedOffsets.back());
}

TextSpan ExpressionTree::TypedSpan(TextSpan span) const {
    if (span.end <= span.begin) {
        auto at = static_cast<std::uint32_t>(TypedOffset(span.begin));
        return {at, at};
    }
    return {static_cast<std::uint32_t>(TypedOffset(span.begin)),
            static_cast<std::uint32_t>(TypedOffset(span.end - 1) + 1)};
}

bool ExpressionTree::SpaceDroppedAfter(std::size_t at) const {
    return at + 1 < typedOffsets.size() && typedOffsets[at + 1] == typedOffsets[at] + 2 &&
           (text[at] == '!' || text[at] == '-') && text[at + 1] == '(';
}

ExpressionTree ParseExpression(std::string_view input, const std::vector<std::size_t>* origin,
                               const std::vector<OutsideTermKind>& outsideKinds) {
    if (input.size() >= std::numeric_limits<std::uint32_t>::max())
        throw EngineError("Error, the search text is longer than 4 GB.", ErrorKind::Expression);
    ExpressionTree tree;
    auto typed = [&](std::size_t at) {
        return origin != nullptr && at < origin->size() ? (*origin)[at]
               : origin != nullptr && !origin->empty()  ? origin->back() + 1 + (at - origin->size())
                                                        : at;
    };
    // ` is a quote like '; "! (" and "- (" negate the group that follows, like "!(".
    tree.text.reserve(input.size());
    tree.typedOffsets.reserve(input.size() + 1);
    for (std::size_t i = 0; i < input.size(); ++i) {
        char c = input[i];
        tree.text += c == '`' ? '\'' : c;
        tree.typedOffsets.push_back(typed(i));
        if ((c == '!' || c == '-') && i + 2 < input.size() && input[i + 1] == ' ' && input[i + 2] == '(') ++i;
    }
    tree.typedOffsets.push_back(typed(input.size()));
    Parser(tree, outsideKinds).Parse();
    if (tree.rewrittenWhole) {
        // The rewriting decides its own errors, whatever the pairwise reading found (a "(" left
        // open there may be part of a phrase the rewriting takes whole); find them now, not on
        // the first record.
        tree.evaluationError.reset();
        try {
            (void)LiteralMatches(std::string(), std::string(input));
        } catch (const EngineError& error) {
            tree.evaluationError = error.Text();
        }
    }
    return tree;
}

}  // namespace vantor
