#pragma once
// One game per family and the left-out report as the commands that choose games take them (find,
// list-all, explain), the settings' choices included.
#include <string>
#include <vector>

#include "CliCommand.h"
#include "search/GameSelection.h"

namespace vantor::cli {

struct SelectionOptions {
    SelectionRequest request;
    std::string familyLog, leftOutFile;
};

// Takes the options off `args` (--left-out only when `leftOutAllowed`); the settings' onePerFamily,
// familyRules and familyRegions stand where no option says otherwise. Returns a usage problem, or
// "" when they are fine.
std::string TakeSelectionOptions(CliContext& context, std::vector<std::string>& args, bool leftOutAllowed,
                                 SelectionOptions& options);

// --one-per-family, --no-one-per-family, --regions and --family-rules, as commands declare them.
std::vector<CliOption> FamilyCliOptions();
// --family-log FILE, for the commands that write the log.
CliOption FamilyLogOption();
// The family log's text: CSV when its name ends in .csv.
std::string FamilyLog(const Selection& selection, const SelectionOptions& options);

}  // namespace vantor::cli
