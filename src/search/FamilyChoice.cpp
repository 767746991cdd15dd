#include "FamilyChoice.h"

#include <string.h>

#include <algorithm>
#include <iterator>
#include <limits>
#include <unordered_map>

#include "gamedata/CsvFields.h"
#include "gamedata/EngineError.h"
#include "gamedata/RecordFields.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

// The value of ` name="..."` inside one element's text, or empty.
std::string_view AttributeValue(std::string_view element, std::string_view name) {
    for (std::size_t at = element.find(name); at != std::string_view::npos; at = element.find(name, at + 1)) {
        std::size_t quote = at + name.size();
        if (at == 0 || !IsWhiteSpace(element[at - 1]) || quote + 1 >= element.size() ||
            element[quote] != '=' || element[quote + 1] != '"')
            continue;
        std::size_t close = element.find('"', quote + 2);
        if (close == std::string_view::npos) return {};
        return element.substr(quote + 2, close - quote - 2);
    }
    return {};
}

// The text of the first element starting with `tag`, up to its ">".
std::string_view ElementText(std::string_view record, std::string_view tag) {
    std::size_t start = FindText(record, tag);
    if (start == std::string_view::npos) return {};
    std::size_t end = record.find('>', start);
    return record.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

EmulationStatus StatusOf(int inputType, std::string_view record) {
    if (inputType == SoftwareList) {
        // A software list says supported="no" or "partial"; without it, the software is supported.
        std::string_view supported =
            AttributeValue(ElementText(record, Tags().StartTag(inputType)), "supported");
        return supported == "no"        ? EmulationStatus::Preliminary
               : supported == "partial" ? EmulationStatus::Imperfect
                                        : EmulationStatus::Good;
    }
    // The driver element stands near the end of a machine's record: looked for from there.
    constexpr std::string_view kDriver = "<driver ";
    std::string_view status;
    for (std::size_t size = record.size(); size > 0;) {
        const void* found = memrchr(record.data(), '<', size);
        if (found == nullptr) break;
        std::size_t at = static_cast<std::size_t>(static_cast<const char*>(found) - record.data());
        if (record.substr(at).starts_with(kDriver)) {
            status = AttributeValue(ElementText(record.substr(at), kDriver), "status");
            break;
        }
        size = at;
    }
    return status == "good"          ? EmulationStatus::Good
           : status == "imperfect"   ? EmulationStatus::Imperfect
           : status == "preliminary" ? EmulationStatus::Preliminary
                                     : EmulationStatus::Unknown;
}

const char* StatusName(EmulationStatus status) {
    switch (status) {
        case EmulationStatus::Good:
            return "good";
        case EmulationStatus::Imperfect:
            return "imperfect";
        case EmulationStatus::Preliminary:
            return "preliminary";
        case EmulationStatus::Unknown:
            break;
    }
    return "unknown status";
}

bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || static_cast<unsigned char>(c) >= 0x80;
}

// `words` stands in lower-cased `text` as whole words.
bool HoldsWords(std::string_view text, std::string_view words) {
    for (std::size_t at = text.find(words); at != std::string_view::npos; at = text.find(words, at + 1)) {
        std::size_t end = at + words.size();
        if ((at == 0 || !IsWordChar(text[at - 1])) && (end == text.size() || !IsWordChar(text[end])))
            return true;
    }
    return false;
}

}  // namespace

std::string DescriptionTags(std::string_view description) {
    std::string tags;
    for (std::size_t i = 0; i < description.size(); ++i) {
        char close = description[i] == '(' ? ')' : description[i] == '[' ? ']' : '\0';
        if (close == '\0') continue;
        std::size_t end = description.find(close, i + 1);
        if (end == std::string_view::npos) end = description.size();
        tags += ToLowerAscii(description.substr(i + 1, end - i - 1));
        tags += '|';
        i = end;
    }
    return tags;
}

