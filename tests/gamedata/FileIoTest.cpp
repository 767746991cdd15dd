// Writing a file whole or not at all onto what users point an output at (links, devices, FIFOs,
// long names, files of other owners), several files at once, and reading inputs that are no
// plain files without hanging.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "TestSupport.h"
#include "gamedata/EngineError.h"
#include "gamedata/FileIo.h"

namespace vantor {
namespace {

using test::ReadFileBytes;
using test::TempDir;

std::vector<std::string> Names(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path()))
        names.push_back(entry.path().lexically_relative(dir.Path()).string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileIoTest, SymlinksAreWrittenThroughAndStay) {
    TempDir dir;
    dir.Write("lists/real.lpl", "old");
    std::filesystem::create_symlink("lists/real.lpl", dir.File("MAME.lpl"));
    std::filesystem::create_symlink("lists/new.lpl", dir.File("dangling.lpl"));
    ASSERT_TRUE(WriteFileAtomically(dir.File("MAME.lpl"), "new"));
    ASSERT_TRUE(WriteFileAtomically(dir.File("dangling.lpl"), "made"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("MAME.lpl")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("dangling.lpl")));
    EXPECT_EQ(ReadFileBytes(dir.File("lists/real.lpl")), "new");
    EXPECT_EQ(ReadFileBytes(dir.File("lists/new.lpl")), "made");
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"MAME.lpl", "dangling.lpl", "lists", "lists/new.lpl",
                                                    "lists/real.lpl"}));
    // Both names write one file.
    EXPECT_EQ(OutputIdentity(dir.File("MAME.lpl")), OutputIdentity(dir.File("lists/../lists/real.lpl")));
    EXPECT_EQ(OutputIdentity(dir.File("dangling.lpl")), OutputIdentity(dir.File("./lists/new.lpl")));
    EXPECT_NE(OutputIdentity(dir.File("lists/other.lpl")), OutputIdentity(dir.File("lists/new.lpl")));
}

TEST(FileIoTest, DevicesAndFifosAreWrittenDirectlyOrRefused) {
    TempDir dir;
    // Links to the devices: a write that replaced them would only replace the links.
    std::filesystem::create_symlink("/dev/null", dir.File("null"));
    std::filesystem::create_symlink("/dev/full", dir.File("full"));
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.File("folder"));

    std::string problem;
    EXPECT_TRUE(WriteFileAtomically(dir.File("null"), "bytes", &problem)) << problem;
    EXPECT_FALSE(WriteFileAtomically(dir.File("full"), "bytes", &problem));
    EXPECT_EQ(problem, dir.File("full") + ": No space left on device");
    // Nobody reads the FIFO: refused at once, not waited for.
    EXPECT_FALSE(WriteFileAtomically(dir.File("fifo"), "bytes", &problem));
    EXPECT_EQ(problem, dir.File("fifo") + ": a FIFO no program reads from");
    EXPECT_FALSE(WriteFileAtomically(dir.File("folder"), "bytes", &problem));
    EXPECT_EQ(problem, dir.File("folder") + ": a folder, not a file a list can be written to");

    std::string received;
    std::thread reader([&] { received = ReadFileBytes(dir.File("fifo")); });
    bool written = false;
    for (int attempt = 0; attempt < 500 && !written; ++attempt) {
        written = WriteFileAtomically(dir.File("fifo"), "through the pipe");
        if (!written) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    reader.join();
    EXPECT_TRUE(written);
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("null")));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("fifo")));
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"fifo", "folder", "full", "null"}));
}

TEST(FileIoTest, LongestNameTakesItsTemporaryWithinTheLimit) {
    TempDir dir;
    std::string accented;
    while (accented.size() < 254) accented += "\xc3\xa9";  // the cut for the temporary falls inside one
    for (const std::string& name : {std::string(254, 'a'), accented}) {
        std::string problem;
        EXPECT_TRUE(WriteFileAtomically(dir.File(name), "x", &problem)) << problem;
    }
    EXPECT_EQ(Names(dir).size(), 2u);
}

