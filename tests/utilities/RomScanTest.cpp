#include "utilities/RomScan.h"

#include <filesystem>

#include "UtilityTestHelpers.h"
#include "gamedata/RecordFields.h"
#include "gamedata/RecordReader.h"
#include "gamedata/TextUtil.h"

namespace vantor::test {
namespace {

class RomScanTest : public UtilityTest {
  protected:
    void SetUp() override {
        UtilityTest::SetUp();
        roms = dir.File("roms");
        for (const char* name : {"pacman.zip", "galaga.7z", "notes.txt", "xyz.zip", "PUCKMAN.ZIP",
                                 "pacman.7z", "mspacman.chd", "sub/digdug.chd"}) {
            dir.Write(std::string("roms/") + name, "");
        }
        std::filesystem::create_directories(dir.File("roms/galaga.zip"));  // a folder is no archive
    }
    RomScanInputs Inputs(const std::string& input) const {
        return {input, roms, dir.File("scanned.xml"), dir.Path()};
    }
    Outcome<UtilityOutput> Scan(const std::string& input) { return RunRomScan(Inputs(input), progress); }
    std::string roms;
};

TEST_F(RomScanTest, FolderGivesTheExpectedFileAndLog) {
    std::string master = UtilityFixture("master.xml");
    Outcome<UtilityOutput> outcome = Scan(master);
    EXPECT_TRUE(outcome.Done());
    EXPECT_EQ(outcome.value.games, 4);
    EXPECT_EQ(outcome.value.outputPath, dir.File("scanned.xml"));
    EXPECT_EQ(outcome.value.logPath, dir.File("romscanlog.txt"));
    EXPECT_EQ(ReadFileBytes(dir.File("scanned.xml")), ReadFileBytes(UtilityFixture("romscan/expected.xml")));
    EXPECT_EQ(XmlProblems(dir.File("scanned.xml")), "");
    std::string log = MaskLogDate(ReadFileBytes(dir.File("romscanlog.txt")));
    ReplaceAll(log, master, "<input>");
    EXPECT_EQ(log, ReadFileBytes(UtilityFixture("romscan/expected-romscanlog.txt")));
    EXPECT_EQ(outcome.messages, (std::vector<Message>{kRomScanDone}));
}

TEST_F(RomScanTest, CrLfMasterFileGivesTheSameOutput) {
    std::string crlf = LfToCrLf(ReadFileBytes(UtilityFixture("master.xml")));
    EXPECT_TRUE(Scan(dir.Write("master-crlf.xml", crlf)).Done());
    EXPECT_EQ(ReadFileBytes(dir.File("scanned.xml")), ReadFileBytes(UtilityFixture("romscan/expected.xml")));
}

TEST_F(RomScanTest, FailuresLeaveNoOutputAndNoLog) {
    dir.Write("scanned.xml", "earlier");
    ExpectFailure(Scan(dir.File("missing.xml")), kUtilityInputXmlOpenError);

    roms = dir.File("no-such-folder");
    ExpectFailure(Scan(UtilityFixture("master.xml")), kUtilityRomFolderReadError);

    roms = dir.File("roms");
    RomScanInputs inputs = Inputs(UtilityFixture("master.xml"));
    inputs.outputPath = dir.File("no/folder/out.xml");
    ExpectFailure(RunRomScan(inputs, progress), NoFolderFailure(inputs.outputPath));

    EXPECT_EQ(ReadFileBytes(dir.File("scanned.xml")), "earlier");
    EXPECT_FALSE(FileExists(dir.File("romscanlog.txt")));
}

TEST_F(RomScanTest, OutputOverTheMasterFileIsRefused) {
    std::string master = dir.Write("master.xml", ReadFileBytes(UtilityFixture("master.xml")));
    RomScanInputs inputs = Inputs(master);
    inputs.outputPath = dir.Path() + "/./master.xml";
    ExpectFailure(RunRomScan(inputs, progress),
                  kUtilityOutputIsInput + inputs.outputPath + kUtilityChooseAnotherName);
    EXPECT_EQ(ReadFileBytes(master), ReadFileBytes(UtilityFixture("master.xml")));
    EXPECT_FALSE(FileExists(dir.File("romscanlog.txt")));
}

TEST_F(RomScanTest, EmptyFolderAndGarbageMasterFile) {
    roms = dir.File("empty");
    std::filesystem::create_directories(roms);
    EXPECT_TRUE(Scan(UtilityFixture("master.xml")).Done());
    EXPECT_NE(ReadFileBytes(dir.File("romscanlog.txt"))
                  .find("\r\nAdded 0 entries into new XML file out of 0 zip "
                        "files found."),
              std::string::npos);

    roms = dir.File("roms");
    EXPECT_TRUE(Scan(dir.Write("garbage.xml", std::string("\0\1\2 not xml\n\xff", 13))).Done());
    EXPECT_EQ(ReadFileBytes(dir.File("scanned.xml")), "\r\n</>");
}

TEST(RomNameOfFile, LowerCasedWithoutArchiveExtensions) {
    EXPECT_EQ(RomNameOfFile("PACMAN.ZIP"), "pacman");
    EXPECT_EQ(RomNameOfFile("a.zip.zip"), "a");
    EXPECT_EQ(RomNameOfFile("Game.7z"), "game");
    EXPECT_EQ(RomNameOfFile("disk.chd"), "disk");
    EXPECT_EQ(RomNameOfFile("notes.txt"), "notes.txt");
}

TEST(ListRomFiles, MatchesPatternsWithoutCaseAndSortsByPath) {
    TempDir dir;
    for (const char* name : {"b.ZIP", "a.7z", "C.chd", "d.zipx", "e.txt", "A.zip"}) dir.Write(name, "");
    std::filesystem::create_directories(dir.File("f.zip"));
    std::string folder = dir.Path() + "/";
    RomFolderListing listing = ListRomFiles(folder, {".zip", ".7z", ".chd"});
    EXPECT_TRUE(listing.readable);
    EXPECT_EQ(listing.paths, (std::vector<std::string>{folder + "a.7z", folder + "A.zip", folder + "b.ZIP",
                                                       folder + "C.chd"}));
    EXPECT_FALSE(ListRomFiles(dir.File("none/"), {".zip"}).readable);
}

TEST(MasterFileIndex, FindsTheFirstRecordOfANameOnly) {
    Catalog file;
    ASSERT_TRUE(file.file.Open(UtilityFixture("master.xml")));
    MasterFileIndex index;
    ASSERT_TRUE(index.Build(file));
    EXPECT_EQ(index.Size(), 5u);
    RecordReader reader = file.Reader();
    std::string record;
    const RecordFields vn = file.Fields();
    // abc's description reads "galaga": only a game's own name finds it.
    for (const char* name : {"abc", "galaga", "pacman", "pacmanf", "puckman"}) {
        std::int64_t position = index.FindRecordKey(name);
        ASSERT_NE(position, -1) << name;
        reader.ReadRecord(file.file, record, "<game name=", position);
        EXPECT_EQ(vn.GetRomName(record), name);
    }
    EXPECT_EQ(index.FindRecordKey("pac"), -1);
    EXPECT_EQ(index.FindRecordKey(""), -1);
    EXPECT_EQ(index.FindRecordKey("Galaga"), -1);
}

}  // namespace
}  // namespace vantor::test
