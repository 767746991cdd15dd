#pragma once
// The "-find:" language. Evaluate() is the rewriting algorithm exactly as the language is
// defined (phrases first, then groups innermost first, then the flat term list), re-parsing the
// expression for every record. CompiledExpression gives the same answers and the same errors
// while parsing the expression once and preparing each record once; searches use it.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Rejection flags: true means the record does not match. Both throw CErrorMessage.
bool Evaluate(std::string record, std::string expression);
bool TermRejects(std::string record, std::string term, bool caseInsensitive);
bool WildcardTermRejects(std::string_view record, std::string term);

// A record as the evaluator sees it: double quotes removed, and its ASCII-lower-cased copy.
class PreparedRecord {
public:
    PreparedRecord() = default;
    explicit PreparedRecord(std::string_view record) { Assign(record); }
    void Assign(std::string_view record);

    const std::string& Unquoted() const { return unquoted_; }
    const std::string& Lowered() const { return lowered_; }

private:
    std::string unquoted_;
    std::string lowered_;
};

class CompiledExpression {
public:
    // Parses once; throws CErrorMessage for an unbalanced quote or parenthesis.
    explicit CompiledExpression(const std::string& expression);
    ~CompiledExpression();
    CompiledExpression(CompiledExpression&&) noexcept;
    CompiledExpression& operator=(CompiledExpression&&) noexcept;

    bool Rejects(const PreparedRecord& record) const;
    // True when the expression's shape made the compiler hand every record to Evaluate().
    bool UsesLiteralEvaluation() const;

    struct Program;

private:
    std::unique_ptr<Program> program_;
};

}  // namespace vantor
