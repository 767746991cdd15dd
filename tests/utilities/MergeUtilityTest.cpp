#include "utilities/MergeUtility.h"

#include <unistd.h>

#include "UtilityTestHelpers.h"

namespace vantor::test {
namespace {

class MergeTest : public UtilityTest {
  protected:
    MergeInputs Inputs() const {
        MergeInputs inputs;
        inputs.listXmlPath = UtilityFixture("merge/listxml.xml");
        inputs.catverPath = UtilityFixture("merge/catver.ini");
        inputs.controlsPath = UtilityFixture("merge/controls.xml");
        inputs.nplayersPath = UtilityFixture("merge/nplayers.ini");
        inputs.outputPath = dir.File("merged.xml");
        inputs.logFolder = dir.Path();
        return inputs;
    }
    std::string Output() const { return ReadFileBytes(dir.File("merged.xml")); }
    std::string Log() const { return ReadFileBytes(dir.File("mergelog.txt")); }
};

TEST_F(MergeTest, FixtureGivesTheExpectedFileAndLog) {
    Outcome<UtilityOutput> outcome = RunMerge(Inputs(), progress);
    EXPECT_TRUE(outcome.Done());
    EXPECT_EQ(outcome.value.outputPath, dir.File("merged.xml"));
    EXPECT_EQ(outcome.value.logPath, dir.File("mergelog.txt"));
    EXPECT_EQ(outcome.value.games, 5);
    // Records are copied as they stand (entities stay encoded), added values are encoded.
    EXPECT_EQ(Output(), ReadFileBytes(UtilityFixture("merge/expected-merged.xml")));
    EXPECT_EQ(XmlProblems(dir.File("merged.xml")), "");
    EXPECT_EQ(MaskLogDate(Log()), ReadFileBytes(UtilityFixture("merge/expected-mergelog.txt")));
    // The result, and nothing else.
    EXPECT_EQ(
        outcome.messages,
        (std::vector<Message>{
            {MessageIcon::Information,
             "Your merged xml file has been created with 5 games:\r\n" + dir.File("merged.xml") + "\r\n",
             Advice::UseNewInputFile, "\r\nLogfile generated as " + dir.File("mergelog.txt")}}));
    EXPECT_EQ(progress.texts.front(), "Merging data, hang on...|");
    EXPECT_NE(std::find(progress.texts.begin(), progress.texts.end(),
                        "Merging data, hang on...|Adding ROM:tomjerry"),
              progress.texts.end());
}

TEST_F(MergeTest, SecondRunReplacesTheLogAndTheOutput) {
    ASSERT_TRUE(RunMerge(Inputs(), progress).Done());
    std::string firstLog = Log();
    ASSERT_TRUE(RunMerge(Inputs(), progress).Done());
    EXPECT_EQ(MaskLogDate(Log()), MaskLogDate(firstLog));
    EXPECT_EQ(Output(), ReadFileBytes(UtilityFixture("merge/expected-merged.xml")));
}

TEST_F(MergeTest, WithoutNplayersNoPlayerModesAreWrittenOrLogged) {
    MergeInputs inputs = Inputs();
    inputs.nplayersPath.clear();
    EXPECT_TRUE(RunMerge(inputs, progress).Done());
    EXPECT_EQ(Output().find("<nplayers>"), std::string::npos);
    EXPECT_EQ(Log().find("nplayers.ini"), std::string::npos);
    EXPECT_NE(Output().find("\t\t\t<category>Maze / Collect</category>\r\n\t\t<verAdded>0.36</verAdded>"),
              std::string::npos);
}

TEST_F(MergeTest, DataFilesThatDoNotOpenAreLeftOut) {
    MergeInputs inputs = Inputs();
    inputs.catverPath = dir.File("missing.ini");
    inputs.nplayersPath = dir.Path();  // a folder does not open as a file
    inputs.controlsPath = dir.File("missing.xml");
    EXPECT_TRUE(RunMerge(inputs, progress).Done());
    std::string output = Output();
    EXPECT_EQ(output.find("<category>"), std::string::npos);
    EXPECT_EQ(output.find("<nplayers>"), std::string::npos);
    EXPECT_EQ(output.find("<verAdded>"), std::string::npos);
    EXPECT_EQ(output.find("<controls_info>"), std::string::npos);
    // Every game is missing from controls.xml, clones under their parent's name.
    std::string log = MaskLogDate(Log());
    EXPECT_NE(
        log.find("\r\nUnable to find puckman in controls.xml\r\nUnable to find pacman (clone of puckman) in "
                 "controls.xml\r\nUnable to find tomjerry in controls.xml\r\n"),
        std::string::npos);
    EXPECT_EQ(log.find("catver.ini"), std::string::npos);
}

// Each failure is one message; the earlier merged file stays, and no log is written.
TEST_F(MergeTest, FailuresKeepTheEarlierFileAndWriteNoLog) {
    MergeInputs noVerAdded = Inputs();
    noVerAdded.catverPath = dir.Write("catver.ini", "[Category]\npuckman=Maze\n");
    MergeInputs emptyCatver = Inputs();
    emptyCatver.catverPath = dir.Write("empty.ini", "");  // read, so without [VerAdded]
    MergeInputs noListing = Inputs();
    noListing.listXmlPath = dir.File("nothing.xml");
    MergeInputs noFolder = Inputs();
    noFolder.outputPath = dir.File("no/such/folder/merged.xml");
    const std::pair<MergeInputs, std::string> cases[] = {
        {noVerAdded, kNoVerAddedError},
        {emptyCatver, kNoVerAddedError},
        {noListing, kListXmlOpenError},
        {noFolder, NoFolderFailure(noFolder.outputPath)},
    };
    dir.Write("merged.xml", "earlier merged file");
    for (const auto& [inputs, message] : cases) {
        SCOPED_TRACE(message);
        ExpectFailure(RunMerge(inputs, progress), message);
        EXPECT_EQ(Output(), "earlier merged file");
        EXPECT_FALSE(FileExists(dir.File("mergelog.txt")));
    }
}

TEST_F(MergeTest, OutputOverAFileItReadsIsRefused) {
    MergeInputs inputs = Inputs();
    inputs.listXmlPath = dir.Write("listxml.xml", ReadFileBytes(UtilityFixture("merge/listxml.xml")));
    inputs.nplayersPath = dir.Write("nplayers.ini", "[NPlayers]\n");
    ::symlink(inputs.nplayersPath.c_str(), dir.File("link.ini").c_str());
    for (const std::string& target :
         {inputs.listXmlPath, dir.Path() + "/./listxml.xml", dir.File("link.ini"), inputs.catverPath}) {
        inputs.outputPath = target;
        ExpectFailure(RunMerge(inputs, progress),
                      std::string(kUtilityOutputIsInput) + target + kUtilityChooseAnotherName);
    }
    EXPECT_EQ(ReadFileBytes(inputs.listXmlPath), ReadFileBytes(UtilityFixture("merge/listxml.xml")));
    EXPECT_EQ(ReadFileBytes(inputs.nplayersPath), "[NPlayers]\n");
    EXPECT_FALSE(FileExists(dir.File("mergelog.txt")));
    EXPECT_TRUE(progress.texts.empty());  // refused before any work
}

TEST_F(MergeTest, ListingWithoutGamesIsAnError) {
    for (std::string text : {std::string(), std::string("not xml at all\n\x01\x02\xff"),
                             std::string("<?xml version=\"1.0\"?>\n<mame build=\"x\">\n</mame>\n")}) {
        MergeInputs inputs = Inputs();
        inputs.listXmlPath = dir.Write("garbage.xml", text);
        ExpectFailure(RunMerge(inputs, progress), kNoGamesInListing);
        EXPECT_FALSE(FileExists(dir.File("merged.xml")));
    }
}

TEST_F(MergeTest, SuggestedOutputIsANewNameBesideTheInputOrTheListing) {
    MergeInputs inputs = Inputs();
    EXPECT_EQ(SuggestedMergeOutput(inputs, "/some/where/input.xml"), "/some/where/merged.xml");
    // The listing itself (by another name too) or no input file: beside the listing.
    const std::string listingFolder = UtilityFixture("merge/");
    for (std::string current : {inputs.listXmlPath, listingFolder + "./listxml.xml", std::string()}) {
        EXPECT_EQ(SuggestedMergeOutput(inputs, current), listingFolder + "merged.xml") << current;
    }
    inputs.listXmlPath = "listxml.xml";
    EXPECT_EQ(SuggestedMergeOutput(inputs, ""), "merged.xml");
    inputs.catverPath = "/d/merged.xml";
    EXPECT_EQ(SuggestedMergeOutput(inputs, "/d/input.xml"), "/d/merged-new.xml");
}

// A listing of MAME before 0.162: no note, no conversion, CR LF line ends read as lines.
TEST_F(MergeTest, OldListingWithCrLfLineEnds) {
    std::string listing =
        "<?xml version=\"1.0\"?>\r\n<!DOCTYPE mame [\r\n<!ELEMENT mame (game+)>\r\n]>\r\n<mame "
        "build=\"0.139\">\r\n"
        "\t<game name=\"pacman\" cloneof=\"puckman\">\r\n\t\t<description>Pac-Man</description>\r\n"
        "\t\t<rom name=\"p.1\" size=\"1\"/>\r\n\t\t<input players=\"2\">\r\n"
        "\t\t\t<control type=\"joy\" ways=\"8\"/>\r\n\t\t</input>\r\n\t</game>\r\n</mame>\r\n";
    MergeInputs inputs = Inputs();
    inputs.listXmlPath = dir.Write("old.xml", listing);
    Outcome<UtilityOutput> outcome = RunMerge(inputs, progress);
    EXPECT_TRUE(outcome.Done());
    EXPECT_EQ(outcome.messages.size(), 1u);  // no warning
    EXPECT_EQ(Output(),
              "<?xml version=\"1.0\"?>\r\n<!-- This file generated by Vantor -->\r\n<!DOCTYPE mame [\r\n"
              "<!ELEMENT mame (game+)>\r\n]>\r\n<mame build=\"0.139\">\r\n"
              "\t<game name=\"pacman\" cloneof=\"puckman\">\r\n\t\t<description>Pac-Man</description>\r\n"
              "\t\t\t<category>Maze / Collect</category>\r\n\t\t<nplayers>2P alt</nplayers>\r\n"
              "\t\t<verAdded>.37b5</verAdded>\r\n\t\t<controls_info>numPlayers=\"2\" alternating=\"1\" "
              "mirrored=\"1\" "
              "usesService=\"0\" tilt=\"0\" cocktail=\"1\"</controls_info>\r\n"
              "\t\t<player number=\"1\" numButtons=\"0\">\r\n\t\t\t<controls>\r\n"
              "\t\t\t\t<control name=\"4-way Joystick\">\r\n\t\t\t\t\t<constant name=\"joy4way\"/>\r\n"
              "\t\t\t\t</control>\r\n\t\t\t</controls>\r\n\t\t\t<labels>\r\n"
              "\t\t\t\t<label name=\"P1_JOYSTICK_UP\" value=\"Up\"/>\r\n\t\t\t</labels>\r\n\t\t</player>\r\n"
              "\t<rom name=\"p.1\" size=\"1\"/>\r\n\t\t<input players=\"2\">\r\n"
              "\t\t\t<control type=\"joy8way\"/>\r\n\t\t</input>\r\n\t</game>\r\n\r\n</mame>");
}

// ---------------------------------------------------------------------------------------------
// Control normalisation

TEST(NormaliseControls, TheTableTextsGiveTheTableResults) {
    const std::pair<const char*, const char*> table[] = {
        {"<control type=\"joy\" ways=\"2\"/>", "<control type=\"joy2way\"/>"},
        {"<control type=\"joy\" ways=\"4\"/>", "<control type=\"joy4way\"/>"},
        {"<control type=\"joy\" ways=\"8\"/>", "<control type=\"joy8way\"/>"},
        {"<control type=\"doublejoy\" ways=\"8\" ways2=\"8\"/>", "<control type=\"doublejoy8way\"/>"},
        {"<control type=\"joy\" ways=\"3 (half4)\"/>", "<control type=\"joy4way\"/>"},
        {"<control type=\"joy\" ways=\"5 (half8)\"/>", "<control type=\"joy8way\"/>"},
        {"<control type=\"doublejoy\" ways=\"2\" ways2=\"2\"/>", "<control type=\"doublejoy2way\"/>"},
        {"<control type=\"doublejoy\" ways=\"4\" ways2=\"4\"/>", "<control type=\"doublejoy4way\"/>"},
        {"<control type=\"doublejoy\" ways=\"8\" ways2=\"2\"/>", "<control type=\"doublejoy8way\"/>"},
        {"<control type=\"doublejoy\" ways=\"vertical2\" ways2=\"vertical2\"/>",
         "<control type=\"doublejoy4way\"/>"},
        {"<control type=\"joy\" ways=\"1\"/>", "<control type=\"joy2way\"/>"},
        {"<control type=\"joy\" ways=\"vertical2\"/>", "<control type=\"joy2way\"/>"},
    };
    for (const auto& [before, after] : table) {
        std::string record =
            std::string("\t\t<input>\n\t\t\t") + before + "\n\t\t\t" + before + "\n\t\t</input>\n";
        NormaliseControls(record);
        EXPECT_EQ(record,
                  std::string("\t\t<input>\n\t\t\t") + after + "\n\t\t\t" + after + "\n\t\t</input>\n")
            << before;
    }
}

TEST(NormaliseControls, CurrentListingsKeepTheirOtherAttributes) {
    std::string record =
        "<control type=\"joy\" player=\"1\" buttons=\"2\" ways=\"8\"/>"
        "<control type=\"doublejoy\" player=\"2\" ways=\"4\" buttons=\"1\" ways2=\"4\" reqbuttons=\"1\"/>"
        "<control type=\"only_buttons\" player=\"1\" buttons=\"3\" />";
    NormaliseControls(record);
    EXPECT_EQ(record,
              "<control type=\"joy8way\" player=\"1\" buttons=\"2\"/>"
              "<control type=\"doublejoy4way\" player=\"2\" buttons=\"1\" reqbuttons=\"1\"/>"
              "<control type=\"only_buttons\" player=\"1\" buttons=\"3\" />");
}

TEST(NormaliseControls, OtherElementsAreLeftAlone) {
    const char* untouched[] = {
        "<control type=\"joy\" ways=\"16\"/>",                   // not in the table
        "<control type=\"joy\" ways=\"8\" ways2=\"8\"/>",        // joy rows have no ways2
        "<control type=\"doublejoy\" ways=\"8\"/>",              // doublejoy rows need one
        "<control type=\"doublejoy\" ways=\"2\" ways2=\"8\"/>",  // not a listed pair
        "<control type=\"triplejoy\" ways=\"8\" ways2=\"8\"/>",  // another type
        "<control ways=\"8\"/>",                                 // no type
        "<control type=\"joy\" ways=\"8\" ways=\"4\"/>",         // ambiguous
        "<control type=\"joy\" ways=\"8\">",                     // not an empty element
        "<control type=\"joy\" ways=\"8\"",                      // cut short
        "<control type=\"joy\" ways=8/>",                        // unquoted
        "<control type=\"Joy\" ways=\"8\"/>",                    // case matters
        "<control name=\"8-way Joystick\">",                     // controls.xml's own form
    };
    for (const char* text : untouched) {
        std::string record = std::string("a") + text + "b";
        NormaliseControls(record);
        EXPECT_EQ(record, std::string("a") + text + "b");
    }
}

// ---------------------------------------------------------------------------------------------
// Data-file indexes: the same answers as searching the text for "\n" + name + "=".

std::string LinearValue(const std::string& text, const std::string& name, std::size_t from,
                        std::size_t* at = nullptr) {
    std::size_t found = text.find("\n" + name + "=", from);
    if (found == std::string::npos) return "<none>";
    if (at != nullptr) *at = found;
    std::size_t start = found + name.size() + 2;
    std::size_t end = text.find('\n', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

TEST(IniLineIndex, AnswersAsTheTextSearchDoes) {
    const std::string text =
        "first=never\n[Category]\npac=Maze\npacman=Maze / Collect\npacman=Second\n=empty name\nno equals\n"
        "a=b=c\nx\n[VerAdded]\npacman=0.36\npac=.37b5\nlate=0.200\npacman=0.99\ntail=no line end";
    std::size_t boundary = text.find("[VerAdded]");
    IniLineIndex index;
    index.Build(text, boundary);
    for (std::string name :
         {"first", "pac", "pacman", "", "a", "a=b", "late", "tail", "no equals", "x\n[VerAdded]",
          "pacman=Maze / Collect\npacman", "missing", "[Category]\npac"}) {
        std::string value;
        std::size_t position = 0;
        std::size_t linearAt = 0;
        std::string expected = LinearValue(text, name, 0, &linearAt);
        bool found = index.Find(name, value, position);
        EXPECT_EQ(found ? value : "<none>", expected) << name;
        if (found) {
            EXPECT_EQ(position, linearAt) << name;
        }
        expected = LinearValue(text, name, boundary + 1);
        EXPECT_EQ(index.FindAfterBoundary(name, value) ? value : "<none>", expected) << name;
    }
}

TEST(ControlsIndex, FindsGamesByLowerCaseNameWithTheirAttributesAndPlayers) {
    ControlsIndex index;
    index.Build(
        "<game romname=\"first\" numPlayers=\"1\">\n"
        "\t<game romname=\"Mixed\" gamename=\"M\" numPlayers=\"2\" tilt=\"0\" >\n\t\t<player "
        "number=\"1\"/>\n\t</game>\n"
        "\t<game romname=\"noplayers\" numPlayers=\"1\">\n\t</game>\n"
        "\t<game romname=\"noattrs\">\n\t\t<player a=\"1\"/>\n\t</game>\n"
        "\t<game romname=\"mixed\" numPlayers=\"9\">\n\t</game>\n");
    std::string attributes, players;
    ASSERT_TRUE(index.Find("mixed", attributes, players));
    EXPECT_EQ(attributes, "numPlayers=\"2\" tilt=\"0\"");
    EXPECT_EQ(players, "<player number=\"1\"/>");
    EXPECT_FALSE(index.Find("Mixed", attributes, players));  // the search runs on lower-case text
    ASSERT_TRUE(index.Find("first", attributes, players));
    EXPECT_EQ(attributes, "numPlayers=\"1\"");
    ASSERT_TRUE(index.Find("noplayers", attributes, players));
    EXPECT_EQ(players, "");
    ASSERT_TRUE(index.Find("noattrs", attributes, players));
    EXPECT_EQ(attributes, "");  // numPlayers of a later game is not this game's
    EXPECT_EQ(players, "<player a=\"1\"/>");
    EXPECT_FALSE(index.Find("missing", attributes, players));
    EXPECT_FALSE(index.Find("", attributes, players));
}

}  // namespace
}  // namespace vantor::test
