// What a command may write onto: never an input nor another output of the run, never a list it
// could not read first, nothing that is not a plain file by replacing it; and inputs that are no
// plain files are refused at once instead of hanging or filling memory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "CliChildProcess.h"
#include "CliInProcess.h"
#include "TestSupport.h"
#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"

namespace vantor {
namespace {

class OutputSafetyTest : public test::CliInProcessTest {
  protected:
    void SetUp() override {
        CliInProcessTest::SetUp();
        master_ = files_.Write("m.xml", test::ReadFileBytes(test::FixturePath("output/merged.xml")));
    }
    std::vector<std::string> Folder() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(files_.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string master_;
};

TEST_F(OutputSafetyTest, AnOutputThatIsAnInputOrAnotherOutputIsRefusedBeforeAnythingIsWritten) {
    files_.Write("list.txt", "pacman\n");
    std::filesystem::create_symlink("m.xml", files_.File("link.xml"));
    std::filesystem::create_hard_link(master_, files_.File("hard.xml"));
    const std::vector<std::string> before = Folder();
    const std::string original = test::ReadFileBytes(master_);
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"find", "cloneof=puckman", "--left-out", "m.xml"},
         "--left-out m.xml is the master file " + master_ + ", which this command reads"},
        {{"find", "x", "--left-out", "./m.xml"}, "--left-out ./m.xml is the master file"},
        {{"list-all", "--one-per-family", "--family-log", "hard.xml"},
         "--family-log hard.xml is the master file"},
        {{"save", "xml", "--all", "-o", "link.xml"}, "-o link.xml is the master file"},
        {{"save", "romnames", "--from-list", "list.txt", "-o", "./list.txt"},
         "-o ./list.txt is --from-list list.txt"},
        {{"save", "romnames", "--from-list", "list.txt", "-o", "loadListLog.txt"},
         "-o and the log name one file (loadListLog.txt)"},
        {{"find", "x", "--one-per-family", "--left-out", "a.csv", "--family-log", "./a.csv"},
         "--left-out and --family-log name one file (./a.csv)"},
        {{"find", "x", "--one-per-family", "--left-out", "-", "--family-log", "-"},
         "--left-out and --family-log name one file (-)"},
        {{"save", "csv", "--all", "--columns", "year", "--one-per-family", "--family-log", "l.csv", "-o",
          "l.csv"},
         "--family-log and -o name one file (l.csv)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        EXPECT_EQ(RunOn(master_, c.args), 1);
        EXPECT_EQ(err_.rfind("error: " + c.error, 0), 0u) << err_;
        EXPECT_EQ(out_, "");
    }
    EXPECT_EQ(RunOn("m.xml", {"merge", "--listxml", "list.txt", "--catver", "c.ini", "--controls", "c.xml",
                              "-o", "list.txt"}),
              1);
    EXPECT_EQ(err_.rfind("error: -o list.txt is --listxml list.txt", 0), 0u) << err_;
    EXPECT_EQ(test::ReadFileBytes(master_), original);
    EXPECT_EQ(Folder(), before);
}

// Run as another user when we are root, so that the permissions apply.
TEST_F(OutputSafetyTest, AnUpdateTargetThatCannotBeReadIsLeftAsItIs) {
    std::filesystem::permissions(files_.Path(), std::filesystem::perms::all);
    std::filesystem::permissions(master_, std::filesystem::perms::all);
    for (const char* format : {"es-de", "retroarch"}) {
        SCOPED_TRACE(format);
        const std::string target = files_.Write(std::string(format) + ".list", "favourites");
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
        }
        ASSERT_EQ(::chmod(target.c_str(), 0200), 0);
        test::ChildLimits other;
        other.asOtherUser = true;
        const test::ChildOutcome saved =
            test::RunChild({"--input", master_, "save", format, "--all", "-o", target}, files_.Path(), other);
        EXPECT_EQ(saved.status, 1);
        EXPECT_NE(saved.err.find("error: The list to be updated cannot be read, so it was left as it is:\n" +
                                 target + ": Permission denied"),
                  std::string::npos)
            << saved.err;
        ::chmod(target.c_str(), 0600);
        EXPECT_EQ(test::ReadFileBytes(target), "favourites");
    }
}