namespace {

// The words a description uses for the regions that go by more than one name.
const std::vector<std::vector<std::string_view>>& RegionAliases() {
    static const std::vector<std::vector<std::string_view>> aliases = {
        {"world"},          {"usa", "us", "america", "americas", "north america"},
        {"europe", "euro"}, {"japan", "jpn"},
        {"asia"},
    };
    return aliases;
}

bool TagsName(std::string_view tags, std::string_view region) {
    for (const auto& names : RegionAliases()) {
        if (std::find(names.begin(), names.end(), region) == names.end()) continue;
        return std::any_of(names.begin(), names.end(),
                           [&](std::string_view name) { return HoldsWords(tags, name); });
    }
    return HoldsWords(tags, region);
}

SpecialSet SpecialSetOf(std::string_view tags, std::string_view manufacturer) {
    std::string maker = ToLowerAscii(manufacturer);
    if (HoldsWords(tags, "bootleg") || HoldsWords(maker, "bootleg")) return SpecialSet::Bootleg;
    if (HoldsWords(tags, "hack") || HoldsWords(maker, "hack")) return SpecialSet::Hack;
    if (HoldsWords(tags, "prototype") || HoldsWords(tags, "proto")) return SpecialSet::Prototype;
    if (HoldsWords(tags, "location test")) return SpecialSet::LocationTest;
    return SpecialSet::None;
}

const char* SpecialSetName(SpecialSet special) {
    switch (special) {
        case SpecialSet::Bootleg:
            return "bootleg";
        case SpecialSet::Hack:
            return "hack";
        case SpecialSet::Prototype:
            return "prototype";
        case SpecialSet::LocationTest:
            return "location test";
        case SpecialSet::None:
            break;
    }
    return "released set";
}

// What the rules compare of one candidate, worked out once.
struct Standing {
    EmulationStatus status;
    std::size_t region;
    bool clone;
    bool special;
};

std::string RegionName(std::size_t rank, const std::vector<std::string>& regions) {
    return rank < regions.size() ? regions[rank] : "no listed region";
}

// <0 when `a` goes before `b` by the rule, >0 after, 0 when the rule does not separate them.
int Compare(FamilyRule rule, const Standing& a, const Standing& b, const MatchEntry& ga,
            const MatchEntry& gb) {
    switch (rule) {
        case FamilyRule::Status:
            return static_cast<int>(a.status) - static_cast<int>(b.status);
        case FamilyRule::Region:
            return a.region < b.region ? -1 : a.region > b.region ? 1 : 0;
        case FamilyRule::Parent:
            return static_cast<int>(a.clone) - static_cast<int>(b.clone);
        case FamilyRule::Release:
            return static_cast<int>(a.special) - static_cast<int>(b.special);
        case FamilyRule::Name:
            return ga.romName.compare(gb.romName);
    }
    return 0;
}

std::string Reason(FamilyRule rule, const Standing& kept, const Standing& lost, const MatchEntry& gk,
                   const MatchEntry& gl, SpecialSet lostSet, const FamilyOptions& options) {
    switch (rule) {
        case FamilyRule::Status:
            return std::string(StatusName(kept.status)) + " before " + StatusName(lost.status);
        case FamilyRule::Region:
            return RegionName(kept.region, options.regions) + " before " +
                   RegionName(lost.region, options.regions);
        case FamilyRule::Parent:
            return "the parent before a clone";
        case FamilyRule::Release:
            return std::string("a released set before a ") + SpecialSetName(lostSet);
        case FamilyRule::Name:
            break;
    }
    return gk.romName + " before " + gl.romName;
}

}  // namespace

FamilyFacts ReadFamilyFacts(int inputType, std::string_view record, std::string_view description,
                            std::string_view manufacturer) {
    FamilyFacts game;
    game.cloneOf = AttributeValue(ElementText(record, Tags().StartTag(inputType)), "cloneof");
    game.tags = DescriptionTags(description);
    game.special = SpecialSetOf(game.tags, manufacturer);
    game.status = StatusOf(inputType, record);
    return game;
}

std::vector<FamilyFacts> ReadFamilyFactsOfEntries(const Catalog& catalog,
                                                  const std::vector<MatchEntry>& entries,
                                                  ProgressSink* progress) {
    std::vector<FamilyFacts> facts;
    facts.reserve(entries.size());
    RecordReader reader = catalog.Reader();
    const RecordFields fields(catalog.inputType, false);
    std::string record;
    const auto total = static_cast<std::int64_t>(entries.size());
    for (const MatchEntry& entry : entries) {
        if (progress != nullptr && facts.size() % 256 == 0) {
            progress->Progress(static_cast<std::int64_t>(facts.size()), total);
            if (progress->CancelRequested()) throw EngineError(kCancelled, ErrorKind::Cancelled);
        }
        const long long position = ParseRecordKey(entry.key);
        // A key of another file reads as nothing: a game with its own family and unknown facts.
        if (position < 0 ||
            reader.ReadRecord(catalog.file, record, catalog.StartTag(), position) != position) {
            facts.emplace_back();
            continue;
        }
        facts.push_back(ReadFamilyFacts(
            catalog.inputType, record, fields.GetDescription(record),
            fields.GetFieldValues(record, Tags().ManufacturerTag(catalog.inputType), {}, 0, true)));
    }
    if (progress != nullptr) progress->Progress(total, total);
    return facts;
}

std::string_view FamilyKey(const MatchEntry& game, const FamilyFacts& facts) {
    return facts.cloneOf.empty() ? std::string_view(game.romName) : std::string_view(facts.cloneOf);
}

