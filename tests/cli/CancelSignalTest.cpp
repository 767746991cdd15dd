// Ctrl-C and SIGTERM sent to the built vantor-cli in the middle of a long scan: it stops at once,
// says so, exits 130 or 143, and leaves every file as it was.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
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
    EXPECT_LT(found.secondsAfterSignal, 0.5);
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
    EXPECT_LT(saved.secondsAfterSignal, 0.5);
    EXPECT_EQ(test::ReadFileBytes(existing), "an older list");
    EXPECT_EQ(Folder(), before);
}

}  // namespace
}  // namespace vantor
