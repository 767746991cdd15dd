#pragma once
// "Go!" (or "List all ROMs") with more than the match list: one game per family among the
// matches, and a report of the games left out with what excluded each.
#include <string>
#include <vector>

#include "FamilyChoice.h"
#include "MatchEntry.h"
#include "ScanSplit.h"
#include "gamedata/Catalog.h"
#include "gamedata/ProgressSink.h"

namespace vantor {

struct LeftOutGame {
    std::string key, romName, description;
    // The first top-level clause that failed (in each alternative of a top-level "|" list, joined
    // by " | "), or for a game its family did not keep, the game kept and the rule that beat it.
    std::string excludedBy;
};

struct SelectionRequest {
    std::string expression;  // prepared as "Go!" prepares it (PrepareSearchText), or kListAllExpression
    bool onePerFamily = false;
    FamilyOptions family = FamilyOptions::Defaults();
    bool leftOut = false;
};

struct Selection {
    std::vector<MatchEntry> matches;   // the games kept, in file order
    std::vector<LeftOutGame> leftOut;  // when asked for: every other game, in file order
    // With one game per family: every match before the choice, and the choice among them.
    std::vector<MatchEntry> candidates;
    std::vector<FamilyFacts> candidateFacts;
    FamilyChoice families;
};

// One scan of the catalog's file. Throws EngineError: an expression error before anything is
// read, kind Cancelled when the progress sink asks to stop.
Selection SelectGames(const Catalog& catalog, const SelectionRequest& request,
                      ProgressSink* progress = nullptr, const ScanSplit& split = {});

// One game per family of a list that is already made (the working list): the facts are read
// again by record key.
Selection KeepOnePerFamily(const Catalog& catalog, const std::vector<MatchEntry>& entries,
                           const FamilyOptions& options, ProgressSink* progress = nullptr);

// The left-out report: a header line, then one row per game (ROM name, description, excluded by).
std::string LeftOutCsv(const std::vector<LeftOutGame>& games);

// "One game per family: 3 of 5 games kept, one of each of 3 families."
std::string FamilySummary(const Selection& selection);

}  // namespace vantor
