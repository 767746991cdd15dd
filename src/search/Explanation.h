#pragma once
// Why a game is in a list, or not: the expression as a tree with the truth of every term and
// group on that game, the clause that decided, and the verdict, which is the search's own answer.
#include <string>
#include <string_view>

#include "gamedata/Catalog.h"

namespace vantor {

class CompiledExpression;

inline constexpr const char* kVerdictMatch = "verdict: match";
inline constexpr const char* kVerdictNoMatch = "verdict: no match";

struct RecordExplanation {
    std::string tree;  // one line per term or group, each ending in "\n"
    bool matches = false;
};

// The tree for one record's text (as a scan reads it). Throws EngineError when the tree's answer
// and the search's differ, which would be a fault of this code.
RecordExplanation ExplainRecord(const CompiledExpression& expression, std::string_view record);

struct GameExplanation {
    std::string key, romName, description;
    // The game, the expression, the tree, and last the line kVerdictMatch or kVerdictNoMatch.
    std::string text;
    bool matches = false;
};

// Explains the first record of `romName` for `expression`, a search text already prepared as
// "Go!" prepares it (PrepareSearchText); `typed`, when it differs, is shown as typed too. Throws
// EngineError: ErrorKind::Expression for an expression error, ErrorKind::Failure when the file
// holds no complete record of that game.
GameExplanation ExplainGame(const Catalog& catalog, const std::string& romName, const std::string& expression,
                            const std::string& typed = {});
// The same for the game whose record key (a list row's) is `key`: exact where a file names a
// game twice.
GameExplanation ExplainGameAt(const Catalog& catalog, const std::string& key, const std::string& expression,
                              const std::string& typed = {});

}  // namespace vantor
