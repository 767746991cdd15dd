#include "utilities/ListConverters.h"

#include <random>

#include "UtilityTestHelpers.h"

namespace vantor::test {
namespace {

// MaLa items written out byte by byte.
std::string Text(const std::string& text) {
    return std::string("\x06", 1) + static_cast<char>(text.size()) + text;
}
std::string Small(int value) {
    return std::string("\x02", 1) + static_cast<char>(value);
}
std::string Integer(int value) {
    return std::string("\x03", 1) + static_cast<char>(value & 0xff) + static_cast<char>((value >> 8) & 0xff);
}
const std::string kFixed = std::string("\x11\xb1\x60\xf5\xf2\x8f\x28\xe3\x40", 9);

std::string Header(int count, const std::string& title = "My list") {
    return std::string("\x01", 1) + Text(title) + Text("") + Text("") + kFixed + kFixed + "\x08" +
           Integer(count) + Small(0) + std::string("\x00", 1);
}

// A game record as the list writer makes it: 37 values, then 02 00 and the record end.
std::string Game(const std::string& name, int width = 224) {
    std::string bytes("\x01", 1);
    bytes +=
        Text(name) + Text("") + Text("puckman") + Text("pacman.c") + Text("Pac-Man (Midway)") + Integer(1980);
    bytes += Text("Namco") + Text("Maze") + Small(1) + Small(2);
    bytes +=
        Text("2P alt") + Text("joy4way") + Text("raster") + Text("vertical") + Integer(width) + Integer(288);
    for (int i = 0; i < 18; ++i) bytes += Text(i == 5 ? "4-way Joystick" : "good");
    for (int i = 0; i < 3; ++i) bytes += Text("");
    return bytes + Small(0) + std::string("\x00", 1);
}

TEST(ReadMalaList, ReadsTheNamesOfEveryGame) {
    // Six games put a 06 byte into the header's count; a width of 262 puts one into a record.
    std::string data =
        Header(6) + Game("pacman") + Game("galaga", 262) + Game("a") + Game("b") + Game("") + Game("c");
    MalaList list = ReadMalaList(data);
    EXPECT_TRUE(list.valid);
    EXPECT_FALSE(list.damaged);
    EXPECT_EQ(list.romNames, (std::vector<std::string>{"pacman", "galaga", "a", "b", "", "c"}));

    list = ReadMalaList(Header(0));
    EXPECT_TRUE(list.valid);
    EXPECT_TRUE(list.romNames.empty());
}

TEST(ReadMalaList, LongTextsAreReadWhole) {
    std::string description(200, 'd');  // a length byte above 127
    std::string game = Game("x");
    std::string data = Header(2) + std::string("\x01", 1) + Text("long") + Text(description) +
                       game.substr(1 + 3) + Game("next");
    EXPECT_EQ(ReadMalaList(data).romNames, (std::vector<std::string>{"long", "next"}));
}

TEST(ReadMalaList, InvalidStartsAndHeaders) {
    for (std::string data :
         {std::string(), std::string("\x01", 1), std::string("\x06\x01", 2), std::string("\x01\x07", 2),
          std::string("\x01\x06\x05"
                      "ab",
                      5),
          Header(1).substr(0, Header(1).size() - 1), std::string("\x01\x06\x00\x06\x00\x06\x00\x42", 8),
          std::string("garbage, not a list")}) {
        EXPECT_FALSE(ReadMalaList(data).valid) << data.size();
    }
}

TEST(ReadMalaList, TruncatedListsKeepEveryWholeName) {
    std::string full = Header(3) + Game("pacman") + Game("galaga") + Game("digdug");
    std::vector<std::string> names = {"pacman", "galaga", "digdug"};
    std::size_t header = Header(3).size();
    const std::size_t game = Game("pacman").size();
    const std::size_t nameEnd = 1 + Text("pacman").size();  // the record start, then the name
    for (std::size_t length = 0; length <= full.size(); ++length) {
        MalaList list = ReadMalaList(std::string_view(full).substr(0, length));
        EXPECT_EQ(list.valid, length >= header) << length;
        ASSERT_LE(list.romNames.size(), names.size());
        EXPECT_TRUE(std::equal(list.romNames.begin(), list.romNames.end(), names.begin())) << length;
        std::size_t into = length < header ? 0 : (length - header) % game;
        std::size_t named = length < header ? 0 : (length - header) / game + (into >= nameEnd ? 1 : 0);
        EXPECT_EQ(list.romNames.size(), named) << length;
        EXPECT_EQ(list.damaged, length > header && into != 0) << length;
    }
}

TEST(ReadMalaList, RandomBytesNeverReadPastTheEnd) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string data = round % 2 == 0 ? Header(1) : std::string("\x01\x06", 2);
        std::size_t extra = random() % 200;
        for (std::size_t i = 0; i < extra; ++i) data += static_cast<char>(random() % 20);  // mostly tag bytes
        MalaList list = ReadMalaList(data);
        for (const std::string& name : list.romNames) EXPECT_LE(name.size(), data.size());
    }
}

