// Inputs users really have on their disks: truncated, binary, oversized, unreadable, and
// outputs that cannot be written. Each must end with its message and exit status, never a
// crash or a hang, and no file may change but the intended output.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "CliChildProcess.h"
#include "TestSupport.h"
#include "cli/CliCommand.h"

namespace vantor {
namespace {

using test::ChildLimits;
using test::RunChild;
using test::TempDir;

struct Outcome {
    int status = -1;
    std::string out, err;
};

Outcome RunInProcess(std::vector<std::string> args) {
    args.insert(args.begin(), "vantor-cli");
    std::ostringstream out, err;
    std::istringstream in;
    Outcome outcome;
    outcome.status = cli::RunVantorCli(args, out, err, in);
    outcome.out = out.str();
    outcome.err = err.str();
    return outcome;
}

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class HostileInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Open to every user: some cases run vantor-cli as another user.
        std::filesystem::permissions(home_.Path(), std::filesystem::perms::all);
        std::filesystem::permissions(files_.Path(), std::filesystem::perms::all);
        ::setenv("XDG_CONFIG_HOME", home_.Path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", home_.Path().c_str(), 1);
    }
    std::string Hostile(const std::string& name) { return test::FixturePath("hostile/" + name); }
    std::string Fixture() { return test::ReadFileBytes(test::FixturePath("gamedata/machines.xml")); }

    TempDir home_, files_;
    test::WorkingFolder workingFolder_{files_.Path()};
};

TEST_F(HostileInputTest, MasterFileTruncatedAnywhere) {
    const std::string whole = Fixture();
    std::size_t previous = 0;
    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length < whole.size(); length += (length % 5 == 0 ? 1 : 13))
        lengths.push_back(length);
    lengths.push_back(whole.size());
    for (std::size_t length : lengths) {
        std::string path = files_.Write("cut.xml", whole.substr(0, length));
        Outcome listed = RunInProcess({"--input", path, "list-all"});
        ASSERT_EQ(listed.status, 0) << "cut at " << length << ": " << listed.err;
        // Cutting later never loses a game that a shorter file had whole.
        EXPECT_GE(Lines(listed.out), previous) << "cut at " << length;
        previous = Lines(listed.out);
        Outcome found = RunInProcess({"--input", path, "find", "pac* | !'<year>'"});
        ASSERT_EQ(found.status, 0) << "cut at " << length;
        Outcome saved =
            RunInProcess({"--input", path, "save", "xml", "--all", "-o", files_.File("cut-out.xml")});
        ASSERT_EQ(saved.status, 0) << "cut at " << length << ": " << saved.err;
    }
    EXPECT_EQ(previous, 6u);
}

