// Vantor's audit and MAME's own (-verifyroms) side by side on forged sets of real games: clones,
// BIOS games, games with device ROMs or disks, files never dumped or dumped badly, in the split,
// merged and non-merged layouts with faults put in. Every game must get the same verdict.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "RomSetForge.h"
#include "TestSupport.h"
#include "gamedata/FileIo.h"
#include "romset/AuditRun.h"
#include "search/InputCheck.h"
#include "search/SearchDriver.h"

namespace vantor {
namespace {

constexpr const char* kMame = "/usr/games/mame";

// MAME's verdicts: "good", "best available", "bad", or "not found" (a set it does not name).
std::map<std::string, std::string> MameVerdicts(const std::vector<std::string>& games,
                                                const std::string& folder) {
    std::string command = std::string(kMame) + " -verifyroms";
    for (const std::string& game : games) command += " " + game;
    command += " -rompath '" + folder + "' 2>/dev/null";
    std::map<std::string, std::string> verdicts;
    for (const std::string& game : games) verdicts[game] = "not found";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {};
    char line[4096];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        // "romset NAME [PARENT] is good"
        std::string text = line;
        if (text.rfind("romset ", 0) != 0) continue;
        std::size_t nameEnd = text.find(' ', 7);
        std::string name = text.substr(7, nameEnd - 7);
        for (const char* verdict : {"good", "best available", "bad"}) {
            if (text.find(std::string(" is ") + verdict + "\n") != std::string::npos)
                verdicts[name] = verdict;
        }
    }
    pclose(pipe);
    return verdicts;
}

std::string AsMameVerdict(AuditStatus status) {
    switch (status) {
        case AuditStatus::Good:
            return "good";
        case AuditStatus::BestAvailable:
            return "best available";
        case AuditStatus::Missing:
            return "not found";
        default:
            return "bad";
    }
}

// Bytes a game's sets take at most (its files, its BIOS's and its devices').
std::uint64_t SetBytes(const SetGraph& graph, const MachineSets& game) {
    std::uint64_t bytes = 0;
    for (const RomFile& rom : game.roms) bytes += rom.size;
    for (const std::string& name : game.devices) {
        if (const MachineSets* device = graph.Find(name)) {
            for (const RomFile& rom : device->roms) bytes += rom.size;
        }
    }
    return bytes;
}

class MameAgreementRealTest : public testing::Test {
  protected:
    void SetUp() override {
        listing_ = test::RealListXmlPath();
        if (listing_.empty()) GTEST_SKIP() << "the real MAME listing has not been generated";
        if (!FileExists(kMame)) GTEST_SKIP() << "MAME is not installed";
        ASSERT_TRUE(OpenInputFile(catalog_, listing_).Done());
        graph_ = ReadSetGraph(catalog_, nullptr);
        ChooseGames();
    }

    // A few hundred games of each kind, spread over the listing, whose sets are small.
    void ChooseGames() {
        struct Kind {
            const char* name;
            std::size_t wanted;
            std::uint64_t maxBytes;
            std::function<bool(const MachineSets&)> is;
        };
        auto hasDeviceRoms = [&](const MachineSets& game) {
            return std::any_of(game.devices.begin(), game.devices.end(), [&](const std::string& name) {
                const MachineSets* device = graph_.Find(name);
                return device != nullptr && !device->roms.empty();
            });
        };
        auto biosGame = [&](const MachineSets& game) {
            const MachineSets* romOf = graph_.Find(game.romOf);
            return game.cloneOf.empty() && romOf != nullptr && romOf->isBios;
        };
        auto anyStatus = [](const MachineSets& game, DumpStatus status) {
            return std::any_of(game.roms.begin(), game.roms.end(),
                               [&](const RomFile& rom) { return rom.status == status; });
        };
        const std::vector<Kind> kinds = {
            {"clone", 70, 1 << 20, [](const MachineSets& game) { return !game.cloneOf.empty(); }},
            {"parent", 50, 1 << 20,
             [](const MachineSets& game) { return game.cloneOf.empty() && game.romOf.empty(); }},
            {"BIOS game", 40, 12 << 20, biosGame},
            {"device ROMs", 40, 2 << 20, hasDeviceRoms},
            {"never dumped", 15, 2 << 20,
             [&](const MachineSets& game) { return anyStatus(game, DumpStatus::NoDump); }},
            {"bad dump", 15, 2 << 20,
             [&](const MachineSets& game) { return anyStatus(game, DumpStatus::BadDump); }},
            {"disk", 10, 2 << 20, [](const MachineSets& game) { return !game.disks.empty(); }},
        };
        std::set<std::string> chosen;
        for (const Kind& kind : kinds) {
            std::vector<const MachineSets*> candidates;
            for (const MachineSets& machine : graph_.Machines()) {
                if (machine.isDevice || chosen.count(machine.name) != 0 || !kind.is(machine) ||
                    SetBytes(graph_, machine) > kind.maxBytes || !test::Forgeable(graph_, machine))
                    continue;
                // The clone's parent and the BIOS must be forgeable too.
                const MachineSets* romOf = graph_.Find(machine.romOf);
                if (romOf != nullptr && !test::Forgeable(graph_, *romOf)) continue;
                candidates.push_back(&machine);
            }
            ASSERT_GE(candidates.size(), kind.wanted) << kind.name;
            const std::size_t step = candidates.size() / kind.wanted;
            for (std::size_t i = 0; i < kind.wanted; ++i) chosen.insert(candidates[i * step]->name);
        }
        games_.assign(chosen.begin(), chosen.end());
    }

