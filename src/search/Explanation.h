#pragma once
// Why a game is in a list, or not: the expression as a tree with the truth of every term and
// group on that game, the clause that decided, and the verdict, which is the search's own answer.
#include <optional>
#include <string>
#include <string_view>

#include "FamilyChoice.h"
#include "gamedata/Catalog.h"
#include "gamedata/RecordKey.h"

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
    RecordKey key;
    std::string romName, description;
    // The game, the expression, the tree, with one game per family the family's choice, and last
    // the line kVerdictMatch or kVerdictNoMatch.
    std::string text;
    bool matches = false;  // the game is in the list: the expression matches it, and its family keeps it
};

// What is explained: `expression` is a search text already prepared as "Go!" prepares it
// (PrepareSearchText); `typed`, when it differs, is shown as typed too. With `family`, the list
// keeps one game per family among the matches, as "Go!" does with those options.
struct ExplainRequest {
    std::string expression;
    std::string typed = {};
    std::optional<FamilyOptions> family = {};
};

// Explains the first record of `romName`. Throws EngineError: ErrorKind::Expression for an
// expression error, ErrorKind::Failure when the file holds no complete record of that game,
// ErrorKind::Cancelled when the progress sink asks to stop (one game per family reads the file).
GameExplanation ExplainGame(const Catalog& catalog, const std::string& romName, const ExplainRequest& request,
                            ProgressSink* progress = nullptr);
// The same for the game whose record starts at `key` (a list row's): exact where a file names a
// game twice.
GameExplanation ExplainGameAt(const Catalog& catalog, RecordKey key, const ExplainRequest& request,
                              ProgressSink* progress = nullptr);

}  // namespace vantor
