// Every game of the real MAME listing as a RetroArch playlist, a Pegasus metadata file and an
// Attract-Mode Plus romlist, each read by its independent reader: all games, in order, nothing
// the front end would reject.
#include <gtest/gtest.h>

#include "FrontEndListReaders.h"
#include "OutputTestSupport.h"
#include "search/SearchDriver.h"

namespace vantor {
namespace {

TEST(FrontEndListsRealTest, WholeListingReadsBackInEachFrontEndsRules) {
    const std::string path = test::RealListXmlPath();
    if (path.empty()) GTEST_SKIP() << "no real listing";
    Catalog master;
    test::OpenMaster(master, path);
    const std::vector<MatchEntry> entries = ScanForMatches(master, kListAllExpression);
    ASSERT_GT(entries.size(), 10000u);
    SaveRequest request;
    for (const MatchEntry& entry : entries) request.keys.push_back(ParseRecordKey(entry.key));
    test::TempDir dir;
    auto save = [&](ListFormat format, const std::string& name) {
        request.format = format;
        FileSink file(dir.File(name));
        EXPECT_TRUE(SaveList(master, request, file).Written());
        return file.Path();
    };

    const std::string playlist = test::PlaylistAsPythonReadsIt(save(ListFormat::RetroArch, "MAME.lpl"));
    ASSERT_TRUE(playlist.starts_with(test::kTopKeys)) << playlist.substr(0, 300);
    const std::string itemStart = std::string(test::kItemKeys) + "\t";
    std::size_t items = 0;
    for (std::size_t at = playlist.find('\n'); at + 1 < playlist.size(); at = playlist.find('\n', at + 1)) {
        ++items;
        ASSERT_TRUE(playlist.compare(at + 1, itemStart.size(), itemStart) == 0)
            << playlist.substr(at + 1, 200);
    }
    EXPECT_EQ(items, entries.size());

    std::vector<std::string> errors;
    const std::vector<test::PegasusEntry> games =
        test::ReadPegasusFile(test::ReadFileBytes(save(ListFormat::Pegasus, "metadata.pegasus.txt")), errors);
    EXPECT_TRUE(errors.empty()) << errors.size() << " errors, first: " << errors.front();
    ASSERT_EQ(games.size(), entries.size() + 1);

    const std::vector<std::vector<std::string>> rows =
        test::ReadRomlist(test::ReadFileBytes(save(ListFormat::AttractModePlus, "mame.txt")));
    ASSERT_EQ(rows.size(), entries.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i][0], entries[i].romName);
        ASSERT_EQ(games[i + 1].Get("file"), entries[i].romName + ".zip");
        ASSERT_EQ(rows[i][2], "mame");
    }
}

}  // namespace
}  // namespace vantor
