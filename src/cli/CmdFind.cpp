// find EXPR, list-all, romsearch TEXT: the three scans, printed as match-list lines.
#include "CliCommand.h"
#include "gamedata/AppPaths.h"
#include "gamedata/FileIo.h"
#include "search/Evaluator.h"

namespace vantor::cli {

namespace {

// The single positional argument of a command ("--" may precede it).
bool TakeSingleArgument(std::vector<std::string>& args, std::string& value) {
    if (!args.empty() && args.front() == "--") args.erase(args.begin());
    if (args.size() != 1) return false;
    value = args.front();
    return true;
}

// With `countOnly` just the number of matches, on a line of its own.
int RunScan(CliContext& context, const std::string& expression, bool countOnly = false) {
    if (!context.OpenMaster()) return kExitFailure;
    CliProgress progress(context.ui, ProgressUnit::Bytes);
    context.ui.ProgressShow("Scanning input file for matches...", "");
    std::vector<MatchEntry> entries = ScanForMatches(context.catalog, expression, &progress);
    context.ui.ProgressClose();
    if (countOnly) {
        context.out << entries.size() << '\n';
    } else {
        context.PrintMatchList(entries);
    }
    return kExitOk;
}

int RunFind(CliContext& context, std::vector<std::string>& args) {
    const bool countOnly = TakeFlag(args, "--count");
    std::string findText;
    if (!TakeSingleArgument(args, findText))
        return context.UsageError("usage: vantor-cli find [--count] EXPR");
    // An expression error (exit status 2) ends the command before any output.
    std::string expression = PrepareSearchText(findText, FindDataFile("vnmacros.txt"));
    CompiledExpression check(expression);
    return RunScan(context, expression, countOnly);
}

int RunListAll(CliContext& context, std::vector<std::string>& args) {
    if (!args.empty()) return context.UsageError("usage: vantor-cli list-all");
    return RunScan(context, kListAllExpression);
}

int RunRomSearch(CliContext& context, std::vector<std::string>& args) {
    std::string text;
    if (!TakeSingleArgument(args, text)) return context.UsageError("usage: vantor-cli romsearch TEXT");
    if (text.empty()) return kExitOk;  // an empty search text searches nothing
    if (!context.OpenMaster()) return kExitFailure;
    CliProgress progress(context.ui, ProgressUnit::Bytes);
    context.ui.ProgressShow("Searching...", "");
    std::vector<MatchEntry> entries = RomSearch(context.catalog, text, &progress);
    context.ui.ProgressClose();
    context.PrintMatchList(entries);
    if (entries.empty()) context.ui.ShowMessage(MessageIcon::Information, kNoMatchesFound);
    return kExitOk;
}

int RunDetails(CliContext& context, std::vector<std::string>& args) {
    std::string romName;
    if (!TakeSingleArgument(args, romName)) return context.UsageError("usage: vantor-cli details ROMNAME");
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
    "Prints one line per game, in the order of the master file (--input FILE, or the input file of\n"
    "the settings): record key|ROM name|description|year|manufacturer|, then \"N ROMs\" on\n"
    "standard error.\n";

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
    "vantor-cli criteria builds the expression of the main window's tick boxes.\n";
const std::string kRomSearchDetails =
    std::string(kMatchLines) +
    "\nTEXT is compared with every description, case ignored: a game is listed when its description\n"
    "holds TEXT or resembles it closely enough (as the main window's \"ROM Search\").\n";

}  // namespace

CliCommand FindCommand() {
    return {.name = "find",
            .usage = "find [--count] EXPR",
            .summary = "games matching a -find: expression (as \"Go!\")",
            .details = kFindDetails,
            .options = {{"--count", OptionValue::None, "", "print only the number of matches, on one line"}},
            .run = RunFind};
}

CliCommand ListAllCommand() {
    return {.name = "list-all",
            .usage = "list-all",
            .summary = "every game (as \"List all ROMs\")",
            .details = kMatchLines,
            .run = RunListAll};
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
            .usage = "details ROMNAME",
            .summary = "the text \"View Details\" shows for a game",
            .details =
                "Prints the record of the game named ROMNAME in the master file; with\n"
                "--hide-rom-names (before the command) without its <rom> lines.\n",
            .run = RunDetails};
}

}  // namespace vantor::cli
