// The export and the fixdat on the small listing's forged sets: every source layout into every
// target layout, what a second run, a file in the way, a cancel and a vanished source do.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <filesystem>
#include <set>

#include "RomSetForge.h"
#include "SmallRomListing.h"
#include "TestSupport.h"
#include "gamedata/EngineError.h"
#include "gamedata/FileIo.h"
#include "romset/Fixdat.h"
#include "romset/RomExport.h"
#include "search/InputCheck.h"
#include "search/SearchDriver.h"

namespace vantor {
namespace {

// A clone with a device, a BIOS game, a game with a CHD.
const std::vector<std::string> kChosen = {"clone", "biosgame", "diskgame"};

// Every file under a folder, by its path in it.
std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) files.insert(std::filesystem::relative(entry.path(), folder).string());
    }
    return files;
}

class CancelAfter : public ProgressSink {
  public:
    explicit CancelAfter(int reports) : left_(reports) {}
    void Progress(std::int64_t, std::int64_t) override { --left_; }
    bool CancelRequested() const override { return left_ <= 0; }

  private:
    int left_;
};

class RomExportTest : public testing::Test {
  protected:
    void SetUp() override {
        master_ = dir_.Write("listing.xml", test::kListing);
        ASSERT_TRUE(OpenInputFile(catalog_, master_).Done());
        graph_ = ReadSetGraph(catalog_, nullptr);
    }

    std::string Source(test::SetLayout layout, const test::SetFaults& faults = {}) {
        const std::string folder = dir_.File("roms" + std::to_string(++folders_));
        MakeDirectories(folder + "/diskgame");
        test::WriteRomSets(graph_, test::kGames, layout, folder, faults);
        dir_.Write("roms" + std::to_string(folders_) + "/diskgame/disc1.chd",
                   test::ChdBytes("0123456789abcdef0123456789abcdef01234567"));
        return folder;
    }

    ExportRequest Request(const std::string& source, ExportLayout layout, const std::string& target) {
        ExportRequest request;
        request.audit.folders.romFolders = {source};
        request.audit.allGames = false;
        for (const std::string& name : kChosen)
            request.audit.positions.push_back(graph_.Find(name)->position);
        request.layout = layout;
        request.target = target;
        return request;
    }

    std::vector<GameAudit> AuditOf(const std::string& folder) {
        AuditRequest request;
        request.folders.romFolders = {folder};
        request.allGames = false;
        for (const std::string& name : kChosen) request.positions.push_back(graph_.Find(name)->position);
        return RunRomAudit(catalog_, master_, request, nullptr).games;
    }

    test::TempDir dir_;
    std::string master_;
    Catalog catalog_;
    SetGraph graph_;
    int folders_ = 0;
};

TEST_F(RomExportTest, EveryLayoutFromEverySourceRunsAndHoldsOnlyWhatIsNeeded) {
    struct Case {
        ExportLayout layout;
        std::set<std::string> files;  // from a split source; as-is copies what the source has
    };
    const std::vector<Case> cases = {
        {ExportLayout::Split,
         {"clone.zip", "parent.zip", "chip.zip", "bios.zip", "biosgame.zip", "diskgame.zip",
          "diskgame/disc1.chd"}},
        {ExportLayout::NonMerged,
         {"clone.zip", "chip.zip", "biosgame.zip", "diskgame.zip", "diskgame/disc1.chd"}},
        {ExportLayout::AsIs,
         {"clone.zip", "parent.zip", "chip.zip", "bios.zip", "biosgame.zip", "diskgame.zip",
          "diskgame/disc1.chd"}},
    };
    for (test::SetLayout source :
         {test::SetLayout::Split, test::SetLayout::Merged, test::SetLayout::NonMerged}) {
        const std::string from = Source(source);
        for (const Case& each : cases) {
            const std::string where =
                std::string(test::SetLayoutName(source)) + " to " + ExportLayoutWord(each.layout);
            const std::string target = dir_.File("out" + std::to_string(++folders_));
            const ExportRequest request = Request(from, each.layout, target);
            const ExportPlan plan = PlanExport(catalog_, master_, request, nullptr);
            const ExportResult result = RunExport(plan, request, nullptr);
            EXPECT_TRUE(result.failures.empty()) << where << ": " << result.failures.front();
            for (const GameAudit& game : AuditOf(target)) {
                EXPECT_TRUE(game.status == AuditStatus::Good || game.status == AuditStatus::BestAvailable)
                    << where << ": " << game.name << " " << game.detail;
            }
            const std::set<std::string> files = FilesIn(target);
            if (each.layout != ExportLayout::AsIs || source == test::SetLayout::Split) {
                EXPECT_EQ(files, each.files) << where;
            } else {
                // Merged: the parent's archive holds the clone; non-merged: no parent needed.
                for (const std::string& file : files)
                    EXPECT_TRUE(each.files.count(file) != 0) << where << ": " << file;
            }
            // A second run finds everything in place and writes nothing.
            const ExportPlan again = PlanExport(catalog_, master_, request, nullptr);
            EXPECT_EQ(again.bytesToWrite, 0u) << where;
            EXPECT_EQ(RunExport(again, request, nullptr).written, 0) << where;
        }
    }
}