const std::vector<FamilyRuleInfo>& FamilyRuleTable() {
    static const std::vector<FamilyRuleInfo> table = {
        {FamilyRule::Status, "status", "emulation status: good, imperfect, unknown, preliminary"},
        {FamilyRule::Region, "region", "the first region of the list that the description's tags name"},
        {FamilyRule::Parent, "parent", "the parent before its clones"},
        {FamilyRule::Release, "release", "bootleg, hack, prototype and location-test sets last"},
        {FamilyRule::Name, "name", "the ROM name, in byte order (last, when the list leaves it out)"},
    };
    return table;
}

const char* FamilyRuleName(FamilyRule rule) {
    for (const FamilyRuleInfo& info : FamilyRuleTable()) {
        if (info.rule == rule) return info.name;
    }
    return "?";
}

FamilyOptions FamilyOptions::Defaults() {
    FamilyOptions options;
    for (const FamilyRuleInfo& info : FamilyRuleTable()) options.rules.push_back(info.rule);
    options.regions = {"world", "usa", "europe", "japan", "asia"};
    return options;
}

namespace {

// The trimmed, lower-cased items of a comma-separated list; false for an empty list or item.
bool SplitList(std::string_view text, const char* what, std::vector<std::string>& items,
               std::string& problem) {
    items.clear();
    if (TrimView(text).empty()) {
        problem = std::string("the ") + what + " list is empty";
        return false;
    }
    for (std::size_t pos = 0; pos <= text.size();) {
        std::size_t comma = text.find(',', pos);
        if (comma == std::string_view::npos) comma = text.size();
        std::string item = ToLowerAscii(TrimView(text.substr(pos, comma - pos)));
        std::replace(item.begin(), item.end(), '_', ' ');
        if (item.empty()) {
            problem = std::string("the ") + what + " list \"" + std::string(text) + "\" has an empty name";
            return false;
        }
        if (std::find(items.begin(), items.end(), item) != items.end()) {
            problem = std::string("the ") + what + " list names " + item + " twice";
            return false;
        }
        items.push_back(std::move(item));
        pos = comma + 1;
    }
    return true;
}

}  // namespace

bool ParseFamilyRules(std::string_view text, std::vector<FamilyRule>& rules, std::string& problem) {
    std::vector<std::string> names;
    if (!SplitList(text, "rule", names, problem)) return false;
    std::vector<FamilyRule> parsed;
    for (const std::string& name : names) {
        const auto& table = FamilyRuleTable();
        auto found = std::find_if(table.begin(), table.end(),
                                  [&](const FamilyRuleInfo& info) { return name == info.name; });
        if (found == table.end()) {
            std::string known;
            for (const FamilyRuleInfo& info : table)
                known += std::string(known.empty() ? "" : ", ") + info.name;
            problem = "unknown family rule " + name + " (the rules are " + known + ")";
            return false;
        }
        parsed.push_back(found->rule);
    }
    rules = std::move(parsed);
    return true;
}

bool ParseRegionList(std::string_view text, std::vector<std::string>& regions, std::string& problem) {
    std::vector<std::string> parsed;
    if (!SplitList(text, "region", parsed, problem)) return false;
    regions = std::move(parsed);
    return true;
}

std::string FamilyRulesText(const std::vector<FamilyRule>& rules) {
    std::string text;
    for (FamilyRule rule : rules) text += std::string(text.empty() ? "" : ",") + FamilyRuleName(rule);
    return text;
}

std::string RegionListText(const std::vector<std::string>& regions) {
    std::string text;
    for (const std::string& region : regions) text += (text.empty() ? "" : ",") + region;
    return text;
}

std::size_t RegionRank(std::string_view tags, const std::vector<std::string>& regions) {
    for (std::size_t i = 0; i < regions.size(); ++i) {
        if (TagsName(tags, regions[i])) return i;
    }
    return regions.size();
}

namespace {

std::vector<FamilyRule> RulesApplied(const FamilyOptions& options) {
    std::vector<FamilyRule> rules = options.rules;
    if (std::find(rules.begin(), rules.end(), FamilyRule::Name) == rules.end())
        rules.push_back(FamilyRule::Name);
    return rules;
}

}  // namespace

