// The live count against "Go!" on MAME's own listing: the start-up criteria and each single change
// of a criterion from them.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "search/CompiledExpression.h"
#include "search/CriteriaModel.h"
#include "search/InputCheck.h"
#include "search/ListingCache.h"
#include "search/SearchDriver.h"
#include "search/SearchText.h"

namespace vantor {
namespace {

TEST(ListingCacheRealTest, CountEqualsGoForTheStartUpCriteriaAndEachChange) {
    std::string listing = test::RealListXmlPath();
    if (listing.empty()) GTEST_SKIP() << "the real MAME listing has not been generated";
    Catalog catalog;
    Outcome<InputCheck> check = OpenInputFile(catalog, listing);
    ASSERT_TRUE(check.Done());
    auto cache = ListingCache::Build(catalog);
    CriteriaModel model;
    model.ApplyInputCheck(check);
    std::vector<std::string> texts;
    model.ApplyInitialState();
    texts.push_back(model.FindText());
    for (const CriterionInfo& info : CriteriaControls()) {
        model.ApplyInitialState();
        bool changed =
            info.kind == CriterionKind::Combo ? model.SetComboIndex(info.key, 1) : model.Click(info.key);
        if (changed && info.group != CriteriaGroup::Categories && info.group != CriteriaGroup::Players) {
            texts.push_back(model.FindText());
        }
    }
    for (const std::string& text : texts) {
        std::string expression = PrepareSearchText(text, std::string(VANTOR_BIN_DIR) + "/vnmacros.txt");
        std::size_t scanned = ScanForMatches(catalog, expression).size();
        EXPECT_EQ(cache->CountMatches(CompiledExpression(expression)), static_cast<std::int64_t>(scanned))
            << text;
    }
}

}  // namespace
}  // namespace vantor
