#pragma once
// The "-find:" language compiled from its tree (ExpressionTree.h): every record is prepared once
// (PreparedRecord.h) and tested term by term, each fixed text found once per record. It gives the
// answers and errors of the language's definition (LiteralEvaluator.h).
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ExpressionTree.h"
#include "PreparedRecord.h"

namespace vantor {

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
    // Parses and compiles; throws EngineError (ErrorKind::Expression) for an unbalanced quote or
    // parenthesis, as evaluating the text would. `facts` answers the outside-data terms
    // (OutsideTerms.h) and must outlive this object; a text with such terms and no facts is an
    // error (ErrorKind::Failure) saying what data is missing.
    explicit CompiledExpression(const std::string& expression, const OutsideFacts* facts = nullptr);
    explicit CompiledExpression(ExpressionTree tree, const OutsideFacts* facts = nullptr);
    // Throws what compiling `expression` would for the text itself, whether or not the data its
    // outside-data terms ask is at hand: the check a command makes before it opens anything.
    static void CheckText(const std::string& expression);
    ~CompiledExpression();
    CompiledExpression(CompiledExpression&&) noexcept;
    CompiledExpression& operator=(CompiledExpression&&) noexcept;

    bool Matches(const PreparedRecord& record) const;
    // The same; for a record that does not match, also what excluded it: in each alternative of
    // the top-level "|" list, the first term that failed, as written (the whole expression when
    // it is rewritten whole). The views live as long as this object.
    bool Matches(const PreparedRecord& record, std::vector<std::string_view>& excludedBy) const;
    // Every term and group of the expression with its value on the record.
    DecisionTrace Decide(const PreparedRecord& record) const;
    // True when the expression's phrases overlap, so that every record is rewritten whole.
    bool UsesLiteralEvaluation() const;
    // True for the match-all token alone ("="): every record holds "=" in its start tag
    // (name=), so such an expression needs no record prepared.
    bool MatchesEveryRecord() const;
    // The terms and phrases a record can need evaluating, once groups that only pass on the truth
    // of another are folded into it: it grows with the terms written, never with nesting alone.
    std::size_t TermsToTest() const;

    const ExpressionTree& Tree() const;

    struct Program;

  private:
    std::unique_ptr<Program> program_;
};

}  // namespace vantor
