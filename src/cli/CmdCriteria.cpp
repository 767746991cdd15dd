// criteria [--initial] [NAME=VALUE ...]: the "-find:" text the main window's criteria build.
#include <ostream>
#include <utility>

#include "CliCommand.h"
#include "gamedata/TextUtil.h"
#include "romset/AuditStore.h"
#include "search/CriteriaModel.h"
#include "search/InputCheck.h"

namespace vantor::cli {

namespace {

const char* const kUsage = "usage: vantor-cli criteria [--initial] [NAME=VALUE ...]";

// Returns an empty text when the setting was applied, else what is wrong with it.
std::string ApplySetting(CriteriaModel& model, const std::string& setting) {
    std::size_t equals = setting.find('=');
    if (equals == std::string::npos) return "setting \"" + setting + "\" is not NAME=VALUE";
    std::string name = ToLowerAscii(setting.substr(0, equals));
    std::string value = ToLowerAscii(setting.substr(equals + 1));
    auto bad = [&](const char* expected) {
        return "bad value \"" + setting.substr(equals + 1) + "\" for " + name + " (expected " + expected +
               ")";
    };
    auto onOff = [&](CheckState& state) {
        if (value == "on") state = CheckState::Checked;
        if (value == "off") state = CheckState::Unchecked;
        return value == "on" || value == "off";
    };
    auto onOffAny = [&](CheckState& state) {
        if (value == "any") state = CheckState::Indeterminate;
        return onOff(state) || value == "any";
    };
    CheckState state = CheckState::Unchecked;

    static const std::pair<const char*, CriteriaGroup> kGroups[] = {
        {"controls", CriteriaGroup::Controls},
        {"categories", CriteriaGroup::Categories},
        {"players", CriteriaGroup::Players},
    };
    for (const auto& [groupName, group] : kGroups) {
        if (name != groupName) continue;
        if (!onOffAny(state)) return bad("on, off or any");
        model.SetGroup(group, state);
        return {};
    }
    if (name == "cabinet") {
        if (value != "upright" && value != "cocktail") return bad("upright or cocktail");
        model.SetCheck(value == "cocktail" ? Criterion::Cocktail : Criterion::Upright, CheckState::Checked);
        return {};
    }
    if (name == "buttons") {
        const std::vector<std::string>& items = ComboItems(Criterion::Buttons);
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (value == items[i]) {
                model.SetComboIndex(Criterion::Buttons, static_cast<int>(i));
                return {};
            }
        }
        return bad("any or 0 to 16");
    }
    if (name == "region") {
        static const char* const kRegions[] = {"any", "usa", "japan", "europe", "asia"};
        for (int i = 0; i < 5; ++i) {
            if (value == kRegions[i]) {
                model.SetComboIndex(Criterion::Region, i);
                return {};
            }
        }
        return bad("any, usa, japan, europe or asia");
    }

    const CriterionInfo* info = FindCriterionBySetting(name);
    if (info == nullptr || (info->kind != CriterionKind::TriState && info->kind != CriterionKind::TwoState)) {
        return "unknown criteria setting \"" + setting.substr(0, equals) + "\"";
    }
    if (info->kind == CriterionKind::TriState) {
        if (!onOffAny(state)) return bad("on, off or any");
    } else if (!onOff(state)) {
        return bad("on or off");
    }
    model.SetCheck(info->key, state);
    return {};
}

void PrintSettings(std::ostream& out) {
    out << "Usage: vantor-cli [OPTIONS] criteria [--initial] [NAME=VALUE ...]\n"
           "\n"
           "Prints the -find: text that the main window's criteria build. Without --initial every\n"
           "three-state box starts grey, both combo boxes at their first entry, every two-state box\n"
           "unticked and the cabinet Upright; --initial starts from the main window's initial state.\n"
           "Settings apply left to right.\n"
           "\n"
           "  three-state boxes (on, off, any):\n   ";
    std::size_t column = 3;
    for (const CriterionInfo& info : CriteriaControls()) {
        if (info.kind != CriterionKind::TriState) continue;
        std::string word = std::string(" ") + info.settingName;
        if (column + word.size() > 96) {
            out << "\n   ";
            column = 3;
        }
        out << word;
        column += word.size();
    }
    out << "\n"
           "  controls, categories, players      on, off, any (every box of the group)\n"
           "  any-none                           on, off (as clicking the box into that state)\n"
           "  cabinet                            upright, cocktail\n"
           "  buttons                            any, 0 ... 16\n"
           "  or-less, vertical-only, horizontal-only, not, no-clones, no-samples, playable,\n"
           "  arcade-only, runnable-only         on, off\n"
           "  region                             any, usa, japan, europe, asia\n";
}

int RunCriteria(CliContext& context, std::vector<std::string>& args) {
    bool initial = TakeFlag(args, "--initial");
    if (!args.empty() && args.front() == "--") args.erase(args.begin());
    for (const std::string& arg : args) {
        if (arg.rfind("--", 0) == 0 && arg.find('=') == std::string::npos) {
            return context.UsageError("unknown option " + arg + " for criteria\n" + kUsage);
        }
    }

    // Every setting is checked before the input file is touched.
    CriteriaModel model;
    for (const std::string& setting : args) {
        std::string problem = ApplySetting(model, setting);
        if (!problem.empty()) return context.UsageError(problem);
    }

    model = CriteriaModel();
    if (!context.options.input.empty()) {
        const Outcome<InputCheck> check = OpenInputFile(context.catalog, context.options.input);
        // Here the category boxes are what the note is about.
        context.PrintInputCheck(check, true);
        if (!check.Done()) return kExitFailure;
        model.ApplyInputCheck(check);
        AttachKeptAudit(context.catalog);
        model.SetAuditKept(context.catalog.outsideFacts != nullptr);
    }
    if (initial) model.ApplyInitialState();
    for (const std::string& setting : args) ApplySetting(model, setting);
    if (model.IsChecked(Criterion::RunnableOnly) && !model.IsEnabled(Criterion::RunnableOnly)) {
        context.ui.ShowMessage(MessageIcon::Information,
                               std::string(kRunnableOnlyOffNote) + " (vantor-cli audit).");
    }
    context.out << model.FindText() << '\n';
    return kExitOk;
}

}  // namespace

CliCommand CriteriaCommand() {
    return {.name = "criteria",
            .usage = "criteria [--initial] [NAME=VALUE ...]",
            .summary = "the -find: text the main window's criteria build (criteria --help lists them)",
            .options = {{"--initial", OptionValue::None, "", "start from the main window's opening state"}},
            .run = RunCriteria,
            .printHelp = PrintSettings};
}

}  // namespace vantor::cli
