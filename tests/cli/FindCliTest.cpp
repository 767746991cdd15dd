#include <gtest/gtest.h>

#include <sstream>

#include "CliInProcess.h"
#include "TestSupport.h"
#include "cli/CliCommand.h"
#include "gamedata/SettingsStore.h"
#include "output/ListFormats.h"

namespace vantor {
namespace {

using test::TempDir;

class FindCliTest : public test::CliInProcessTest {
  protected:
    std::string master_ = test::FixturePath("gamedata/machines.xml");
};

TEST_F(FindCliTest, PrintsMatchLinesAndTheCount) {
    ASSERT_EQ(RunOn(master_, {"find", "pac-man | 'Galaga (Namco'"}), 0) << err_;
    const std::string pacman = "|pacman|Pac-Man (Midway)|1980|Namco (Midway license)|\n";
    EXPECT_NE(out_.find(pacman), std::string::npos) << out_;
    EXPECT_NE(out_.find("|galaga|Galaga (Namco rev. B)|1981|Namco|\n"), std::string::npos);
    EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 3);  // pacman, pacmanf, galaga
    EXPECT_TRUE(out_.starts_with("0x")) << out_;
    EXPECT_NE(err_.find("3 ROMs\n"), std::string::npos) << err_;
    // The note on files that are not merged is for criteria, where categories matter.
    EXPECT_EQ(err_, "3 ROMs\n");
}

TEST_F(FindCliTest, HideTagsAndOptionEnd) {
    ASSERT_EQ(RunOn(master_, {"--hide-tags", "find", "--", "-cloneof"}), 0) << err_;
    EXPECT_NE(out_.find("|onel|One \"Line\" Game|1999|?|\n"), std::string::npos) << out_;
    EXPECT_NE(out_.find("|bios1|Some & BIOS <unknown>|19??|<unknown>|\n"), std::string::npos) << out_;
    EXPECT_EQ(out_.find("|pacman|"), std::string::npos);
}

TEST_F(FindCliTest, ExpressionErrorsExitTwoWithoutOutput) {
    EXPECT_EQ(RunOn(master_, {"find", "'pacman"}), 2);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(err_, "error: Error, missing 2nd quote mark.\nThe quote mark at position 1 has no partner.\n");
    EXPECT_EQ(RunOn(master_, {"find", "(a (b)"}), 2);
    EXPECT_EQ(
        err_,
        "error: Error, missing parenthesis set\nIf you want to search for only 1, put quotes around it.\n"
        "The \"(\" at position 1 is never closed.\n");
    // Mistakes that once searched silently: every game, or none.
    for (const char* mistake : {"pacman |", "(joy8way", "@NOSUCH", "@usa", "joy8way & | galaga", "buttons>",
                                "buttons>x", "year>=19x"}) {
        EXPECT_EQ(RunOn(master_, {"find", mistake}), 2) << mistake;
        EXPECT_EQ(out_, "") << mistake;
        EXPECT_NE(err_.find("position"), std::string::npos) << err_;
    }
    EXPECT_EQ(RunOn(master_, {"find", "   "}), 2);
    EXPECT_EQ(err_, "error: Error! Nothing to search for\n");
    EXPECT_EQ(RunOn(master_, {"find"}), 2);
    EXPECT_EQ(RunOn(master_, {"frobnicate"}), 2);
}

TEST_F(FindCliTest, CountPrintsOnlyTheNumberOfMatches) {
    ASSERT_EQ(RunOn(master_, {"find", "--count", "pac-man | 'Galaga (Namco'"}), 0) << err_;
    EXPECT_EQ(out_, "3\n");
    EXPECT_EQ(err_, "");
    ASSERT_EQ(RunOn(master_, {"find", "nothing_like_this", "--count"}), 0);
    EXPECT_EQ(out_, "0\n");
    EXPECT_EQ(RunOn(master_, {"find", "--count", "'pacman"}), 2);
    EXPECT_EQ(out_, "");
}

TEST_F(FindCliTest, OptionsACommandDoesNotDeclareAreUsageErrors) {
    EXPECT_EQ(RunOn(master_, {"find", "--frobnicate", "pacman"}), 2);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(err_,
              "error: unknown option --frobnicate for find\nusage: vantor-cli find [--count] EXPR [FAMILY "
              "OPTIONS] [--left-out FILE.csv]\n(see vantor-cli --help)\n");
    EXPECT_EQ(RunOn(master_, {"romscan", "--rom", "/tmp", "-o", files_.File("x.xml")}), 2);
    EXPECT_NE(err_.find("unknown option --rom for romscan"), std::string::npos) << err_;
    // One dash may begin an expression; a declared option's value may look like an option.
    ASSERT_EQ(RunOn(master_, {"find", "--", "-cloneof"}), 0) << err_;
    const std::string afterOptionEnd = out_;
    ASSERT_EQ(RunOn(master_, {"find", "-cloneof"}), 0) << err_;
    EXPECT_EQ(out_, afterOptionEnd);
    EXPECT_NE(out_, "");
    EXPECT_EQ(RunOn(master_, {"save", "romnames", "--find", "--pacman", "--keep-order"}), 0) << err_;
    // Every option the program declares before the command is one it takes.
    for (const cli::CliOption& option : cli::GlobalOptionList()) {
        if (option.name == "--") continue;
        std::vector<std::string> args = {option.name};
        if (option.value != cli::OptionValue::None) args.push_back(master_);
        args.push_back("--version");
        EXPECT_EQ(Run(args), 0) << option.name << ": " << err_;
    }
}

TEST_F(FindCliTest, OutputThatCannotBeWrittenIsAFailure) {
    for (std::vector<std::string> command :
         {std::vector<std::string>{"list-all"}, {"find", "--count", "pacman"}, {"details", "pacman"}}) {
        command.insert(command.begin(), {"vantor-cli", "--input", master_});
        std::ostream full(nullptr);  // every write fails, as on a full disk
        std::ostringstream err;
        std::istringstream in;
        EXPECT_EQ(cli::RunVantorCli(command, full, err, in), 1) << command[3];
        EXPECT_EQ(err.str(), "error: Writing the output failed (standard output).\n");
    }
}

TEST_F(FindCliTest, NoMatchPrintsNothing) {
    EXPECT_EQ(RunOn(master_, {"find", "nothing_like_this"}), 0);
    EXPECT_EQ(out_, "");
    EXPECT_NE(err_.find("0 ROMs"), std::string::npos);
}

TEST_F(FindCliTest, InputFromSettingsAndBadInputs) {
    EXPECT_EQ(Run({"list-all"}), 1);
    EXPECT_EQ(
        err_,
        "error: No input file: give --input FILE, or choose one in the settings of the desktop program.\n");
    Settings settings;
    settings.inputXmlFile = master_;
    ASSERT_TRUE(settings.Save());
    EXPECT_EQ(Run({"list-all"}), 0);
    EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 6);
    EXPECT_EQ(RunOn("/nonexistent.xml", {"list-all"}), 1);
    EXPECT_EQ(err_, "error: Open or Read error on input file!?\nCheck your settings.\n");
    std::string garbage = files_.Write("garbage.bin", std::string("\x00\xff\x01<mach\x00ine name=", 17));
    EXPECT_EQ(RunOn(garbage, {"list-all"}), 0);
    EXPECT_EQ(out_, "");
    EXPECT_NE(err_.find("error: Unknown input XML type.  Continue at your own risk!"), std::string::npos);
}

