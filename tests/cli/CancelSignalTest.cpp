// Ctrl-C and SIGTERM sent to the built vantor-cli in the middle of a long scan: it stops at once,
// says so, exits 130 or 143, and leaves every file as it was.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "CliChildProcess.h"
#include "TestSupport.h"

namespace vantor {
namespace {

class CancelSignalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", files_.Path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", files_.Path().c_str(), 1);
        // About 60 MB of games, and an expression that makes every one of them slow to test: the
        // scan takes seconds, so the signal surely finds it at work.
        std::string fixture = test::ReadFileBytes(test::FixturePath("gamedata/machines.xml"));
        const std::size_t firstGame = fixture.find("\t<machine ");
        const std::size_t firstEnd = fixture.find("</machine>\n", firstGame) + 11;
        std::string master = fixture.substr(0, firstGame);
        const std::string game = fixture.substr(firstGame, firstEnd - firstGame);
        for (int i = 0; master.size() < (60u << 20); ++i) {
            master += game;
            master.replace(master.size() - game.size() + 16, 7, "g" + std::to_string(1000000 + i));
        }
        master_ = files_.Write("big.xml", master + "</mame>\n");
        for (int i = 0; i < 300; ++i) slowExpression_ += (i ? " | '" : "'") + std::to_string(i) + "*zq*x'";
    }

    // The names in the folder, but for the child's captured output.
    std::set<std::string> Folder() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(files_.Path())) {
            std::string name = entry.path().filename().string();
            if (name != ".child-out" && name != ".child-err") names.insert(name);
        }
        return names;
    }

    test::TempDir files_;
    std::string master_, slowExpression_;
};

TEST_F(CancelSignalTest, CtrlCStopsAScanWithinAFractionOfASecond) {
    test::ChildLimits interrupt;
    interrupt.signal = SIGINT;
    interrupt.signalAfterBytes = 8 << 20;
    test::ChildOutcome found =
        test::RunChild({"--input", master_, "find", slowExpression_}, files_.Path(), interrupt);
    ASSERT_TRUE(found.signalSent) << "the scan ended before the signal: " << found.err;
    EXPECT_EQ(found.status, 130) << found.err;
    EXPECT_LT(found.secondsAfterSignal, 0.5 * test::kStopTimeScale);
    EXPECT_EQ(found.out, "");
    EXPECT_EQ(found.err, "note: Cancelled.\n");
}

TEST_F(CancelSignalTest, SigtermDuringASaveKeepsTheOlderFileAndLeavesNothingBehind) {
    const std::string existing = files_.Write("list.xml", "an older list");
    const std::set<std::string> before = Folder();
    test::ChildLimits terminate;
    terminate.signal = SIGTERM;
    terminate.signalAfterBytes = 8 << 20;
    test::ChildOutcome saved =
        test::RunChild({"--input", master_, "save", "xml", "--find", slowExpression_, "-o", existing},
                       files_.Path(), terminate);
    ASSERT_TRUE(saved.signalSent) << "the save ended before the signal: " << saved.err;
    EXPECT_EQ(saved.status, 143) << saved.err;
    EXPECT_LT(saved.secondsAfterSignal, 0.5 * test::kStopTimeScale);
    EXPECT_EQ(test::ReadFileBytes(existing), "an older list");
    EXPECT_EQ(Folder(), before);
}

// The files of a folder and their bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] = test::ReadFileBytes(entry.path().string());
    return files;
}

// The names whose bytes differ between two snapshots (the first few), "" when none.
std::string Differences(const std::map<std::string, std::string>& found,
                        const std::map<std::string, std::string>& expected) {
    std::string names;
    int shown = 0;
    for (const auto& [name, bytes] : found) {
        auto other = expected.find(name);
        if ((other == expected.end() || other->second != bytes) && shown++ < 5) names += name + " ";
    }
    for (const auto& [name, bytes] : expected) {
        if (found.count(name) == 0 && shown++ < 5) names += "(missing) " + name + " ";
    }
    return names;
}

void Restore(const std::string& folder, const std::map<std::string, std::string>& files) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    for (const auto& [name, bytes] : files) {
        std::ofstream out(folder + "/" + name, std::ios::binary);
        out << bytes;
    }
}

// A save of a hundred files over an existing set, stopped by a signal at every stage of its
// work (reading the old playlist, making the lists, writing, syncing, putting them in place): it
// ends within 200 ms with 130 and every file as it was, or, stopped too late, with 0 and every
// file new. A second Ctrl-C ends it as well; no temporary file is ever left.
TEST_F(CancelSignalTest, SaveOfManyFilesStoppedAnywhereIsAllOldOrAllNew) {
    // A merged master file of 30,000 games in 100 categories.
    const std::string fixture = test::ReadFileBytes(test::FixturePath("output/merged.xml"));
    const std::size_t first = fixture.find("\t<game ");
    const std::size_t end = fixture.find("</game>\n", first) + 8;
    std::string game = fixture.substr(first, end - first);
    game.replace(game.find("\"puckman\""), 9, "\"NAME\"");
    std::string master = fixture.substr(0, first);
    for (int i = 0; i < 30000; ++i) {
        std::string each = game;
        each.replace(each.find("NAME"), 4, "g" + std::to_string(i));
        each.replace(each.find("Maze / Collect"), 14, "Category " + std::to_string(i % 100));
        master += each;
    }
    const std::string merged = files_.Write("merged.xml", master + "</mame>\n");
    master.clear();
    auto save = [&](const std::string& folder, const std::string& roms) {
        return std::vector<std::string>{
            "--input",      merged, "save", "retroarch",         "--all", "--split-by-category",
            "--rom-folder", roms,   "-o",   folder + "/MAME.lpl"};
    };
    const std::string lists = files_.Path() + "/lists";
    std::filesystem::create_directory(lists);
    ASSERT_EQ(test::RunChild(save(lists, "/roms/old"), files_.Path()).status, 0);
    const std::map<std::string, std::string> old = Snapshot(lists);
    ASSERT_GT(old.size(), 100u);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(test::RunChild(save(lists, "/roms/new"), files_.Path()).status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::map<std::string, std::string> renewed = Snapshot(lists);
    ASSERT_NE(Differences(renewed, old), "");

    int stopped = 0;
    for (double share : {0.1, 0.3, 0.5, 0.7, 0.85, 0.95}) {
        for (double second : {0.0, 0.03}) {
            SCOPED_TRACE(std::to_string(share) + " of the save, second signal " + std::to_string(second));
            Restore(lists, old);
            test::ChildLimits interrupt;
            interrupt.signal = SIGINT;
            interrupt.signalAfterSeconds = share * seconds;
            interrupt.secondSignalAfterSeconds = second;
            const test::ChildOutcome saved =
                test::RunChild(save(lists, "/roms/new"), files_.Path(), interrupt);
            if (saved.status == 0) {
                EXPECT_EQ(Differences(Snapshot(lists), renewed), "");
                continue;
            }
            ++stopped;
            EXPECT_EQ(saved.status, 130) << saved.err;
            EXPECT_LT(saved.secondsAfterSignal, 0.2 * test::kStopTimeScale);
            EXPECT_EQ(Differences(Snapshot(lists), old), "");
        }
    }
    // Most trials found it at work.
    EXPECT_GE(stopped, 6);
}

}  // namespace
}  // namespace vantor
