// On MAME's own listing: the explanation's verdict on every game against "Go!" and the rewriting
// algorithm, and one game per family keeping exactly one game of each family.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "CriteriaTexts.h"
#include "TestSupport.h"
#include "gamedata/TextUtil.h"
#include "search/CompiledExpression.h"
#include "search/Explanation.h"
#include "search/GameSelection.h"
#include "search/InputCheck.h"
#include "search/LiteralEvaluator.h"
#include "search/RecordScan.h"
#include "search/SearchDriver.h"
#include "search/SearchText.h"

namespace vantor {
namespace {

std::string PreparedOrEmpty(const std::string& text) {
    try {
        return PrepareSearchText(text, std::string(VANTOR_BIN_DIR) + "/vnmacros.txt");
    } catch (const EngineError&) {
        return {};
    }
}

TEST(ExplanationRealTest, VerdictOnEveryGameIsTheSearchs) {
    std::string listing = test::RealListXmlPath();
    if (listing.empty()) GTEST_SKIP() << "the real MAME listing has not been generated";
    Catalog catalog;
    Outcome<InputCheck> check = OpenInputFile(catalog, listing);
    ASSERT_TRUE(check.Done());
    const std::vector<std::string> criteria = test::CriteriaTexts(check);
    std::vector<std::string> texts = {criteria.front(), criteria[criteria.size() / 3], criteria.back()};
    for (const std::string& text : test::GeneratedExpressions(5, 40)) {
        if (!PreparedOrEmpty(text).empty() && texts.size() < 10) texts.push_back(text);
    }
    for (const std::string& text : texts) {
        const std::string expression = PreparedOrEmpty(text);
        ASSERT_FALSE(expression.empty()) << text;
        const CompiledExpression compiled(expression);
        const bool literalToo = text == criteria.front();  // the slow reference, once
        struct Verdict {
            std::int64_t position;
            bool matches, literal;
            std::string name;
        };
        std::vector<Verdict> verdicts = ScanRecords<Verdict>(catalog, nullptr, {}, [&] {
            return [&](std::int64_t position, const std::string& record, std::vector<Verdict>& out) {
                out.push_back({position, ExplainRecord(compiled, record).matches,
                               literalToo ? LiteralMatches(record, expression) : false,
                               catalog.Fields().GetRomName(record)});
            };
        });
        std::set<std::int64_t> found;
        for (const MatchEntry& entry : ScanForMatches(catalog, expression))
            found.insert(ParseRecordKey(entry.key));
        ASSERT_GT(verdicts.size(), 30000u);
        std::size_t matched = 0;
        for (const Verdict& verdict : verdicts) {
            ASSERT_EQ(verdict.matches, found.count(verdict.position) == 1)
                << text << " at " << verdict.position;
            if (literalToo) {
                ASSERT_EQ(verdict.literal, verdict.matches) << verdict.position;
            }
            matched += verdict.matches;
        }
        EXPECT_EQ(matched, found.size()) << text;
        // Looked up by name, as explain does, games spread over the file are the records the scan read.
        for (std::size_t i = 0; literalToo && i < verdicts.size(); i += 997) {
            GameExplanation game = ExplainGame(catalog, verdicts[i].name, {expression});
            EXPECT_EQ(game.key.position, verdicts[i].position) << verdicts[i].name;
            EXPECT_EQ(game.matches, verdicts[i].matches) << verdicts[i].name;
        }
    }
}

TEST(ExplanationRealTest, OneGamePerFamilyKeepsOneOfEachFamily) {
    std::string listing = test::RealListXmlPath();
    if (listing.empty()) GTEST_SKIP() << "the real MAME listing has not been generated";
    Catalog catalog;
    Outcome<InputCheck> check = OpenInputFile(catalog, listing);
    ASSERT_TRUE(check.Done());
    for (const std::string& expression :
         {PreparedOrEmpty(test::CriteriaTexts(check).front()), std::string(kListAllExpression)}) {
        SelectionRequest request;
        request.expression = expression;
        request.onePerFamily = true;
        request.leftOut = true;
        const Selection selection = SelectGames(catalog, request);
        std::map<std::string, int> keptOfFamily;
        for (std::size_t i = 0; i < selection.candidates.size(); ++i)
            keptOfFamily.try_emplace(
                std::string(FamilyKey(selection.candidates[i], selection.candidateFacts[i])), 0);
        for (std::size_t index : selection.families.kept)
            ++keptOfFamily[std::string(
                FamilyKey(selection.candidates[index], selection.candidateFacts[index]))];
        for (const auto& [family, kept] : keptOfFamily) ASSERT_EQ(kept, 1) << family;
        EXPECT_EQ(selection.families.familyCount, keptOfFamily.size());
        EXPECT_EQ(selection.matches.size(), keptOfFamily.size());
        EXPECT_LT(selection.matches.size(), selection.candidates.size());
        // Every game is either kept or reported as left out, once.
        EXPECT_EQ(selection.matches.size() + selection.leftOut.size(), ScanForMatches(catalog, "=").size());
        // The facts read again by key, tags hidden, choose the same games.
        Catalog hidden;
        hidden.display.hideTags = true;
        ASSERT_TRUE(OpenInputFile(hidden, listing).Done());
        Selection again = KeepOnePerFamily(hidden, selection.candidates, request.family);
        EXPECT_TRUE(again.matches == selection.matches) << expression;
    }
}

}  // namespace
}  // namespace vantor