TEST_F(OutputSafetyTest, DashIsStandardOutputAndDevicesAreWrittenNotReplaced) {
    ASSERT_EQ(RunOn(master_, {"find", "pac", "--left-out", "-"}), 0) << err_;
    EXPECT_TRUE(out_.starts_with("ROM name,description,excluded by\n")) << out_;
    EXPECT_NE(out_.find("|pacman|"), std::string::npos);
    ASSERT_EQ(RunOn(master_, {"list-all", "--one-per-family", "--family-log", "-"}), 0) << err_;
    EXPECT_TRUE(out_.starts_with("One game per family: ")) << out_;
    EXPECT_FALSE(FileExists(files_.File("-")));

    // Through links, so that a replaced device would only be a replaced link.
    std::filesystem::create_symlink("/dev/full", files_.File("full"));
    std::filesystem::create_symlink("/dev/null", files_.File("null"));
    EXPECT_EQ(RunOn(master_, {"save", "es-de", "--all", "-o", "full"}), 1);
    EXPECT_EQ(err_, "warning: Error writing output file!?\nfull: No space left on device\n");
    EXPECT_EQ(RunOn(master_, {"find", "pac", "--left-out", "null"}), 0) << err_;
    EXPECT_TRUE(std::filesystem::is_symlink(files_.File("full")));
    EXPECT_TRUE(std::filesystem::is_symlink(files_.File("null")));

    // A format without a preview writes its bytes to standard output.
    const test::ChildOutcome mala =
        test::RunChild({"--input", master_, "save", "mala", "--all", "-o", "-"}, files_.Path());
    EXPECT_EQ(mala.status, 0) << mala.err;
    EXPECT_TRUE(mala.out.starts_with("\x01\x06")) << mala.out;
}

// In a child process: before, a FIFO was waited for for ever and /dev/zero read until memory ran out.
TEST_F(OutputSafetyTest, InputsAndTargetsThatAreNoPlainFilesAreRefusedAtOnce) {
    const std::string fifo = files_.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"save", "romnames", "--from-list", fifo},
         "error: Error opening file for reading!?\n" + fifo + ": a FIFO, not a regular file\n"},
        {{"save", "romnames", "--from-list", "/dev/zero"},
         "error: Error opening file for reading!?\n/dev/zero: a character device, not a regular file\n"},
        {{"save", "romnames", "--keys", fifo},
         "error: Cannot read the key file " + fifo + ": a FIFO, not a regular file\n"},
        {{"save", "es-de", "--all", "-o", fifo},
         "warning: Error opening output file for write!?\n" + fifo + ": a FIFO no program reads from\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[3]);
        std::vector<std::string> args = {"--input", master_};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const test::ChildOutcome run = test::RunChild(args, files_.Path());
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.error);
    }
}

