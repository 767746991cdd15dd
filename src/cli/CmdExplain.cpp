// explain ROMNAME [EXPR]: why a game is, or is not, among the matches of an expression.
#include <ostream>

#include "CliCommand.h"
#include "gamedata/AppPaths.h"
#include "gamedata/SettingsStore.h"
#include "gamedata/TextUtil.h"
#include "search/CriteriaModel.h"
#include "search/Evaluator.h"
#include "search/Explanation.h"

namespace vantor::cli {

namespace {

int RunExplain(CliContext& context, std::vector<std::string>& args) {
    if (!args.empty() && args.front() == "--") args.erase(args.begin());
    if (args.empty() || args.size() > 2)
        return context.UsageError("usage: vantor-cli explain ROMNAME [EXPR]");
    const std::string romName = args[0];
    std::string typed = args.size() == 2 ? args[1] : Settings::Load().findText;
    if (args.size() == 1 && TrimView(typed).empty()) typed.clear();
    std::string expression;
    auto prepare = [&] {
        try {
            expression = PrepareSearchText(typed, FindDataFile("vnmacros.txt"));
            CompiledExpression check(expression);
            return kExitOk;
        } catch (const EngineError& error) {
            // As find reports it.
            context.ui.ShowMessage(error.Icon(), error.Text());
            return error.Kind() == ErrorKind::Expression ? kExitUsage : kExitFailure;
        }
    };
    if (!typed.empty()) {
        if (int status = prepare(); status != kExitOk) return status;
    }
    InputCheck check = OpenInputFile(context.catalog, context.options.input);
    context.PrintInputCheck(check, false);
    if (!check.opened) return kExitFailure;
    if (typed.empty()) {
        // What the main window shows before anything is ticked.
        CriteriaModel model;
        model.ApplyInputCheck(check);
        model.ApplyInitialState();
        typed = model.FindText();
        context.ui.ShowMessage(
            MessageIcon::Information,
            "The settings hold no \"-find:\" text: this is the main window's start-up criteria.");
        if (int status = prepare(); status != kExitOk) return status;
    }
    GameExplanation explanation = ExplainGame(context.catalog, romName, expression, typed);
    context.out << explanation.text;
    context.out.flush();
    return kExitOk;
}

}  // namespace

CliCommand ExplainCommand() {
    return {
        .name = "explain",
        .usage = "explain ROMNAME [EXPR]",
        .summary = "why a game is, or is not, among the matches of EXPR",
        .details =
            "Prints EXPR as a tree, each term and group with its truth on the game named ROMNAME (yes or\n"
            "no), marks what decided (\"<- decides\"), and ends with the line \"verdict: match\" or\n"
            "\"verdict: no match\": what find EXPR does with that game. EXPR is read as find reads it\n"
            "(macros included); without it, the \"-find:\" text of the settings (or, when they hold none,\n"
            "the main window's start-up criteria). An unknown ROMNAME is an error (exit status 1).\n",
        .run = RunExplain};
}

}  // namespace vantor::cli