TEST_F(FindCliTest, FieldLineBreaksPrintAsSpaces) {
    std::string master = files_.Write(
        "m.xml",
        "<mame (machine+)>\n<machine name=\"two\">\n<description>Two\r\nLines</description>\n</machine>\n");
    ASSERT_EQ(RunOn(master, {"list-all"}), 0);
    EXPECT_EQ(out_, "0x11|two|Two  Lines|19??|?|\n");
}

TEST_F(FindCliTest, MacrosFromTheUserCopyFirst) {
    ASSERT_EQ(RunOn(master_, {"find", "@JAPAN"}), 0) << err_;  // the copy beside the executable
    EXPECT_NE(out_.find("|puckman|"), std::string::npos);
    EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 1);
    data_.Write("Vantor/vnmacros.txt", "@JAPAN = galaga\n");
    ASSERT_EQ(RunOn(master_, {"find", "@JAPAN"}), 0);
    EXPECT_NE(out_.find("|galaga|"), std::string::npos);
}

TEST_F(FindCliTest, RomSearchAndDetails) {
    ASSERT_EQ(RunOn(master_, {"romsearch", "pac-man"}), 0);
    EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 2);
    EXPECT_EQ(RunOn(master_, {"romsearch", "zzzzzz"}), 0);
    EXPECT_NE(err_.find("note: No matches found!"), std::string::npos);

    ASSERT_EQ(RunOn(master_, {"details", "pacman"}), 0);
    EXPECT_TRUE(out_.starts_with("<machine name=\"pacman\""));
    EXPECT_NE(out_.find("<rom name=\"pacman.6e\""), std::string::npos);
    ASSERT_EQ(RunOn(master_, {"--hide-rom-names", "details", "pacman"}), 0);
    EXPECT_EQ(out_.find("<rom name="), std::string::npos) << out_;
    EXPECT_NE(out_.find("<driver status=\"good\""), std::string::npos);
    EXPECT_EQ(RunOn(master_, {"details", "pacma"}), 1);
}

