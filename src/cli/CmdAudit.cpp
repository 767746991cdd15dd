// audit --roms DIR [--roms DIR ...] [--chds DIR] [--find EXPR | --keys FILE] [--report FILE.csv]
#include "CliCommand.h"
#include "gamedata/AppPaths.h"
#include "gamedata/FileIo.h"
#include "gamedata/TextUtil.h"
#include "romset/AuditRun.h"
#include "romset/AuditStore.h"
#include "search/CompiledExpression.h"
#include "search/SearchDriver.h"
#include "search/SearchText.h"

namespace vantor::cli {

namespace {

constexpr const char* kUsage =
    "usage: vantor-cli audit --roms DIR [--roms DIR ...] [--chds DIR] [--find EXPR | --keys FILE]\n"
    "       [--report FILE.csv]";

int RunAudit(CliContext& context, std::vector<std::string>& args) {
    AuditRequest request;
    std::string folder, findText, keysFile, reportFile;
    while (TakeOption(args, "--roms", folder)) request.folders.romFolders.push_back(folder);
    TakeOption(args, "--chds", request.folders.chdFolder);
    const bool byFind = TakeOption(args, "--find", findText);
    const bool byKeys = TakeOption(args, "--keys", keysFile);
    const bool report = TakeOption(args, "--report", reportFile);
    if (!args.empty() || request.folders.romFolders.empty() || (byFind && byKeys) ||
        (report && reportFile.empty()))
        return context.UsageError(kUsage);
    for (const std::string& path : request.folders.romFolders) {
        if (!IsDirectory(path)) {
            context.Error("The ROM folder " + path + " does not exist.");
            return kExitFailure;
        }
    }
    if (!request.folders.chdFolder.empty() && !IsDirectory(request.folders.chdFolder)) {
        context.Error("The CHD folder " + request.folders.chdFolder + " does not exist.");
        return kExitFailure;
    }
    std::string expression;
    if (byFind) {
        // An expression error (exit status 2) ends the command before anything is read.
        expression = PrepareSearchText(findText, FindDataFile("vnmacros.txt"));
        CompiledExpression::CheckText(expression);
    }
    if (byKeys && !ReadKeyFile(context, keysFile, request.positions)) return kExitFailure;
    if (!context.OpenMaster()) return kExitFailure;

    CliProgress progress(context.ui);
    if (byFind) {
        progress.Start("Scanning input file for matches...");
        for (const MatchEntry& entry : ScanForMatches(context.catalog, expression, &progress))
            request.positions.push_back(ParseRecordKey(entry.key));
    }
    request.allGames = !byFind && !byKeys;
    request.keepFolder = DefaultAuditFolder();
    progress.Start("Auditing ROM sets...");
    const AuditRunResult result = RunRomAudit(context.catalog, context.options.input, request, &progress);
    progress.End();

    if (report && !WriteFileAtomically(reportFile, AuditReportCsv(result.games))) {
        context.Error("Cannot write the audit report " + reportFile + ".");
        return kExitFailure;
    }
    std::string lines;
    for (const GameAudit& game : result.games) {
        lines += game.name;
        lines += '|';
        lines += AuditStatusWord(game.status);
        lines += '|';
        lines += game.detail;
        lines += "|\n";
    }
    context.out << lines;
    context.ui.ShowMessage(MessageIcon::Information, AuditSummary(result.games) + ".");
    if (!result.kept) {
        context.ui.ShowMessage(MessageIcon::Exclamation,
                               "The audit could not be kept in " + request.keepFolder + ".");
    }
    return kExitOk;
}

}  // namespace

CliCommand AuditCommand() {
    return {
        .name = "audit",
        .usage =
            "audit --roms DIR [--roms DIR ...] [--chds DIR] [--find EXPR | --keys FILE] [--report FILE.csv]",
        .summary = "checks the games' ROM sets in the ROM folders, as MAME's own audit does",
        .details =
            "Prints ROMNAME|STATUS|DETAIL| for every game of the --input master file (or those of\n"
            "--find EXPR or of a --keys file), in master-file order, then a summary on standard\n"
            "error. STATUS is good, best-available (bad dumps or files never dumped), missing (no\n"
            "set found), incomplete (files missing or wrong: DETAIL names them and where they\n"
            "were looked for), needs-set (a parent, BIOS or device set missing or bad) or\n"
            "chd-missing. Zip and 7z archives and folders named after the set are read; CHDs\n"
            "are looked for in a folder named after the set, in the ROM folders or the --chds\n"
            "folder. The result is kept in the data folder: the next audit reads only the\n"
            "archives that changed.\n",
        .options = {{"--roms", OptionValue::Folder, "DIR",
                     "a folder of ROM sets (again for more, searched in order)"},
                    {"--chds", OptionValue::Folder, "DIR",
                     "a folder of CHDs, in folders named after the sets"},
                    {"--find", OptionValue::Text, "EXPR", "only the games the search expression finds"},
                    {"--keys", OptionValue::File, "FILE",
                     "only the games of a file of find's lines (- : standard input)"},
                    {"--report", OptionValue::OutputFile, "FILE.csv",
                     "also write every game's status as CSV"}},
        .run = RunAudit};
}

}  // namespace vantor::cli
