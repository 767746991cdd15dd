// Every game of the real MAME listing saved in each format that names its games and read back:
// the same games in the same order.
#include "UtilityTestHelpers.h"
#include "gamedata/TextUtil.h"
#include "output/SaveList.h"
#include "search/SearchDriver.h"
#include "utilities/ListLoader.h"

namespace vantor::test {
namespace {

TEST(ListLoaderRealTest, EveryFormatThatNamesGamesReadsBackTheWholeListing) {
    const std::string path = RealListXmlPath();
    if (path.empty()) GTEST_SKIP() << "no real listing";
    Catalog master;
    ASSERT_TRUE(OpenUtilityInput(master, path));
    const std::vector<MatchEntry> entries = ScanForMatches(master, kListAllExpression);
    ASSERT_GT(entries.size(), 10000u);
    SaveRequest request;
    std::vector<std::string> names;
    for (const MatchEntry& entry : entries) {
        request.keys.push_back(ParseRecordKey(entry.key));
        names.push_back(entry.romName);
    }

    TempDir dir;
    for (const ListFormatInfo& info : ListFormatTable()) {
        if (!info.namesGames) continue;
        const ListFormat format = info.format;
        SCOPED_TRACE(info.cliName);
        request.format = format;
        request.options = {};
        for (const FormatOption& option : info.options) {
            if (option.required)
                request.options.Set(option.option, option.option == ListOption::Columns
                                                       ? "description,rom-name,year"
                                                       : "/roms");
        }
        FileSink file(dir.File(std::string("list.") + FormatInfo(format).cliName));
        const Outcome<SavedGames> saved = SaveList(master, request, file);
        ASSERT_TRUE(saved.Done()) << FirstMessage(saved);
        const ListRomNames read = ReadListRomNames(ReadFileBytes(file.Path()));
        EXPECT_EQ(read.problem, "");
        EXPECT_EQ(read.names.size(), names.size());
        EXPECT_TRUE(read.names == names);
        if (format == ListFormat::RetroArch) {  // and the whole way, matched with the master file
            const Outcome<LoadedList> loaded = LoadList(master, {file.Path(), dir.Path()});
            EXPECT_EQ(loaded.kind, OutcomeKind::Done);
            EXPECT_EQ(loaded.value.entries.size(), entries.size());
            EXPECT_TRUE(loaded.value.missing.empty());
        }
    }
}

}  // namespace
}  // namespace vantor::test