TEST_F(RomExportTest, FilesInTheWayIncompleteGamesAndVanishedSources) {
    test::SetFaults faults;
    faults.dropMember = [](const std::string& set, const std::string& member) {
        return set == "biosgame" && member == "g1.bin";
    };
    const std::string from = Source(test::SetLayout::Split, faults);
    const std::string target = dir_.File("out");
    MakeDirectories(target);
    dir_.Write("out/clone.zip", "something else");
    ExportRequest request = Request(from, ExportLayout::Split, target);

    ExportPlan plan = PlanExport(catalog_, master_, request, nullptr);
    ASSERT_EQ(plan.skipped.size(), 1u);
    EXPECT_EQ(plan.skipped.front().name, "biosgame");
    RunExport(plan, request, nullptr);
    std::string kept;
    ASSERT_TRUE(ReadWholeFile(target + "/clone.zip", kept));
    EXPECT_EQ(kept, "something else");
    EXPECT_FALSE(FileExists(target + "/biosgame.zip"));

    // --replace and --include-incomplete: the clone is written, the BIOS game's found files too.
    request.replace = request.includeIncomplete = true;
    plan = PlanExport(catalog_, master_, request, nullptr);
    EXPECT_TRUE(RunExport(plan, request, nullptr).failures.empty());
    EXPECT_EQ(AuditOf(target).front().status, AuditStatus::Good);
    EXPECT_TRUE(FileExists(target + "/biosgame.zip"));

    // A source gone between the plan and the copy: that file fails, named, and nothing is left.
    const std::string fresh = dir_.File("fresh");
    request = Request(from, ExportLayout::NonMerged, fresh);
    plan = PlanExport(catalog_, master_, request, nullptr);
    std::filesystem::remove(from + "/clone.zip");
    const ExportResult result = RunExport(plan, request, nullptr);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_NE(result.failures.front().find("clone.zip"), std::string::npos) << result.failures.front();
    EXPECT_EQ(FilesIn(fresh).count("clone.zip"), 0u);
}

TEST_F(RomExportTest, CancelLeavesOnlyWholeCheckedFiles) {
    const std::string from = Source(test::SetLayout::Merged);
    for (int reports : {1, 3, 5}) {
        const std::string target = dir_.File("out" + std::to_string(reports));
        const ExportRequest request = Request(from, ExportLayout::NonMerged, target);
        const ExportPlan plan = PlanExport(catalog_, master_, request, nullptr);
        CancelAfter cancel(reports);
        try {
            RunExport(plan, request, &cancel);
            ADD_FAILURE() << "not cancelled after " << reports;
        } catch (const EngineError& error) {
            EXPECT_EQ(error.Kind(), ErrorKind::Cancelled);
        }
        const std::set<std::string> files = FilesIn(target);
        EXPECT_LT(files.size(), plan.files.size());
        for (const ExportFile& file : plan.files) {
            if (files.count(file.relative) == 0 || !file.relative.ends_with(".zip")) continue;
            std::vector<ArchiveMember> expected;
            for (const ExportMember& member : file.members)
                expected.push_back({member.name, member.size, member.crc});
            std::string problem;
            EXPECT_TRUE(file.members.empty() || CheckZipData(target + "/" + file.relative, expected, problem))
                << file.relative << ": " << problem;
        }
        for (const std::string& file : files)
            EXPECT_TRUE(file.ends_with(".zip") || file.ends_with(".chd")) << "left behind: " << file;
    }
}

TEST_F(RomExportTest, FixdatListsExactlyTheFilesTheAuditFaults) {
    test::SetFaults faults;
    faults.missingSets = {"chip"};
    faults.dropMember = [](const std::string& set, const std::string& member) {
        return set == "clone" && member == "c1.bin";
    };
    faults.wrongCrc = [](const std::string& set, const std::string& member) {
        return set == "biosgame" && member == "g1.bin";
    };
    const std::string from = Source(test::SetLayout::Split, faults);
    AuditRequest request;
    request.folders.romFolders = {from};
    const std::string xml = FixdatXml(AuditFiles(catalog_, master_, request, nullptr), "test & fix");

    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(xml.c_str())) << xml;
    EXPECT_STREQ(document.child("datafile").child("header").child_value("name"), "test & fix");
    std::set<std::string> listed;
    for (pugi::xml_node game : document.child("datafile").children("game")) {
        for (pugi::xml_node rom : game.children("rom")) {
            listed.insert(std::string(game.attribute("name").value()) + "/" + rom.attribute("name").value() +
                          " " + rom.attribute("size").value() + " " + rom.attribute("crc").value());
        }
    }
    // The chip is missing for the parent and the clone alike: listed once, under its own set.
    EXPECT_EQ(listed, (std::set<std::string>{"chip/chip.bin 256 99999999", "clone/c1.bin 2048 44444444",
                                             "biosgame/g1.bin 4096 55555555"}));
}

}  // namespace
}  // namespace vantor
