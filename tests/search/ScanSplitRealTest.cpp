// MAME's own listing read in one part and in several gives the same games, in the same order.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "gamedata/TagTable.h"
#include "search/InputCheck.h"
#include "search/SearchDriver.h"

namespace vantor {
namespace {

TEST(ScanSplitRealTest, TheRealListingInOneAndInSeveralParts) {
    std::string listing = test::RealListXmlPath();
    if (listing.empty()) GTEST_SKIP() << "the real MAME listing has not been generated";
    Catalog catalog;
    ASSERT_TRUE(OpenInputFile(catalog, listing).Done());
    auto keys = [&](unsigned threads) {
        std::string text;
        for (const MatchEntry& e :
             ScanForMatches(catalog, "=", nullptr, ScanSplit{threads, threads == 1 ? INT64_MAX : 0}))
            text += e.key + e.romName + e.description + e.year + e.manufacturer + "\n";
        return text;
    };
    const std::string whole = keys(1);
    EXPECT_GT(whole.size(), 1000000u);
    for (unsigned threads : {2u, 3u}) EXPECT_TRUE(keys(threads) == whole) << threads << " parts";
}

}  // namespace
}  // namespace vantor