TEST(ReadMaximusRomNames, TakesTheNameOfEachEntryOnce) {
    EXPECT_EQ(ReadMaximusRomNames(ReadFileBytes(UtilityFixture("convert/maximus.txt"))),
              (std::vector<std::string>{"pacman", "dkong", "galaga", "abc"}));
    EXPECT_EQ(ReadMaximusRomNames("[\"A\": [#name: \"a\", #path: \"/r/\"]]\n"),
              (std::vector<std::string>{"a", ""}));
    // A description with double quotes names the wrong piece.
    EXPECT_EQ(ReadMaximusRomNames("[\"Say \"Hi\"\": [#name: \"hi\", #path: \"/r/\"]]"),
              (std::vector<std::string>{": [#name: "}));
    EXPECT_EQ(ReadMaximusRomNames("[]"), (std::vector<std::string>{""}));
}

TEST(ReadMaximusRomNames, AnyTextEnds) {
    // A "]" inside a description once stalled the reading for good; now that entry's name is lost
    // and the reading goes on with the next entry.
    EXPECT_EQ(
        ReadMaximusRomNames("[\"Game [b]\": [#name: \"g\", #path: \"/r/\"], \"H\": [#name: \"h\", #path: "
                            "\"/r/\"]]"),
        (std::vector<std::string>{"", ", #path: ", "h"}));
    std::mt19937 random(11);
    const std::string alphabet = "[]\", :#abc";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        std::size_t length = random() % 80;
        for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        EXPECT_LE(ReadMaximusRomNames(text).size(), text.size() + 1);
    }
}

class ConverterTest : public UtilityTest {
  protected:
    ConverterInputs Inputs(const std::string& listPath, const std::string& outputPath = "") const {
        return {UtilityFixture("master.xml"), listPath, outputPath, dir.Path()};
    }
    std::string MalaList(const std::vector<std::string>& names) {
        std::string data = Header(static_cast<int>(names.size()));
        for (const std::string& name : names) data += Game(name);
        return dir.Write("list.mlg", data);
    }
};

TEST_F(ConverterTest, MalaListGivesItsGamesInListOrderAndLogsTheMissing) {
    Outcome<UtilityOutput> outcome = RunMalaToXml(
        Inputs(MalaList({"pacman", "dkong", "galaga", "", "abc"}), dir.File("out.xml")), progress);
    EXPECT_TRUE(outcome.Done());
    EXPECT_EQ(outcome.value.games, 3);
    EXPECT_EQ(outcome.value.logPath, dir.File("convertLog.txt"));
    EXPECT_EQ(ReadFileBytes(dir.File("out.xml")), ReadFileBytes(UtilityFixture("convert/expected.xml")));
    EXPECT_EQ(XmlProblems(dir.File("out.xml")), "");
    EXPECT_EQ(MaskLogDate(ReadFileBytes(dir.File("convertLog.txt"))),
              ReadFileBytes(UtilityFixture("convert/expected-convertLog.txt")));
    EXPECT_EQ(outcome.messages,
              (std::vector<Message>{kConvertDone, {MessageIcon::Information, kMalaNamesMissing}}));
}

