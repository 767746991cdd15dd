#include "Evaluator.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "gamedata/EngineError.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

constexpr std::string_view kMatchAllToken = "=";
constexpr std::string_view kMatchNoneToken = "zadorules";

std::string_view TruthToken(bool rejects) {
    return rejects ? kMatchNoneToken : kMatchAllToken;
}

// Does `pattern` (wildcards in it, leading "*" already dropped) match `record`? Pieces are found
// in order from one past the previous piece, and the rest of the pattern must then stand on the
// same line as the last piece found.
bool WildcardPatternMatches(std::string_view record, std::string term) {
    std::size_t offset = 0;
    for (;;) {
        std::size_t star = term.find('*');
        if (star == std::string::npos) return false;
        std::string piece = term.substr(0, star);
        std::size_t found = FindText(record, piece, offset);
        ReplaceAll(term, piece, "");
        TrimLeft(term, "*");
        if (found == std::string_view::npos) return false;
        offset = found + 1;
        std::size_t lineEnd = record.find('\n', offset);
        std::string_view restOfLine = record.substr(
            offset, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - offset);
        if (Contains(restOfLine, term)) return true;
    }
}

bool IsNegated(std::string_view term) {
    return !term.empty() && (term.front() == '-' || term.front() == '!');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsKeyChar(char c) {
    return (c >= 'a' && c <= 'z') || IsDigit(c) || c == '_' || c == '-' || c == '.' || c == ':';
}

// A decimal number at the start of `text` ("12", "59.94"); its length, 0 when there is none.
std::size_t NumberLength(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == 0) return 0;
    if (i + 1 < text.size() && text[i] == '.' && IsDigit(text[i + 1])) {
        i += 2;
        while (i < text.size() && IsDigit(text[i])) ++i;
    }
    return i;
}

// The value of a number that NumberLength() measured, whatever the locale; too large is infinite.
double NumberValue(std::string_view number) {
    double value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    return error == std::errc::result_out_of_range ? HUGE_VAL : value;
}

// A key as terms name it: a lower-case letter or "_", then letters, digits and "_-.:".
bool IsKey(std::string_view key) {
    if (key.empty() || !((key.front() >= 'a' && key.front() <= 'z') || key.front() == '_')) return false;
    return std::all_of(key.begin(), key.end(), IsKeyChar);
}

}  // namespace

TermTest::TermTest(std::string term, bool numeric) {
    negated = IsNegated(term);
    if (negated) Trim(term, "-!");
    if (term.find('*') != std::string::npos) {
        TrimLeft(term, "*");  // a leading "*" matches anything before the rest
        kind = term.empty()                          ? Kind::Everything
               : term.find('*') == std::string::npos ? Kind::Text
                                                     : Kind::Wildcard;
        text = std::move(term);
        return;
    }
    text = std::move(term);
    if (!numeric) return;
    // KEY=NUMBER names that number only; KEY<N, KEY<=N, KEY>N, KEY>=N compare.
    std::size_t op = text.find_first_of("=<>");
    if (op == std::string::npos || !IsKey(std::string_view(text).substr(0, op))) return;
    std::size_t numberStart = op + 1;
    if (text[op] != '=' && numberStart < text.size() && text[numberStart] == '=') ++numberStart;
    std::string_view number = std::string_view(text).substr(numberStart);
    if (number.empty() || NumberLength(number) != number.size()) return;
    if (text[op] == '=') {
        kind = Kind::NumberEquals;
        numberHasFraction = number.find('.') != std::string_view::npos;
        return;
    }
    kind = Kind::Compare;
    key = text.substr(0, op);
    comparison = text[op] == '<' ? (numberStart > op + 1 ? Comparison::AtMost : Comparison::Below)
                                 : (numberStart > op + 1 ? Comparison::AtLeast : Comparison::Above);
    bound = NumberValue(number);
}

std::string_view TermTest::Anchor() const {
    return kind == Kind::Text || kind == Kind::NumberEquals ? std::string_view(text) : std::string_view();
}

bool TermTest::FoundAt(std::string_view record, std::size_t at) const {
    if (record.compare(at, text.size(), text) != 0) return false;
    if (kind != Kind::NumberEquals) return true;
    if (at > 0 && IsKeyChar(record[at - 1])) return false;  // the key is part of a longer one
    std::string_view after = record.substr(at + text.size());
    if (!after.empty() && IsDigit(after.front())) return false;
    return numberHasFraction || after.size() < 2 || after[0] != '.' || !IsDigit(after[1]);
}

