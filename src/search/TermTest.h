#pragma once
// One term of the "-find:" language, ready to test records that are already in its case.
#include <string>
#include <string_view>

namespace vantor {

// A leading "!" or "-" negates it; "*" makes it a wildcard. Unquoted terms (`numeric`) also read
// numbers: KEY=N names that key and that number only (buttons=1 matches neither buttons=15 nor
// reqbuttons=1), and KEY<N, KEY<=N, KEY>N, KEY>=N compare every value of KEY=... or <KEY>... in
// the record, matching when one holds.
class TermTest {
  public:
    TermTest(std::string term, bool numeric);

    bool Found(std::string_view record) const;
    bool Rejects(std::string_view record) const { return negated ? Found(record) : !Found(record); }
    bool Negated() const { return negated; }
    // For terms that are found where a fixed text stands (plain text, KEY=N): that text, which
    // FoundAt() checks at one offset; empty for the others.
    std::string_view Anchor() const;
    bool FoundAt(std::string_view record, std::size_t at) const;
    // Two terms with the same anchor are found at the same places when this is the same too.
    bool AnchorIsNumber() const { return kind == Kind::NumberEquals; }

  private:
    enum class Kind { Text, Everything, Wildcard, NumberEquals, Compare };
    enum class Comparison { Below, AtMost, Above, AtLeast };

    bool NumberEqualsFound(std::string_view record) const;
    bool CompareFound(std::string_view record) const;

    bool negated = false;
    Kind kind = Kind::Text;
    std::string text;  // without its negation; a wildcard without its leading "*"
    bool numberHasFraction = false;
    std::string key;
    Comparison comparison = Comparison::Below;
    double bound = 0;
};

// A comparison without its number (KEY<, KEY>=x, KEY>=19x), which TermTest would search as plain
// text: the offset of its sign in `term` (a term as TermTest takes it, lower-cased). npos for
// every other term.
std::size_t MalformedComparison(std::string_view term);

}  // namespace vantor