TEST(FileIoTest, ReplacedFileKeepsOwnerAndModeButNoSetIdBits) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    TempDir dir;
    const std::string path = dir.Write("run.sh", "old");
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(path.c_str(), 06750), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "new"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
    EXPECT_EQ(info.st_mode & 07777, 0750u);
}

// Several files are put in place together: a failure or a stop on the way leaves every earlier
// file as it was, and no temporary file behind.
TEST(FileIoTest, SeveralFilesAreAllNewOrAllOld) {
    TempDir dir;
    const std::vector<std::string> paths = {dir.Write("a.lpl", "old a"), dir.File("b.lpl"),
                                            dir.Write("c.lpl", "old c")};
    auto open = [&](std::vector<std::unique_ptr<AtomicOutputFile>>& files,
                    std::vector<AtomicOutputFile*>& set) {
        files.clear();
        set.clear();
        for (const std::string& path : paths) {
            files.push_back(std::make_unique<AtomicOutputFile>());
            ASSERT_TRUE(files.back()->Open(path));
            files.back()->Write("new");
            set.push_back(files.back().get());
        }
    };
    auto expectOld = [&] {
        EXPECT_EQ(ReadFileBytes(paths[0]), "old a");
        EXPECT_FALSE(FileExists(paths[1]));
        EXPECT_EQ(ReadFileBytes(paths[2]), "old c");
        EXPECT_EQ(Names(dir), (std::vector<std::string>{"a.lpl", "c.lpl"}));
    };
    std::vector<std::unique_ptr<AtomicOutputFile>> files;
    std::vector<AtomicOutputFile*> set;

    // The last one cannot take its place: a folder took it meanwhile.
    open(files, set);
    std::filesystem::remove(paths[2]);
    std::filesystem::create_directory(paths[2]);
    EXPECT_FALSE(CommitFiles(set));
    EXPECT_EQ(set[2]->Problem(), paths[2] + ": a folder took the file's place meanwhile");
    std::filesystem::remove(paths[2]);
    dir.Write("c.lpl", "old c");
    expectOld();

    // A stop asked for before the first, second or third file is put in place.
    static int checks;
    for (int stopAt : {1, 2, 3}) {
        SCOPED_TRACE(stopAt);
        open(files, set);
        checks = stopAt;
        SetStopRequestCheck([] { return PlacingFiles() && --checks <= 0; });
        EXPECT_THROW((void)CommitFiles(set), EngineError);
        SetStopRequestCheck(nullptr);
        expectOld();
    }
    // Refused at the last moment.
    open(files, set);
    SetCommitCheck([] { return false; });
    EXPECT_THROW((void)CommitFiles(set), EngineError);
    SetCommitCheck(nullptr);
    expectOld();

    open(files, set);
    EXPECT_TRUE(CommitFiles(set));
    for (const std::string& path : paths) EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"a.lpl", "b.lpl", "c.lpl"}));
}

TEST(FileIoTest, OnlyRegularFilesAreReadAndNoMoreThanTheLimit) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    const std::string big = dir.Write("big.txt", std::string((1 << 20) + 1, 'x'));
    std::string text, problem;
    const std::pair<std::string, std::string> refused[] = {
        {dir.File("fifo"), dir.File("fifo") + ": a FIFO, not a regular file"},
        {"/dev/zero", "/dev/zero: a character device, not a regular file"},
        {dir.Path(), dir.Path() + ": a folder, not a regular file"},
        {dir.File("none"), dir.File("none") + ": No such file or directory"},
    };
    for (const auto& [path, expected] : refused) {
        EXPECT_FALSE(ReadWholeFile(path, text, &problem)) << path;
        EXPECT_EQ(problem, expected);
    }
    EXPECT_FALSE(ReadWholeFile(big, text, &problem, 1 << 20));
    EXPECT_EQ(problem, big + ": larger than 1 MB, more than any list holds");
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(ReadWholeFile(big, text, &problem, (1 << 20) + 1));
    EXPECT_EQ(text.size(), (1u << 20) + 1);
}

}  // namespace
}  // namespace vantor