bool TermTest::NumberEqualsFound(std::string_view record) const {
    for (std::size_t at = FindText(record, text); at != std::string_view::npos;
         at = FindText(record, text, at + 1)) {
        if (FoundAt(record, at)) return true;
    }
    return false;
}

bool TermTest::CompareFound(std::string_view record) const {
    for (std::size_t at = FindText(record, key); at != std::string_view::npos;
         at = FindText(record, key, at + 1)) {
        // The attribute form key=N, or the element form <key>N.
        if (at > 0 && IsKeyChar(record[at - 1])) continue;
        std::size_t after = at + key.size();
        bool attribute = after < record.size() && record[after] == '=';
        bool element = at > 0 && record[at - 1] == '<' && after < record.size() && record[after] == '>';
        if (!attribute && !element) continue;
        std::string_view rest = record.substr(after + 1);
        std::size_t length = NumberLength(rest);
        if (length == 0) continue;
        double value = NumberValue(rest.substr(0, length));
        bool holds = comparison == Comparison::Below    ? value < bound
                     : comparison == Comparison::AtMost ? value <= bound
                     : comparison == Comparison::Above  ? value > bound
                                                        : value >= bound;
        if (holds) return true;
    }
    return false;
}

bool TermTest::Found(std::string_view record) const {
    switch (kind) {
        case Kind::Everything:
            return true;
        case Kind::Text:
            return Contains(record, text);
        case Kind::Wildcard:
            return WildcardPatternMatches(record, text);
        case Kind::NumberEquals:
            return NumberEqualsFound(record);
        case Kind::Compare:
            return CompareFound(record);
    }
    return false;
}

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

namespace {

using Bytes16 = unsigned char __attribute__((vector_size(16)));

// The portable way: sixteen bytes without a double quote are copied and lower-cased at once; the
// rest byte by byte. Returns the bytes kept.
std::size_t PrepareBytes(const char* in, std::size_t size, char* unquoted, char* lowered) {
    std::size_t kept = 0, i = 0;
    auto copyByte = [&](char c) {
        unquoted[kept] = c;
        lowered[kept] = AsciiLower(c);
        kept += c != '"';
    };
    Bytes16 quote, upperA, letters, caseBit;
    for (int lane = 0; lane < 16; ++lane) {
        quote[lane] = '"';
        upperA[lane] = 'A';
        letters[lane] = 26;
        caseBit[lane] = 32;
    }
    for (; i + 16 <= size; i += 16) {
        Bytes16 block;
        std::memcpy(&block, in + i, sizeof block);
        Bytes16 isQuote = block == quote;
        std::uint64_t halves[2];
        std::memcpy(halves, &isQuote, sizeof halves);
        if ((halves[0] | halves[1]) == 0) {
            Bytes16 lower = block + ((block - upperA < letters) & caseBit);
            std::memcpy(unquoted + kept, &block, sizeof block);
            std::memcpy(lowered + kept, &lower, sizeof lower);
            kept += 16;
            continue;
        }
        for (std::size_t j = i; j < i + 16; ++j) copyByte(in[j]);
    }
    for (; i < size; ++i) copyByte(in[i]);
    return kept;
}

#if defined(__x86_64__) && defined(__GNUC__)
// In XML nearly every sixteen bytes hold a quote, so the quotes are squeezed out with a byte
// shuffle: for each eight bytes, a table gives the order of the bytes that stay. Needs SSSE3,
// which the processor is asked for once.
struct QuoteShuffles {
    alignas(16) unsigned char order[256][16];
    unsigned char kept[256];
    QuoteShuffles() {
        for (int mask = 0; mask < 256; ++mask) {
            int k = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if ((mask & (1 << bit)) == 0) order[mask][k++] = static_cast<unsigned char>(bit);
            }
            kept[mask] = static_cast<unsigned char>(k);
            for (int rest = k; rest < 16; ++rest) order[mask][rest] = 0x80;  // zero
        }
    }
};

