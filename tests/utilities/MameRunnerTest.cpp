#include "utilities/MameRunner.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    std::string listing = RunMameListing(mame, ui);
    EXPECT_EQ(listing, dir.File("emu/listxml.xml"));
    struct stat info {};
    ASSERT_EQ(::stat(listing.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, kMinimumListingSize);
    // One argument, -listxml, and MAME's own folder as working directory; no shell in between.
    EXPECT_EQ(ReadFileBytes(dir.File("called.txt")), "1 -listxml " + dir.File("emu") + "\n");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kMameCoaxMessage);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(ui.progressOpen, 0);
}

TEST_F(MameRunnerTest, ShortOrFailedOutputIsRejectedAndKeepsTheEarlierListing) {
    dir.Write("emu/listxml.xml", "earlier listing");
    std::string mame = FakeMame("emu", kMinimumListingSize - 1);
    EXPECT_EQ(RunMameListing(mame, ui), "");
    mame = FakeMame("emu", 2 * kMinimumListingSize, 3);
    EXPECT_EQ(RunMameListing(mame, ui), "");
    EXPECT_EQ(MessageTexts(ui), std::string(kMameCoaxMessage) + "\n" + kMameListingInvalid + "\n" +
                                    kMameCoaxMessage + "\n" + kMameListingInvalid + "\n");
    EXPECT_EQ(ReadFileBytes(dir.File("emu/listxml.xml")), "earlier listing");
    EXPECT_EQ(ui.progressOpen, 0);
}

TEST_F(MameRunnerTest, ProgramThatCannotStartIsToldApart) {
    std::string plain = dir.Write("emu/mame.exe", "MZ not really");
    std::string notAProgram = dir.Write("emu/fake.exe", "MZ not really");
    ::chmod(notAProgram.c_str(), 0755);
    std::string noInterpreter = dir.Write("emu/script", "#!/no/such/shell\n");
    ::chmod(noInterpreter.c_str(), 0755);
    const std::pair<std::string, std::string> cases[] = {
        {plain, "Permission denied"},
        {notAProgram, "Exec format error"},
        {noInterpreter, "No such file or directory"},
        {dir.File("emu/missing.exe"), "No such file or directory"},
        {dir.File("emu"), "Is a directory"},
    };
    for (const auto& [program, reason] : cases) {
        ui.messages.clear();
        EXPECT_EQ(RunMameListing(program, ui), "");
        EXPECT_EQ(MessageTexts(ui).find(kMameListingInvalid), std::string::npos) << program;
        EXPECT_EQ(ui.messages.back().text, std::string(kMameNotStarted) + program + "\r\n(" + reason + ")");
    }
    EXPECT_FALSE(FileExists(dir.File("emu/listxml.xml")));
    EXPECT_EQ(ui.progressOpen, 0);
}

// The program is started after changing to its folder: a relative path still names it.
TEST_F(MameRunnerTest, RelativePathWithAFolder) {
    FakeMame("emu", kMinimumListingSize);
    std::string previous = std::filesystem::current_path().string();
    std::filesystem::current_path(dir.Path());
    std::string listing = RunMameListing("emu/mame", ui);
    std::string bare = RunMameListing("./emu/../emu/mame", ui);
    std::filesystem::current_path(previous);
    EXPECT_EQ(listing, dir.File("emu/listxml.xml")) << MessageTexts(ui);
    EXPECT_EQ(bare, listing);
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
    std::string listing = RunMameListing(mame, ui, dir.File("data"));
    SetFolderReadOnly(dir.File("emu"), false);
    EXPECT_EQ(listing, dir.File("data/listxml.xml"));
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

TEST_F(MameRunnerTest, ChooseListingTakesListingsAndRunsPrograms) {
    std::string listXmlPath = "old.xml";
    EXPECT_TRUE(ChooseListing("/data/listxml.xml", ui, listXmlPath));
    EXPECT_EQ(listXmlPath, "/data/listxml.xml");
    EXPECT_TRUE(ui.messages.empty());

    EXPECT_TRUE(ChooseListing(FakeMame("emu", kMinimumListingSize), ui, listXmlPath));
    EXPECT_EQ(listXmlPath, dir.File("emu/listxml.xml"));

    EXPECT_FALSE(ChooseListing(FakeMame("emu2", 10), ui, listXmlPath));
    EXPECT_EQ(listXmlPath, dir.File("emu/listxml.xml"));
}

}  // namespace
}  // namespace vantor::test
