// The live count of the main window (records held in memory) against "Go!" (a scan of the file):
// the start-up criteria, every single change of a criterion from them, and generated expressions.
#include "search/ListingCache.h"

#include <gtest/gtest.h>

#include "CriteriaTexts.h"
#include "TestSupport.h"
#include "gamedata/TextUtil.h"
#include "search/CompiledExpression.h"
#include "search/CriteriaModel.h"
#include "search/InputCheck.h"
#include "search/SearchDriver.h"
#include "search/SearchText.h"

namespace vantor {
namespace {

std::string MacroFile() {
    return std::string(VANTOR_BIN_DIR) + "/vnmacros.txt";
}

void ExpectCountEqualsGo(const std::string& path, const std::vector<std::string>& extra = {}) {
    Catalog catalog;
    Outcome<InputCheck> check = OpenInputFile(catalog, path);
    ASSERT_TRUE(check.Done()) << path;
    auto cache = ListingCache::Build(catalog);
    std::vector<std::string> texts = test::CriteriaTexts(check);
    texts.insert(texts.end(), extra.begin(), extra.end());
    for (const std::string& text : texts) {
        std::string expression;
        try {
            expression = PrepareSearchText(text, MacroFile());
        } catch (const EngineError&) {
            continue;  // a generated text with a mistake in it: neither window answer runs
        }
        std::vector<std::int64_t> scanned;
        for (const MatchEntry& entry : ScanForMatches(catalog, expression))
            scanned.push_back(ParseRecordKey(entry.key));
        CompiledExpression compiled(expression);
        for (unsigned threads : {1u, 3u}) {
            ASSERT_EQ(cache->MatchingPositions(compiled, nullptr, threads), scanned) << path << ": " << text;
            ASSERT_EQ(cache->CountMatches(compiled, nullptr, threads),
                      static_cast<std::int64_t>(scanned.size()));
        }
    }
}

TEST(ListingCacheTest, CountEqualsGoOnTheFixtures) {
    const std::vector<std::string> generated = test::GeneratedExpressions(14, 300);
    for (const std::string& fixture : test::ListingFixtures())
        ExpectCountEqualsGo(test::FixturePath(fixture), generated);
}

TEST(ListingCacheTest, CancelledCountStops) {
    struct StopAtOnce : ProgressSink {
        void Progress(std::int64_t, std::int64_t) override {}
        bool CancelRequested() const override { return true; }
    } stop;
    Catalog catalog;
    ASSERT_TRUE(OpenInputFile(catalog, test::FixturePath("app/games.xml")).Done());
    EXPECT_THROW((void)ListingCache::Build(catalog, &stop), EngineError);
    auto cache = ListingCache::Build(catalog);
    try {
        (void)cache->CountMatches(CompiledExpression("="), &stop);
        ADD_FAILURE() << "not cancelled";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Kind(), ErrorKind::Cancelled);
    }
}

}  // namespace
}  // namespace vantor