TEST_F(HostileInputTest, BinaryAndOddLineEnds) {
    Outcome nul = RunInProcess({"--input", Hostile("nul.xml"), "list-all"});
    EXPECT_EQ(nul.status, 0);
    EXPECT_EQ(Lines(nul.out), 2u);  // the NUL bytes stay inside their fields
    EXPECT_NE(nul.out.find("|After the NUL|"), std::string::npos);

    // With CR-only line ends the file is one line: no header, so no known type and no record.
    Outcome cr = RunInProcess({"--input", Hostile("cr-only.xml"), "list-all"});
    EXPECT_EQ(cr.status, 0);
    EXPECT_EQ(Lines(cr.out), 0u);
    EXPECT_NE(cr.err.find("error: Unknown input XML type."), std::string::npos);

    Outcome latin = RunInProcess({"--input", Hostile("non-utf8.xml"), "find", "caf"});
    EXPECT_EQ(latin.status, 0);
    EXPECT_NE(latin.out.find("Caf\xe9 \xff\xfe Game (Espa\xf1"
                             "a)"),
              std::string::npos);  // bytes as read

    for (const char* format : {"csv", "hyperspin", "mala", "attractmode"}) {
        std::vector<std::string> args = {"--input",
                                         Hostile("non-utf8.xml"),
                                         "save",
                                         format,
                                         "--all",
                                         "-o",
                                         files_.File(std::string("latin.") + format)};
        if (std::string(format) == "csv") args.insert(args.end(), {"--columns", "description,manufacturer"});
        EXPECT_EQ(RunInProcess(args).status, 0) << format;
    }

    Outcome empty = RunInProcess({"--input", Hostile("empty.xml"), "list-all"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
    EXPECT_NE(empty.err.find("error: Unknown input XML type.  Continue at your own risk!"),
              std::string::npos);

    std::string random;
    std::uint32_t state = 12345;
    for (int i = 0; i < 1 << 20; ++i) {
        state = state * 1664525u + 1013904223u;
        random += static_cast<char>(state >> 24);
    }
    Outcome garbage = RunInProcess({"--input", files_.Write("random.bin", random), "find", "a | b & !c"});
    EXPECT_EQ(garbage.status, 0);
}

TEST_F(HostileInputTest, HugeLineAndHugeExpressions) {
    std::string bigLine = "<mame (machine+)>\n<machine name=\"big\"><description>" +
                          std::string(100 << 20, 'x') +
                          "</description></machine>\n<machine name=\"small\">\n</machine>\n";
    std::string path = files_.Write("bigline.xml", bigLine);
    bigLine.clear();
    bigLine.shrink_to_fit();
    Outcome listed = RunInProcess({"--input", path, "list-all"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(Lines(listed.out), 2u);
    std::filesystem::remove(path);

    std::string master = test::FixturePath("gamedata/machines.xml");
    Outcome deep = RunInProcess(
        {"--input", master, "find", std::string(10000, '(') + "galaga" + std::string(10000, ')')});
    EXPECT_EQ(deep.status, 0);
    EXPECT_EQ(Lines(deep.out), 1u);
    Outcome unbalanced = RunInProcess({"--input", master, "find", std::string(10000, '(') + "x)"});
    EXPECT_EQ(unbalanced.status, 2);
    EXPECT_EQ(unbalanced.out, "");

    std::string wide;
    while (wide.size() < (1 << 20)) wide += "'nothere" + std::to_string(wide.size()) + "' | ";
    wide += "galaga";
    Outcome megabyte = RunInProcess({"--input", master, "find", wide});
    EXPECT_EQ(megabyte.status, 0);
    EXPECT_EQ(Lines(megabyte.out), 1u);
}

TEST_F(HostileInputTest, KeysAbove4GiBReadTheRightRecord) {
    std::string path = files_.File("sparse.xml");
    {
        std::string head = "<mame (machine+)>\n<machine name=\"first\">\n</machine>\n";
        int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
        std::string far = "\n<machine name=\"far\">\n<description>Far away</description>\n</machine>\n";
        ASSERT_EQ(::pwrite(fd, far.data(), far.size(), (off_t{5} << 30)), static_cast<ssize_t>(far.size()));
        ::close(fd);
    }
    std::string keys =
        files_.Write("keys.txt", "0x140000000|far|Far away|19??|?|\n0x11|first|Unknown|19??|?|\n");
    Outcome saved = RunInProcess({"--input", path, "save", "descriptions", "--keys", keys});
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out.find("Far away"), 0u) << saved.out;
}

TEST_F(HostileInputTest, GarbageListsAndDataFiles) {
    std::string master = test::FixturePath("gamedata/machines.xml");
    std::string out = files_.File("converted.xml");
    Outcome mala = RunInProcess({"--input", master, "mala2xml", Hostile("garbage.mlg"), "-o", out});
    EXPECT_EQ(mala.status, 1);
    EXPECT_NE(mala.err.find("Invalid Mala game list file?!?"), std::string::npos) << mala.err;
    EXPECT_FALSE(std::filesystem::exists(out));

    Outcome maximus = RunInProcess(
        {"--input", master, "maximus2xml", Hostile("garbage-maximus.txt"), "-o", files_.File("maximus.xml")});
    EXPECT_LE(maximus.status, 1);

    Outcome merge =
        RunInProcess({"merge", "--listxml", master, "--catver", Hostile("catver-without-veradded.ini"),
                      "--controls", Hostile("empty.xml"), "-o", out});
    EXPECT_EQ(merge.status, 1);
    EXPECT_NE(merge.err.find("catver.ini doesn't appear to have a [VerAdded] section!?"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));

    Outcome notXml =
        RunInProcess({"merge", "--listxml", Hostile("garbage.mlg"), "--catver",
                      test::RealDataPath("catver.ini"), "--controls", Hostile("empty.xml"), "-o", out});
    EXPECT_EQ(notXml.status, 1);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(HostileInputTest, UnreadableFolderAndReadOnlyOutput) {
    if (::geteuid() != 0 && ::access("/", W_OK) == 0) GTEST_SKIP() << "cannot take permissions away here";
    std::string master = files_.Write("master.xml", Fixture());
    std::filesystem::permissions(master, std::filesystem::perms::all);
    std::string locked = files_.Path() + "/locked";
    std::filesystem::create_directory(locked);
    files_.Write("locked/pacman.zip", "");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    std::string out = files_.File("scan.xml");
    test::ChildOutcome scan =
        RunChild({"--input", master, "romscan", "--roms", locked, "-o", out}, files_.Path(), {true});
    EXPECT_EQ(scan.status, 1) << scan.err;
    EXPECT_NE(scan.err.find("Error reading the ROM folder!?"), std::string::npos) << scan.err;
    EXPECT_FALSE(std::filesystem::exists(out));
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);

    std::string readOnly = files_.Path() + "/readonly";
    std::filesystem::create_directory(readOnly);
    std::string existing = files_.Write("readonly/list.xml", "an older list");
    std::filesystem::permissions(
        readOnly, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                      std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
    test::ChildOutcome saved =
        RunChild({"--input", master, "save", "xml", "--all", "-o", existing}, files_.Path(), {true});
    EXPECT_EQ(saved.status, 1);
    EXPECT_NE(saved.err.find("warning: Error opening output file for write!?"), std::string::npos)
        << saved.err;
    EXPECT_EQ(test::ReadFileBytes(existing), "an older list");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_all);
}

TEST_F(HostileInputTest, FullDiskKeepsTheOlderFile) {
    std::string master = test::FixturePath("gamedata/machines.xml");
    std::string existing = files_.Write("list.xml", "an older list");
    ChildLimits full;
    full.fileSizeLimit = 1000;  // smaller than the list: the write fails as on a full disk
    test::ChildOutcome saved =
        RunChild({"--input", master, "save", "xml", "--all", "-o", existing}, files_.Path(), full);
    EXPECT_EQ(saved.status, 1) << saved.err;
    EXPECT_NE(saved.err.find("warning: "), std::string::npos) << saved.err;
    EXPECT_EQ(test::ReadFileBytes(existing), "an older list");

    std::string merged = files_.File("merged.xml");
    test::ChildOutcome merge =
        RunChild({"merge", "--listxml", master, "--catver", test::RealDataPath("catver.ini"), "--controls",
                  test::RealDataPath("controls.xml"), "-o", merged},
                 files_.Path(), full);
    EXPECT_EQ(merge.status, 1) << merge.err;
    EXPECT_FALSE(std::filesystem::exists(merged));
    // No temporary file is left behind either.
    for (const auto& entry : std::filesystem::directory_iterator(files_.Path())) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".list.xml.")) << entry.path();
        EXPECT_FALSE(entry.path().filename().string().starts_with(".merged.xml.")) << entry.path();
    }
}

}  // namespace
}  // namespace vantor
