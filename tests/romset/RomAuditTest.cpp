// The audit on a small listing whose sets are forged in every layout, with faults put in.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <map>

#include "RomSetForge.h"
#include "SmallRomListing.h"
#include "TestSupport.h"
#include "gamedata/EngineError.h"
#include "gamedata/FileIo.h"
#include "romset/AuditRun.h"
#include "romset/AuditStore.h"
#include "search/InputCheck.h"
#include "search/SearchDriver.h"

namespace vantor {
namespace {

class RomAuditTest : public testing::Test {
  protected:
    void SetUp() override {
        master_ = dir_.Write("listing.xml", test::kListing);
        ASSERT_TRUE(OpenInputFile(catalog_, master_).Done());
        graph_ = ReadSetGraph(catalog_, nullptr);
    }

    // A fresh ROM folder with the sets in the layout, and the CHD when asked.
    std::string Folder(test::SetLayout layout, const test::SetFaults& faults = {}, bool chd = true) {
        const std::string folder = dir_.File("roms" + std::to_string(++folders_));
        MakeDirectories(folder);
        test::WriteRomSets(graph_, test::kGames, layout, folder, faults);
        if (chd) {
            MakeDirectories(folder + "/diskgame");
            dir_.Write("roms" + std::to_string(folders_) + "/diskgame/disc1.chd",
                       test::ChdBytes("0123456789abcdef0123456789abcdef01234567"));
        }
        return folder;
    }

    AuditRunResult Run(const std::string& folder, const std::string& keep = "",
                       ProgressSink* progress = nullptr) {
        AuditRequest request;
        request.folders.romFolders = {folder};
        request.keepFolder = keep;
        return RunRomAudit(catalog_, master_, request, progress);
    }

    // "name=status" of every game, in file order.
    std::string Statuses(const std::string& folder) {
        std::string text;
        for (const GameAudit& game : Run(folder).games) {
            text += (text.empty() ? "" : " ") + game.name + "=" + std::string(AuditStatusWord(game.status));
            details_[game.name] = game.detail;
        }
        return text;
    }

    test::TempDir dir_;
    std::string master_;
    Catalog catalog_;
    SetGraph graph_;
    int folders_ = 0;
    std::map<std::string, std::string> details_;
};

constexpr const char* kAllGood =
    "bios=good parent=good clone=good biosgame=best-available nodump=best-available diskgame=good "
    "noroms=best-available";

TEST_F(RomAuditTest, EveryLayoutAuditsGood) {
    for (test::SetLayout layout :
         {test::SetLayout::Split, test::SetLayout::Merged, test::SetLayout::NonMerged})
        EXPECT_EQ(Statuses(Folder(layout)), kAllGood) << test::SetLayoutName(layout);
    EXPECT_EQ(details_["biosgame"], "needs redump: bad.bin");
    EXPECT_EQ(details_["nodump"], "no good dump known: never.bin");
}

TEST_F(RomAuditTest, FaultsGiveTheirStatus) {
    using test::SetFaults;
    auto drop = [](std::string set, std::string member) {
        SetFaults faults;
        faults.dropMember = [=](const std::string& s, const std::string& m) {
            return s == set && m == member;
        };
        return faults;
    };
    SetFaults noParent, noBios, noChip, wrongCrc, extra;
    noParent.missingSets = {"parent"};
    noBios.missingSets = {"bios"};
    noChip.missingSets = {"chip"};
    wrongCrc.wrongCrc = [](const std::string& set, const std::string& member) {
        return set == "biosgame" && member == "g1.bin";
    };
    extra.extraFile = {"parent"};
    struct Case {
        const char* what;
        SetFaults faults;
        bool chd;
        const char* statuses;
        const char* game;
        const char* detail;
    };
    const std::vector<Case> cases = {
        {"parent gone", noParent, true,
         "bios=good parent=missing clone=needs-set biosgame=best-available nodump=best-available "
         "diskgame=good "
         "noroms=best-available",
         "clone", "needs parent: not found"},
        {"BIOS gone", noBios, true,
         "bios=missing parent=good clone=good biosgame=needs-set nodump=best-available diskgame=good "
         "noroms=best-available",
         "biosgame", "needs bios: not found"},
        {"device gone", noChip, true,
         "bios=good parent=needs-set clone=needs-set biosgame=best-available nodump=best-available "
         "diskgame=good "
         "noroms=best-available",
         "parent", "needs chip: not found"},
        {"member gone", drop("parent", "p1.bin"), true,
         "bios=good parent=incomplete clone=good biosgame=best-available nodump=best-available diskgame=good "
         "noroms=best-available",
         "parent", "missing p1.bin; looked in "},
        {"shared member gone", drop("parent", "p2.bin"), true,
         "bios=good parent=incomplete clone=needs-set biosgame=best-available nodump=best-available "
         "diskgame=good noroms=best-available",
         "clone", "needs parent: missing p2.bin"},
        {"wrong CRC", wrongCrc, true,
         "bios=good parent=good clone=good biosgame=incomplete nodump=best-available diskgame=good "
         "noroms=best-available",
         "biosgame", "wrong g1.bin (CRC 0f0f0f0f, expected 55555555)"},
        {"CHD gone",
         {},
         false,
         "bios=good parent=good clone=good biosgame=best-available nodump=best-available "
         "diskgame=chd-missing "
         "noroms=best-available",
         "diskgame",
         "missing disc1.chd"},
        {"extra file", extra, true, kAllGood, "parent", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Statuses(Folder(test::SetLayout::Split, c.faults, c.chd)), c.statuses) << c.what;
        EXPECT_EQ(details_[c.game].find(c.detail), 0u) << c.what << ": " << details_[c.game];
    }
}

// A set may also be a 7z or a folder of its own; a damaged archive of the game's own set is
// reported with its reason, and a missing ROM folder is an error.
TEST_F(RomAuditTest, SevenZipFolderAndDamagedSets) {
    std::string folder = Folder(test::SetLayout::Split);
    const std::string parentZip = folder + "/parent.zip";
    std::remove(parentZip.c_str());
    std::vector<test::ForgedMember> members = {{"p1.bin", test::ForgedBytes(2048, 0x22222222)},
                                               {"p2.bin", test::ForgedBytes(2048, 0x33333333)}};
    ASSERT_TRUE(test::WriteSevenZip(folder + "/parent.7z", members));
    EXPECT_EQ(Statuses(folder), kAllGood);

    std::remove((folder + "/parent.7z").c_str());
    MakeDirectories(folder + "/parent");
    dir_.Write("roms1/parent/p1.bin", members[0].bytes);
    dir_.Write("roms1/parent/p2.bin", test::ForgedBytes(2048, 0x33333334));
    Statuses(folder);
    EXPECT_EQ(details_["parent"].find("wrong p2.bin (CRC 33333334"), 0u) << details_["parent"];

    std::remove((folder + "/parent/p1.bin").c_str());
    std::remove((folder + "/parent/p2.bin").c_str());
    rmdir((folder + "/parent").c_str());
    dir_.Write("roms1/parent.zip", "PK this is no zip");
    std::string statuses = Statuses(folder);
    EXPECT_NE(statuses.find("parent=incomplete"), std::string::npos) << statuses;
    EXPECT_NE(details_["parent"].find(folder + "/parent.zip cannot be read ("), std::string::npos)
        << details_["parent"];

    EXPECT_THROW(Run(dir_.File("no-such-folder")), EngineError);
}

class StopAfter : public ProgressSink {
  public:
    explicit StopAfter(int reports) : left_(reports) {}
    void Progress(std::int64_t, std::int64_t) override { --left_; }
    bool CancelRequested() const override { return left_ <= 0; }