FamilyChoice ChooseOnePerFamily(const std::vector<MatchEntry>& candidates,
                                const std::vector<FamilyFacts>& facts, const FamilyOptions& options) {
    const std::vector<FamilyRule> rules = RulesApplied(options);

    // Worked out only for games with a rival (most families have one game); the region, the
    // dearest to find, only when the rules before it leave two games level.
    constexpr std::size_t kRegionUnread = std::numeric_limits<std::size_t>::max();
    std::vector<Standing> standings(facts.size());
    auto readRegion = [&](std::size_t game) {
        if (standings[game].region == kRegionUnread)
            standings[game].region = RegionRank(facts[game].tags, options.regions);
    };
    // The first rule that separates two candidates, or none (then the first in the list stays).
    auto firstDifference = [&](std::size_t a, std::size_t b, int& order) {
        for (FamilyRule rule : rules) {
            if (rule == FamilyRule::Region) {
                readRegion(a);
                readRegion(b);
            }
            order = Compare(rule, standings[a], standings[b], candidates[a], candidates[b]);
            if (order != 0) return rule;
        }
        order = 0;
        return FamilyRule::Name;
    };

    // Families in the order their first candidate comes, each one's games chained in list order.
    constexpr std::size_t kEnd = std::numeric_limits<std::size_t>::max();
    std::unordered_map<std::string_view, std::size_t> lastOfFamily;
    lastOfFamily.reserve(candidates.size());
    std::vector<std::size_t> firsts, next(candidates.size(), kEnd);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        auto [entry, added] = lastOfFamily.try_emplace(FamilyKey(candidates[i], facts[i]), i);
        if (added) {
            firsts.push_back(i);
        } else {
            next[entry->second] = i;
            entry->second = i;
        }
    }

    auto decide = [&](std::vector<std::size_t>& kept, std::vector<FamilyDecision>& decisions) {
        for (std::size_t first : firsts) {
            if (next[first] == kEnd) {
                kept.push_back(first);
                continue;
            }
            for (std::size_t member = first; member != kEnd; member = next[member]) {
                const FamilyFacts& game = facts[member];
                standings[member] = {game.status, kRegionUnread, !game.cloneOf.empty(),
                                     game.special != SpecialSet::None};
            }
            std::size_t best = first;
            for (std::size_t member = first; member != kEnd; member = next[member]) {
                int order = 0;
                (void)firstDifference(member, best, order);
                if (order < 0) best = member;
            }
            kept.push_back(best);
            FamilyDecision decision{std::string(FamilyKey(candidates[best], facts[best])), best, {}};
            for (std::size_t member = first; member != kEnd; member = next[member]) {
                if (member == best) continue;
                int order = 0;
                FamilyRule rule = firstDifference(best, member, order);
                std::string reason = order != 0
                                         ? Reason(rule, standings[best], standings[member], candidates[best],
                                                  candidates[member], facts[member].special, options)
                                         : "the same as the kept game; the first in the list stays";
                decision.losses.push_back({member, rule, std::move(reason)});
            }
            decisions.push_back(std::move(decision));
        }
    };
    FamilyChoice choice;
    choice.familyCount = firsts.size();
    choice.kept.reserve(firsts.size());
    decide(choice.kept, choice.decisions);
    std::sort(choice.kept.begin(), choice.kept.end());
    return choice;
}

namespace {

std::string GameLabel(const MatchEntry& game) {
    return game.romName + " (" + game.description + ")";
}

}  // namespace

std::string FamilyLogText(const FamilyChoice& choice, const std::vector<MatchEntry>& candidates,
                          const FamilyOptions& options) {
    std::size_t left = candidates.size() - choice.kept.size();
    std::string text = "One game per family: " + std::to_string(candidates.size()) + " games in " +
                       std::to_string(choice.familyCount) + " families, " +
                       std::to_string(choice.kept.size()) + " kept, " + std::to_string(left) + " left out.\n";
    text += "Rules: " + FamilyRulesText(RulesApplied(options)) +
            "; regions: " + RegionListText(options.regions) + "\n";
    for (const FamilyDecision& decision : choice.decisions) {
        text += "\n" + decision.family + ": kept " + GameLabel(candidates[decision.kept]) + "\n";
        for (const FamilyLoss& loss : decision.losses) {
            text += "  " + GameLabel(candidates[loss.game]) + " lost on " + FamilyRuleName(loss.rule) + ": " +
                    loss.reason + "\n";
        }
    }
    return text;
}

std::string FamilyLogCsv(const FamilyChoice& choice, const std::vector<MatchEntry>& candidates) {
    const CsvFields fields(",");
    std::string text = "family,kept,left out,rule,reason\n";
    for (const FamilyDecision& decision : choice.decisions) {
        for (const FamilyLoss& loss : decision.losses) {
            const std::string_view values[] = {decision.family, candidates[decision.kept].romName,
                                               candidates[loss.game].romName, FamilyRuleName(loss.rule),
                                               loss.reason};
            for (std::size_t i = 0; i < std::size(values); ++i) {
                if (i > 0) text += ',';
                fields.Append(text, values[i]);
            }
            text += '\n';
        }
    }
    return text;
}

}  // namespace vantor
