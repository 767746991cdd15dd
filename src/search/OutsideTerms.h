#pragma once
// Terms answered by data kept outside the listing, looked up by the game's ROM name ("audit=good"
// asks the kept ROM audit). A new kind is one row of OutsideTermKinds() and an
// OutsideFacts that the search is given: the parser then reads KEY=VALUE (negated with "!" or
// "-" like any term) as that kind's term, the syntax check rejects a value the kind does not
// know, and the compiled matcher asks the facts instead of searching the record's text.
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct OutsideTermKind {
    std::string key;                  // lower-case: the terms are "key=value"
    std::vector<std::string> values;  // the values it knows, lower-case
    std::string meaning;              // one line for help texts
    std::string unavailable;          // why a search cannot answer it when its data is not at hand
};

// The kinds the search language knows.
const std::vector<OutsideTermKind>& OutsideTermKinds();
inline constexpr std::size_t kAuditTermKind = 0;  // audit=STATUS, the kept ROM audit's status

// What the data outside the listing says of a game. Called from every scanning thread at once.
class OutsideFacts {
  public:
    virtual ~OutsideFacts() = default;
    // Whether the game `romName` has `value` for the kind at `kind` in the kinds the expression
    // was parsed with.
    virtual bool Holds(std::size_t kind, std::string_view value, std::string_view romName) const = 0;
    // What the data says of the game for that kind, in one line for an explanation ("" for nothing).
    virtual std::string Describe(std::size_t kind, std::string_view romName) const = 0;
};

// The ROM name of a record as the matcher sees it (double quotes removed, lower-cased): the
// value of the first name= on its first line; empty when there is none.
std::string_view RomNameOfPreparedRecord(std::string_view lowered);

}  // namespace vantor
