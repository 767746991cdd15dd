// vantor-romset-forge LISTING FOLDER LAYOUT [MAX_BYTES] < GAMES: synthetic ROM sets of the games
// named on standard input (one per line) for the bench. Games whose files cannot be forged, or
// (with MAX_BYTES) whose own files take more, are left out; the games written are printed.
#include <iostream>
#include <string>

#include "RomSetForge.h"
#include "gamedata/Catalog.h"
#include "romset/SetGraph.h"
#include "search/InputCheck.h"
#include "search/SearchDriver.h"

int main(int argc, char** argv) {
    using namespace vantor;
    if (argc != 4 && argc != 5) {
        std::cerr
            << "usage: vantor-romset-forge LISTING FOLDER split|merged|non-merged [MAX_BYTES] < GAMES\n";
        return 2;
    }
    const std::string layoutName = argv[3];
    const test::SetLayout layout = layoutName == "merged"       ? test::SetLayout::Merged
                                   : layoutName == "non-merged" ? test::SetLayout::NonMerged
                                                                : test::SetLayout::Split;
    const std::uint64_t maxBytes = argc == 5 ? std::stoull(argv[4]) : UINT64_MAX;
    Catalog catalog;
    if (!OpenInputFile(catalog, argv[1]).Done()) {
        std::cerr << "cannot open " << argv[1] << "\n";
        return 1;
    }
    const SetGraph graph = ReadSetGraph(catalog, nullptr);
    std::vector<std::string> games;
    for (std::string line; std::getline(std::cin, line);) {
        const MachineSets* game = graph.Find(line);
        if (game == nullptr || game->isDevice || !test::Forgeable(graph, *game)) continue;
        std::uint64_t bytes = 0;
        for (const RomFile& rom : game->roms) bytes += rom.size;
        if (bytes > maxBytes) continue;
        games.push_back(line);
        std::cout << line << "\n";
    }
    std::cerr << test::WriteRomSets(graph, games, layout, argv[2]) << " archives\n";
    return 0;
}
