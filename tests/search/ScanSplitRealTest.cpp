// MAME's own listing read in one part and in several gives the same games, in the same order.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "gamedata/RecordFields.h"
#include "gamedata/TagTable.h"
#include "search/SearchDriver.h"

namespace vantor {
namespace {

TEST(ScanSplitRealTest, TheRealListingInOneAndInSeveralParts) {
    std::string listing = test::RealListXmlPath();
    if (listing.empty()) GTEST_SKIP() << "the real MAME listing has not been generated";
    MasterFile file;
    ASSERT_TRUE(OpenInputFile(file, listing).opened);
    RecordFields vn;
    vn.expression = "=";
    ScanForMatches(vn, file, nullptr, nullptr, ScanSplit{1, INT64_MAX});
    const std::string whole = vn.listText;
    EXPECT_GT(vn.listCount, 30000);
    for (unsigned threads : {2u, 3u}) {
        ScanForMatches(vn, file, nullptr, nullptr, ScanSplit{threads, 0});
        EXPECT_TRUE(vn.listText == whole) << threads << " parts";
    }
}

}  // namespace
}  // namespace vantor
