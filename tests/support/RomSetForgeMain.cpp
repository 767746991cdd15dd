// vantor-romset-forge LISTING FOLDER LAYOUT < GAMES: synthetic ROM sets of the games named on
// standard input (one per line), for the bench. Prints the number of archives written.
#include <iostream>
#include <string>

#include "RomSetForge.h"
#include "gamedata/Catalog.h"
#include "gamedata/EngineError.h"
#include "romset/SetGraph.h"
#include "search/SearchDriver.h"

int main(int argc, char** argv) {
    using namespace vantor;
    if (argc != 4) {
        std::cerr << "usage: vantor-romset-forge LISTING FOLDER split|merged|non-merged < GAMES\n";
        return 2;
    }
    const std::string layoutName = argv[3];
    test::SetLayout layout = layoutName == "merged"       ? test::SetLayout::Merged
                             : layoutName == "non-merged" ? test::SetLayout::NonMerged
                                                          : test::SetLayout::Split;
    Catalog catalog;
    if (!OpenInputFile(catalog, argv[1]).opened) {
        std::cerr << "cannot open " << argv[1] << "\n";
        return 1;
    }
    const SetGraph graph = ReadSetGraph(catalog, nullptr);
    std::vector<std::string> games;
    for (std::string line; std::getline(std::cin, line);) {
        if (!line.empty()) games.push_back(line);
    }
    std::cout << test::WriteRomSets(graph, games, layout, argv[2]) << "\n";
    return 0;
}
