// The utilities' vantor-cli commands, run as a user runs them: the built program in a folder of
// its own, where the logs land.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "UtilityTestHelpers.h"

namespace vantor::test {
namespace {

class UtilitiesCliTest : public UtilityTest {
  protected:
    void SetUp() override {
        UtilityTest::SetUp();
        cli = std::string(VANTOR_BIN_DIR) + "/vantor-cli";
        if (!FileExists(cli)) GTEST_SKIP() << "vantor-cli has not been built";
        MakeDirectories(dir.File("work"));
        MakeDirectories(dir.File("config"));
    }
    // Runs vantor-cli with `arguments` (already quoted) in dir/work; returns its exit status.
    int Run(const std::string& arguments, const std::string& environment = "") {
        std::string command = "cd '" + dir.File("work") + "' && XDG_CONFIG_HOME='" + dir.File("config") +
                              "' " + environment + " '" + cli + "' " + arguments + " > '" +
                              dir.File("out.txt") + "' 2> '" + dir.File("err.txt") + "'";
        int status = std::system(command.c_str());
        out = ReadFileBytes(dir.File("out.txt"));
        err = ReadFileBytes(dir.File("err.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static std::string Quote(const std::string& text) { return "'" + text + "'"; }

    std::string cli, out, err;
};

TEST_F(UtilitiesCliTest, MergeWritesTheFileAndItsLogInTheCurrentFolder) {
    std::string args = "merge --listxml " + Quote(UtilityFixture("merge/listxml.xml")) + " --catver " +
                       Quote(UtilityFixture("merge/catver.ini")) + " --controls " +
                       Quote(UtilityFixture("merge/controls.xml")) + " --nplayers " +
                       Quote(UtilityFixture("merge/nplayers.ini")) + " -o " + Quote(dir.File("merged.xml"));
    ASSERT_EQ(Run(args), 0) << err;
    EXPECT_EQ(ReadFileBytes(dir.File("merged.xml")),
              ReadFileBytes(UtilityFixture("merge/expected-merged.xml")));
    EXPECT_EQ(MaskLogDate(ReadFileBytes(dir.File("work/mergelog.txt"))),
              ReadFileBytes(UtilityFixture("merge/expected-mergelog.txt")));
    EXPECT_EQ(err, "note: Your merged xml file has been created with 5 games:\n" + dir.File("merged.xml") +
                       "\nSearch it with vantor-cli --input FILE.\nLogfile generated as mergelog.txt\n");
    EXPECT_EQ(out, "");

    EXPECT_EQ(Run("merge --listxml x.xml -o out.xml"), 2);
    EXPECT_EQ(Run("merge --listxml " + Quote(dir.File("none.xml")) + " --catver c --controls c -o " +
                  Quote(dir.File("merged.xml"))),
              1);
    EXPECT_EQ(err, "warning: Error opening MAME's listxml file for reading!?\n");
}

TEST_F(UtilitiesCliTest, RomScanAndRomDir2Xml) {
    dir.Write("roms/pacman.zip", "");
    dir.Write("roms/galaga.7z", "");
    dir.Write("roms/xyz.zip", "");
    ASSERT_EQ(Run("--input " + Quote(UtilityFixture("master.xml")) + " romscan --roms " +
                  Quote(dir.File("roms")) + " -o " + Quote(dir.File("scanned.xml"))),
              0)
        << err;
    // Said as the command line would: the settings' input file is not changed here.
    EXPECT_EQ(err,
              "note: Your xml file has been created.\nSearch it with vantor-cli --input FILE.\nLogfile "
              "generated as romscanlog.txt\n");
    std::string log = ReadFileBytes(dir.File("work/romscanlog.txt"));
    EXPECT_NE(
        log.find("\r\nxyz was not found in the xml file.\r\nAdded 2 entries into new XML file out of 3 zip "
                 "files found."),
        std::string::npos)
        << log;

    ASSERT_EQ(Run("romdir2xml --roms " + Quote(dir.File("roms")) + " -o " + Quote(dir.File("romdir.xml"))), 0)
        << err;
    EXPECT_NE(ReadFileBytes(dir.File("romdir.xml")).find("<game name=\"xyz\">"), std::string::npos);
    EXPECT_EQ(Run("romdir2xml --roms " + Quote(dir.File("nothing")) + " -o " + Quote(dir.File("romdir.xml"))),
              1);
    EXPECT_EQ(err, "warning: Error reading the ROM folder!?\n");
    EXPECT_EQ(Run("romscan --roms x"), 2);
}

TEST_F(UtilitiesCliTest, ListConverters) {
    std::string input = "--input " + Quote(UtilityFixture("master.xml"));
    ASSERT_EQ(Run(input + " maximus2xml " + Quote(UtilityFixture("convert/maximus.txt")),
                  "TMPDIR=" + Quote(dir.Path())),
              0)
        << err;
    EXPECT_EQ(ReadFileBytes(dir.File("tempXMLFile.xml")),
              ReadFileBytes(UtilityFixture("convert/expected.xml")));
    ASSERT_EQ(Run(input + " maximus2xml " + Quote(UtilityFixture("convert/maximus.txt")) + " -o " +
                  Quote(dir.File("max.xml"))),
              0);
    EXPECT_EQ(ReadFileBytes(dir.File("max.xml")), ReadFileBytes(UtilityFixture("convert/expected.xml")));
    // The advice in the command line's words, never the window's.
    EXPECT_EQ(err,
              "note: Your xml file has been created.\nSearch it with vantor-cli --input FILE.\n\nvantor-cli "
              "--input FILE list-all lists all its ROMs.\n");

    dir.Write("bad.mlg", "\x01\x07 nothing");
    EXPECT_EQ(Run(input + " mala2xml " + Quote(dir.File("bad.mlg")) + " -o " + Quote(dir.File("mala.xml"))),
              1);
    EXPECT_EQ(err, "warning: Invalid Mala game list file?!?\n");
    EXPECT_FALSE(FileExists(dir.File("mala.xml")));
    EXPECT_EQ(Run("mala2xml only-one-argument"), 2);
}

TEST_F(UtilitiesCliTest, ListXmlRunsTheProgramAndPrintsTheListingPath) {
    std::string mame = dir.Write("emu/mame", "#!/bin/sh\nhead -c 1048576 /dev/zero\n");
    ::chmod(mame.c_str(), 0755);
    // Into the data folder, never beside the program.
    const std::string dataHome = "XDG_DATA_HOME=" + Quote(dir.File("data"));
    ASSERT_EQ(Run("listxml --mame " + Quote(mame), dataHome), 0) << err;
    EXPECT_EQ(out, dir.File("data/Vantor/listxml.xml") + "\n");
    EXPECT_FALSE(FileExists(dir.File("emu/listxml.xml")));
    EXPECT_EQ(err.rfind("warning: I will now attempt to coax MAME to give up", 0), 0u);
    EXPECT_EQ(Run("listxml --mame " + Quote(dir.File("data/Vantor/listxml.xml")), dataHome), 1);
    EXPECT_EQ(Run("listxml", dataHome), 2);
    // A relative path holding a folder, from the current folder; the listing where -o says.
    ASSERT_EQ(Run("listxml --mame ../emu/mame -o mame.xml", dataHome), 0) << err;
    EXPECT_EQ(out, dir.File("work/mame.xml") + "\n");
    EXPECT_EQ(std::filesystem::file_size(dir.File("work/mame.xml")), std::uintmax_t{1048576});
    std::string broken = dir.Write("emu/broken.exe", "MZ");
    EXPECT_EQ(Run("listxml --mame " + Quote(broken), dataHome), 1);
    EXPECT_EQ(err,
              "warning: Can't start the program you pointed me to:\n" + broken + "\n(Permission denied)\n");
}

}  // namespace
}  // namespace vantor::test
