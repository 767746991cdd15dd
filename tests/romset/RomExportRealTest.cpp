// The export of forged sets of real games (clones, BIOS games, games with device ROMs) judged by
// MAME itself: from split, merged and non-merged sources into every layout, `mame -verifyroms`
// on the exported folder must call every game good or best available.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "RomSetForge.h"
#include "TestSupport.h"
#include "gamedata/FileIo.h"
#include "romset/RomExport.h"
#include "search/InputCheck.h"
#include "search/SearchDriver.h"

namespace vantor {
namespace {

constexpr const char* kMame = "/usr/games/mame";

// The games MAME does not call good or best available, with its verdict line.
std::vector<std::string> NotRunnableByMame(const std::vector<std::string>& games, const std::string& folder) {
    std::string command = std::string(kMame) + " -verifyroms";
    for (const std::string& game : games) command += " " + game;
    command += " -rompath '" + folder + "' 2>/dev/null";
    std::set<std::string> fine;
    std::vector<std::string> faults;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {"mame cannot be run"};
    char line[4096];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        const std::string text = line;
        if (text.rfind("romset ", 0) != 0) continue;
        const std::string name = text.substr(7, text.find(' ', 7) - 7);
        if (text.ends_with(" is good\n") || text.ends_with(" is best available\n")) {
            fine.insert(name);
        } else {
            faults.push_back(text);
        }
    }
    pclose(pipe);
    for (const std::string& game : games) {
        if (fine.count(game) == 0 && faults.empty()) faults.push_back(game + ": no verdict");
    }
    return faults;
}

TEST(RomExportRealTest, MameCallsEveryExportedGameGood) {
    const std::string listing = test::RealListXmlPath();
    if (listing.empty()) GTEST_SKIP() << "the real MAME listing has not been generated";
    if (!FileExists(kMame)) GTEST_SKIP() << "MAME is not installed";
    Catalog catalog;
    ASSERT_TRUE(OpenInputFile(catalog, listing).Done());
    const SetGraph graph = ReadSetGraph(catalog, nullptr);

    // Clones, BIOS games and games with device ROMs, spread over the listing, whose sets are small.
    auto small = [&](const MachineSets& game) {
        std::uint64_t bytes = 0;
        for (const RomFile& rom : game.roms) bytes += rom.size;
        const MachineSets* romOf = graph.Find(game.romOf);
        return bytes < (4u << 20) && test::Forgeable(graph, game) && game.disks.empty() &&
               (romOf == nullptr || test::Forgeable(graph, *romOf));
    };
    std::vector<std::string> clones, biosGames, deviceGames;
    for (const MachineSets& game : graph.Machines()) {
        if (game.isDevice || game.isBios || !small(game)) continue;
        const MachineSets* romOf = graph.Find(game.romOf);
        if (!game.cloneOf.empty()) clones.push_back(game.name);
        if (game.cloneOf.empty() && romOf != nullptr && romOf->isBios) biosGames.push_back(game.name);
        for (const std::string& device : game.devices) {
            const MachineSets* machine = graph.Find(device);
            if (machine != nullptr && !machine->roms.empty() && game.cloneOf.empty()) {
                deviceGames.push_back(game.name);
                break;
            }
        }
    }
    std::vector<std::string> games;
    for (const std::vector<std::string>* kind : {&clones, &biosGames, &deviceGames}) {
        ASSERT_GE(kind->size(), 20u);
        for (std::size_t i = 0; i < 20; ++i) games.push_back((*kind)[i * (kind->size() / 20)]);
    }
    // What the games may need: themselves, their romof chains and their devices.
    std::set<std::string> needed;
    for (const std::string& name : games) {
        const MachineSets* game = graph.Find(name);
        for (const std::string& set : graph.RomOfChain(*game)) needed.insert(set);
        for (const std::string& device : game->devices) needed.insert(device);
    }

    test::TempDir dir;
    int folders = 0;
    for (test::SetLayout source :
         {test::SetLayout::Split, test::SetLayout::Merged, test::SetLayout::NonMerged}) {
        const std::string from = dir.File("roms" + std::to_string(++folders));
        MakeDirectories(from);
        test::WriteRomSets(graph, games, source, from);
        for (ExportLayout layout : {ExportLayout::AsIs, ExportLayout::Split, ExportLayout::NonMerged}) {
            const std::string where =
                std::string(test::SetLayoutName(source)) + " to " + ExportLayoutWord(layout);
            ExportRequest request;
            request.audit.folders.romFolders = {from};
            request.audit.allGames = false;
            for (const std::string& name : games)
                request.audit.positions.push_back(graph.Find(name)->position);
            request.layout = layout;
            request.target = dir.File("out" + std::to_string(++folders));
            const ExportPlan plan = PlanExport(catalog, listing, request, nullptr);
            EXPECT_EQ(plan.exported.size(), games.size()) << where;
            const ExportResult result = RunExport(plan, request, nullptr);
            EXPECT_TRUE(result.failures.empty()) << where;

            for (const std::string& fault : NotRunnableByMame(games, request.target))
                ADD_FAILURE() << where << ": " << fault;
            for (const auto& entry : std::filesystem::directory_iterator(request.target)) {
                const std::string set = entry.path().stem().string();
                EXPECT_TRUE(needed.count(set) != 0) << where << ": " << set << " is no set the games need";
            }
            EXPECT_EQ(PlanExport(catalog, listing, request, nullptr).bytesToWrite, 0u) << where;
        }
    }
}

}  // namespace
}  // namespace vantor