TEST_F(ConverterTest, MalaListWithEveryGameFoundWritesNoLog) {
    Outcome<UtilityOutput> outcome =
        RunMalaToXml(Inputs(MalaList({"puckman", "pacmanf"}), dir.File("out.xml")), progress);
    EXPECT_TRUE(outcome.Done());
    EXPECT_FALSE(FileExists(dir.File("convertLog.txt")));
    EXPECT_EQ(outcome.value.logPath, "");
    EXPECT_EQ(MessageTexts(outcome), MessageText(kConvertDone) + "\n");
    std::string output = ReadFileBytes(dir.File("out.xml"));
    EXPECT_LT(output.find("<game name=\"puckman\""), output.find("<game name=\"pacmanf\""));
}

TEST_F(ConverterTest, MalaListCutShortConvertsEveryWholeNameAndSaysSo) {
    std::string data = ReadFileBytes(MalaList({"puckman", "galaga", "pacmanf"}));
    dir.Write("list.mlg", data.substr(0, data.size() - 20));
    Outcome<UtilityOutput> outcome =
        RunMalaToXml(Inputs(dir.File("list.mlg"), dir.File("out.xml")), progress);
    EXPECT_TRUE(outcome.Done());
    EXPECT_EQ(outcome.value.games, 3);
    EXPECT_NE(ReadFileBytes(dir.File("out.xml")).find("<game name=\"pacmanf\""), std::string::npos);
    EXPECT_EQ(outcome.messages,
              (std::vector<Message>{kConvertDone, {MessageIcon::Exclamation, kMalaListEndsEarly}}));
    EXPECT_FALSE(FileExists(dir.File("convertLog.txt")));
}

TEST_F(ConverterTest, OutputOverAFileItReadsIsRefused) {
    std::string master = dir.Write("master.xml", ReadFileBytes(UtilityFixture("master.xml")));
    std::string list = MalaList({"pacman"});
    std::string maximus = dir.Write("maximus.txt", ReadFileBytes(UtilityFixture("convert/maximus.txt")));
    for (const std::string& target : {master, list, maximus}) {
        ConverterInputs inputs = Inputs(target == maximus ? maximus : list, target);
        inputs.inputPath = master;
        Outcome<UtilityOutput> outcome =
            target == maximus ? RunMaximusToXml(inputs, progress) : RunMalaToXml(inputs, progress);
        ExpectFailure(outcome, kUtilityOutputIsInput + target + kUtilityChooseAnotherName);
    }
    EXPECT_EQ(ReadFileBytes(master), ReadFileBytes(UtilityFixture("master.xml")));
    EXPECT_EQ(ReadFileBytes(maximus), ReadFileBytes(UtilityFixture("convert/maximus.txt")));
}

// The list is checked before its output is asked for, and again when the conversion runs.
TEST_F(ConverterTest, MalaFailures) {
    dir.Write("out.xml", "earlier");
    const std::string good = MalaList({"pacman"});
    const std::string missing = dir.File("missing.mlg");
    const std::string bad = dir.Write("bad.mlg", "\x01\x07 not a list");
    EXPECT_TRUE(CheckMalaList(good).Done());
    EXPECT_TRUE(CheckMalaList(good).messages.empty());
    const std::string unreadable =
        std::string(kListOpenError) + "\r\n" + missing + ": No such file or directory";
    for (const auto& [list, message] :
         {std::pair{missing, unreadable}, std::pair{bad, std::string(kInvalidMalaList)}}) {
        ExpectFailure(CheckMalaList(list), message);
        ExpectFailure(RunMalaToXml(Inputs(list, dir.File("out.xml")), progress), message);
    }
    ConverterInputs inputs = Inputs(good, dir.File("out.xml"));
    inputs.inputPath = dir.File("missing.xml");
    ExpectFailure(RunMalaToXml(inputs, progress), kUtilityInputXmlOpenError);
    ExpectFailure(RunMalaToXml(Inputs(good, dir.File("none/out.xml")), progress),
                  NoFolderFailure(dir.File("none/out.xml")));
    EXPECT_EQ(ReadFileBytes(dir.File("out.xml")), "earlier");
}