TEST_F(FindCliTest, HelpForEveryCommandAndMessagesSaidForTheCommandLine) {
    for (const cli::CliCommand& command : cli::Commands()) {
        ASSERT_EQ(Run({command.name, "--help"}), 0) << command.name;
        EXPECT_TRUE(out_.starts_with("Usage: vantor-cli [OPTIONS] " + command.usage + "\n")) << out_;
        EXPECT_EQ(err_, "");
        for (const cli::CliOption& option : command.options) {
            EXPECT_NE(out_.find(" " + option.name + " "), std::string::npos)
                << command.name << " " << option.name;
        }
    }
    ASSERT_EQ(Run({"--help"}), 0);
    for (const ListFormatInfo& info : ListFormatTable()) {
        EXPECT_NE(out_.find(std::string(" ") + info.cliName + (info.format == ListFormat::Xml ? "\n" : ",")),
                  std::string::npos)
            << info.cliName;
    }
    for (const char* option :
         {"--keys FILE", "--keep-order", "-o FILE", "--title TEXT", "--rom-folder DIR", "--template TEXT",
          "--windows", "--columns LIST", "--delimiter TEXT", "--no-header"}) {
        EXPECT_NE(out_.find(option), std::string::npos) << option;
    }
    // After "--" it is an argument: an expression.
    EXPECT_EQ(RunOn(master_, {"find", "--", "--help"}), 0);
    EXPECT_TRUE(out_.starts_with("0x")) << out_;

    // The note on files that are not merged comes once, where categories matter, and points to
    // the command that makes a merged file.
    ASSERT_EQ(RunOn(master_, {"criteria"}), 0);
    const std::string note = "warning: Note: Because you are not using a merged input file";
    EXPECT_EQ(err_.find(note), err_.rfind(note));
    EXPECT_NE(err_.find("create a merged input file with vantor-cli merge."), std::string::npos) << err_;
    EXPECT_EQ(err_.find("settings window"), std::string::npos);
    for (std::vector<std::string> command :
         {std::vector<std::string>{"list-all"}, {"save", "romnames", "--all"}}) {
        ASSERT_EQ(RunOn(master_, command), 0);
        EXPECT_EQ(err_.find("Note:"), std::string::npos) << err_;
    }
}

}  // namespace
}  // namespace vantor
