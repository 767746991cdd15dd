#pragma once
// The "-find:" language. LiteralMatches() is the rewriting algorithm exactly as the language is
// defined (phrases first, then groups innermost first, then the flat term list), re-parsing the
// expression for every record. CompiledExpression gives the same answers and the same errors
// while parsing the expression once and preparing each record once; searches use it.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Whether the record matches, by rewriting the expression for this record. Throws EngineError.
bool LiteralMatches(std::string record, std::string expression);

// One term, ready to test records that are already in its case. A leading "!" or "-" negates it;
// "*" makes it a wildcard. Unquoted terms (`numeric`) also read numbers: KEY=N names that key
// and that number only (buttons=1 matches neither buttons=15 nor reqbuttons=1), and KEY<N, KEY<=N,
// KEY>N, KEY>=N compare every value of KEY=... or <KEY>... in the record, matching when one holds.
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

// A record as the evaluator sees it: double quotes removed, and its ASCII-lower-cased copy.
class PreparedRecord {
  public:
    PreparedRecord() = default;
    explicit PreparedRecord(std::string_view record) { Assign(record); }
    void Assign(std::string_view record);
    // For a record already prepared and kept elsewhere (it must outlive the use of this one): its
    // lower-cased text and, from bit `firstBit` of `upperBits` on, one bit per byte telling which
    // bytes were capitals. The text as written is made from them only if a phrase needs it.
    void AssignLowered(std::string_view lowered, const std::uint64_t* upperBits, std::uint64_t firstBit);

    std::string_view Unquoted() const {
        if (!unquotedReady_) RestoreCase();
        return unquoted_;
    }
    std::string_view Lowered() const { return lowered_; }

  private:
    void RestoreCase() const;

    // Buffers only grow; the views show the record in them (or, lowered, outside them).
    mutable std::string unquotedBuffer_;
    std::string loweredBuffer_;
    mutable std::string_view unquoted_;
    std::string_view lowered_;
    mutable bool unquotedReady_ = true;
    const std::uint64_t* upperBits_ = nullptr;
    std::uint64_t firstBit_ = 0;
};

// How an expression decided one record, as the compiled form evaluates it, every term and group
// with its value (for showing why a game is or is not in a list).
struct DecisionTrace {
    struct Node {
        // A group is a term list (the whole expression, or a parenthesised group); a term is one
        // entry of a list, whose groups and phrases are its children; a phrase is 'text'.
        enum class Kind { Group, Term, Phrase };
        Kind kind = Kind::Group;
        std::size_t begin = 0, end = 0;  // its text in `text` (a group with its parentheses)
        bool holds = false;              // the term's, group's or phrase's truth on the record
        bool orFollows = false;          // a term: an "|" follows it in its list
        bool singleTerm = false;         // a group without "&" or "|": all of it is one term
        std::vector<std::size_t> children;
    };
    std::string text;         // the expression, as the evaluator read it
    std::vector<Node> nodes;  // nodes[0]: the whole expression, a group
    // The expression was evaluated by rewriting it as a whole for every record (its phrases
    // overlap): the trace holds the whole text as one term.
    bool literal = false;

    std::string_view Text(const Node& node) const {
        return std::string_view(text).substr(node.begin, node.end - node.begin);
    }
};

class CompiledExpression {
  public:
    // Parses once; throws EngineError for an unbalanced quote or parenthesis.
    explicit CompiledExpression(const std::string& expression);
    ~CompiledExpression();
    CompiledExpression(CompiledExpression&&) noexcept;
    CompiledExpression& operator=(CompiledExpression&&) noexcept;

    bool Matches(const PreparedRecord& record) const;
    // The same; for a record that does not match, also what excluded it: in each alternative of
    // the top-level "|" list, the first term that failed, as written (the whole expression when
    // it is evaluated by rewriting). The views live as long as this object.
    bool Matches(const PreparedRecord& record, std::vector<std::string_view>& excludedBy) const;
    // Every term and group of the expression with its value on the record.
    DecisionTrace Decide(const PreparedRecord& record) const;
    // True when the expression's shape made the compiler hand every record to LiteralMatches().
    bool UsesLiteralEvaluation() const;
    // True for the match-all token alone ("="): every record holds "=" in its start tag
    // (name=), so such an expression needs no record prepared.
    bool MatchesEveryRecord() const;

    struct Program;

  private:
    std::unique_ptr<Program> program_;
};

}  // namespace vantor
