#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "CliInProcess.h"
#include "TestSupport.h"
#include "cli/CliCommand.h"
#include "gamedata/FileIo.h"

namespace vantor {
namespace {

using test::TempDir;

class SaveCliTest : public test::CliInProcessTest {
  protected:
    int Save(const std::string& master, std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), {"--input", master, "save"});
        return Run(std::move(args), input);
    }
    static std::string Golden(const std::string& name) {
        return test::ReadFileBytes(test::FixturePath("output/golden/" + name));
    }
    // The match-list lines of every game of `master`, in file order.
    std::string ListAll(const std::string& master) {
        EXPECT_EQ(Run({"--input", master, "list-all"}), 0) << err_;
        return out_;
    }

    std::string merged_ = test::FixturePath("output/merged.xml");
};

TEST_F(SaveCliTest, AllIsSortedByNameAndPrintedAsThePreview) {
    // The merged fixture sorted by Name is the row order of the hand-written files.
    ASSERT_EQ(Save(merged_, {"hyperspin", "--all"}), 0) << err_;
    EXPECT_EQ(out_, Golden("merged.hyperspin"));
    ASSERT_EQ(Save(merged_, {"attractmode", "--all", "-o", "-"}), 0) << err_;
    EXPECT_EQ(out_, Golden("merged.attractmode"));
    ASSERT_EQ(Save(merged_, {"romnames", "--all", "--keep-order"}), 0) << err_;
    EXPECT_EQ(out_, "puckman\r\npacman\r\nsf2\r\ncdgame\r\nlbreak\r\n");
}

// --split-by-category takes "main" or "full" after it, or nothing (full).
TEST_F(SaveCliTest, SplitByCategoryTakesMainOrFull) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> splits = {
        {{"--split-by-category", "main"}, "MAME - Maze.lpl"},
        {{"--split-by-category", "full"}, "MAME - Maze - Collect.lpl"},
        {{"--split-by-category"}, "MAME - Maze - Collect.lpl"}};
    for (const auto& [words, file] : splits) {
        test::TempDir dir;
        std::vector<std::string> args = {"retroarch", "--all", "-o", dir.File("MAME.lpl")};
        args.insert(args.begin() + 2, words.begin(), words.end());
        ASSERT_EQ(Save(merged_, args), 0) << err_;
        EXPECT_TRUE(std::filesystem::exists(dir.File(file))) << file;
    }
}

TEST_F(SaveCliTest, SortingComparesLikeTheListControlAndIsStable) {
    std::string master = files_.Write("m.xml",
                                      "<?xml version=\"1.0\"?>\n<!-- mame (game+) -->\n<mame>\n"
                                      "<game name=\"g1\"><description>b</description></game>\n"
                                      "<game name=\"g2\"><description>B</description></game>\n"
                                      "<game name=\"g3\"><description>a</description></game>\n"
                                      "<game name=\"g4\"><description>b</description></game>\n</mame>\n");
    ASSERT_EQ(Save(master, {"romnames", "--all"}), 0) << err_;
    EXPECT_EQ(out_, "g3\r\ng1\r\ng4\r\ng2\r\n");
}

TEST_F(SaveCliTest, FindUsesTheSearchLanguage) {
    ASSERT_EQ(Save(merged_, {"romnames", "--find", "cloneof | <disk"}), 0) << err_;
    EXPECT_EQ(out_, "pacman\r\ncdgame\r\n");
    ASSERT_EQ(Save(merged_, {"romnames", "--find", "\"joy8way\""}), 0) << err_;
    EXPECT_EQ(out_, "sf2\r\ncdgame\r\n");
    ASSERT_EQ(Save(merged_, {"romnames", "--find", "nosuchgame_xyz"}), 0) << err_;
    EXPECT_EQ(out_, "");

    EXPECT_EQ(Save(merged_, {"romnames", "--find", "'pacman"}), 2);
    EXPECT_EQ(err_, "error: Error, missing 2nd quote mark.\nThe quote mark at position 1 has no partner.\n");
    EXPECT_EQ(Save(merged_, {"romnames", "--find", "  "}), 2);
    EXPECT_NE(err_.find("Error! Nothing to search for"), std::string::npos) << err_;
    EXPECT_EQ(out_, "");
}