  private:
    int left_;
};

// The result is kept: an audit with nothing changed reads nothing, one archive changed is the only
// one read again, a cancelled audit leaves the kept one as it was, and the lookup by name answers.
TEST_F(RomAuditTest, KeptAuditReadsOnlyWhatChanged) {
    const std::string folder = Folder(test::SetLayout::Split);
    const std::string keep = dir_.File("keep");
    AuditRunResult first = Run(folder, keep);
    EXPECT_TRUE(first.listingRead);
    EXPECT_TRUE(first.kept);
    EXPECT_EQ(first.sourcesRead, 7);  // every set but the one of the game that needs no file
    AuditRunResult second = Run(folder, keep);
    EXPECT_FALSE(second.listingRead);
    EXPECT_EQ(second.games, first.games);

    ASSERT_TRUE(test::WriteZip(folder + "/clone.zip", {{"c1.bin", test::ForgedBytes(2048, 0x44444445)}}));
    AuditRunResult third = Run(folder, keep);
    EXPECT_TRUE(third.listingRead);
    EXPECT_EQ(third.sourcesRead, 1);
    EXPECT_EQ(third.games[2].status, AuditStatus::Incomplete);

    const std::string kept = KeptAuditStem(keep, master_, {{folder}, ""}) + ".audit";
    const std::string before = test::ReadFileBytes(kept);
    ASSERT_TRUE(test::WriteZip(folder + "/clone.zip", {{"c1.bin", test::ForgedBytes(2048, 0x44444444)}}));
    StopAfter stop(3);
    try {
        Run(folder, keep, &stop);
        ADD_FAILURE() << "the audit was not cancelled";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Kind(), ErrorKind::Cancelled);
    }
    EXPECT_EQ(test::ReadFileBytes(kept), before);

    std::optional<KeptAuditStatuses> statuses = KeptAuditStatuses::Load(master_, keep);
    ASSERT_TRUE(statuses.has_value());
    ASSERT_NE(statuses->Find("clone"), nullptr);
    EXPECT_EQ(statuses->Find("clone")->status, AuditStatus::Incomplete);
    EXPECT_EQ(statuses->Find("chip"), nullptr);  // devices are no games
    EXPECT_EQ(statuses->Find("unknown"), nullptr);
}

}  // namespace
}  // namespace vantor
