// The merge of the real MAME listing with the real catver.ini, nplayers.ini and controls.xml.
#include "UtilityTestHelpers.h"
#include "gamedata/RecordFields.h"
#include "gamedata/RecordReader.h"
#include "gamedata/TextUtil.h"
#include "search/InputCheck.h"
#include "utilities/MergeUtility.h"

namespace vantor::test {
namespace {

// What a plain text search of a data file says about a name.
std::string LineValue(const std::string& text, const std::string& name, std::size_t from,
                      std::size_t* at = nullptr) {
    std::size_t found = text.find("\n" + name + "=", from);
    if (found == std::string::npos) return "";
    if (at != nullptr) *at = found;
    std::size_t start = found + name.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

std::string ElementValue(const std::string& record, const std::string& element) {
    std::size_t start = record.find("<" + element + ">");
    if (start == std::string::npos) return "<missing>";
    start += element.size() + 2;
    return record.substr(start, record.find("</" + element + ">", start) - start);
}

TEST(MergeRealTest, RealFilesMerge) {
    std::string listing = RealListXmlPath();
    if (listing.empty()) GTEST_SKIP() << "the real MAME listing has not been generated";
    TempDir dir;
    RecordingProgress progress;
    MergeInputs inputs;
    inputs.listXmlPath = listing;
    inputs.catverPath = RealDataPath("catver.ini");
    inputs.controlsPath = RealDataPath("controls.xml");
    inputs.nplayersPath = RealDataPath("nplayers.ini");
    inputs.outputPath = dir.File("merged.xml");
    inputs.logFolder = dir.Path();
    Outcome<UtilityOutput> result = RunMerge(inputs, progress);
    ASSERT_TRUE(result.Done()) << MessageTexts(result);
    EXPECT_EQ(MessageTexts(result), MessageText(MergeDoneMessage(result.value.games, dir.File("merged.xml"),
                                                                 dir.File("mergelog.txt"))) +
                                        "\n");
    // A cancel is looked for at every game, so that it takes effect at once.
    EXPECT_GE(progress.checks, result.value.games);
    // MAME's listing has "&amp;", "&lt;unknown&gt;" and "&quot;" in its records, catver.ini "&" in its
    // categories: the merged file is still XML.
    EXPECT_EQ(XmlProblems(dir.File("merged.xml")), "");

    // Read the data files the plain way to check what the indexes answered.
    std::string catver, nplayers, controls;
    ASSERT_TRUE(ReadTextFile(inputs.catverPath, catver));
    ASSERT_TRUE(ReadTextFile(inputs.nplayersPath, nplayers));
    ASSERT_TRUE(ReadTextFile(inputs.controlsPath, controls));
    ReplaceAll(catver, " = ", "=");
    nplayers += "\n";
    std::string controlsLower = ToLowerAscii(controls);
    std::size_t verAdded = catver.find("[VerAdded]");
    ASSERT_NE(verAdded, std::string::npos);

    Catalog merged;
    Outcome<InputCheck> check = OpenInputFile(merged, dir.File("merged.xml"));
    ASSERT_TRUE(check.Done());
    EXPECT_EQ(check.value.inputType, MergedList);
    EXPECT_TRUE(check.value.categoriesEnabled);
    EXPECT_TRUE(check.value.playersEnabled);

    RecordReader reader = merged.Reader();
    const RecordFields vn = merged.Fields();
    std::string record;
    std::int64_t games = 0;
    int checked = 0;
    int withControls = 0;
    reader.Rewind(merged.file);
    while (reader.ReadRecord(merged.file, record, "<game name=", -1) != -1) {
        ++games;
        ASSERT_EQ(record.find("<machine"), std::string::npos);
        ASSERT_EQ(record.find("\r\r"), std::string::npos);
        std::string name = vn.GetRomName(record);
        if (games % 41 != 0 && name != "pacman" && name != "sf2") continue;
        ++checked;
        std::size_t at = 0;
        std::string category = LineValue(catver, name, 0, &at);
        if (category.empty() || at > verAdded) category = "no_catver";
        EXPECT_EQ(ElementValue(record, "category"), category) << name;
        std::string version = LineValue(catver, name, verAdded + 1);
        EXPECT_EQ(ElementValue(record, "verAdded"), version.empty() ? "no_veradded" : version) << name;
        std::string players = LineValue(nplayers, name, 0);
        EXPECT_EQ(ElementValue(record, "nplayers"), players.empty() ? "no_nplayers" : players) << name;
        std::string parent = vn.GetFieldValues(record, "cloneof=", {}, 0, true);
        bool inControls = controlsLower.find("game romname=\"" + (parent.empty() ? name : parent) + "\"") !=
                          std::string::npos;
        if (inControls) ++withControls;
        EXPECT_EQ(record.find("<controls_info>numPlayers=") != std::string::npos, inControls) << name;
        // The added elements stand inside the record, before its first ROM when it has one.
        std::size_t rom = record.find("<rom name=");
        if (rom != std::string::npos) {
            EXPECT_LT(record.find("<category>"), rom) << name;
        }
        if (name == "pacman") {
            EXPECT_NE(record.find(
                          "\t\t\t<category>Maze / Collect</category>\r\n\t\t<nplayers>2P alt</nplayers>\r\n"),
                      std::string::npos);
            EXPECT_NE(record.find("<control type=\"joy4way\" player=\"1\"/>"), std::string::npos);
            EXPECT_NE(record.find("<control name=\"4-way Joystick\">"), std::string::npos);
        }
    }
    EXPECT_EQ(games, result.value.games);
    EXPECT_GT(games, 30000);
    EXPECT_GT(checked, 700);
    EXPECT_GT(withControls, 50);

    std::string log = ReadFileBytes(dir.File("mergelog.txt"));
    EXPECT_EQ(log.rfind("Vantor merge utility log file.", 0), 0u);
    EXPECT_NE(log.find("in controls.xml\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vantor::test
