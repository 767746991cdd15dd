#include "utilities/MameRunner.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "UtilityTestHelpers.h"

namespace vantor::test {
namespace {

class MameRunnerTest : public UtilityTest {
  protected:
    // A stand-in for MAME: a shell script that notes how it was run and prints `bytes` bytes.
    std::string FakeMame(const std::string& folder, long bytes, int status = 0) {
        std::string script = "#!/bin/sh\necho \"$# $1 $(pwd)\" > \"" + dir.File("called.txt") +
                             "\"\nhead -c " + std::to_string(bytes) + " /dev/zero | tr '\\0' 'x'\nexit " +
                             std::to_string(status) + "\n";
        std::string path = dir.Write(folder + "/mame", script);
        ::chmod(path.c_str(), 0755);
        return path;
    }
};

TEST_F(MameRunnerTest, ListingLandsInMamesFolder) {
    std::string mame = FakeMame("emu", kMinimumListingSize);
    // First the word that it takes a while, then the run.
    UtilityOutcome check = CheckMameProgram(mame);
    EXPECT_TRUE(check.Done());
    EXPECT_EQ(check.messages, (std::vector<OutcomeMessage>{{MessageIcon::Exclamation, kMameCoaxMessage}}));
    UtilityOutcome outcome = RunMameListing({mame, ""}, progress);
    EXPECT_TRUE(outcome.Done());
    EXPECT_TRUE(outcome.messages.empty());
    const std::string& listing = outcome.outputPath;
    EXPECT_EQ(listing, dir.File("emu/listxml.xml"));
    struct stat info {};
    ASSERT_EQ(::stat(listing.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, kMinimumListingSize);
    // One argument, -listxml, and MAME's own folder as working directory; no shell in between.
    EXPECT_EQ(ReadFileBytes(dir.File("called.txt")), "1 -listxml " + dir.File("emu") + "\n");
    EXPECT_EQ(progress.texts, (std::vector<std::string>{"Running MAME -listxml...|" + mame}));
}

TEST_F(MameRunnerTest, ShortOrFailedOutputIsRejectedAndKeepsTheEarlierListing) {
    dir.Write("emu/listxml.xml", "earlier listing");
    std::string mame = FakeMame("emu", kMinimumListingSize - 1);
    ExpectFailure(RunMameListing({mame, ""}, progress), kMameListingInvalid);
    mame = FakeMame("emu", 2 * kMinimumListingSize, 3);
    ExpectFailure(RunMameListing({mame, ""}, progress), kMameListingInvalid);
    EXPECT_EQ(ReadFileBytes(dir.File("emu/listxml.xml")), "earlier listing");
}

TEST_F(MameRunnerTest, CancelKillsMameAndKeepsTheEarlierListing) {
    dir.Write("emu/listxml.xml", "earlier listing");
    std::string mame = dir.Write("emu/mame", "#!/bin/sh\nhead -c 2000000 /dev/zero\nexec sleep 30\n");
    ::chmod(mame.c_str(), 0755);
    progress.cancelAt = 10;  // half a second in
    auto start = std::chrono::steady_clock::now();
    UtilityOutcome outcome = RunMameListing({mame, ""}, progress);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(outcome.kind, OutcomeKind::Cancelled);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(ReadFileBytes(dir.File("emu/listxml.xml")), "earlier listing");
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("emu")))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"listxml.xml", "mame"}));  // no temporary file
}

TEST_F(MameRunnerTest, ProgramThatCannotStartIsToldApart) {
    std::string plain = dir.Write("emu/mame.exe", "MZ not really");
    std::string notAProgram = dir.Write("emu/fake.exe", "MZ not really");
    ::chmod(notAProgram.c_str(), 0755);
    std::string noInterpreter = dir.Write("emu/script", "#!/no/such/shell\n");
    ::chmod(noInterpreter.c_str(), 0755);
    // The check sees what the file system tells; the rest shows only when it runs.
    const struct {
        std::string program, reason;
        bool checkSees;
    } cases[] = {
        {plain, "Permission denied", true},
        {notAProgram, "Exec format error", false},
        {noInterpreter, "No such file or directory", false},
        {dir.File("emu/missing.exe"), "No such file or directory", true},
        {dir.File("emu"), "Is a directory", true},
    };
    for (const auto& [program, reason, checkSees] : cases) {
        SCOPED_TRACE(program);
        const std::string message = std::string(kMameNotStarted) + program + "\r\n(" + reason + ")";
        UtilityOutcome check = CheckMameProgram(program);
        EXPECT_EQ(check.Done(), !checkSees);
        if (checkSees) ExpectFailure(check, message);
        ExpectFailure(RunMameListing({program, ""}, progress), message);
    }
    EXPECT_FALSE(FileExists(dir.File("emu/listxml.xml")));
}

// The program is started after changing to its folder: a relative path still names it.
TEST_F(MameRunnerTest, RelativePathWithAFolder) {
    FakeMame("emu", kMinimumListingSize);
    std::string previous = std::filesystem::current_path().string();
    std::filesystem::current_path(dir.Path());
    UtilityOutcome listing = RunMameListing({"emu/mame", ""}, progress);
    UtilityOutcome bare = RunMameListing({"./emu/../emu/mame", ""}, progress);
    std::filesystem::current_path(previous);
    EXPECT_EQ(listing.outputPath, dir.File("emu/listxml.xml")) << MessageTexts(listing);
    EXPECT_EQ(bare.outputPath, listing.outputPath);
    EXPECT_EQ(ReadFileBytes(dir.File("called.txt")), "1 -listxml " + dir.File("emu") + "\n");
}

// Makes a folder refuse new files, even to root (which ignores permissions): an immutable folder.
bool SetFolderReadOnly(const std::string& folder, bool readOnly) {
    if (::geteuid() != 0) return ::chmod(folder.c_str(), readOnly ? 0555 : 0755) == 0;
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = readOnly ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

TEST_F(MameRunnerTest, ReadOnlyFolderUsesTheFallbackFolder) {
    std::string mame = FakeMame("emu", kMinimumListingSize);
    MakeDirectories(dir.File("data"));
    if (!SetFolderReadOnly(dir.File("emu"), true)) GTEST_SKIP() << "cannot make a read-only folder here";
    UtilityOutcome outcome = RunMameListing({mame, dir.File("data")}, progress);
    SetFolderReadOnly(dir.File("emu"), false);
    EXPECT_EQ(outcome.outputPath, dir.File("data/listxml.xml"));
    EXPECT_FALSE(FileExists(dir.File("emu/listxml.xml")));
    EXPECT_EQ(ReadFileBytes(dir.File("called.txt")), "1 -listxml " + dir.File("emu") + "\n");
}

TEST_F(MameRunnerTest, WhatCountsAsMame) {
    std::string script = FakeMame("emu", 1);
    EXPECT_TRUE(IsMameProgram(script));
    EXPECT_TRUE(IsMameProgram("/nowhere/mame.exe"));
    EXPECT_FALSE(IsMameProgram(dir.Write("listxml.xml", "")));
    std::string executableXml = dir.Write("odd.xml", "");
    ::chmod(executableXml.c_str(), 0755);
    EXPECT_FALSE(IsMameProgram(executableXml));
    std::string plain = dir.Write("plain", "");
    ::chmod(plain.c_str(), 0644);
    EXPECT_FALSE(IsMameProgram(plain));
    EXPECT_FALSE(IsMameProgram(dir.Path()));
}

}  // namespace
}  // namespace vantor::test
