// One game per family: the rules in their order, what they read of the records of each flavour,
// the lists that name them, and the decision log.
#include "search/FamilyChoice.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "search/GameSelection.h"
#include "search/InputCheck.h"
#include "search/SearchDriver.h"

namespace vantor {
namespace {

struct Game {
    std::string name, cloneOf, description, manufacturer = "Namco";
    EmulationStatus status = EmulationStatus::Good;
};

struct Outcome {
    std::vector<std::string> kept;
    std::vector<std::string> losses;  // "loser: rule: reason"
};

Outcome Choose(const std::vector<Game>& games, const FamilyOptions& options = FamilyOptions::Defaults()) {
    std::vector<MatchEntry> entries;
    std::vector<FamilyFacts> facts;
    for (const Game& game : games) {
        entries.push_back({"0x1", game.name, game.description, "1980", game.manufacturer});
        FamilyFacts fact = ReadFamilyFacts(MameMachine, "", game.description, game.manufacturer);
        fact.cloneOf = game.cloneOf;
        fact.status = game.status;
        facts.push_back(fact);
    }
    FamilyChoice choice = ChooseOnePerFamily(entries, facts, options);
    Outcome outcome;
    for (std::size_t index : choice.kept) outcome.kept.push_back(games[index].name);
    for (const FamilyDecision& decision : choice.decisions) {
        for (const FamilyLoss& loss : decision.losses)
            outcome.losses.push_back(games[loss.game].name + ": " + FamilyRuleName(loss.rule) + ": " +
                                     loss.reason);
    }
    EXPECT_EQ(choice.kept.size(), choice.familyCount);
    return outcome;
}

FamilyOptions With(const char* rules, const char* regions) {
    FamilyOptions options = FamilyOptions::Defaults();
    std::string problem;
    EXPECT_TRUE(ParseFamilyRules(rules, options.rules, problem)) << problem;
    EXPECT_TRUE(ParseRegionList(regions, options.regions, problem)) << problem;
    return options;
}

TEST(FamilyChoiceTest, RulesApplyInOrderAndTheFirstThatSeparatesIsTheReason) {
    using S = EmulationStatus;
    const std::vector<Game> sf2 = {
        {"sf2", "", "Street Fighter II (World 910522)", "Capcom", S::Imperfect},
        {"sf2u", "sf2", "Street Fighter II (US 910206)", "Capcom"},
        {"sf2j", "sf2", "Street Fighter II (Japan 911210)", "Capcom"},
        {"sf2b", "sf2", "Street Fighter II (bootleg, World)", "bootleg"},
        {"sf2eb", "sf2", "Street Fighter II (Euro)", "bootleg (Hung Hsi)"},
    };
    // A family whose parent is not in the list still keeps one game.
    const std::vector<Game> others = {
        {"galaga", "", "Galaga", "Namco", S::Preliminary},
        {"galagao", "galaga", "Galaga (Namco)", "Namco", S::Unknown},
        {"xeviousp", "xevious", "Xevious (prototype)"},
        {"xeviousl", "xevious", "Xevious (location test)"},
        {"xeviousa", "xevious", "Xevious (Atari, hack)"},
        {"xeviousb", "xevious", "Xevious (Atari)"},
    };
    struct Case {
        const std::vector<Game>& games;
        const char *rules, *regions;
        std::vector<std::string> kept, losses;  // losses as "game: rule: reason"
    } cases[] = {
        {sf2,
         "status,region,parent,release",
         "world,usa,europe,japan,asia",
         {"sf2b"},
         {"sf2: status: good before imperfect", "sf2u: region: world before usa",
          "sf2j: region: world before japan", "sf2eb: region: world before europe"}},
        {sf2,
         "release,region",
         "usa,world",
         {"sf2u"},
         {"sf2: region: usa before world", "sf2j: region: usa before no listed region",
          "sf2b: release: a released set before a bootleg",
          "sf2eb: release: a released set before a bootleg"}},
        {sf2,
         "name,parent",
         "world",
         {"sf2"},
         {"sf2u: name: sf2 before sf2u", "sf2j: name: sf2 before sf2j", "sf2b: name: sf2 before sf2b",
          "sf2eb: name: sf2 before sf2eb"}},
        {others,
         "status,release",
         "world",
         {"galagao", "xeviousb"},
         {"galaga: status: unknown status before preliminary",
          "xeviousp: release: a released set before a prototype",
          "xeviousl: release: a released set before a location test",
          "xeviousa: release: a released set before a hack"}},
        {others,
         "region",
         "world",
         {"galaga", "xeviousa"},
         {"galagao: name: galaga before galagao", "xeviousp: name: xeviousa before xeviousp",
          "xeviousl: name: xeviousa before xeviousl", "xeviousb: name: xeviousa before xeviousb"}},
    };
    for (const Case& c : cases) {
        Outcome outcome = Choose(c.games, With(c.rules, c.regions));
        EXPECT_EQ(outcome.kept, c.kept) << c.rules;
        EXPECT_EQ(outcome.losses, c.losses) << c.rules;
    }
}

TEST(FamilyChoiceTest, RegionsAreReadFromTagsAsWholeWords) {
    const std::vector<std::string> regions = {"world", "usa", "europe", "japan", "asia", "hong kong"};
    struct Case {
        const char* description;
        std::size_t rank;
    } cases[] = {
        {"Galaga (USA)", 1},       {"Galaga (US, set 2)", 1},
        {"Galaga [Euro]", 2},      {"Galaga (Japan) (World)", 0},
        {"USA Galaga", 6},         {"Galaga (Bus Stop)", 6},
        {"Galaga (Hong Kong)", 5}, {"Galaga (North America)", 1},
        {"Galaga (Asia", 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RegionRank(DescriptionTags(c.description), regions), c.rank) << c.description;
}

TEST(FamilyChoiceTest, ListsOfRulesAndRegions) {
    std::vector<FamilyRule> rules;
    std::vector<std::string> regions;
    std::string problem;
    EXPECT_TRUE(ParseFamilyRules(" Region , status", rules, problem));
    EXPECT_EQ(rules, (std::vector<FamilyRule>{FamilyRule::Region, FamilyRule::Status}));
    EXPECT_TRUE(ParseRegionList("USA,Hong_Kong", regions, problem));
    EXPECT_EQ(RegionListText(regions), "usa,hong kong");
    struct Bad {
        const char* text;
        bool rules;
        const char* problem;
    } bad[] = {
        {"", false, "the region list is empty"},
        {" ", true, "the rule list is empty"},
        {"usa,,japan", false, "the region list \"usa,,japan\" has an empty name"},
        {"status,colour", true,
         "unknown family rule colour (the rules are status, region, parent, release, name)"},
        {"status,STATUS", true, "the rule list names status twice"},
    };
    for (const Bad& b : bad) {
        bool parsed =
            b.rules ? ParseFamilyRules(b.text, rules, problem) : ParseRegionList(b.text, regions, problem);
        EXPECT_FALSE(parsed) << b.text;
        EXPECT_EQ(problem, b.problem);
    }
    EXPECT_EQ(RegionListText(regions), "usa,hong kong");  // a failed parse leaves the list as it was
}

// What the rules read of real records, in every flavour, from a scan and from a list made before.
TEST(FamilyChoiceTest, FactsOfEveryFlavourFromTheScanAndByKey) {
    struct Case {
        const char* fixture;
        std::vector<std::string> kept;
        const char* log;
    } cases[] = {
        {"gamedata/machines.xml",
         {"puckman", "bios1", "onel", "galaga"},
         "family,kept,left out,rule,reason\n"
         "puckman,puckman,pacman,parent,the parent before a clone\n"
         "puckman,puckman,pacmanf,status,good before preliminary\n"},
        {"output/software.xml",
         {"smb"},
         "family,kept,left out,rule,reason\nsmb,smb,smbj,parent,the parent before a clone\n"},
        {"output/dat.xml", {"1942", "1943kai"}, "family,kept,left out,rule,reason\n"},
    };
    for (const Case& c : cases) {
        Catalog catalog;
        catalog.display.hideTags = true;  // the rules read the tags all the same
        ASSERT_TRUE(OpenInputFile(catalog, test::FixturePath(c.fixture)).Done());
        SelectionRequest request;
        request.expression = kListAllExpression;
        request.onePerFamily = true;
        request.family = With("status,parent,region", "world,japan");
        Selection scanned = SelectGames(catalog, request);
        std::vector<std::string> kept;
        for (const MatchEntry& entry : scanned.matches) kept.push_back(entry.romName);
        EXPECT_EQ(kept, c.kept) << c.fixture;
        EXPECT_EQ(FamilyLogCsv(scanned.families, scanned.candidates), c.log) << c.fixture;
        Selection byKey = KeepOnePerFamily(catalog, scanned.candidates, request.family);
        EXPECT_EQ(byKey.matches, scanned.matches) << c.fixture;
    }
}

}  // namespace
}  // namespace vantor
