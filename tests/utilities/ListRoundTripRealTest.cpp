// A MaLa list of real games, written by the list writer and read back by the converter.
#include "UtilityTestHelpers.h"
#include "gamedata/RecordFields.h"
#include "gamedata/TextUtil.h"
#include "output/SaveList.h"
#include "utilities/ListConverters.h"

namespace vantor::test {
namespace {

TEST(ListRoundTripRealTest, MalaListOfThreeHundredRealGames) {
    std::string listing = RealListXmlPath();
    if (listing.empty()) GTEST_SKIP() << "the real MAME listing has not been generated";
    Catalog master;
    ASSERT_TRUE(OpenUtilityInput(master, listing));
    // Every 97th game, whatever its texts hold.
    RecordReader reader = master.Reader();
    const RecordFields vn = master.Fields();
    std::string record;
    SaveRequest request{ListFormat::Mala, {}, {}};
    request.options.Set(ListOption::Title, "Real");
    std::vector<std::string> names;
    reader.Rewind(master.file);
    const std::string startTag = master.StartTag();
    for (int i = 0; names.size() < 300; ++i) {
        std::int64_t position = reader.ReadRecord(master.file, record, startTag, -1);
        ASSERT_NE(position, -1);
        if (i % 97 != 0) continue;
        names.push_back(vn.GetRomName(record));
        request.keys.push_back(position);
    }
    TempDir dir;
    FileSink file(dir.File("real.mlg"));
    ASSERT_TRUE(SaveList(master, request, file).Done());
    std::string bytes = ReadFileBytes(dir.File("real.mlg"));
    MalaList list = ReadMalaList(bytes);
    EXPECT_TRUE(list.valid);
    EXPECT_FALSE(list.damaged);
    EXPECT_EQ(list.romNames, names);

    RecordingProgress progress;
    Outcome<UtilityOutput> outcome = RunMalaToXml(
        ConverterInputs{listing, dir.File("real.mlg"), dir.File("back.xml"), dir.Path()}, progress);
    ASSERT_TRUE(outcome.Done()) << MessageTexts(outcome);
    EXPECT_EQ(outcome.value.games, 300);
    EXPECT_FALSE(FileExists(dir.File("convertLog.txt")));
}

}  // namespace
}  // namespace vantor::test