    // Faults for one game in six of each sort, and two parents and one BIOS set gone.
    test::SetFaults Faults() const {
        test::SetFaults faults;
        std::set<std::string> drop, wrong;
        for (std::size_t i = 0; i < games_.size(); ++i) {
            if (i % 6 == 1) drop.insert(games_[i]);
            if (i % 6 == 3) wrong.insert(games_[i]);
            if (i % 6 == 5) faults.extraFile.insert(games_[i]);
        }
        int parentsGone = 0;
        for (const std::string& name : games_) {
            const MachineSets* game = graph_.Find(name);
            if (!game->cloneOf.empty() && parentsGone < 2 && drop.count(name) == 0) {
                faults.missingSets.insert(game->cloneOf);
                ++parentsGone;
            }
        }
        faults.missingSets.insert("neogeo");
        // The first member of the set's archive of the game itself.
        auto first = [](const std::set<std::string>& sets) {
            auto seen = std::make_shared<std::set<std::string>>();
            return [sets, seen](const std::string& set, const std::string&) {
                return sets.count(set) != 0 && seen->insert(set).second;
            };
        };
        faults.dropMember = first(drop);
        faults.wrongCrc = first(wrong);
        return faults;
    }

    // Vantor's audit of the chosen games of a master file.
    static std::vector<GameAudit> Audit(const Catalog& catalog, const std::string& master,
                                        const SetGraph& graph, const std::vector<std::string>& games,
                                        const std::string& folder) {
        AuditRequest request;
        request.folders.romFolders = {folder};
        request.allGames = false;
        for (const std::string& name : games) request.positions.push_back(graph.Find(name)->position);
        return RunRomAudit(catalog, master, request, nullptr).games;
    }

    // Both auditors on one folder; the disagreements, one line each.
    std::vector<std::string> Compare(const std::string& folder, std::map<std::string, int>& counts) {
        const std::vector<GameAudit> ours = Audit(catalog_, listing_, graph_, games_, folder);
        const std::map<std::string, std::string> mame = MameVerdicts(games_, folder);
        EXPECT_EQ(ours.size(), games_.size());
        std::vector<std::string> disagreements;
        for (const GameAudit& game : ours) {
            const std::string verdict = AsMameVerdict(game.status);
            ++counts[verdict];
            auto theirs = mame.find(game.name);
            if (theirs == mame.end() || theirs->second != verdict) {
                disagreements.push_back(game.name + ": MAME " +
                                        (theirs == mame.end() ? "?" : theirs->second) + ", Vantor " +
                                        std::string(AuditStatusWord(game.status)) + " (" + game.detail + ")");
            }
        }
        return disagreements;
    }

    std::string listing_;
    Catalog catalog_;
    SetGraph graph_;
    std::vector<std::string> games_;
};

TEST_F(MameAgreementRealTest, EveryGameGetsMamesVerdict) {
    for (test::SetLayout layout :
         {test::SetLayout::Split, test::SetLayout::Merged, test::SetLayout::NonMerged}) {
        for (bool faults : {false, true}) {
            test::TempDir folder;
            test::WriteRomSets(graph_, games_, layout, folder.Path(), faults ? Faults() : test::SetFaults());
            std::map<std::string, int> counts;
            std::vector<std::string> disagreements = Compare(folder.Path(), counts);
            std::string summary;
            for (const auto& [verdict, count] : counts)
                summary += " " + verdict + " " + std::to_string(count) + ",";
            std::cout << test::SetLayoutName(layout) << (faults ? " with faults" : "") << ": "
                      << games_.size() << " games," << summary << " " << disagreements.size()
                      << " disagreements\n";
            for (const std::string& line : disagreements)
                ADD_FAILURE() << test::SetLayoutName(layout) << ": " << line;
        }
    }
}

// Vantor's merged master file keeps what the audit reads (device entries included): the same
// statuses as on MAME's own listing.
TEST_F(MameAgreementRealTest, MergedFileAuditsAsTheListing) {
    const std::string mergedPath = test::RealMergedPath();
    if (mergedPath.empty()) GTEST_SKIP() << "the real merged listing has not been made";
    test::TempDir dir;
    Catalog merged;
    ASSERT_TRUE(OpenInputFile(merged, mergedPath).Done());
    const SetGraph mergedGraph = ReadSetGraph(merged, nullptr);
    EXPECT_EQ(mergedGraph.Machines().size(), graph_.Machines().size());

    const std::string folder = dir.File("roms");
    MakeDirectories(folder);
    test::WriteRomSets(graph_, games_, test::SetLayout::Split, folder, Faults());
    std::vector<GameAudit> fromListing = Audit(catalog_, listing_, graph_, games_, folder);
    std::vector<GameAudit> fromMerged = Audit(merged, mergedPath, mergedGraph, games_, folder);
    ASSERT_EQ(fromMerged.size(), fromListing.size());
    for (std::size_t i = 0; i < fromListing.size(); ++i) {
        fromListing[i].position = fromMerged[i].position = -1;  // the records lie elsewhere
        EXPECT_EQ(fromMerged[i], fromListing[i]) << fromListing[i].name;
    }
}

}  // namespace
}  // namespace vantor