TEST_F(SaveCliTest, KeysFileKeepsItsOrderAndDropsAdjacentRepeats) {
    std::string lines = ListAll(merged_);  // puckman, pacman, sf2, cdgame, lbreak
    std::vector<std::string> line;
    std::istringstream stream(lines);
    for (std::string each; std::getline(stream, each);) line.push_back(each);
    ASSERT_EQ(line.size(), 5u);
    // Only the first field counts; blank lines are skipped; CR LF files are read too.
    std::string keys = line[4] + "\n" + line[1] + "\r\n" + line[1].substr(0, line[1].find('|')) + "\n\n" +
                       line[0] + "\n" + line[1] + "\n";
    std::string file = files_.Write("keys.txt", keys);
    ASSERT_EQ(Save(merged_, {"romnames", "--keys", file}), 0) << err_;
    EXPECT_EQ(out_, "lbreak\r\npacman\r\npuckman\r\npacman\r\n");
    ASSERT_EQ(Save(merged_, {"romnames", "--keys", "-"}, keys), 0) << err_;
    EXPECT_EQ(out_, "lbreak\r\npacman\r\npuckman\r\npacman\r\n");

    EXPECT_EQ(Save(merged_, {"romnames", "--keys", files_.File("none.txt")}), 1);
    EXPECT_NE(err_.find("error: Cannot read the key file"), std::string::npos) << err_;
    EXPECT_EQ(Save(merged_, {"romnames", "--keys", "-"}, line[0] + "\npacman|x|\n"), 1);
    EXPECT_NE(err_.find("error: Line 2 of standard input holds no record key: pacman|x|"), std::string::npos)
        << err_;
    EXPECT_EQ(Save(merged_, {"romnames", "--keys", "-"}, "0x7fffffff|\n"), 1);
    EXPECT_NE(err_.find("lies beyond the end of the input file"), std::string::npos) << err_;
    EXPECT_EQ(out_, "");
}

TEST_F(SaveCliTest, OutputFileHoldsThePreviewText) {
    for (const char* format :
         {"advancemenu", "atomicfe", "attractmode", "batch", "cabrio", "hyperspin", "khameleon", "mameuifx",
          "mamewah", "multife", "descriptions", "romnames", "xml"}) {
        SCOPED_TRACE(format);
        ASSERT_EQ(Save(merged_, {format, "--all"}), 0) << err_;
        std::string preview = out_;
        std::string file = files_.File(std::string("list.") + format);
        ASSERT_EQ(Save(merged_, {format, "--all", "-o", file}), 0) << err_;
        EXPECT_EQ(out_, "");
        EXPECT_EQ(test::ReadFileBytes(file), preview);
    }
    EXPECT_EQ(test::ReadFileBytes(files_.File("list.xml")), Golden("merged.xml"));
}

