// "Why is this game (not) in my list?": the explanation's verdict against the scan and the rewriting
// algorithm on every game of every fixture, the tree it draws, and the clause a left-out report names.
#include "search/Explanation.h"

#include <gtest/gtest.h>

#include <set>

#include "CriteriaTexts.h"
#include "TestSupport.h"
#include "gamedata/TextUtil.h"
#include "search/CompiledExpression.h"
#include "search/GameSelection.h"
#include "search/InputCheck.h"
#include "search/LiteralEvaluator.h"
#include "search/RecordScan.h"
#include "search/SearchDriver.h"
#include "search/SearchText.h"

namespace vantor {
namespace {

struct ScannedRecord {
    std::int64_t position;
    std::string text;
};

// Every record as the scans read it.
std::vector<ScannedRecord> EveryRecord(const Catalog& catalog) {
    return ScanRecords<ScannedRecord>(catalog, nullptr, {}, [] {
        return [](std::int64_t position, const std::string& record, std::vector<ScannedRecord>& out) {
            out.push_back({position, record});
        };
    });
}

TEST(ExplanationTest, VerdictIsTheSearchsOnEveryGameOfEveryFixture) {
    const std::vector<std::string> generated = test::GeneratedExpressions(21, 150);
    const std::string macros = std::string(VANTOR_BIN_DIR) + "/vnmacros.txt";
    for (const std::string& fixture : test::ListingFixtures()) {
        Catalog catalog;
        Outcome<InputCheck> check = OpenInputFile(catalog, test::FixturePath(fixture));
        ASSERT_TRUE(check.Done()) << fixture;
        const std::vector<ScannedRecord> records = EveryRecord(catalog);
        std::vector<std::string> texts = test::CriteriaTexts(check);
        texts.insert(texts.end(), generated.begin(), generated.end());
        for (const std::string& text : texts) {
            std::string expression;
            try {
                expression = PrepareSearchText(text, macros);
            } catch (const EngineError&) {
                continue;  // a text with a mistake: find searches nothing either
            }
            std::set<std::string> found;
            for (const MatchEntry& entry : ScanForMatches(catalog, expression)) found.insert(entry.key);
            SelectionRequest request;
            request.expression = expression;
            request.leftOut = true;
            const Selection selection = SelectGames(catalog, request);
            ASSERT_EQ(selection.matches.size(), found.size()) << fixture << ": " << text;
            ASSERT_EQ(selection.matches.size() + selection.leftOut.size(), records.size());
            std::size_t nextLeftOut = 0;
            const CompiledExpression compiled(expression);
            for (const ScannedRecord& record : records) {
                const std::string key = FormatRecordKey(record.position);
                const bool matches = ExplainRecord(compiled, record.text).matches;
                ASSERT_EQ(matches, found.count(key) == 1) << fixture << ": " << text << " on " << key;
                ASSERT_EQ(matches, LiteralMatches(record.text, expression)) << fixture << ": " << text;
                if (matches) continue;
                // The report holds every other game, in file order, each with what excluded it.
                ASSERT_LT(nextLeftOut, selection.leftOut.size());
                EXPECT_EQ(selection.leftOut[nextLeftOut].key, key);
                EXPECT_FALSE(selection.leftOut[nextLeftOut++].excludedBy.empty()) << text << " on " << key;
            }
        }
    }
}

const std::string kPacman =
    "<machine name=\"pacman\" cloneof=\"puckman\">\n<description>Pac-Man (Midway)</description>\n"
    "<manufacturer>Namco</manufacturer>\n<control type=\"joy\" ways=\"4\"/>\n</machine>\n";

TEST(ExplanationTest, TreeShowsEveryValueAndWhatDecided) {
    struct Case {
        const char* expression;
        const char* tree;
    } cases[] = {
        {"ways=4 & !cloneof & !(dial | namco)",
         "no   all of\n"
         "yes    ways=4\n"
         "no     !cloneof   <- decides\n"
         "no     not any of\n"
         "no       dial\n"
         "yes      namco\n"},
        {"dial | ways=4 & 'Midway' | (pac man)",
         "yes  any of\n"
         "no     dial\n"
         "yes    all of   <- decides\n"
         "yes      ways=4\n"
         "yes      'Midway'\n"
         "no     (pac man)   one term: without & or |, spaces are part of it\n"},
        {"dial | x & namco",
         "no   any of\n"
         "no     dial   <- decides\n"
         "no     all of\n"
         "no       x   <- decides\n"
         "yes      namco\n"},
        {"pac man", "no   pac man   one term: without & or |, spaces are part of it   <- decides\n"},
        // A group inside a longer term is tested as the text standing for its truth.
        {"namco&x(pac)",
         "no   namco&x(...)   <- decides\n"
         "yes    (pac)\n"},
    };
    for (const Case& c : cases) {
        RecordExplanation explanation = ExplainRecord(CompiledExpression(c.expression), kPacman);
        EXPECT_EQ(explanation.tree, c.tree) << c.expression;
        EXPECT_EQ(explanation.matches, LiteralMatches(kPacman, c.expression)) << c.expression;
    }
}

TEST(ExplanationTest, LiteralRewritingAndDeepNestingStillExplain) {
    // Phrases that overlap leave the expression to the rewriting algorithm: one term, with a note.
    RecordExplanation literal = ExplainRecord(CompiledExpression("'Pac'Pac'Pac' | namco"), kPacman);
    EXPECT_TRUE(literal.tree.starts_with("yes  'Pac'Pac'Pac' | namco   <- decides\n")) << literal.tree;
    EXPECT_NE(literal.tree.find("no values of their own"), std::string::npos);

    // Nesting deeper than the stack could recurse is drawn, its depth written out.
    const std::string deep = std::string(20000, '(') + "namco" + std::string(20000, ')') + " & !dial";
    RecordExplanation nested = ExplainRecord(CompiledExpression(deep), kPacman);
    EXPECT_TRUE(nested.matches);
    EXPECT_NE(nested.tree.find("[depth 20000] (namco)\n"), std::string::npos);
    EXPECT_LT(nested.tree.size(), 20000u * 200);
}

TEST(ExplanationTest, ExcludedByIsTheFirstFailingTermOfEachAlternative) {
    PreparedRecord record(kPacman);
    struct Case {
        const char* expression;
        std::vector<std::string_view> excluded;
    } cases[] = {
        {"ways=4 & !cloneof & dial", {"!cloneof"}},
        {"dial | ways=8 & x", {"dial", "ways=8"}},
        {"(dial | x) & namco", {"(dial | x)"}},
        {"pac man", {"pac man"}},
        {"ways=4 & (namco | x)", {}},
        {"'Pac'Pac'Pac' & dial", {"'Pac'Pac'Pac' & dial"}},
    };
    std::vector<std::string_view> excluded;
    for (const Case& c : cases) {
        CompiledExpression expression(c.expression);
        EXPECT_EQ(expression.Matches(record, excluded), c.excluded.empty()) << c.expression;
        EXPECT_EQ(excluded, c.excluded) << c.expression;
    }
}

TEST(ExplanationTest, ExplainGameReadsTheRecordTheScanReads) {
    Catalog catalog;
    ASSERT_TRUE(OpenInputFile(catalog, test::FixturePath("gamedata/machines.xml")).Done());
    const std::vector<MatchEntry> all = ScanForMatches(catalog, kListAllExpression);
    for (const MatchEntry& entry : all) {
        GameExplanation game = ExplainGame(catalog, entry.romName, {"namco", "namco"});
        EXPECT_EQ(game.key.Text(), entry.key);
        EXPECT_TRUE(game.text.starts_with("game: " + entry.romName + " (" + entry.description + "), record " +
                                          entry.key + "\nexpression: namco\n\n"))
            << game.text;
        EXPECT_TRUE(game.text.ends_with(game.matches ? "\nverdict: match\n" : "\nverdict: no match\n"));
        EXPECT_EQ(ExplainGameAt(catalog, *RecordKey::Parse(entry.key), {"namco", "namco"}).text, game.text);
    }
    EXPECT_THROW((void)ExplainGameAt(catalog, RecordKey{3}, {"namco"}), EngineError);
    try {
        (void)ExplainGame(catalog, "nosuchgame", {"namco"});
        ADD_FAILURE() << "an unknown game was explained";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Kind(), ErrorKind::Failure);
        EXPECT_EQ(error.Text(), "No game named \"nosuchgame\" in the input file.");
    }
    // A record cut short by the end of the file is in no list; it is not explained either.
    test::TempDir dir;
    std::string text = test::ReadFileBytes(test::FixturePath("gamedata/machines.xml"));
    Catalog cut;
    ASSERT_TRUE(
        OpenInputFile(cut, dir.Write("cut.xml", text.substr(0, text.find("</machine>", text.find("galaga")))))
            .Done());
    EXPECT_THROW((void)ExplainGame(cut, "galaga", {"namco"}), EngineError);
    EXPECT_NO_THROW((void)ExplainGame(cut, "puckman", {"namco"}));
    // Line breaks in what the header shows stay inside their line.
    Catalog broken;
    ASSERT_TRUE(
        OpenInputFile(broken, dir.Write("two.xml",
                                        "<mame (machine+)>\n<machine name=\"two\">\n<description>Two\r\n"
                                        "Lines</description>\n</machine>\n"))
            .Done());
    EXPECT_TRUE(
        ExplainGame(broken, "two", {"a\nb", "a\nb"})
            .text.starts_with("game: two (Two  Lines), record 0x11\nexpression: a b\n\nno   a b   one term"));
}

}  // namespace
}  // namespace vantor
