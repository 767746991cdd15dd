// find EXPR, list-all, romsearch TEXT: the three scans, printed as match-list lines.
#include "CliCommand.h"
#include "SelectionOptions.h"
#include "gamedata/AppPaths.h"
#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"
#include "gamedata/TextUtil.h"
#include "search/CompiledExpression.h"
#include "search/GameDetails.h"
#include "search/GameSelection.h"
#include "search/SearchDriver.h"
#include "search/SearchText.h"

namespace vantor::cli {

namespace {

// The single positional argument of a command ("--" may precede it).
bool TakeSingleArgument(std::vector<std::string>& args, std::string& value) {
    if (!args.empty() && args.front() == "--") args.erase(args.begin());
    if (args.size() != 1) return false;
    value = args.front();
    return true;
}

// The scan with the family choice and the reports; the reports are written before the list (or
// the count) is printed, so that a list on standard output means they are there.
int RunSelection(CliContext& context, const std::string& expression, SelectionOptions& options,
                 bool countOnly) {
    if (!context.OpenMaster()) return kExitFailure;
    options.request.expression = expression;
    CliProgress progress(context.ui, ProgressUnit::Bytes);
    progress.Start("Scanning input file for matches...");
    Selection selection = SelectGames(context.catalog, options.request, &progress);
    progress.End();
    // Both reports are written together, or neither.
    std::vector<CliContext::OutputText> reports;
    if (!options.familyLog.empty())
        reports.push_back({options.familyLog, FamilyLog(selection, options), "family log"});
    if (options.request.leftOut)
        reports.push_back({options.leftOutFile, LeftOutCsv(selection.leftOut), "left-out report"});
    if (!context.WriteFiles(reports)) return kExitFailure;
    if (options.request.onePerFamily) {
        context.ui.ShowMessage(MessageIcon::Information, FamilySummary(selection));
    }
    if (countOnly) {
        context.out << selection.matches.size() << '\n';
    } else {
        context.PrintMatchList(selection.matches);
    }
    return kExitOk;
}

// With `countOnly` just the number of games listed, on a line of its own.
int RunScan(CliContext& context, const std::string& expression, SelectionOptions& options,
            bool countOnly = false) {
    if (options.request.onePerFamily || options.request.leftOut)
        return RunSelection(context, expression, options, countOnly);
    if (!context.OpenMaster()) return kExitFailure;
    CliProgress progress(context.ui, ProgressUnit::Bytes);
    progress.Start("Scanning input file for matches...");
    std::vector<MatchEntry> entries = ScanForMatches(context.catalog, expression, &progress);
    progress.End();
    if (countOnly) {
        context.out << entries.size() << '\n';
    } else {
        context.PrintMatchList(entries);
    }
    return kExitOk;
}

int RunFind(CliContext& context, std::vector<std::string>& args) {
    const bool countOnly = TakeFlag(args, "--count");
    SelectionOptions options;
    std::string problem = TakeSelectionOptions(context, args, true, options);
    if (!problem.empty()) return context.UsageError(problem);
    std::string findText;
    if (!TakeSingleArgument(args, findText))
        return context.UsageError("usage: vantor-cli find [--count] EXPR");
    // An expression error (exit status 2) ends the command before any output.
    std::string expression = PrepareSearchText(findText, FindDataFile("vnmacros.txt"));
    CompiledExpression::CheckText(expression);
    return RunScan(context, expression, options, countOnly);
}

int RunListAll(CliContext& context, std::vector<std::string>& args) {
    SelectionOptions options;
    std::string problem = TakeSelectionOptions(context, args, false, options);
    if (!problem.empty()) return context.UsageError(problem);
    if (!args.empty()) return context.UsageError("usage: vantor-cli list-all");
    return RunScan(context, kListAllExpression, options);
}

int RunRomSearch(CliContext& context, std::vector<std::string>& args) {
    std::string text;
    if (!TakeSingleArgument(args, text)) return context.UsageError("usage: vantor-cli romsearch TEXT");
    if (text.empty()) return kExitOk;  // an empty search text searches nothing
    if (!context.OpenMaster()) return kExitFailure;
    CliProgress progress(context.ui, ProgressUnit::Bytes);
    progress.Start("Searching...");
    std::vector<MatchEntry> entries = RomSearch(context.catalog, text, &progress);
    progress.End();
    context.PrintMatchList(entries);
    if (entries.empty()) context.ui.ShowMessage(MessageIcon::Information, kNoMatchesFound);
    return kExitOk;
}

int RunDetails(CliContext& context, std::vector<std::string>& args) {
    std::string kind;
    const bool picture = TakeOption(args, "--picture", kind);
    std::string romName;
    if (!TakeSingleArgument(args, romName))
        return context.UsageError("usage: vantor-cli details [--picture KIND] ROMNAME");
    if (picture) return PrintPictureLocation(context, kind, romName);
    if (!context.OpenMaster()) return kExitFailure;
    std::string text;
    if (!DetailsText(context.catalog, romName, text)) {
        context.Error("No game named \"" + romName + "\" in the input file.");
        return kExitFailure;
    }
    context.out << CrLfToLf(text) << '\n';
    return kExitOk;
}

constexpr const char* kMatchLines =
    "Prints one line per game of the master file (--input FILE, or the input file of the settings),\n"
    "find and list-all in file order, romsearch best match first: record\n"
    "key|ROM name|description|year|manufacturer|, then \"N ROMs\" on standard error.\n";

const std::string kFindDetails =
    std::string(kMatchLines) +
    "\n"
    "EXPR is a -find: expression, as the main window's \"Go!\" searches it:\n"
    "  terms         case-insensitive substrings of a game's record (cloneof=puckman)\n"
    "  & | ! -       AND, OR (AND binds tighter; terms side by side are ANDed), NOT\n"
    "  ( )           groups\n"
    "  _             a space\n"
    "  'text'        searched as written, case and spaces included\n"
    "  *             any text within one line\n"
    "  @NAME         a macro of vnmacros.txt (@USA, @JAPAN, @EURO, @ASIA)\n"
    "Put -- before an expression that begins with - (vantor-cli find -- -cloneof).\n"
    "vantor-cli criteria builds the expression of the main window's tick boxes.\n"
    "One game per family keeps one game of each family (a parent and its clones) among the matches.\n";
const std::string kListAllDetails =
    std::string(kMatchLines) +
    "One game per family keeps one game of each family (a parent and its clones).\n";
const std::string kRomSearchDetails =
    std::string(kMatchLines) +
    "\nTEXT is compared with every description, case ignored: a game is listed when its description\n"
    "holds TEXT or resembles it closely enough (as the main window's \"ROM Search\"), and the\n"
    "games are listed best match first, as that window lists them: those whose description holds\n"
    "TEXT whole, then each of its words, then the rest; the closer the title, the sooner.\n";

}  // namespace

CliCommand FindCommand() {
    std::vector<CliOption> family = FamilyCliOptions();
    family.push_back(FamilyLogOption());
    CliCommand find{
        .name = "find",
        .usage = "find [--count] EXPR [FAMILY OPTIONS] [--left-out FILE.csv]",
        .summary = "games matching a -find: expression (as \"Go!\")",
        .details = kFindDetails,
        .options = {{"--count", OptionValue::None, "",
                     "print only the number of games listed (with one game per family, of those kept)"},
                    {"--left-out", OptionValue::OutputFile, "FILE.csv",
                     "also write every game not listed: ROM name, description, and the first\n"
                     "top-level clause that excluded it (or the family's kept game and the rule that\n"
                     "beat it); - for standard output, before the list. vantor-cli explain ROMNAME\n"
                     "EXPR shows the whole reasoning"}},
        .run = RunFind};
    find.options.insert(find.options.end(), family.begin(), family.end());
    return find;
}

CliCommand ListAllCommand() {
    CliCommand listAll{.name = "list-all",
                       .usage = "list-all [FAMILY OPTIONS]",
                       .summary = "every game (as \"List all ROMs\")",
                       .details = kListAllDetails,
                       .options = FamilyCliOptions(),
                       .run = RunListAll};
    listAll.options.push_back(FamilyLogOption());
    return listAll;
}

CliCommand RomSearchCommand() {
    return {.name = "romsearch",
            .usage = "romsearch TEXT",
            .summary = "games whose description resembles TEXT (as \"ROM Search\")",
            .details = kRomSearchDetails,
            .run = RunRomSearch};
}

CliCommand DetailsCommand() {
    return {.name = "details",
            .usage = "details [--picture KIND] ROMNAME",
            .summary = "the text \"View Details\" shows for a game, or where its picture is",
            .details =
                "Prints the record of the game named ROMNAME in the master file; with\n"
                "--hide-rom-names (before the command) without its <rom> lines.\n"
                "\n"
                "With --picture KIND, prints instead where the game's picture of that KIND is in the\n"
                "artwork folder (--artwork DIR before the command, or the settings' artwork folder),\n"
                "as the windows show it: DIR/KIND/ROMNAME.png (.jpg, .jpeg), or DIR/KIND.zip:ROMNAME.png\n"
                "for a picture inside KIND.zip; a clone without a picture of its own has its parent's.\n"
                "KIND is snap, titles, marquees, flyers or cabinets. Exit status 1 when there is none.\n",
            .options = {{"--picture", OptionValue::Text, "KIND", "where the game's picture of KIND is"}},
            .run = RunDetails};
}

}  // namespace vantor::cli
