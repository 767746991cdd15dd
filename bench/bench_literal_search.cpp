// Scans a master file with the literal rewriting evaluator (the expression re-parsed and the
// record re-copied for every term), so bench/run can show what the compiled evaluator saves.
#include <cstdio>
#include <string>

#include "gamedata/RecordReader.h"
#include "gamedata/TagTable.h"
#include "search/LiteralEvaluator.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_literal_search MASTERFILE EXPRESSION\n");
        return 2;
    }
    vantor::MasterFile file;
    if (!file.Open(argv[1])) return 1;
    vantor::RecordReader reader(vantor::UnknownInput);
    int inputType = reader.DetectInputType(file);
    if (inputType < 0) inputType = vantor::MameGame;
    reader.SetInputType(inputType);
    reader.Rewind(file);
    std::string record;
    long matches = 0;
    const std::string& startTag = vantor::Tags().StartTag(inputType);
    while (reader.ReadRecord(file, record, startTag, -1) != -1) {
        if (vantor::LiteralMatches(record, argv[2])) ++matches;
    }
    std::printf("%ld\n", matches);
    return 0;
}
