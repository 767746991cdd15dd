#pragma once
// One game per family. A family is a parent and its clones: its key is the game's cloneof when it
// has one, else the game's own name (never romof, which also points at BIOS sets). Of the games of
// a list, ordered rules keep one per family; a log tells, for each family with more than one
// candidate, the game kept and the first rule that put it before each of the others.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "MatchEntry.h"
#include "gamedata/Catalog.h"
#include "gamedata/ProgressSink.h"

namespace vantor {

// In order of preference. A listing that does not say counts as unknown, before preliminary:
// preliminary is known not to work.
enum class EmulationStatus { Good, Imperfect, Unknown, Preliminary };

// Sets that are not the finished game as released go last; the first kind found names it.
enum class SpecialSet { None, Bootleg, Hack, Prototype, LocationTest };

// What the rules read of a game beyond its match entry (whose ROM name they use).
struct FamilyFacts {
    std::string cloneOf;  // empty for a parent
    std::string tags;     // the description's "(...)" and "[...]" texts, lower-cased, each ending in "|"
    SpecialSet special = SpecialSet::None;
    EmulationStatus status = EmulationStatus::Unknown;
};

// The facts of a record of a file of `inputType`, with its description as written (tags kept)
// and its manufacturer. Missing fields count as unknown; nothing here fails.
FamilyFacts ReadFamilyFacts(int inputType, std::string_view record, std::string_view description,
                            std::string_view manufacturer);
// The facts of the games of a match list, read again by their record keys (for lists that did not
// come from a scan gathering them, such as the working list). Throws EngineError of kind Cancelled
// when the progress sink asks to stop.
std::vector<FamilyFacts> ReadFamilyFactsOfEntries(const Catalog& catalog,
                                                  const std::vector<MatchEntry>& entries,
                                                  ProgressSink* progress = nullptr);

std::string_view FamilyKey(const MatchEntry& game, const FamilyFacts& facts);

// The rules, applied in the user's order; `Name` decides last in any case, so that the choice is
// the same from run to run.
enum class FamilyRule { Status, Region, Parent, Release, Name };

struct FamilyRuleInfo {
    FamilyRule rule;
    const char* name;     // as lists name it: "status"
    const char* meaning;  // one line for help texts
};
// Every rule, in the default order.
const std::vector<FamilyRuleInfo>& FamilyRuleTable();
const char* FamilyRuleName(FamilyRule rule);

struct FamilyOptions {
    std::vector<FamilyRule> rules;     // without Name: it is appended when missing
    std::vector<std::string> regions;  // lower-case, most wanted first; games with none of them last
    // The defaults: every rule in table order; world, usa, europe, japan, asia.
    static FamilyOptions Defaults();
};

// Comma-separated lists, as the command line and the settings hold them ("status,region",
// "usa,world"). False with `problem` set for an empty list, an empty or unknown name, or a name
// given twice.
[[nodiscard]] bool ParseFamilyRules(std::string_view text, std::vector<FamilyRule>& rules,
                                    std::string& problem);
[[nodiscard]] bool ParseRegionList(std::string_view text, std::vector<std::string>& regions,
                                   std::string& problem);
std::string FamilyRulesText(const std::vector<FamilyRule>& rules);
std::string RegionListText(const std::vector<std::string>& regions);

// The lower-cased "(...)" and "[...]" texts of a description, as FamilyFacts holds them.
std::string DescriptionTags(std::string_view description);
// The place of the first region of `regions` that the tags name ("(USA)", "(US, set 2)",
// "[Euro]"); regions.size() when they name none.
std::size_t RegionRank(std::string_view tags, const std::vector<std::string>& regions);

// Why a game lost to the game its family kept: the first rule that separated them.
struct FamilyLoss {
    std::size_t game;  // its index among the candidates
    FamilyRule rule;
    std::string reason;  // "usa before japan", "good before preliminary", ...
};

struct FamilyDecision {
    std::string family;
    std::size_t kept;  // index among the candidates
    std::vector<FamilyLoss> losses;
};

struct FamilyChoice {
    std::vector<std::size_t> kept;          // candidate indexes, in candidate order
    std::vector<FamilyDecision> decisions;  // families with more than one candidate, by first candidate
    std::size_t familyCount = 0;
};

// One game per family among `candidates` (in list order, `facts` beside them); a family whose
// parent is not among them still keeps one game.
FamilyChoice ChooseOnePerFamily(const std::vector<MatchEntry>& candidates,
                                const std::vector<FamilyFacts>& facts, const FamilyOptions& options);

// The decision log: plain text, or CSV with a header line (family, kept, left out, rule, reason).
std::string FamilyLogText(const FamilyChoice& choice, const std::vector<MatchEntry>& candidates,
                          const FamilyOptions& options);
std::string FamilyLogCsv(const FamilyChoice& choice, const std::vector<MatchEntry>& candidates);

}  // namespace vantor
