#include "utilities/MameRunner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "UtilityTestHelpers.h"

namespace vantor::test {
namespace {

class MameRunnerTest : public UtilityTest {
  protected:
    // The per-user data folder, where a listing goes by default, is one of the test's own.
    void SetUp() override {
        const char* data = std::getenv("XDG_DATA_HOME");
        savedDataHome = data != nullptr ? std::optional<std::string>(data) : std::nullopt;
        ::setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
    }
    void TearDown() override {
        if (savedDataHome) {
            ::setenv("XDG_DATA_HOME", savedDataHome->c_str(), 1);
        } else {
            ::unsetenv("XDG_DATA_HOME");
        }
    }
    std::optional<std::string> savedDataHome;

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

TEST_F(MameRunnerTest, ListingGoesToTheDataFolderNeverBesideTheProgram) {
    std::string mame = FakeMame("emu", kMinimumListingSize);
    // First the word that it takes a while, then the run.
    Outcome<UtilityOutput> check = CheckMameProgram(mame);
    EXPECT_TRUE(check.Done());
    EXPECT_EQ(check.messages, (std::vector<Message>{{MessageIcon::Exclamation, kMameCoaxMessage}}));
    Outcome<UtilityOutput> outcome = RunMameListing({mame, ""}, progress);
    EXPECT_TRUE(outcome.Done());
    EXPECT_TRUE(outcome.messages.empty());
    const std::string& listing = outcome.value.outputPath;
    EXPECT_EQ(listing, dir.File("data/Vantor/listxml.xml"));
    EXPECT_EQ(listing, DefaultMameListingPath());
    struct stat info {};
    ASSERT_EQ(::stat(listing.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, kMinimumListingSize);
    EXPECT_FALSE(FileExists(dir.File("emu/listxml.xml")));
    EXPECT_GE(progress.updates, 1);  // the bytes received, while MAME ran
    // One argument, -listxml, and MAME's own folder as working directory; no shell in between.
    EXPECT_EQ(ReadFileBytes(dir.File("called.txt")), "1 -listxml " + dir.File("emu") + "\n");
    EXPECT_EQ(progress.texts, (std::vector<std::string>{"Running MAME -listxml...|" + mame}));
}

TEST_F(MameRunnerTest, ShortOrFailedOutputIsRejectedAndKeepsTheEarlierListing) {
    const std::string earlier = dir.Write("lists/mame.xml", "earlier listing");
    std::string mame = FakeMame("emu", kMinimumListingSize - 1);
    ExpectFailure(RunMameListing({mame, earlier}, progress), kMameListingInvalid);
    mame = FakeMame("emu", 2 * kMinimumListingSize, 3);
    ExpectFailure(RunMameListing({mame, earlier}, progress), kMameListingInvalid);
    EXPECT_EQ(ReadFileBytes(earlier), "earlier listing");
    // A good one takes its place, under the name chosen.
    mame = FakeMame("emu", kMinimumListingSize);
    EXPECT_EQ(RunMameListing({mame, earlier}, progress).value.outputPath, earlier);
    EXPECT_EQ(std::filesystem::file_size(earlier), static_cast<std::uintmax_t>(kMinimumListingSize));
}

TEST_F(MameRunnerTest, CancelKillsMameAndKeepsTheEarlierListing) {
    const std::string earlier = dir.Write("data/Vantor/listxml.xml", "earlier listing");
    std::string mame = dir.Write("emu/mame", "#!/bin/sh\nhead -c 2000000 /dev/zero\nexec sleep 30\n");
    ::chmod(mame.c_str(), 0755);
    progress.cancelAt = 10;  // half a second in
    auto start = std::chrono::steady_clock::now();
    Outcome<UtilityOutput> outcome = RunMameListing({mame, ""}, progress);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(outcome.kind, OutcomeKind::Cancelled);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(ReadFileBytes(earlier), "earlier listing");
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("data/Vantor")))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"listxml.xml"});  // no temporary file
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
        Outcome<UtilityOutput> check = CheckMameProgram(program);
        EXPECT_EQ(check.Done(), !checkSees);
        if (checkSees) ExpectFailure(check, message);
        ExpectFailure(RunMameListing({program, ""}, progress), message);
    }
    EXPECT_FALSE(FileExists(DefaultMameListingPath()));
}

// The program is started after changing to its folder: a relative path still names it.
TEST_F(MameRunnerTest, RelativePathWithAFolder) {
    FakeMame("emu", kMinimumListingSize);
    std::string previous = std::filesystem::current_path().string();
    std::filesystem::current_path(dir.Path());
    Outcome<UtilityOutput> listing = RunMameListing({"emu/mame", ""}, progress);
    Outcome<UtilityOutput> bare = RunMameListing({"./emu/../emu/mame", ""}, progress);
    std::filesystem::current_path(previous);
    EXPECT_EQ(listing.value.outputPath, DefaultMameListingPath()) << MessageTexts(listing);
    EXPECT_EQ(bare.value.outputPath, listing.value.outputPath);
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