TEST_F(OutputSafetyTest, EveryWriteErrorNamesItsFileSplitListsIncluded) {
    const std::string lists = files_.Path() + "/lists";
    std::filesystem::create_directories(lists + "/MAME - Maze - Collect.lpl");  // a folder in a list's place
    EXPECT_EQ(
        RunOn(master_, {"save", "retroarch", "--all", "--split-by-category", "-o", lists + "/MAME.lpl"}), 1);
    EXPECT_EQ(err_, "warning: Error opening output file for write!?\n" + lists +
                        "/MAME - Maze - Collect.lpl: a folder, not a file a list can be written to\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(lists), {}), 1);

    // The longest name a folder takes, with its temporary file beside it.
    const std::string longest = files_.File(std::string(250, 'n') + ".lpl");
    ASSERT_EQ(RunOn(master_, {"save", "retroarch", "--all", "-o", longest}), 0) << err_;
    EXPECT_NE(test::ReadFileBytes(longest).find("\"label\": \"Pac-Man (Midway)\""), std::string::npos);
}

TEST_F(OutputSafetyTest, SaveKeepsOneGamePerFamilyAsFindDoes) {
    const std::string log = files_.File("families.txt");
    ASSERT_EQ(RunOn(master_, {"list-all", "--one-per-family", "--regions", "usa,japan", "--family-log", log}),
              0)
        << err_;
    const std::vector<std::string> kept = Names();
    const std::string findLog = test::ReadFileBytes(log);
    std::string names;
    for (const std::string& name : kept) names += name + "\r\n";

    const std::string list = files_.File("list.txt");
    ASSERT_EQ(RunOn(master_, {"save", "romnames", "--all", "--keep-order", "--one-per-family", "--regions",
                              "usa,japan", "--family-log", log, "-o", list}),
              0)
        << err_;
    EXPECT_EQ(test::ReadFileBytes(list), names);
    EXPECT_EQ(test::ReadFileBytes(log), findLog);
    EXPECT_NE(err_.find("note: One game per family:"), std::string::npos) << err_;
    // A list already made (a keys file, a list of another front end) is cut down the same way.
    ASSERT_EQ(RunOn(master_, {"list-all"}), 0);
    const std::string every = files_.Write("every.txt", out_);
    const std::string allNames = files_.Write(
        "names.txt", out_.empty() ? "" : [&] {
            std::string text;
            for (const std::string& name : Names()) text += name + "\n";
            return text;
        }());
    for (const auto& [source, file] : {std::pair{"--keys", every}, std::pair{"--from-list", allNames}}) {
        ASSERT_EQ(
            RunOn(master_, {"save", "romnames", source, file, "--one-per-family", "--regions", "usa,japan"}),
            0)
            << err_;
        EXPECT_EQ(out_, names) << source;
    }
}

TEST_F(OutputSafetyTest, TheNoteOnAFileThatIsNotMergedComesOncePerFile) {
    const std::string raw = test::FixturePath("gamedata/machines.xml");
    const std::string copy = files_.Write("raw.xml", test::ReadFileBytes(raw));
    const std::string note = "warning: Note: Because you are not using a merged input file";
    ASSERT_EQ(RunOn(raw, {"criteria"}), 0);
    EXPECT_NE(err_.find(note), std::string::npos) << err_;
    ASSERT_EQ(RunOn(raw, {"criteria"}), 0);
    EXPECT_EQ(err_, "note: " + raw +
                        " is not a merged file: the categories, players and controls.xml criteria are off "
                        "(vantor-cli merge).\n");
    ASSERT_EQ(RunOn(copy, {"criteria"}), 0);
    EXPECT_NE(err_.find(note), std::string::npos) << err_;
    // Remembering it is no choice of an input file: the desktop program's first run still greets.
    EXPECT_FALSE(Settings::Load().keyExists);
}

TEST_F(OutputSafetyTest, HelpDescribesEveryOptionItLists) {
    for (const cli::CliCommand& command : cli::Commands()) {
        ASSERT_EQ(Run({command.name, "--help"}), 0);
        const std::size_t block = out_.find("\nOptions:\n");
        if (block == std::string::npos) continue;
        std::istringstream lines(out_.substr(block + 10));
        for (std::string line; std::getline(lines, line) && !line.empty();) {
            if (!line.starts_with("  -")) continue;  // a help's second line
            const std::size_t name = line.find_first_not_of(' ', 2);
            const std::size_t gap = line.find("   ", name);
            EXPECT_TRUE(gap != std::string::npos && line.find_first_not_of(' ', gap) != std::string::npos)
                << command.name << ": " << line;
        }
    }
}

}  // namespace
}  // namespace vantor
