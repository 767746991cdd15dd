// explain ROMNAME [EXPR]: why a game is, or is not, among the games find EXPR lists.
#include <algorithm>
#include <ostream>

#include "CliCommand.h"
#include "SelectionOptions.h"
#include "gamedata/AppPaths.h"
#include "gamedata/SettingsStore.h"
#include "gamedata/TextUtil.h"
#include "romset/AuditStore.h"
#include "search/CompiledExpression.h"
#include "search/CriteriaModel.h"
#include "search/Explanation.h"
#include "search/InputCheck.h"
#include "search/SearchText.h"

namespace vantor::cli {

namespace {

int RunExplain(CliContext& context, std::vector<std::string>& args) {
    SelectionOptions selection;
    if (std::string problem = TakeSelectionOptions(context, args, false, selection); !problem.empty())
        return context.UsageError(problem);
    // "--" ends the options wherever it stands: before ROMNAME or before EXPR.
    if (auto dashes = std::find(args.begin(), args.end(), "--"); dashes != args.end()) args.erase(dashes);
    if (args.empty() || args.size() > 2)
        return context.UsageError("usage: vantor-cli explain ROMNAME [EXPR]");
    const std::string romName = args[0];
    ExplainRequest request;
    std::string& typed = request.typed;
    typed = args.size() == 2 ? args[1] : Settings::Load().findText;
    if (args.size() == 1 && TrimView(typed).empty()) typed.clear();
    if (selection.request.onePerFamily) request.family = selection.request.family;
    auto prepare = [&] {
        try {
            request.expression = PrepareSearchText(typed, FindDataFile("vnmacros.txt"));
            CompiledExpression::CheckText(request.expression);
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
    const Outcome<InputCheck> check = OpenInputFile(context.catalog, context.options.input);
    context.PrintInputCheck(check, false);
    if (!check.Done()) return kExitFailure;
    AttachKeptAudit(context.catalog);
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
    // One game per family decides among all the matches: a scan of the whole file.
    CliProgress progress(context.ui, ProgressUnit::Bytes);
    if (request.family) progress.Start("Scanning input file for matches...");
    GameExplanation explanation = ExplainGame(context.catalog, romName, request, &progress);
    if (request.family) progress.End();
    context.out << explanation.text;
    context.out.flush();
    return kExitOk;
}

}  // namespace

CliCommand ExplainCommand() {
    return {
        .name = "explain",
        .usage = "explain ROMNAME [EXPR] [--one-per-family | --no-one-per-family]",
        .summary = "why a game is, or is not, among the games find EXPR lists",
        .details =
            "Prints EXPR as a tree, each term and group with its truth on the game named ROMNAME (yes or\n"
            "no), marks what decided (\"<- decides\"), and ends with the line \"verdict: match\" or\n"
            "\"verdict: no match\": what find EXPR does with that game. EXPR is read as find reads it\n"
            "(macros included); without it, the \"-find:\" text of the settings (or, when they hold none,\n"
            "the main window's start-up criteria). With one game per family (as find: --one-per-family,\n"
            "--regions, --family-rules, or the settings' onePerFamily), a game EXPR matches is listed\n"
            "only when its family keeps it: the explanation names the game kept and the rule that\n"
            "decided. Put -- before an EXPR that begins with - (explain pacman -- -cloneof). An unknown\n"
            "ROMNAME is an error (exit status 1).\n",
        .options = FamilyCliOptions(),
        .run = RunExplain};
}

}  // namespace vantor::cli