__attribute__((target("ssse3"))) std::size_t PrepareBytesShuffled(const char* in, std::size_t size,
                                                                  char* unquoted, char* lowered) {
    static const QuoteShuffles shuffles;
    using Chars = char __attribute__((vector_size(16)));
    const Chars quote = {'"', '"', '"', '"', '"', '"', '"', '"', '"', '"', '"', '"', '"', '"', '"', '"'};
    const Chars beforeA = {'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1,
                           'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1};
    const Chars afterZ = {'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1,
                          'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1};
    const Chars caseBit = {32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32};
    std::size_t kept = 0, i = 0;
    for (; i + 16 <= size; i += 16) {
        Chars block;
        std::memcpy(&block, in + i, sizeof block);
        // Signed compares: bytes above 127 are negative and never letters.
        Chars lower = block | ((block > beforeA) & (block < afterZ) & caseBit);
        unsigned mask = static_cast<unsigned>(__builtin_ia32_pmovmskb128(block == quote));
        if (mask == 0) {
            std::memcpy(unquoted + kept, &block, 16);
            std::memcpy(lowered + kept, &lower, 16);
            kept += 16;
            continue;
        }
        for (int half = 0; half < 2; ++half) {
            unsigned bits = (mask >> (8 * half)) & 0xff;
            Chars order;
            std::memcpy(&order, shuffles.order[bits], 16);
            if (half == 1)
                order =
                    order + (order >= 0 ? Chars{8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8} : Chars{});
            Chars picked = __builtin_ia32_pshufb128(block, order);
            Chars pickedLower = __builtin_ia32_pshufb128(lower, order);
            std::memcpy(unquoted + kept, &picked, 8);
            std::memcpy(lowered + kept, &pickedLower, 8);
            kept += shuffles.kept[bits];
        }
    }
    return kept + PrepareBytes(in + i, size - i, unquoted + kept, lowered + kept);
}

bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

}  // namespace

void PreparedRecord::Assign(std::string_view record) {
    // Eight bytes of room: the shuffled path writes whole halves.
    if (unquotedBuffer_.size() < record.size() + 8) {
        unquotedBuffer_.resize(record.size() + 8);
        loweredBuffer_.resize(record.size() + 8);
    }
    std::size_t kept;
#if defined(__x86_64__) && defined(__GNUC__)
    if (HasSsse3()) {
        kept =
            PrepareBytesShuffled(record.data(), record.size(), unquotedBuffer_.data(), loweredBuffer_.data());
    } else
#endif
    {
        kept = PrepareBytes(record.data(), record.size(), unquotedBuffer_.data(), loweredBuffer_.data());
    }
    unquoted_ = std::string_view(unquotedBuffer_.data(), kept);
    lowered_ = std::string_view(loweredBuffer_.data(), kept);
    unquotedReady_ = true;
}

void PreparedRecord::AssignLowered(std::string_view lowered, const std::uint64_t* upperBits,
                                   std::uint64_t firstBit) {
    lowered_ = lowered;
    upperBits_ = upperBits;
    firstBit_ = firstBit;
    unquotedReady_ = false;
}

void PreparedRecord::RestoreCase() const {
    if (unquotedBuffer_.size() < lowered_.size()) unquotedBuffer_.resize(lowered_.size());
    std::memcpy(unquotedBuffer_.data(), lowered_.data(), lowered_.size());
    // Only the capitals change back; most 64-byte stretches have none.
    for (std::size_t i = 0; i < lowered_.size();) {
        std::uint64_t bit = firstBit_ + i;
        std::uint64_t word = upperBits_[bit / 64] >> (bit % 64);
        std::size_t span = std::min<std::size_t>(64 - bit % 64, lowered_.size() - i);
        if (span < 64) word &= (std::uint64_t{1} << span) - 1;
        while (word != 0) {
            std::size_t at = i + static_cast<std::size_t>(__builtin_ctzll(word));
            unquotedBuffer_[at] = static_cast<char>(unquotedBuffer_[at] - ('a' - 'A'));
            word &= word - 1;
        }
        i += span;
    }
    unquoted_ = std::string_view(unquotedBuffer_.data(), lowered_.size());
    unquotedReady_ = true;
}

// ---------------------------------------------------------------------------------------------
// The compiled form. The rewriting algorithm's structure does not depend on the record: a phrase
// or a group is replaced by a truth token, and tokens hold no quote, bracket, operator, space, "_"
// or "*". So the expression is rewritten once with "slots" standing for the tokens, and only the
// slots' values are computed per record (lazily: terms have no side effects). An expression
// whose phrases could match across a slot's text is left to the literal algorithm.

namespace {

// A cell of the rewritten text: a byte (0..255) or a slot (-1 - slot index).
using Cells = std::vector<int>;
bool IsSlot(int cell) {
    return cell < 0;
}
int SlotOf(int cell) {
    return -1 - cell;
}
int CellOfSlot(int slot) {
    return -1 - slot;
}
bool IsChar(int cell, char c) {
    return cell == static_cast<unsigned char>(c);
}
bool IsWhiteCell(int cell) {
    return !IsSlot(cell) && IsWhiteSpace(static_cast<char>(cell));
}

// Where a cell (a byte, or a phrase or group with its quotes or parentheses) stands in the text.
struct Span {
    std::uint32_t begin = 0, end = 0;
};
using Spans = std::vector<Span>;

void TrimCells(Cells& cells, Spans& spans, bool (*drop)(int), bool left, bool right) {
    std::size_t first = 0, last = cells.size();
    if (left)
        while (first < last && drop(cells[first])) ++first;
    if (right)
        while (last > first && drop(cells[last - 1])) --last;
    cells = Cells(cells.begin() + static_cast<std::ptrdiff_t>(first),
                  cells.begin() + static_cast<std::ptrdiff_t>(last));
    spans = Spans(spans.begin() + static_cast<std::ptrdiff_t>(first),
                  spans.begin() + static_cast<std::ptrdiff_t>(last));
}

// The text that cells [first, last) of `spans` were made of.
Span SpanOf(const Spans& spans, std::size_t first, std::size_t last) {
    return first < last ? Span{spans[first].begin, spans[last - 1].end} : Span{};
}

}  // namespace

struct CompiledExpression::Program {
    // A term of a term list, in the case it is tested in.
    struct Term {
        Cells cells;          // as written (slots included); used when `literal` is false
        bool literal = true;  // no slot in it: `test` is final
        std::optional<TermTest> test;
        int needle = -1;  // its text's place in `needles`, when it has one
        Span written;     // where it stands in `text`
    };
    struct Level {
        bool singleTerm = false;
        std::vector<Term> terms;
        std::vector<char> orFollows;  // an "|" follows term i
    };
    struct Slot {
        bool isPhrase = false;
        std::optional<TermTest> phrase;  // case-sensitive, as written
        int level = -1;                  // a group's own level
        int needle = -1;
        Span written;  // its first place in `text`, quotes or parentheses included
    };
    // The fixed texts that terms and phrases look for. Texts that begin alike ("ways=2",
    // "ways=4", "ways=vertical2") form a group, found in one pass over the record: every place
    // where the group's first bytes stand is checked against each text of the group.
    struct Needle {
        const TermTest* test;
        int group;
    };
    struct NeedleGroup {
        std::string prefix;
        bool unquoted;  // searched in the record as written (phrases), else lower-cased
        std::vector<int> needles;
        std::string lowerPrefix;  // where a phrase can stand is first looked for without case
    };
    struct Scratch {
        std::vector<signed char> slots, needles;
    };

    std::vector<Slot> slots;
    std::vector<Needle> needles;
    std::vector<NeedleGroup> groups;
    std::vector<Level> levels;
    int topLevel = -1;
    // Groups nested deeper than this are evaluated in order, innermost first, instead of on
    // demand: demand evaluation recurses once per level.
    static constexpr int kMaxDemandDepth = 100;
    int maxDepth = 0;
    bool literalEvaluation = false;
    std::string expression;
    std::string text;  // the expression as the rewriting sees it (` and "! (" normalised)

    int CompileLevel(const Cells& cells, const Spans& spans);
    // Gives every fixed text its group, once all levels and slots stand where they stay.
    void GroupNeedles();
    int AddNeedle(const TermTest& test, bool unquoted);
    bool NeedleFound(int needle, const PreparedRecord& record, Scratch& scratch) const;
    // `failed`, when given, receives for a rejecting level the index of the first term that
    // failed in each alternative of its "|" list.
    bool LevelRejects(int level, const PreparedRecord& record, Scratch& scratch,
                      std::vector<int>* failed = nullptr) const;
    bool MatchesRecord(const PreparedRecord& record, std::vector<int>* failed) const;
    std::string_view Written(Span span) const {
        return std::string_view(text).substr(span.begin, span.end - span.begin);
    }
    bool SlotRejects(int slot, const PreparedRecord& record, Scratch& scratch) const;
    bool TermRejectsCells(const Term& term, const PreparedRecord& record, Scratch& scratch) const;
};

int CompiledExpression::Program::AddNeedle(const TermTest& test, bool unquoted) {
    std::string_view anchor = test.Anchor();
    if (anchor.empty()) return -1;
    constexpr std::size_t kPrefixBytes = 4;
    std::string prefix(anchor.substr(0, kPrefixBytes));
    auto group = std::find_if(groups.begin(), groups.end(), [&](const NeedleGroup& g) {
        return g.unquoted == unquoted && g.prefix == prefix;
    });
    if (group == groups.end()) {
        group = groups.insert(groups.end(), NeedleGroup{prefix, unquoted, {}, ToLowerAscii(prefix)});
    }
    int index = static_cast<int>(needles.size());
    needles.push_back({&test, static_cast<int>(group - groups.begin())});
    group->needles.push_back(index);
    return index;
}

void CompiledExpression::Program::GroupNeedles() {
    for (Level& level : levels) {
        for (Term& term : level.terms) {
            if (term.literal) term.needle = AddNeedle(*term.test, false);
        }
    }
    for (Slot& slot : slots) {
        if (slot.isPhrase) slot.needle = AddNeedle(*slot.phrase, true);
    }
}

bool CompiledExpression::Program::NeedleFound(int needle, const PreparedRecord& record,
                                              Scratch& scratch) const {
    signed char& known = scratch.needles[static_cast<std::size_t>(needle)];
    if (known < 0) {
        const NeedleGroup& group =
            groups[static_cast<std::size_t>(needles[static_cast<std::size_t>(needle)].group)];
        // A phrase's group is found without case first (the record as written may not be made
        // yet, and a phrase absent without case is absent with it), then checked as written.
        std::string_view searched = record.Lowered();
        const std::string& prefix = group.unquoted ? group.lowerPrefix : group.prefix;
        for (int member : group.needles) scratch.needles[static_cast<std::size_t>(member)] = 0;
        std::size_t missing = group.needles.size();
        for (std::size_t at = FindText(searched, prefix); at != std::string_view::npos && missing > 0;
             at = FindText(searched, prefix, at + 1)) {
            std::string_view text = group.unquoted ? record.Unquoted() : searched;
            for (int member : group.needles) {
                signed char& found = scratch.needles[static_cast<std::size_t>(member)];
                if (found == 0 && needles[static_cast<std::size_t>(member)].test->FoundAt(text, at)) {
                    found = 1;
                    --missing;
                }
            }
        }
    }
    return known != 0;
}

int CompiledExpression::Program::CompileLevel(const Cells& input, const Spans& spans) {
    Level level;
    auto makeTerm = [&](Cells cells) {
        Term term;
        for (int& cell : cells) {
            if (IsChar(cell, '_')) cell = ' ';
            if (!IsSlot(cell)) cell = static_cast<unsigned char>(AsciiLower(static_cast<char>(cell)));
        }
        term.literal = std::none_of(cells.begin(), cells.end(), IsSlot);
        if (term.literal) {
            std::string text;
            for (int cell : cells) text += static_cast<char>(cell);
            term.test.emplace(std::move(text), true);
        }
        term.cells = std::move(cells);
        return term;
    };

    // One term unless the first "&" or the first "|" stands after the first character.
    auto firstIndex = [&](char c) {
        auto found = std::find_if(input.begin(), input.end(), [c](int cell) { return IsChar(cell, c); });
        return found == input.end() ? std::ptrdiff_t{-1} : found - input.begin();
    };
    if (firstIndex('&') < 1 && firstIndex('|') < 1) {
        level.singleTerm = true;
        level.terms.push_back(makeTerm(input));
        level.terms.back().written = SpanOf(spans, 0, input.size());
        level.orFollows.push_back(0);
    } else {
        Cells rest = input;
        Spans restSpans = spans;
        TrimCells(
            rest, restSpans,
            [](int c) {
                return IsChar(c, '(') || IsChar(c, ')') || IsChar(c, '|') || IsChar(c, '&') || IsChar(c, ' ');
            },
            true, false);
        rest.push_back(' ');
        std::size_t pos = 0;
        while (pos < rest.size()) {
            std::size_t space = pos;
            while (space < rest.size() && !IsChar(rest[space], ' ')) ++space;
            Cells termCells(rest.begin() + static_cast<std::ptrdiff_t>(pos),
                            rest.begin() + static_cast<std::ptrdiff_t>(space));
            Span written = SpanOf(restSpans, pos, std::min(space, restSpans.size()));
            pos = space;
            while (pos < rest.size() && IsWhiteCell(rest[pos])) ++pos;
            level.terms.push_back(makeTerm(std::move(termCells)));
            level.terms.back().written = written;
            level.orFollows.push_back(pos < rest.size() && IsChar(rest[pos], '|') ? 1 : 0);
            while (pos < rest.size() &&
                   (IsChar(rest[pos], '|') || IsChar(rest[pos], '&') || IsChar(rest[pos], ' ')))
                ++pos;
        }
    }
    levels.push_back(std::move(level));
    return static_cast<int>(levels.size()) - 1;
}

bool CompiledExpression::Program::SlotRejects(int slot, const PreparedRecord& record,
                                              Scratch& scratch) const {
    signed char known = scratch.slots[static_cast<std::size_t>(slot)];
    if (known < 0) {
        const Slot& s = slots[static_cast<std::size_t>(slot)];
        if (!s.isPhrase) {
            known = LevelRejects(s.level, record, scratch);
        } else if (s.needle >= 0) {
            known = NeedleFound(s.needle, record, scratch) == s.phrase->Negated();
        } else {
            known = s.phrase->Rejects(record.Unquoted());
        }
        scratch.slots[static_cast<std::size_t>(slot)] = known;
    }
    return known != 0;
}

bool CompiledExpression::Program::TermRejectsCells(const Term& term, const PreparedRecord& record,
                                                   Scratch& scratch) const {
    if (term.needle >= 0) return NeedleFound(term.needle, record, scratch) == term.test->Negated();
    if (term.literal) return term.test->Rejects(record.Lowered());
    std::string text;
    for (int cell : term.cells) {
        if (IsSlot(cell)) {
            text += TruthToken(SlotRejects(SlotOf(cell), record, scratch));
        } else {
            text += static_cast<char>(cell);
        }
    }
    return TermTest(std::move(text), true).Rejects(record.Lowered());
}

bool CompiledExpression::Program::LevelRejects(int levelIndex, const PreparedRecord& record, Scratch& scratch,
                                               std::vector<int>* failed) const {
    const Level& level = levels[static_cast<std::size_t>(levelIndex)];
    bool rejects = false;
    for (std::size_t i = 0; i < level.terms.size(); ++i) {
        // Once a conjunction has failed, its remaining terms cannot change the answer.
        if (!rejects) {
            rejects = TermRejectsCells(level.terms[i], record, scratch);
            if (rejects && failed != nullptr) failed->push_back(static_cast<int>(i));
        }
        if (level.orFollows[i]) {
            if (!rejects) {
                if (failed != nullptr) failed->clear();
                return false;
            }
            rejects = false;
        }
    }
    if (!rejects && failed != nullptr) failed->clear();
    return rejects;
}

namespace {

// Phrases are replaced pair by pair (first quote with the next). The literal algorithm replaces
// every occurrence of a phrase at once, which can also match the text between two pairs, or
// such text with an earlier token inside it (only when the phrase holds a token's text); then
// the pairs no longer line up and the expression is left to the literal algorithm.
bool PhrasesNeedLiteralEvaluation(const std::string& text, const std::vector<std::size_t>& quotes) {
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
    // Text spanning a token runs from the end of one pair to the start of a later one.
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

}  // namespace

CompiledExpression::CompiledExpression(const std::string& expression)
    : program_(std::make_unique<Program>()) {
    Program& program = *program_;
    program.expression = expression;
    std::string& text = program.text;
    text = expression;
    ReplaceAll(text, "`", "'");
    ReplaceAll(text, "! (", "!(");
    ReplaceAll(text, "- (", "-(");

    std::vector<std::size_t> quotes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\'') quotes.push_back(i);
    }
    if (quotes.size() % 2 != 0) throw EngineError(kMissingQuoteError, ErrorKind::Expression);
    if (PhrasesNeedLiteralEvaluation(text, quotes)) {
        // The literal algorithm decides errors too; find them now, not on the first record.
        (void)LiteralMatches(std::string(), expression);
        program.literalEvaluation = true;
        return;
    }

    if (text.size() > std::numeric_limits<std::uint32_t>::max())
        throw EngineError("Error, the search text is longer than 4 GB.", ErrorKind::Expression);
    Cells cells;
    Spans spans;
    cells.reserve(text.size());
    spans.reserve(text.size());
    std::unordered_map<std::string, int> phraseSlots;
    std::size_t nextQuote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto at = static_cast<std::uint32_t>(i);
        if (nextQuote < quotes.size() && i == quotes[nextQuote]) {
            std::size_t close = quotes[nextQuote + 1];
            std::string phrase = text.substr(i + 1, close - i - 1);
            auto [entry, added] = phraseSlots.try_emplace(phrase, static_cast<int>(program.slots.size()));
            Span written{at, static_cast<std::uint32_t>(close + 1)};
            if (added) program.slots.push_back({true, TermTest(phrase, false), -1, -1, written});
            cells.push_back(CellOfSlot(entry->second));
            spans.push_back(written);
            i = close;
            nextQuote += 2;
        } else {
            cells.push_back(static_cast<unsigned char>(text[i]));
            spans.push_back({at, at + 1});
        }
    }
    bool replaced = !quotes.empty();

    bool hasOpen = std::any_of(cells.begin(), cells.end(), [](int c) { return IsChar(c, '('); });
    bool hasClose = std::any_of(cells.begin(), cells.end(), [](int c) { return IsChar(c, ')'); });
    if (hasOpen && hasClose) {
        // Each ")" closes the nearest open "(": the same pairs as taking the last "(" with the
        // first ")" after it, innermost first.
        struct Frame {
            Cells cells;
            Spans spans;
            std::uint32_t open = 0;  // where its "(" stands
        };
        std::vector<Frame> frames(1);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const int cell = cells[i];
            if (IsChar(cell, '(')) {
                frames.push_back({{}, {}, spans[i].begin});
                program.maxDepth = std::max(program.maxDepth, static_cast<int>(frames.size()) - 1);
            } else if (IsChar(cell, ')') && frames.size() > 1) {
                Frame inner = std::move(frames.back());
                frames.pop_back();
                int slot = static_cast<int>(program.slots.size());
                Span written{inner.open, spans[i].end};
                program.slots.push_back({false, {}, -1, -1, written});
                int level = program.CompileLevel(inner.cells, inner.spans);
                program.slots[static_cast<std::size_t>(slot)].level = level;
                frames.back().cells.push_back(CellOfSlot(slot));
                frames.back().spans.push_back(written);
                replaced = true;
            } else {
                frames.back().cells.push_back(cell);
                frames.back().spans.push_back(spans[i]);
            }
        }
        if (frames.size() > 1) throw EngineError(kMissingParenthesisError, ErrorKind::Expression);
        cells = std::move(frames.front().cells);
        spans = std::move(frames.front().spans);
    }
    if (replaced) TrimCells(cells, spans, IsWhiteCell, true, true);
    program.topLevel = program.CompileLevel(cells, spans);
    program.GroupNeedles();
}