TEST_F(SaveCliTest, FormatOptions) {
    ASSERT_EQ(Save(merged_, {"cabrio", "--all", "--title", "My Games", "--logo-dir", "/img/logos/",
                             "--background-dir", "bg"}),
              0)
        << err_;
    EXPECT_EQ(out_, Golden("merged.cabrio"));
    ASSERT_EQ(Save(merged_, {"khameleon", "--all", "--title", "Arcade Classics"}), 0) << err_;
    EXPECT_EQ(out_, Golden("merged.khameleon"));
    ASSERT_EQ(Save(merged_, {"batch", "--all", "--windows", "--template",
                             "copy %ROM%.zip c:\\mame\\roms|rem %DESC% [%CHD%]"}),
              0);
    EXPECT_EQ(out_, Golden("merged.batch"));
    // A shell script by default, a Windows batch file with --windows; each has its own template.
    ASSERT_EQ(Save(merged_, {"batch", "--find", "sf2"}), 0);
    EXPECT_EQ(out_, "#!/bin/sh\ncp \"sf2.zip\" ~/roms/\n");
    ASSERT_EQ(Save(merged_, {"batch", "--find", "sf2", "--windows"}), 0);
    EXPECT_EQ(out_, "copy sf2.zip c:\\mame\\roms\r\n");
    ASSERT_EQ(Run({"--input", merged_, "--hide-tags", "save", "descriptions", "--all"}), 0) << err_;
    EXPECT_EQ(out_, Golden("merged.descriptions.hidetags"));

    // The ROM folder gets its separator; a folder that has one keeps it.
    std::string maximus = files_.File("max.txt");
    ASSERT_EQ(Save(merged_, {"maximus", "--find", "sf2", "--rom-folder", "/roms", "-o", maximus}), 0) << err_;
    EXPECT_EQ(
        test::ReadFileBytes(maximus),
        "[\"Street Fighter II: The World Warrior (World 910522)\": [#name: \"sf2\", #path: \"/roms/\"]]");
    ASSERT_EQ(Save(merged_, {"maximus", "--all", "--rom-folder", "/roms/", "-o", maximus}), 0) << err_;
    EXPECT_EQ(test::ReadFileBytes(maximus), Golden("merged.maximus"));

    std::string mgalaxy = files_.File("galaxy.xml");
    ASSERT_EQ(Save(merged_, {"mgalaxy", "--all", "-o", mgalaxy}), 0) << err_;
    EXPECT_EQ(test::ReadFileBytes(mgalaxy), Golden("merged.mgalaxy"));

    std::string mala = files_.File("list.mlg");
    ASSERT_EQ(Save(merged_, {"mala", "--find", "sf2", "--title", "Fighters", "-o", mala}), 0) << err_;
    std::string bytes = test::ReadFileBytes(mala);
    EXPECT_TRUE(
        bytes.starts_with(std::string("\x01\x06\x08"
                                      "Fighters\x06\x00\x06\x00\x11",
                                      15)))
        << bytes;
}

TEST_F(SaveCliTest, CsvColumns) {
    ASSERT_EQ(Save(merged_, {"csv", "--all", "--columns", "version-added, description,controls,chd,year",
                             "--delimiter", ", ", "--no-header"}),
              0)
        << err_;
    EXPECT_EQ(out_, Golden("merged.csv.picked"));
    std::string all =
        "description,rom-name,clone-of,driver,year,manufacturer,buttons,controls,cocktail,video-width,video-"
        "height,"
        "orientation,display-type,refresh-rate,emulation-status,chd,category,controls-xml,tilt,alternating,"
        "players,"
        "uses-service,mirrored,version-added";
    ASSERT_EQ(Save(merged_, {"csv", "--all", "--columns", all}), 0) << err_;
    EXPECT_EQ(out_, Golden("merged.csv"));
    // A MAME listing of game elements gathers no category.
    ASSERT_EQ(
        Save(test::FixturePath("output/mamegame.xml"), {"csv", "--all", "--columns", "category,rom-name"}),
        0);
    EXPECT_EQ(out_, "ROM Name\r\nmspacman\r\ntwoyear\r\n");

    EXPECT_EQ(Save(merged_, {"csv", "--all", "--columns", "year,nope"}), 2);
    EXPECT_NE(err_.find("unknown CSV column nope"), std::string::npos) << err_;
    EXPECT_EQ(Save(merged_, {"csv", "--all", "--columns", "year,year"}), 2);
    EXPECT_EQ(Save(merged_, {"csv", "--all"}), 2);
    EXPECT_NE(err_.find("needs --columns"), std::string::npos) << err_;
}

