#include "TermTest.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

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

std::size_t MalformedComparison(std::string_view term) {
    std::size_t lead = 0;
    if (!term.empty() && (term.front() == '!' || term.front() == '-')) {
        lead = term.find_first_not_of("-!");
        if (lead == std::string_view::npos) return std::string_view::npos;
        std::size_t tail = term.find_last_not_of("-!");
        term = term.substr(lead, tail + 1 - lead);
    }
    if (term.find('*') != std::string_view::npos) return std::string_view::npos;
    std::size_t op = term.find_first_of("=<>");
    if (op == std::string_view::npos || term[op] == '=' || !IsKey(term.substr(0, op)))
        return std::string_view::npos;
    std::size_t numberStart = op + 1;
    if (numberStart < term.size() && term[numberStart] == '=') ++numberStart;
    std::string_view number = term.substr(numberStart);
    if (!number.empty() && NumberLength(number) == number.size()) return std::string_view::npos;
    return lead + op;
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

}  // namespace vantor