CompiledExpression::~CompiledExpression() = default;
CompiledExpression::CompiledExpression(CompiledExpression&&) noexcept = default;
CompiledExpression& CompiledExpression::operator=(CompiledExpression&&) noexcept = default;

bool CompiledExpression::MatchesEveryRecord() const {
    const Program& program = *program_;
    if (program.literalEvaluation || program.topLevel < 0) return false;
    const Program::Level& level = program.levels[static_cast<std::size_t>(program.topLevel)];
    if (level.terms.size() != 1 || !level.terms[0].literal) return false;
    std::string text;
    for (int cell : level.terms[0].cells) text += static_cast<char>(cell);
    return text == kMatchAllToken;
}

bool CompiledExpression::UsesLiteralEvaluation() const {
    return program_->literalEvaluation;
}

bool CompiledExpression::Program::MatchesRecord(const PreparedRecord& record,
                                                std::vector<int>* failed) const {
    // Scans call this for every record, on several threads: each thread keeps its own memory.
    thread_local Scratch scratch;
    scratch.slots.assign(slots.size(), -1);
    scratch.needles.assign(needles.size(), -1);
    if (maxDepth > kMaxDemandDepth) {
        // A slot only refers to slots made before it, so in this order every value it needs is known.
        for (std::size_t slot = 0; slot < slots.size(); ++slot)
            SlotRejects(static_cast<int>(slot), record, scratch);
    }
    return !LevelRejects(topLevel, record, scratch, failed);
}

