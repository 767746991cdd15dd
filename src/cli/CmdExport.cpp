// export --to DIR SOURCE [--roms DIR ...] [--chds DIR] [--samples DIR] [--layout as-is|split|non-merged]
//        [--link] [--dry-run] [--include-incomplete] [--replace]
#include <filesystem>

#include "CliCommand.h"
#include "gamedata/AppPaths.h"
#include "gamedata/FileIo.h"
#include "gamedata/TextUtil.h"
#include "romset/AuditStore.h"
#include "romset/RomExport.h"
#include "search/CompiledExpression.h"
#include "search/SearchDriver.h"
#include "search/SearchText.h"
#include "utilities/ListLoader.h"

namespace vantor::cli {

namespace {

constexpr const char* kExportUsage =
    "export --to DIR (--find EXPR | --all | --keys FILE | --from-list FILE) [--roms DIR ...] [--chds DIR]\n"
    "       [--samples DIR] [--layout as-is|split|non-merged] [--link] [--dry-run] [--include-incomplete]\n"
    "       [--replace]";

const char* ActionWord(ExportFile::Action action) {
    switch (action) {
        case ExportFile::Action::Copy:
            return "copy";
        case ExportFile::Action::Build:
            return "build";
        case ExportFile::Action::Unchanged:
            return "unchanged";
        default:
            return "exists, not replaced";
    }
}

bool CheckFolder(CliContext& context, const std::string& path, const char* what) {
    if (path.empty() || IsDirectory(path)) return true;
    context.Error(std::string("The ") + what + " folder " + path + " does not exist.");
    return false;
}

int RunExport(CliContext& context, std::vector<std::string>& args) {
    ExportRequest request;
    AuditFolders& folders = request.audit.folders;
    std::string folder, findText, keysFile, listFile, layout;
    while (TakeOption(args, "--roms", folder)) folders.romFolders.push_back(folder);
    TakeOption(args, "--chds", folders.chdFolder);
    TakeOption(args, "--samples", request.samplesFolder);
    const bool hasTarget = TakeOption(args, "--to", request.target);
    const bool byFind = TakeOption(args, "--find", findText);
    const bool byAll = TakeFlag(args, "--all");
    const bool byKeys = TakeOption(args, "--keys", keysFile);
    const bool byList = TakeOption(args, "--from-list", listFile);
    if (TakeOption(args, "--layout", layout) && !ParseExportLayout(layout, request.layout))
        return context.UsageError("unknown layout " + layout + " (layouts: as-is, split, non-merged)");
    request.link = TakeFlag(args, "--link");
    const bool dryRun = TakeFlag(args, "--dry-run");
    request.includeIncomplete = TakeFlag(args, "--include-incomplete");
    request.replace = TakeFlag(args, "--replace");
    if (!args.empty() || !hasTarget || request.target.empty() || folders.romFolders.empty())
        return context.UsageError(std::string("usage: vantor-cli ") + kExportUsage);
    if (int(byFind) + int(byAll) + int(byKeys) + int(byList) != 1) {
        return context.UsageError(
            "give exactly one of --find EXPR, --all, --keys FILE and --from-list FILE\n" +
            std::string("usage: vantor-cli ") + kExportUsage);
    }
    for (const std::string& path : folders.romFolders) {
        if (!CheckFolder(context, path, "ROM")) return kExitFailure;
    }
    if (!CheckFolder(context, folders.chdFolder, "CHD") ||
        !CheckFolder(context, request.samplesFolder, "samples"))
        return kExitFailure;
    if (FileExists(request.target) && !IsDirectory(request.target)) {
        context.Error("The target " + request.target + " is not a folder.");
        return kExitFailure;
    }
    std::string expression;
    if (byFind) {
        expression = PrepareSearchText(findText, FindDataFile("vnmacros.txt"));
        CompiledExpression::CheckText(expression);
    }
    if (byKeys && !ReadKeyFile(context, keysFile, request.audit.positions)) return kExitFailure;
    if (!context.OpenMaster()) return kExitFailure;

    CliProgress progress(context.ui, ProgressUnit::Bytes);
    if (byFind) {
        progress.Start("Scanning input file for matches...");
        for (const MatchEntry& entry : ScanForMatches(context.catalog, expression, &progress))
            request.audit.positions.push_back(ParseRecordKey(entry.key));
        progress.End();
    } else if (byList) {
        progress.Start("Reading the list's games...");
        // What the master file lacks is told, and its log goes to the current folder.
        std::error_code noFolder;
        const std::string here = std::filesystem::current_path(noFolder).string();
        const Outcome<LoadedList> loaded = LoadList(context.catalog, {listFile, here}, &progress);
        progress.End();
        const int status = FinishWithOutcome(context, loaded);
        if (!loaded.Done()) return status;
        for (const MatchEntry& entry : loaded.value.entries)
            request.audit.positions.push_back(ParseRecordKey(entry.key));
    }
    request.audit.allGames = byAll;
    request.audit.keepFolder = DefaultAuditFolder();

    progress.Start("Auditing ROM sets...");
    const ExportPlan plan = PlanExport(context.catalog, context.options.input, request, &progress);
    progress.End();
    for (const std::string& line : plan.missing) context.ui.ShowMessage(MessageIcon::Exclamation, line);
    if (dryRun) {
        std::string lines;
        for (const ExportFile& file : plan.files) {
            lines += file.relative + "|" + std::to_string(file.bytes) + "|" + ActionWord(file.action) + "|" +
                     (file.action == ExportFile::Action::Copy ? file.source : std::string()) + "\n";
        }
        context.out << lines;
        context.ui.ShowMessage(MessageIcon::Information,
                               "Would export " + ExportSummary(plan, nullptr) + ".");
        return kExitOk;
    }
    progress.Start("Exporting ROM sets...");
    const ExportResult result = RunExport(plan, request, &progress);
    progress.End();
    for (const std::string& failure : result.failures) context.Error("Not written: " + failure);
    for (const ExportFile& file : plan.files) {
        if (file.action == ExportFile::Action::Conflict)
            context.ui.ShowMessage(MessageIcon::Exclamation,
                                   request.target + "/" + file.relative +
                                       " holds something else and was not replaced (--replace replaces it).");
    }
    context.ui.ShowMessage(MessageIcon::Information, "Exported " + ExportSummary(plan, &result) + ".");
    return result.failures.empty() ? kExitOk : kExitFailure;
}

}  // namespace

CliCommand ExportCommand() {
    return {
        .name = "export",
        .usage = kExportUsage,
        .summary = "copies the chosen games' ROM sets, with every set they need, into a folder",
        .details =
            "Audits the chosen games as audit does and copies into the --to folder each game's\n"
            "files with every set it needs: its parent and BIOS sets, the device sets holding\n"
            "ROMs, its CHDs (in a folder named after the set) and, with --samples, its samples\n"
            "(into the samples folder of the target). A game whose audit is not good or best\n"
            "available is reported and left out unless --include-incomplete is given. Every file\n"
            "is written under a temporary name, read back and checked, then renamed; a file\n"
            "already there with the same contents is left as it is, one with other contents is\n"
            "only replaced with --replace. --dry-run prints FILE|BYTES|ACTION|SOURCE| lines of\n"
            "what would be done and writes nothing. The summary goes to standard error; the exit\n"
            "status is 1 when a file could not be written.\n",
        .options =
            {{"--to", OptionValue::Folder, "DIR", "the folder to fill (made when missing)"},
             {"--find", OptionValue::Text, "EXPR", "the games the search expression finds"},
             {"--all", OptionValue::None, "", "every game"},
             {"--keys", OptionValue::File, "FILE",
              "the games of a file of find's lines (- : standard input)"},
             {"--from-list", OptionValue::File, "FILE", "the games of a saved list"},
             {"--roms", OptionValue::Folder, "DIR",
              "a folder of ROM sets (again for more, searched in order)"},
             {"--chds", OptionValue::Folder, "DIR", "a folder of CHDs, in folders named after the sets"},
             {"--samples", OptionValue::Folder, "DIR", "MAME's samples folder"},
             {"--layout", OptionValue::Text, "LAYOUT",
              "as-is: the archives as they are (default); split: a zip per set with its own\n"
              "files; non-merged: a zip per game with all of its files"},
             {"--link", OptionValue::None, "", "hard links instead of copies where a file is copied whole"},
             {"--dry-run", OptionValue::None, "", "print what would be copied, write nothing"},
             {"--include-incomplete", OptionValue::None, "", "also export what is found of incomplete games"},
             {"--replace", OptionValue::None, "", "replace files of the target that hold something else"}},
        .run = RunExport,
        .logFile = kLoadListLogName,
        .logOption = "--from-list"};
}

}  // namespace vantor::cli
