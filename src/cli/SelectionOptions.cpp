#include "SelectionOptions.h"

#include "gamedata/SettingsStore.h"
#include "gamedata/TextUtil.h"

namespace vantor::cli {

namespace {

// A family list of the settings that does not parse gives way to the default, with a warning.
template <typename Parse, typename List>
void TakeStoredList(CliContext& context, const std::string& stored, const char* name, Parse parse,
                    List& list) {
    std::string problem;
    if (!stored.empty() && !parse(stored, list, problem)) {
        context.ui.ShowMessage(MessageIcon::Exclamation,
                               std::string("The settings' ") + name + " is not used: " + problem + ".");
    }
}

}  // namespace

std::string TakeSelectionOptions(CliContext& context, std::vector<std::string>& args, bool leftOutAllowed,
                                 SelectionOptions& options) {
    const Settings settings = Settings::Load();
    SelectionRequest& request = options.request;
    request.family = FamilyOptions::Defaults();
    request.onePerFamily = settings.onePerFamily;
    if (TakeFlag(args, "--one-per-family")) request.onePerFamily = true;
    if (TakeFlag(args, "--no-one-per-family")) request.onePerFamily = false;
    std::string rules, regions, problem;
    bool rulesGiven = TakeOption(args, "--family-rules", rules);
    bool regionsGiven = TakeOption(args, "--regions", regions);
    bool logGiven = TakeOption(args, "--family-log", options.familyLog);
    if (leftOutAllowed) request.leftOut = TakeOption(args, "--left-out", options.leftOutFile);
    if ((rulesGiven || regionsGiven || logGiven) && !request.onePerFamily)
        return "--family-rules, --regions and --family-log go with --one-per-family";
    if (rulesGiven && !ParseFamilyRules(rules, request.family.rules, problem)) return problem;
    if (regionsGiven && !ParseRegionList(regions, request.family.regions, problem)) return problem;
    if (request.onePerFamily) {
        if (!rulesGiven)
            TakeStoredList(context, settings.familyRules, "familyRules", ParseFamilyRules,
                           request.family.rules);
        if (!regionsGiven)
            TakeStoredList(context, settings.familyRegions, "familyRegions", ParseRegionList,
                           request.family.regions);
    }
    if ((logGiven && options.familyLog.empty()) || (request.leftOut && options.leftOutFile.empty()))
        return "a report needs a file name";
    return {};
}

std::vector<CliOption> FamilyCliOptions() {
    std::string rules =
        "the rules in the order they apply (default status,region,parent,release);\n"
        "a rule left out is off, and name decides last in any case:";
    for (const FamilyRuleInfo& rule : FamilyRuleTable())
        rules += "\n  " + std::string(rule.name) + ": " + rule.meaning;
    return {
        {"--one-per-family", OptionValue::None, "",
         "keep one game of each family (default: the settings' onePerFamily)"},
        {"--no-one-per-family", OptionValue::None, "", "keep every game"},
        {"--regions", OptionValue::Text, "LIST",
         "regions in order of preference (default world,usa,europe,japan,asia), read\n"
         "from the description's tags, (US) and (USA) alike; games that name none come after"},
        {"--family-rules", OptionValue::Text, "LIST", rules},
    };
}

CliOption FamilyLogOption() {
    return {"--family-log", OptionValue::OutputFile, "FILE",
            "for each family with more than one candidate, the game kept and the first rule\n"
            "that beat each other one (CSV when FILE ends in .csv; - for standard output)"};
}

std::string FamilyLog(const Selection& selection, const SelectionOptions& options) {
    return ToLowerAscii(options.familyLog).ends_with(".csv")
               ? FamilyLogCsv(selection.families, selection.candidates)
               : FamilyLogText(selection.families, selection.candidates, options.request.family);
}

}  // namespace vantor::cli
