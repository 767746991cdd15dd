// Lists written by the list writers and read back by the converters.
#include "UtilityTestHelpers.h"
#include "gamedata/TextUtil.h"
#include "output/SaveList.h"
#include "utilities/ListConverters.h"

namespace vantor::test {
namespace {

class ListRoundTripTest : public UtilityTest {
  protected:
    void SetUp() override {
        UtilityTest::SetUp();
        ASSERT_TRUE(OpenUtilityInput(master, UtilityFixture("master.xml")));
        ASSERT_TRUE(index.Build(master));
    }
    // Writes the games `names` as a list of `format`.
    void Save(ListFormat format, const std::vector<std::string>& names, const std::string& path,
              ListOptions options = {}) {
        SaveRequest request{format, {}, std::move(options)};
        for (const std::string& name : names) request.keys.push_back(index.FindRecordKey(name));
        FileSink file(path);
        Outcome<SavedGames> outcome = SaveList(master, request, file);
        ASSERT_TRUE(outcome.Done()) << FirstMessage(outcome);
    }
    // The records of `output` by ROM name, in file order.
    static std::vector<std::string> Games(const std::string& output) {
        std::vector<std::string> names;
        for (std::size_t at = output.find("<game name=\""); at != std::string::npos;
             at = output.find("<game name=\"", at + 1)) {
            std::size_t start = at + 12;
            names.push_back(output.substr(start, output.find('"', start) - start));
        }
        return names;
    }

    Catalog master;
    MasterFileIndex index;
};

TEST_F(ListRoundTripTest, MalaListOfThreeGamesComesBackInListOrder) {
    ListOptions options;
    options.Set(ListOption::Title, "Round trip");
    std::vector<std::string> names = {"puckman", "abc", "pacman"};
    Save(ListFormat::Mala, names, dir.File("list.mlg"), options);

    ConverterInputs inputs{UtilityFixture("master.xml"), dir.File("list.mlg"), dir.File("back.xml"),
                           dir.Path()};
    Outcome<UtilityOutput> outcome = RunMalaToXml(inputs, progress);
    ASSERT_TRUE(outcome.Done()) << MessageTexts(outcome);
    std::string output = ReadFileBytes(dir.File("back.xml"));
    EXPECT_EQ(Games(output), names);
    EXPECT_NE(output.find(
                  "\t<game name=\"pacman\" sourcefile=\"pacman.c\" cloneof=\"puckman\" romof=\"puckman\">\r\n"
                  "\t\t<description>Pac-Man (Midway)</description>\r\n"),
              std::string::npos);
    EXPECT_FALSE(FileExists(dir.File("convertLog.txt")));
    EXPECT_EQ(MessageTexts(outcome), MessageText(kConvertDone) + "\n");
}

TEST_F(ListRoundTripTest, MalaListOfManyGamesKeepsEveryName) {
    // 262 games: the count field holds 06 01, and names come back whatever their number.
    std::vector<std::string> names;
    for (int i = 0; i < 262; ++i) names.push_back(i % 3 == 0 ? "galaga" : i % 3 == 1 ? "pacmanf" : "abc");
    Save(ListFormat::Mala, names, dir.File("many.mlg"));
    MalaList list = ReadMalaList(ReadFileBytes(dir.File("many.mlg")));
    EXPECT_TRUE(list.valid);
    EXPECT_FALSE(list.damaged);
    EXPECT_EQ(list.romNames, names);
}

TEST_F(ListRoundTripTest, MaximusListWithACloneComesBack) {
    std::vector<std::string> names = {"pacman", "galaga"};
    ListOptions options;
    options.Set(ListOption::RomFolder, "/home/me/roms/");
    Save(ListFormat::Maximus, names, dir.File("maximus.txt"), options);
    EXPECT_NE(ReadFileBytes(dir.File("maximus.txt")).find("#cloneof:"), std::string::npos);

    ConverterInputs inputs{UtilityFixture("master.xml"), dir.File("maximus.txt"), dir.File("back.xml"),
                           dir.Path()};
    Outcome<UtilityOutput> outcome = RunMaximusToXml(inputs, progress);
    ASSERT_TRUE(outcome.Done()) << MessageTexts(outcome);
    EXPECT_EQ(Games(ReadFileBytes(dir.File("back.xml"))), names);
}

}  // namespace
}  // namespace vantor::test
