// Runs Debian's real MAME for its listing.
#include <unistd.h>

#include "UtilityTestHelpers.h"
#include "gamedata/RecordReader.h"
#include "utilities/MameRunner.h"

namespace vantor::test {
namespace {

constexpr const char* kDebianMame = "/usr/games/mame";

TEST(MameRunnerRealTest, DebiansMameGivesAListing) {
    if (!FileExists(kDebianMame)) GTEST_SKIP() << kDebianMame << " is not installed";
    // MAME runs in the link's folder; the listing goes where it is asked to.
    TempDir dir;
    std::string mame = dir.File("mame");
    ASSERT_EQ(::symlink(kDebianMame, mame.c_str()), 0);
    ASSERT_TRUE(IsMameProgram(mame));
    RecordingProgress progress;
    Outcome<UtilityOutput> outcome = RunMameListing({mame, dir.File("listxml.xml")}, progress);
    const std::string& listing = outcome.value.outputPath;
    ASSERT_EQ(listing, dir.File("listxml.xml")) << MessageTexts(outcome);
    EXPECT_TRUE(outcome.messages.empty());

    MasterFile file;
    ASSERT_TRUE(file.Open(listing));
    EXPECT_GT(file.Size(), 100 * kMinimumListingSize);
    RecordReader reader(UnknownInput);
    EXPECT_EQ(reader.DetectInputType(file), MameMachine);
    reader.SetInputType(MameMachine);
    std::string record;
    EXPECT_NE(reader.ReadRecord(file, record, "<machine name=", -1), -1);
    EXPECT_NE(record.find("<description>"), std::string::npos);
}

}  // namespace
}  // namespace vantor::test
