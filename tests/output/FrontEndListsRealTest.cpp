// Every game of the real MAME listing as a RetroArch playlist, a Pegasus metadata file and an
// Attract-Mode Plus romlist, each read by its independent reader: all games, in order, nothing
// the front end would reject. Then the real listing merged with the real catver.ini, split into
// category lists for every front end, each folder loaded as its front end loads it.
#include <gtest/gtest.h>

#include <iostream>

#include "FrontEndListReaders.h"
#include "OutputTestSupport.h"
#include "output/GamelistXml.h"
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
        EXPECT_TRUE(SaveList(master, request, file).Done());
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

// The real listing merged with the real data files (the test RealMergedListing makes it).
class CategoryListsRealTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string merged = test::RealMergedPath();
        if (merged.empty()) GTEST_SKIP() << "no merged real listing";
        test::OpenMaster(master_, merged);
        ASSERT_EQ(master_.inputType, MergedList);
        for (const MatchEntry& entry : ScanForMatches(master_, kListAllExpression))
            request_.keys.push_back(ParseRecordKey(entry.key));
        request_.options.Set(ListOption::SplitByCategory);
        // The categories as the romlist says them, read by Attract-Mode's rules.
        request_.format = ListFormat::AttractModePlus;
        for (const std::vector<std::string>& row : test::ReadRomlist(test::SavedText(master_, request_)))
            categories_[row[0]] = row[6];
        ASSERT_EQ(categories_.size(), request_.keys.size());
    }
    void Save(ListFormat format, const std::string& path) {
        request_.format = format;
        FileSink file(path);
        const Outcome<SavedGames> outcome = SaveList(master_, request_, file);
        ASSERT_TRUE(outcome.Done()) << test::FirstMessage(outcome);
    }
    static void Report(const char* what, std::size_t games, std::size_t lists, std::size_t warnings) {
        std::cout << what << ": " << games << " games loaded, " << lists << " category lists accepted, "
                  << warnings << " warnings\n";
    }

    Catalog master_;
    SaveRequest request_;
    std::map<std::string, std::string> categories_;  // ROM name -> category
    test::TempDir dir_;
};

TEST_F(CategoryListsRealTest, PegasusLoadsEveryGameOnceInItsCollections) {
    Save(ListFormat::Pegasus, dir_.File("metadata.pegasus.txt"));
    const test::PegasusFolder loaded = test::ReadPegasusFolder(dir_.Path());
    Report("pegasus", loaded.games.size(), loaded.collections.size() - 1, loaded.warnings.size());
    EXPECT_TRUE(loaded.warnings.empty()) << loaded.warnings.size() << ", first: " << loaded.warnings.front();
    EXPECT_EQ(loaded.games.size(), categories_.size());
    EXPECT_EQ(loaded.emptyCollections, 0u);
    ASSERT_EQ(loaded.collections.count("MAME"), 1u);
    EXPECT_EQ(loaded.collections.at("MAME").size(), categories_.size());
    std::map<std::string, std::vector<std::string>> lists;
    for (const auto& [collection, files] : loaded.collections) {
        if (collection == "MAME") continue;
        for (const std::string& file : files) lists[collection].push_back(RomNameOfPath(file));
    }
    EXPECT_EQ(test::PartitionProblems(lists, categories_), "");
    // Whatever order the folder is read in.
    const test::PegasusFolder reversed = test::ReadPegasusFolder(dir_.Path(), true);
    EXPECT_TRUE(reversed.collections == loaded.collections && reversed.games == loaded.games);
}

TEST_F(CategoryListsRealTest, EmulationStationTakesEveryCollection) {
    for (ListFormat format : {ListFormat::EsDe, ListFormat::EsBatocera}) {
        SCOPED_TRACE(FormatInfo(format).cliName);
        test::TempDir dir;
        Save(format, dir.File("gamelist.xml"));
        // ./pacman.zip of the system's folder, and %ROMPATH% for ES-DE, the folder for Batocera.
        const std::string romPath = format == ListFormat::EsDe ? "/roms" : "";
        const std::string systemFolder = format == ListFormat::EsDe ? "/roms/mame/" : "/userdata/roms/mame/";
        std::string problem;
        std::set<std::string> paths;
        const std::vector<std::string> games =
            GamelistRomNames(test::ReadFileBytes(dir.File("gamelist.xml")), problem);
        for (const std::string& game : games) paths.insert(systemFolder + game + ".zip");
        ASSERT_EQ(problem, "");
        const test::EsCollections read = test::ReadEsCollections(dir.Path(), romPath, paths);
        Report(FormatInfo(format).cliName, games.size(), read.accepted.size(), read.warnings.size());
        EXPECT_EQ(games.size(), categories_.size());
        EXPECT_EQ(read.skipped, 0u);
        EXPECT_TRUE(read.warnings.empty()) << read.warnings.size() << ", first: " << read.warnings.front();
        std::map<std::string, std::vector<std::string>> lists;
        for (const auto& [name, collection] : read.accepted) {
            for (const std::string& path : collection) lists[name].push_back(RomNameOfPath(path));
        }
        EXPECT_EQ(test::PartitionProblems(lists, categories_), "");
    }
}

TEST_F(CategoryListsRealTest, RetroArchReadsEveryPlaylist) {
    Save(ListFormat::RetroArch, dir_.File("MAME.lpl"));
    std::map<std::string, std::vector<std::string>> lists = test::PlaylistsAsPythonReadsThem(dir_.Path());
    ASSERT_EQ(lists.count("MAME.lpl"), 1u);
    const std::size_t games = lists["MAME.lpl"].size();
    lists.erase("MAME.lpl");
    std::size_t invalid = 0;
    for (const auto& [name, stems] : lists) {
        if (stems.size() == 1 && stems.front().starts_with("<invalid")) ++invalid;
    }
    Report("retroarch", games, lists.size() - invalid, invalid);
    EXPECT_EQ(games, categories_.size());
    EXPECT_EQ(invalid, 0u);
    EXPECT_EQ(test::PartitionProblems(lists, categories_), "");
}

TEST_F(CategoryListsRealTest, AttractModeReadsEveryTagAsOneTag) {
    Save(ListFormat::AttractModePlus, dir_.File("mame.txt"));
    std::set<std::string> names;
    for (const std::vector<std::string>& row : test::ReadRomlist(test::ReadFileBytes(dir_.File("mame.txt"))))
        names.insert(row[0]);
    const test::AttractModeTags read = test::ReadAttractModeTags(dir_.File("mame"), names);
    Report("attractmode-plus", names.size(), read.tags.size(), read.warnings.size());
    EXPECT_EQ(names.size(), categories_.size());
    EXPECT_TRUE(read.warnings.empty()) << read.warnings.size() << ", first: " << read.warnings.front();
    EXPECT_EQ(test::PartitionProblems(read.tags, categories_), "");
}

}  // namespace
}  // namespace vantor
