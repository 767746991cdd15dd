#include "SelectionOptions.h"

#include "gamedata/SettingsStore.h"

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
    return {
        {"--one-per-family", OptionValue::None, "", ""},
        {"--no-one-per-family", OptionValue::None, "", ""},
        {"--regions", OptionValue::Text, "LIST", ""},
        {"--family-rules", OptionValue::Text, "LIST", ""},
    };
}

}  // namespace vantor::cli
