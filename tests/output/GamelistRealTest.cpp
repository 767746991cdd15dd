// gamelist.xml of every game of the real MAME listing: XML, read back as the same games in the
// same order, and an update of it by the same list changes nothing.
#include <gtest/gtest.h>

#include "OutputTestSupport.h"
#include "output/GamelistXml.h"
#include "search/SearchDriver.h"

namespace vantor {
namespace {

TEST(GamelistRealTest, EveryGameSavedReadBackAndUpdatedUnchanged) {
    const std::string path = test::RealListXmlPath();
    if (path.empty()) GTEST_SKIP() << "no real listing";
    Catalog master;
    test::OpenMaster(master, path);
    const std::vector<MatchEntry> entries = ScanForMatches(master, kListAllExpression);
    ASSERT_GT(entries.size(), 10000u);
    SaveRequest request{ListFormat::EsDe, {}, {}, true};
    for (const MatchEntry& entry : entries) request.keys.push_back(ParseRecordKey(entry.key));

    test::TempDir dir;
    for (ListFormat format : {ListFormat::EsDe, ListFormat::EsBatocera}) {
        SCOPED_TRACE(FormatInfo(format).cliName);
        request.format = format;
        request.options = {};
        if (format == ListFormat::EsBatocera) request.options.Set(ListOption::Media);
        FileSink file(dir.File(std::string("gamelist.") + FormatInfo(format).cliName));
        ASSERT_TRUE(SaveList(master, request, file).Done());
        EXPECT_EQ(test::XmlProblems(file.Path()), "");
        const std::string saved = test::ReadFileBytes(file.Path());

        // The ROM names in the order the lines of a ROM-name list have.
        SaveRequest names = request;
        names.format = ListFormat::RomNames;
        std::string expected = test::SavedText(master, names), readBack;
        std::string problem;
        for (const std::string& name : GamelistRomNames(saved, problem)) readBack += name + "\r\n";
        EXPECT_EQ(problem, "");
        EXPECT_TRUE(readBack == expected) << readBack.size() << " bytes against " << expected.size();

        const Outcome<SavedGames> again = SaveList(master, request, file);
        ASSERT_TRUE(again.Done()) << test::FirstMessage(again);
        EXPECT_EQ(again.value.games, static_cast<std::int64_t>(entries.size()));
        EXPECT_TRUE(test::ReadFileBytes(file.Path()) == saved);
    }
}

}  // namespace
}  // namespace vantor