TEST_F(SaveCliTest, UsageErrors) {
    EXPECT_EQ(Save(merged_, {"romnames"}), 2);
    EXPECT_EQ(Save(merged_, {"romnames", "--all", "--find", "x"}), 2);
    EXPECT_EQ(Save(merged_, {"nosuchformat", "--all"}), 2);
    EXPECT_NE(err_.find("unknown format nosuchformat"), std::string::npos) << err_;
    EXPECT_EQ(Save(merged_, {"hyperspin", "--all", "--title", "x"}), 2);
    EXPECT_NE(err_.find("option --title does not apply to the hyperspin format"), std::string::npos) << err_;
    EXPECT_EQ(Save(merged_, {"hyperspin", "--all", "--bogus"}), 2);
    EXPECT_EQ(Save(merged_, {"hyperspin", "xml", "--all"}), 2);
    for (const char* format : {"mala", "maximus", "mgalaxy"}) {
        std::vector<std::string> args = {format, "--all"};
        if (std::string(format) == "maximus") args.insert(args.end(), {"--rom-folder", "/r"});
        EXPECT_EQ(Save(merged_, args), 2) << format;
        EXPECT_NE(err_.find("has no preview: give -o FILE"), std::string::npos) << err_;
    }
    EXPECT_EQ(Save(merged_, {"maximus", "--all", "-o", files_.File("m.txt")}), 2);
    EXPECT_NE(err_.find("needs --rom-folder"), std::string::npos) << err_;
    EXPECT_EQ(out_, "");
}

TEST_F(SaveCliTest, UnwritableFileIsAWarningAndExitOne) {
    const std::string target = files_.File("missing/list.xml");
    EXPECT_EQ(Save(merged_, {"xml", "--all", "-o", target}), 1);
    EXPECT_NE(err_.find("warning: Error opening output file for write!?\n"), std::string::npos) << err_;
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(Save(files_.File("nomaster.xml"), {"xml", "--all", "-o", files_.File("x.xml")}), 1);
    EXPECT_FALSE(FileExists(files_.File("x.xml")));
    // An empty file name is a file that cannot be written, and said so, whatever the format.
    for (const char* format : {"mala", "mameuifx", "romnames"}) {
        EXPECT_EQ(Save(merged_, {format, "--all", "-o", ""}), 1) << format;
        EXPECT_EQ(
            err_,
            "warning: Error opening output file for write!?\n(no file name): No such file or directory\n")
            << format;
    }
}

TEST_F(SaveCliTest, FromListTakesAListsGamesAndTellsWhatTheMasterFileLacks) {
    const std::string metadata = files_.File("metadata.pegasus.txt");
    ASSERT_EQ(Save(merged_, {"pegasus", "--all", "-o", metadata}), 0) << err_;
    ASSERT_EQ(Save(merged_, {"romnames", "--from-list", metadata}), 0) << err_;
    EXPECT_EQ(out_, "lbreak\r\npacman\r\npuckman\r\nsf2\r\ncdgame\r\n");  // the list's order

    // The log goes to the working folder (the fixture's files_), as the converters' logs do, and the
    // message says where.
    EXPECT_EQ(Save(merged_, {"romnames", "--from-list", files_.Write("n.txt", "sf2\nnosuch\npacman\n")}), 0);
    EXPECT_EQ(out_, "sf2\r\npacman\r\n");  // not sorted by name
    EXPECT_NE(
        err_.find("warning: 1 of the 3 games the list names are not in the master file; their names are "
                  "in " +
                  std::filesystem::canonical(files_.Path()).string() + "/loadListLog.txt.\n"),
        std::string::npos)
        << err_;
    EXPECT_NE(test::ReadFileBytes(files_.File("loadListLog.txt")).find("Unable to find nosuch"),
              std::string::npos);
    EXPECT_EQ(Save(merged_, {"romnames", "--from-list", files_.Write("none.txt", "nosuch\n")}), 1);
    EXPECT_EQ(out_, "");

    // A playlist RetroArch would not read is reported and left as it is.
    const std::string playlist = files_.Write("MAME.lpl", "{\"items\": [");
    EXPECT_EQ(Save(merged_, {"retroarch", "--all", "-o", playlist}), 1);
    EXPECT_NE(err_.find("is not one RetroArch reads"), std::string::npos) << err_;
    EXPECT_EQ(test::ReadFileBytes(playlist), "{\"items\": [");
}

}  // namespace
}  // namespace vantor
