#include "GameSelection.h"

#include <algorithm>

#include "CompiledExpression.h"
#include "MatchEntry.h"
#include "RecordScan.h"
#include "ScanSplit.h"
#include "gamedata/CsvFields.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

struct ScannedGame {
    MatchEntry entry;  // for a game left out: its key, ROM name and description
    FamilyFacts facts;
    bool matched = false;
    std::string excludedBy;
};

std::string JoinClauses(const std::vector<std::string_view>& clauses) {
    std::string text;
    for (std::string_view clause : clauses) {
        if (!text.empty()) text += " | ";
        text += clause;
    }
    return text;
}

std::string FamilyLossText(const FamilyLoss& loss, const MatchEntry& kept) {
    return "one game per family: " + kept.romName + " kept (" + FamilyRuleName(loss.rule) + ": " +
           loss.reason + ")";
}

// The games the choice keeps become the matches.
void ApplyChoice(Selection& selection) {
    selection.matches.reserve(selection.families.kept.size());
    for (std::size_t index : selection.families.kept)
        selection.matches.push_back(selection.candidates[index]);
}

// Why each candidate that lost was left out, by candidate index ("" for those kept).
std::vector<std::string> FamilyLosses(const Selection& selection) {
    std::vector<std::string> losses(selection.candidates.size());
    for (const FamilyDecision& decision : selection.families.decisions) {
        for (const FamilyLoss& loss : decision.losses)
            losses[loss.game] = FamilyLossText(loss, selection.candidates[decision.kept]);
    }
    return losses;
}

}  // namespace

Selection SelectGames(const Catalog& catalog, const SelectionRequest& request, ProgressSink* progress,
                      const ScanSplit& split) {
    CompiledExpression expression(request.expression, catalog.outsideFacts.get());
    const bool everyRecord = expression.MatchesEveryRecord();
    const bool family = request.onePerFamily;
    const bool leftOut = request.leftOut;
    const RecordFields fields = catalog.Fields();
    const int inputType = catalog.inputType;
    const bool tagsHidden = catalog.display.hideTags;
    const RecordFields writtenFields(inputType, false);
    std::vector<ScannedGame> games = ScanRecords<ScannedGame>(catalog, progress, split, [&] {
        return [&, prepared = PreparedRecord(), excluded = std::vector<std::string_view>()](
                   std::int64_t position, std::string_view record, std::vector<ScannedGame>& out) mutable {
            bool matched = everyRecord;
            if (!everyRecord) {
                prepared.Assign(record);
                matched = leftOut ? expression.Matches(prepared, excluded) : expression.Matches(prepared);
            }
            if (!matched && !leftOut) return;
            ScannedGame& game = out.emplace_back();
            game.matched = matched;
            if (matched) {
                game.entry = MakeMatchEntry(fields, position, record);
                if (family) {
                    // The entry's description is as written unless tags are hidden.
                    game.facts = ReadFamilyFacts(
                        inputType, record,
                        tagsHidden ? writtenFields.GetDescription(record) : game.entry.description,
                        game.entry.manufacturer);
                }
            } else {
                game.entry.key = FormatRecordKey(position);
                game.entry.romName = fields.GetRomName(record);
                game.entry.description = fields.GetDescription(record);
                game.excludedBy = JoinClauses(excluded);
            }
        };
    });

    Selection selection;
    const auto matchedCount = static_cast<std::size_t>(
        std::count_if(games.begin(), games.end(), [](const ScannedGame& game) { return game.matched; }));
    if (!family) {
        selection.matches.reserve(matchedCount);
        for (ScannedGame& game : games) {
            if (game.matched) selection.matches.push_back(std::move(game.entry));
        }
    } else {
        selection.candidates.reserve(matchedCount);
        selection.candidateFacts.reserve(matchedCount);
        for (ScannedGame& game : games) {
            if (!game.matched) continue;
            selection.candidates.push_back(std::move(game.entry));
            selection.candidateFacts.push_back(std::move(game.facts));
        }
        selection.families =
            ChooseOnePerFamily(selection.candidates, selection.candidateFacts, request.family);
        ApplyChoice(selection);
    }
    if (leftOut) {
        // Both kinds of games left out, in file order.
        const std::vector<std::string> losses = family ? FamilyLosses(selection) : std::vector<std::string>();
        std::size_t candidate = 0;
        for (ScannedGame& game : games) {
            if (!game.matched) {
                selection.leftOut.push_back({std::move(game.entry.key), std::move(game.entry.romName),
                                             std::move(game.entry.description), std::move(game.excludedBy)});
            } else if (family && !losses[candidate++].empty()) {
                const MatchEntry& entry = selection.candidates[candidate - 1];
                selection.leftOut.push_back(
                    {entry.key, entry.romName, entry.description, losses[candidate - 1]});
            }
        }
    }
    return selection;
}

Selection KeepOnePerFamily(const Catalog& catalog, const std::vector<MatchEntry>& entries,
                           const FamilyOptions& options, ProgressSink* progress) {
    Selection selection;
    selection.candidates = entries;
    selection.candidateFacts = ReadFamilyFactsOfEntries(catalog, entries, progress);
    selection.families = ChooseOnePerFamily(selection.candidates, selection.candidateFacts, options);
    ApplyChoice(selection);
    return selection;
}

std::string LeftOutCsv(const std::vector<LeftOutGame>& games) {
    const CsvFields fields(",");
    std::string text = "ROM name,description,excluded by\n";
    for (const LeftOutGame& game : games) {
        fields.Append(text, game.romName);
        text += ',';
        fields.Append(text, game.description);
        text += ',';
        fields.Append(text, game.excludedBy);
        text += '\n';
    }
    return text;
}

std::string FamilySummary(const Selection& selection) {
    return "One game per family: " + std::to_string(selection.matches.size()) + " of " +
           std::to_string(selection.candidates.size()) + " games kept, one of each of " +
           std::to_string(selection.families.familyCount) + " families.";
}

}  // namespace vantor