bool CompiledExpression::Matches(const PreparedRecord& record) const {
    const Program& program = *program_;
    if (program.literalEvaluation) return LiteralMatches(std::string(record.Unquoted()), program.expression);
    return program.MatchesRecord(record, nullptr);
}

bool CompiledExpression::Matches(const PreparedRecord& record,
                                 std::vector<std::string_view>& excludedBy) const {
    const Program& program = *program_;
    excludedBy.clear();
    if (program.literalEvaluation) {
        bool matches = LiteralMatches(std::string(record.Unquoted()), program.expression);
        if (!matches) excludedBy.push_back(program.expression);
        return matches;
    }
    thread_local std::vector<int> failed;
    failed.clear();
    bool matches = program.MatchesRecord(record, &failed);
    const Program::Level& top = program.levels[static_cast<std::size_t>(program.topLevel)];
    for (int term : failed)
        excludedBy.push_back(program.Written(top.terms[static_cast<std::size_t>(term)].written));
    return matches;
}

DecisionTrace CompiledExpression::Decide(const PreparedRecord& record) const {
    const Program& program = *program_;
    DecisionTrace trace;
    using Node = DecisionTrace::Node;
    if (program.literalEvaluation) {
        bool matches = LiteralMatches(std::string(record.Unquoted()), program.expression);
        trace.literal = true;
        trace.text = program.expression;
        trace.nodes.push_back({Node::Kind::Group, 0, trace.text.size(), matches, false, true, {1}});
        trace.nodes.push_back({Node::Kind::Term, 0, trace.text.size(), matches, false, false, {}});
        return trace;
    }
    trace.text = program.text;
    Program::Scratch scratch;
    scratch.slots.assign(program.slots.size(), -1);
    scratch.needles.assign(program.needles.size(), -1);
    // Every slot in the order made, so that no value needs a deeper one computed first.
    for (std::size_t slot = 0; slot < program.slots.size(); ++slot)
        program.SlotRejects(static_cast<int>(slot), record, scratch);

    // Levels still to be filled in: (level, its node). Iterative, however deep the nesting.
    std::vector<std::pair<int, std::size_t>> pending{{program.topLevel, 0}};
    trace.nodes.push_back({Node::Kind::Group,
                           0,
                           trace.text.size(),
                           !program.LevelRejects(program.topLevel, record, scratch),
                           false,
                           false,
                           {}});
    while (!pending.empty()) {
        auto [levelIndex, groupNode] = pending.back();
        pending.pop_back();
        const Program::Level& level = program.levels[static_cast<std::size_t>(levelIndex)];
        trace.nodes[groupNode].singleTerm = level.singleTerm;
        for (std::size_t i = 0; i < level.terms.size(); ++i) {
            const Program::Term& term = level.terms[i];
            std::size_t termNode = trace.nodes.size();
            trace.nodes[groupNode].children.push_back(termNode);
            trace.nodes.push_back({Node::Kind::Term,
                                   term.written.begin,
                                   term.written.end,
                                   !program.TermRejectsCells(term, record, scratch),
                                   level.orFollows[i] != 0,
                                   false,
                                   {}});
            for (int cell : term.cells) {
                if (!IsSlot(cell)) continue;
                const Program::Slot& slot = program.slots[static_cast<std::size_t>(SlotOf(cell))];
                std::size_t partNode = trace.nodes.size();
                trace.nodes[termNode].children.push_back(partNode);
                trace.nodes.push_back({slot.isPhrase ? Node::Kind::Phrase : Node::Kind::Group,
                                       slot.written.begin,
                                       slot.written.end,
                                       !program.SlotRejects(SlotOf(cell), record, scratch),
                                       false,
                                       false,
                                       {}});
                if (!slot.isPhrase) pending.emplace_back(slot.level, partNode);
            }
        }
    }
    return trace;
}

}  // namespace vantor
