// explain, one game per family and the left-out report from the command line: explain's verdict
// against find on every game of the fixtures, the options, their defaults in the settings, and
// what goes wrong.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "CliInProcess.h"
#include "CriteriaTexts.h"
#include "TestSupport.h"
#include "cli/CliCommand.h"
#include "gamedata/SettingsStore.h"

namespace vantor {
namespace {

using test::TempDir;

class FamilyCliTest : public test::CliInProcessTest {
  protected:
    std::string LastLine() const {
        std::string text = out_.substr(0, out_.size() - 1);
        return text.substr(text.rfind('\n') + 1);
    }

    std::string master_ = test::FixturePath("gamedata/machines.xml");
};

TEST_F(FamilyCliTest, ExplainSaysWhatFindDoesForEveryGameOfEveryFixture) {
    for (const std::string& fixture : test::ListingFixtures()) {
        const std::string master = test::FixturePath(fixture);
        ASSERT_EQ(RunOn(master, {"list-all"}), 0) << err_;
        const std::vector<std::string> games = Names();
        ASSERT_EQ(RunOn(master, {"criteria", "--initial"}), 0);
        const std::string startUp = out_.substr(0, out_.size() - 1);
        for (const std::string& expression :
             {startUp, std::string("!cloneof & (namco | @JAPAN)"), std::string("year<1985 | 'Man'")}) {
            ASSERT_EQ(RunOn(master, {"find", expression}), 0) << err_;
            const std::vector<std::string> found = Names();
            const std::set<std::string> matched(found.begin(), found.end());
            for (const std::string& game : games) {
                if (std::count(games.begin(), games.end(), game) > 1) continue;  // explain takes the first
                ASSERT_EQ(RunOn(master, {"explain", game, expression}), 0) << fixture << " " << game << err_;
                EXPECT_EQ(LastLine(), matched.count(game) == 1 ? "verdict: match" : "verdict: no match")
                    << fixture << " " << game << ": " << expression;
            }
        }
    }
}

TEST_F(FamilyCliTest, ExplainDefaultsAndErrors) {
    // No expression and nothing in the settings: the start-up criteria, with a note.
    ASSERT_EQ(RunOn(master_, {"explain", "pacmanf"}), 0) << err_;
    EXPECT_EQ(LastLine(), "verdict: no match");
    EXPECT_NE(err_.find("note: The settings hold no \"-find:\" text"), std::string::npos) << err_;
    Settings settings;
    settings.findText = "  @JAPAN ";
    ASSERT_TRUE(settings.Save());
    ASSERT_EQ(RunOn(master_, {"explain", "puckman"}), 0) << err_;
    EXPECT_NE(out_.find("\ntyped:   @JAPAN \nexpression: ("), std::string::npos) << out_;
    EXPECT_EQ(LastLine(), "verdict: match");
    EXPECT_EQ(err_, "");

    EXPECT_EQ(RunOn(master_, {"explain", "nosuch", "namco"}), 1);
    EXPECT_EQ(err_, "error: No game named \"nosuch\" in the input file.\n");
    EXPECT_EQ(out_, "");
    // An expression error as find says it, before the file is read.
    ASSERT_EQ(RunOn(master_, {"find", "(namco"}), 2);
    const std::string findError = err_;
    EXPECT_EQ(RunOn("/nonexistent.xml", {"explain", "nosuch", "(namco"}), 2);
    EXPECT_EQ(err_, findError);
    EXPECT_EQ(RunOn(master_, {"explain"}), 2);
    EXPECT_EQ(RunOn(master_, {"explain", "a", "b", "c"}), 2);
    EXPECT_EQ(RunOn(master_, {"explain", "--", "-x", "-cloneof"}), 1);  // after "--", names and texts
    EXPECT_EQ(err_, "error: No game named \"-x\" in the input file.\n");
    ASSERT_EQ(RunOn(master_, {"explain", "galaga", "--", "-cloneof"}), 0) << err_;
    EXPECT_EQ(LastLine(), "verdict: match");
    const std::string dashFirst = out_;
    ASSERT_EQ(RunOn(master_, {"explain", "--", "galaga", "-cloneof"}), 0) << err_;
    EXPECT_EQ(out_, dashFirst);
}

// With one game per family in the settings, find --count counts the games kept, and explain says
// what find lists: a match its family leaves out is no match, with the game kept and the rule.
TEST_F(FamilyCliTest, OnePerFamilyFromTheSettingsCountsAndExplainsTheGamesKept) {
    Settings settings;
    settings.onePerFamily = true;
    ASSERT_TRUE(settings.Save());
    const std::string expression = "namco | pac";
    ASSERT_EQ(RunOn(master_, {"find", expression}), 0) << err_;
    const std::vector<std::string> kept = Names();
    ASSERT_EQ(RunOn(master_, {"find", "--count", expression}), 0) << err_;
    EXPECT_EQ(out_, std::to_string(kept.size()) + "\n");
    ASSERT_EQ(RunOn(master_, {"find", "--count", "--no-one-per-family", expression}), 0) << err_;
    EXPECT_EQ(out_, "4\n");
    EXPECT_EQ(RunOn(master_, {"find", "--count", expression, "--left-out", files_.File("left.csv")}), 0);
    EXPECT_EQ(out_, std::to_string(kept.size()) + "\n");

    ASSERT_EQ(RunOn(master_, {"list-all"}), 0);
    for (const std::string& game : Names()) {
        ASSERT_EQ(RunOn(master_, {"explain", game, expression}), 0) << game << err_;
        const bool listed = std::count(kept.begin(), kept.end(), game) == 1;
        EXPECT_EQ(LastLine(), listed ? "verdict: match" : "verdict: no match") << game;
    }
    ASSERT_EQ(RunOn(master_, {"explain", "pacman", expression}), 0);
    EXPECT_NE(
        out_.find("family puckman, 3 matching games: puckman (Puck Man (Japan set 1)) kept\n"
                  "  pacman (Pac-Man (Midway)) lost on region: japan before no listed region   <- decides\n"),
        std::string::npos)
        << out_;
    ASSERT_EQ(RunOn(master_, {"explain", "--no-one-per-family", "pacman", expression}), 0);
    EXPECT_EQ(LastLine(), "verdict: match");
    EXPECT_EQ(out_.find("family"), std::string::npos);
}

TEST_F(FamilyCliTest, OnePerFamilyLogAndLeftOutReport) {
    const std::string log = files_.File("family.csv"), text = files_.File("family.txt"),
                      left = files_.File("left.csv");
    ASSERT_EQ(
        RunOn(master_, {"find", "--one-per-family", "namco | pac", "--family-log", log, "--left-out", left}),
        0)
        << err_;
    EXPECT_EQ(Names(), (std::vector<std::string>{"puckman", "galaga"}));
    EXPECT_EQ(err_, "note: One game per family: 2 of 4 games kept, one of each of 2 families.\n2 ROMs\n");
    EXPECT_EQ(test::ReadFileBytes(log),
              "family,kept,left out,rule,reason\n"
              "puckman,puckman,pacman,region,japan before no listed region\n"
              "puckman,puckman,pacmanf,status,good before preliminary\n");
    EXPECT_EQ(
        test::ReadFileBytes(left),
        "ROM name,description,excluded by\n"
        "pacman,Pac-Man (Midway),one game per family: puckman kept (region: japan before no listed region)\n"
        "pacmanf,\"Pac-Man (Midway, with speedup hack)\",one game per family: puckman kept (status: good "
        "before preliminary)\n"
        "bios1,Some & BIOS <unknown>,namco | pac\n"
        "onel,\"One \"\"Line\"\" Game [hack]\",namco | pac\n");

    // The settings' default, their lists, and the options over them.
    Settings settings;
    settings.onePerFamily = true;
    settings.familyRegions = "usa";
    settings.familyRules = "region,parent";
    ASSERT_TRUE(settings.Save());
    ASSERT_EQ(RunOn(master_, {"list-all", "--family-log", text}), 0) << err_;
    EXPECT_EQ(Names(), (std::vector<std::string>{"puckman", "bios1", "onel", "galaga"}));
    EXPECT_EQ(test::ReadFileBytes(text),
              "One game per family: 6 games in 4 families, 4 kept, 2 left out.\n"
              "Rules: region,parent,name; regions: usa\n"
              "\n"
              "puckman: kept puckman (Puck Man (Japan set 1))\n"
              "  pacman (Pac-Man (Midway)) lost on parent: the parent before a clone\n"
              "  pacmanf (Pac-Man (Midway, with speedup hack)) lost on parent: the parent before a clone\n");
    ASSERT_EQ(RunOn(master_, {"list-all", "--family-rules", "name"}), 0) << err_;
    EXPECT_EQ(Names(), (std::vector<std::string>{"pacman", "bios1", "onel", "galaga"}));
    ASSERT_EQ(RunOn(master_, {"list-all", "--no-one-per-family"}), 0);
    EXPECT_EQ(Names().size(), 6u);
    settings.familyRules = "colour";
    ASSERT_TRUE(settings.Save());
    ASSERT_EQ(RunOn(master_, {"list-all"}), 0);
    EXPECT_TRUE(
        err_.starts_with("warning: The settings' familyRules is not used: unknown family rule colour"))
        << err_;
}

TEST_F(FamilyCliTest, BadOptionsAreUsageErrorsAndUnwritableReportsFailures) {
    struct Case {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{"list-all", "--one-per-family", "--regions", ""}, "the region list is empty"},
        {{"list-all", "--one-per-family", "--family-rules", "status,age"},
         "unknown family rule age (the rules are status, region, parent, release, name)"},
        {{"find", "namco", "--regions", "usa"},
         "--family-rules, --regions and --family-log go with --one-per-family"},
        {{"list-all", "--left-out", "x.csv"},
         "unknown option --left-out for list-all\nusage: vantor-cli list-all [FAMILY OPTIONS]"},
        {{"find", "namco", "--left-out"}, "option --left-out needs a value"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunOn(master_, c.args), 2) << c.error;
        EXPECT_EQ(err_, "error: " + std::string(c.error) + "\n(see vantor-cli --help)\n");
        EXPECT_EQ(out_, "");
    }
    // A report that cannot be written stops the command before the list is printed.
    EXPECT_EQ(RunOn(master_, {"find", "namco", "--left-out", files_.File("no/such/folder/left.csv")}), 1);
    EXPECT_EQ(out_, "");
    EXPECT_NE(err_.find("error: Cannot write the left-out report"), std::string::npos) << err_;
}

}  // namespace
}  // namespace vantor
