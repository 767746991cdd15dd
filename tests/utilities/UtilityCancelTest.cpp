// A cancel request, whenever it comes, stops every data-file utility cleanly: the outcome says
// cancelled and nothing else, the earlier output file is untouched, no log and no temporary file
// is left.
#include <filesystem>
#include <functional>

#include "UtilityTestHelpers.h"
#include "utilities/ListConverters.h"
#include "utilities/MergeUtility.h"
#include "utilities/RomDirToXml.h"
#include "utilities/RomScan.h"

namespace vantor::test {
namespace {

// The names in `folder` that start with "." (where the atomic output keeps its bytes).
std::vector<std::string> HiddenFiles(const std::string& folder) {
    std::vector<std::string> hidden;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.front() == '.') hidden.push_back(name);
    }
    return hidden;
}

TEST(UtilityCancelTest, CancelAtEveryCheckLeavesNothing) {
    TempDir dir;
    for (const char* name : {"pacman.zip", "galaga.7z", "xyz.zip", "puckman.chd"})
        dir.Write(std::string("roms/") + name, "");
    const std::string master = UtilityFixture("master.xml");
    const std::string output = dir.File("out.xml");
    // A MaLa list: a header record (three texts), then one record per game, its name first.
    auto text = [](const std::string& value) {
        return "\x06" + std::string(1, static_cast<char>(value.size())) + value;
    };
    const std::string recordEnd(1, '\0');
    std::string mala = "\x01" + text("List") + text("") + text("") + recordEnd;
    for (const char* name : {"pacman", "galaga", "dkong"}) mala += "\x01" + text(name) + recordEnd;
    const std::string malaList = dir.Write("list.mlg", mala);

    MergeInputs merge{UtilityFixture("merge/listxml.xml"),
                      UtilityFixture("merge/catver.ini"),
                      UtilityFixture("merge/controls.xml"),
                      UtilityFixture("merge/nplayers.ini"),
                      output,
                      dir.Path()};
    const struct {
        const char* name;
        std::function<Outcome<UtilityOutput>(ProgressSink&)> run;
        const char* log;     // written after a full run
        std::int64_t items;  // records and files it goes through
    } utilities[] = {
        {"merge", [&](ProgressSink& p) { return RunMerge(merge, p); }, kMergeLogName, 5},
        {"romscan",
         [&](ProgressSink& p) {
             return RunRomScan({master, dir.File("roms"), output, dir.Path()}, p);
         },
         kRomScanLogName, 5 + 4},
        {"romdir",
         [&](ProgressSink& p) {
             return RunRomDirToXml({dir.File("roms"), output}, p);
         },
         nullptr, 3},
        {"mala",
         [&](ProgressSink& p) {
             return RunMalaToXml({master, malaList, output, dir.Path()}, p);
         },
         kConvertLogName, 5 + 3},
        {"maximus",
         [&](ProgressSink& p) {
             return RunMaximusToXml({master, UtilityFixture("convert/maximus.txt"), output, dir.Path()}, p);
         },
         nullptr, 5 + 4},
    };
    for (const auto& utility : utilities) {
        SCOPED_TRACE(utility.name);
        RecordingProgress counting;
        Outcome<UtilityOutput> full = utility.run(counting);
        ASSERT_TRUE(full.Done()) << MessageTexts(full);
        EXPECT_GE(counting.checks, utility.items);  // at least once per record and file
        if (utility.log != nullptr) {
            EXPECT_TRUE(FileExists(dir.File(utility.log)));
        }
        for (std::int64_t at = 1; at <= counting.checks; ++at) {
            SCOPED_TRACE(at);
            dir.Write("out.xml", "earlier");
            if (utility.log != nullptr) std::filesystem::remove(dir.File(utility.log));
            RecordingProgress cancelling;
            cancelling.cancelAt = at;
            Outcome<UtilityOutput> outcome = utility.run(cancelling);
            EXPECT_EQ(outcome.kind, OutcomeKind::Cancelled);
            EXPECT_TRUE(outcome.messages.empty());
            EXPECT_EQ(cancelling.checks, at);  // it stopped at the first yes
            EXPECT_EQ(ReadFileBytes(output), "earlier");
            if (utility.log != nullptr) {
                EXPECT_FALSE(FileExists(dir.File(utility.log)));
            }
            EXPECT_EQ(HiddenFiles(dir.Path()), std::vector<std::string>{});
        }
    }
}

}  // namespace
}  // namespace vantor::test