TEST_F(ConverterTest, UnwritableConvertLogIsReported) {
    ConverterInputs inputs = Inputs(MalaList({"dkong"}), dir.File("out.xml"));
    inputs.logFolder = dir.File("no/such/folder");
    Outcome<UtilityOutput> outcome = RunMalaToXml(inputs, progress);
    EXPECT_TRUE(outcome.Done());
    EXPECT_EQ(outcome.value.logPath, "");
    EXPECT_EQ(outcome.messages.back(), (Message{MessageIcon::Exclamation, kUtilityLogOpenError}));
}

TEST_F(ConverterTest, MaximusListGivesItsGamesInListOrder) {
    Outcome<UtilityOutput> outcome =
        RunMaximusToXml(Inputs(UtilityFixture("convert/maximus.txt"), dir.File("maximus.xml")), progress);
    EXPECT_TRUE(outcome.Done());
    EXPECT_EQ(outcome.value.outputPath, dir.File("maximus.xml"));
    EXPECT_EQ(ReadFileBytes(dir.File("maximus.xml")), ReadFileBytes(UtilityFixture("convert/expected.xml")));
    EXPECT_EQ(MessageTexts(outcome), MessageText(kConvertDone) + "\n");
    EXPECT_FALSE(FileExists(dir.File("convertLog.txt")));
}

TEST_F(ConverterTest, MaximusWritesTempXmlFileInTheTemporaryFolder) {
    std::string oldTmp = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "";
    setenv("TMPDIR", dir.Path().c_str(), 1);
    EXPECT_EQ(MaximusOutputPath(), dir.File("tempXMLFile.xml"));
    dir.Write("tempXMLFile.xml", "replaced");
    Outcome<UtilityOutput> outcome = RunMaximusToXml(Inputs(UtilityFixture("convert/maximus.txt")), progress);
    if (oldTmp.empty()) {
        unsetenv("TMPDIR");
    } else {
        setenv("TMPDIR", oldTmp.c_str(), 1);
    }
    EXPECT_EQ(outcome.value.outputPath, dir.File("tempXMLFile.xml"));
    EXPECT_EQ(ReadFileBytes(dir.File("tempXMLFile.xml")),
              ReadFileBytes(UtilityFixture("convert/expected.xml")));
}

TEST_F(ConverterTest, MaximusFailuresAndGarbage) {
    ExpectFailure(
        RunMaximusToXml(Inputs(dir.File("missing.txt"), dir.File("maximus.xml")), progress),
        std::string(kListOpenError) + "\r\n" + dir.File("missing.txt") + ": No such file or directory");
    EXPECT_FALSE(FileExists(dir.File("maximus.xml")));

    std::string garbage = dir.Write("garbage.txt", std::string("\x01]]\"[[,, \xff\"\"]", 13));
    EXPECT_TRUE(RunMaximusToXml(Inputs(garbage, dir.File("maximus.xml")), progress).Done());
    std::string output = ReadFileBytes(dir.File("maximus.xml"));
    EXPECT_EQ(output.find("<game"), std::string::npos);
    EXPECT_EQ(output.substr(output.size() - 9), "\r\n</mame>");
}

}  // namespace
}  // namespace vantor::test
