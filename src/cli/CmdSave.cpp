// save FORMAT SOURCE [-o FILE] [FORMAT OPTIONS]: the working list written in one of the list
// formats, or printed as "Preview List" shows it.
#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>

#include "CliCommand.h"
#include "SelectionOptions.h"
#include "gamedata/AppPaths.h"
#include "gamedata/FileIo.h"
#include "gamedata/ListOrder.h"
#include "gamedata/TextUtil.h"
#include "output/CategoryLists.h"
#include "output/CsvColumns.h"
#include "output/SaveList.h"
#include "search/CompiledExpression.h"
#include "search/RecordScan.h"
#include "search/SearchDriver.h"
#include "search/SearchText.h"
#include "utilities/ListLoader.h"

namespace vantor::cli {

namespace {

constexpr const char* kSaveCommandUsage =
    "save FORMAT (--find EXPR | --all | --keys FILE | --from-list FILE) [--keep-order] [-o FILE] [OPTIONS]";
constexpr const char* kSaveUsage =
    "usage: vantor-cli save FORMAT (--find EXPR | --all | --keys FILE | --from-list FILE) [--keep-order]\n"
    "       [-o FILE] [FAMILY OPTIONS] [FORMAT OPTIONS]";

std::string FormatNames() {
    std::string names;
    for (const ListFormatInfo& info : ListFormatTable()) {
        if (!names.empty()) names += ", ";
        names += info.cliName;
    }
    return names;
}

// The record keys of a key file: the first field of every non-empty line.
bool ReadKeyLines(std::istream& in, const std::string& name, std::vector<std::int64_t>& keys,
                  std::string& problem) {
    std::string line;
    for (std::int64_t number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string key(TrimView(std::string_view(line).substr(0, line.find('|'))));
        if (key.empty() && TrimView(line).empty()) continue;
        const std::int64_t offset = ParseRecordKey(key);
        if (offset < 0) {
            problem = "Line " + std::to_string(number) + " of " + name + " holds no record key: " + line;
            return false;
        }
        keys.push_back(offset);
    }
    return true;
}

}  // namespace

bool ReadKeyFile(CliContext& context, const std::string& path, std::vector<std::int64_t>& keys) {
    std::string problem, text;
    if (path == "-") {
        // Standard input is read whole too, so that an endless stream (/dev/zero) is refused.
        char chunk[64 * 1024];
        while (context.in.read(chunk, sizeof chunk) || context.in.gcount() > 0) {
            text.append(chunk, static_cast<std::size_t>(context.in.gcount()));
            if (static_cast<std::int64_t>(text.size()) > kWholeFileLimit) {
                context.Error("Standard input holds more than any key list: " +
                              std::to_string(kWholeFileLimit >> 20) + " MB.");
                return false;
            }
            if (CancelSignal() != 0) throw EngineError(kCancelled, ErrorKind::Cancelled);
        }
    } else if (!ReadWholeFile(path, text, &problem)) {
        context.Error("Cannot read the key file " + problem);
        return false;
    }
    std::istringstream lines(std::move(text));
    const bool ok = ReadKeyLines(lines, path == "-" ? "standard input" : path, keys, problem);
    if (!ok) context.Error(problem);
    return ok;
}

namespace {

// The words joined by ", ", indented by two, lines kept under 95 characters.
void PrintWordList(std::ostream& out, const std::vector<std::string>& words) {
    std::string line = " ";
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string word = " " + words[i] + (i + 1 < words.size() ? "," : "");
        if (line.size() + word.size() > 94) {
            out << line << "\n";
            line = " ";
        }
        line += word;
    }
    out << line << "\n";
}

// "    --name VALUE" and its help beside it from column 29 on, wrapped under 95 characters.
void PrintWrapped(std::ostream& out, const std::string& name, const std::string& help) {
    constexpr std::size_t kColumn = 29, kWidth = 95;
    std::string line = name + " ";
    if (line.size() < kColumn) line.resize(kColumn, ' ');
    bool lineHasWord = false;
    for (std::size_t at = 0; at <= help.size();) {
        const std::size_t end = std::min(help.find(' ', at), help.size());
        const std::string_view word = std::string_view(help).substr(at, end - at);
        at = end + 1;
        if (lineHasWord && line.size() + 1 + word.size() > kWidth) {
            out << line << "\n";
            line.assign(kColumn, ' ');
            lineHasWord = false;
        }
        if (lineHasWord) line += ' ';
        line += word;
        lineHasWord = true;
    }
    out << line << "\n";
}

}  // namespace

void PrintSaveFormatsAndOptions(std::ostream& out) {
    std::vector<std::string> formats;
    for (const ListFormatInfo& info : ListFormatTable()) formats.emplace_back(info.cliName);
    out << "Formats of save:\n";
    PrintWordList(out, formats);
    out << "\nOptions of save:\n"
           "  --find EXPR | --all | --keys FILE | --from-list FILE\n"
           "                         the games: the matches of EXPR, every game, the lines of FILE\n"
           "                         as find prints them (- reads standard input), or the games a list\n"
           "                         of another format names, in its order (names the master file\n"
           "                         lacks are counted and written to loadListLog.txt in the current\n"
           "                         folder)\n"
           "  --keep-order           --find and --all in file order instead of sorted by name\n"
           "  -o FILE                write FILE (whole or not at all, its companions with it); without\n"
           "                         it, or with -, the preview text is printed (mala, maximus and\n"
           "                         mgalaxy need a file)\n";
    out << "One game per family (a parent and its clones) among the games, as find keeps it:\n";
    std::vector<CliOption> family = FamilyCliOptions();
    family.push_back(FamilyLogOption());
    PrintOptions(out, family);
    out << "\nOptions of the formats (only the format's own are taken):\n";
    for (const ListFormatInfo& info : ListFormatTable()) {
        if (info.options.empty()) continue;
        out << "  " << info.cliName << ": " << info.summary << "\n";
        for (const FormatOption& taken : info.options) {
            const ListOptionInfo& option = OptionInfo(taken.option);
            std::string name = std::string("    --") + option.cliName;
            if (option.valueName != nullptr) name += std::string(" ") + option.valueName;
            std::string help = taken.help;
            if (*taken.defaultText != '\0') help += std::string(" (default ") + taken.defaultText + ")";
            if (taken.required) help += " (required)";
            PrintWrapped(out, name, help);
        }
    }
    std::vector<std::string> columns;
    for (const CsvColumn& column : CsvColumns()) columns.emplace_back(column.cliName);
    out << "CSV columns:\n";
    PrintWordList(out, columns);
}

namespace {

void PrintSaveHelp(std::ostream& out) {
    out << "Usage: vantor-cli [OPTIONS] " << kSaveCommandUsage
        << "\n"
           "\n"
           "Writes the games as a list of one of the formats, as the working list's \"Save List to file\"\n"
           "(or prints the text \"Preview List\" shows). A game in adjacent rows is written once.\n"
           "\n";
    PrintSaveFormatsAndOptions(out);
}

// The entries of the games at `keys` (for the family choice, which needs their names).
std::vector<MatchEntry> EntriesAt(const Catalog& catalog, const std::vector<std::int64_t>& keys) {
    std::vector<MatchEntry> entries;
    entries.reserve(keys.size());
    RecordReader reader = catalog.Reader();
    const RecordFields fields = catalog.Fields();
    std::string record;
    for (std::int64_t key : keys) {
        if (entries.size() % 1024 == 1023 && CancelSignal() != 0)
            throw EngineError(kCancelled, ErrorKind::Cancelled);
        // A key that is no record's start stays, a family of its own, for the save to judge.
        if (reader.ReadRecord(catalog.file, record, catalog.StartTag(), key) != key) {
            entries.push_back({FormatRecordKey(key), FormatRecordKey(key), {}, {}, {}});
            continue;
        }
        entries.push_back(MakeMatchEntry(fields, key, record));
    }
    return entries;
}

void SortByName(std::vector<MatchEntry>& entries) {
    // As the working list sorts a batch that arrives: by Name.
    std::stable_sort(entries.begin(), entries.end(), [](const MatchEntry& a, const MatchEntry& b) {
        return CompareListText(a.description, b.description) < 0;
    });
}

int RunSave(CliContext& context, std::vector<std::string>& args) {
    std::string findText, keysFile, listFile, outFile;
    const bool byFind = TakeOption(args, "--find", findText);
    const bool byAll = TakeFlag(args, "--all");
    const bool byKeys = TakeOption(args, "--keys", keysFile);
    const bool byList = TakeOption(args, "--from-list", listFile);
    const bool keepOrder = TakeFlag(args, "--keep-order");
    const bool hasOut = TakeOption(args, "-o", outFile);
    SelectionOptions family;
    if (std::string problem = TakeSelectionOptions(context, args, false, family); !problem.empty())
        return context.UsageError(problem);
    const bool onePerFamily = family.request.onePerFamily;

    // --split-by-category may be followed by what it splits by.
    std::string splitBy;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "--split-by-category" &&
            std::find(std::begin(kSplitWords), std::end(kSplitWords), args[i + 1]) != std::end(kSplitWords)) {
            splitBy = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            break;
        }
    }
    ListOptions given;
    for (const ListOptionInfo& option : ListOptionTable()) {
        std::string value;
        const std::string name = std::string("--") + option.cliName;
        if (option.kind != OptionKind::Flag ? TakeOption(args, name, value) : TakeFlag(args, name))
            given.Set(option.option, option.option == ListOption::SplitByCategory ? splitBy : value);
    }

    std::erase(args, std::string("--"));
    for (const std::string& arg : args) {
        if (arg.size() > 1 && arg[0] == '-') throw UsageProblem{"unknown save option " + arg};
    }
    if (args.size() != 1) return context.UsageError(kSaveUsage);
    const ListFormatInfo* format = FindFormatByCliName(args.front());
    if (format == nullptr) {
        return context.UsageError("unknown format " + args.front() + " (formats: " + FormatNames() + ")");
    }
    if (int(byFind) + int(byAll) + int(byKeys) + int(byList) != 1) {
        return context.UsageError(
            "give exactly one of --find EXPR, --all, --keys FILE and --from-list FILE\n" +
            std::string(kSaveUsage));
    }
    for (const ListOptionInfo& option : ListOptionTable()) {
        if (given.Has(option.option) && !format->Takes(option.option)) {
            return context.UsageError(std::string("option --") + option.cliName + " does not apply to the " +
                                      format->cliName + " format");
        }
    }
    // "-o -" prints the preview; a format without one writes its file's bytes to standard output.
    const bool preview = format->hasPreview && (!hasOut || outFile == "-");
    if (!hasOut && !format->hasPreview) {
        return context.UsageError(std::string("the ") + format->cliName +
                                  " format has no preview: give -o FILE (- for standard output)");
    }
    for (const FormatOption& taken : format->options) {
        if (taken.required && !given.Has(taken.option)) {
            const ListOptionInfo& option = OptionInfo(taken.option);
            return context.UsageError(std::string("the ") + format->cliName + " format needs --" +
                                      option.cliName + " " + option.valueName);
        }
    }
    if (given.Has(ListOption::Columns)) {
        std::string problem;
        (void)ParseCsvColumnList(given.Text(ListOption::Columns), problem);
        if (!problem.empty()) throw UsageProblem{problem};
    }

    SaveRequest request;
    request.format = format->format;
    request.options = std::move(given);
    // The working list's keys, in row order.
    if (byKeys && !ReadKeyFile(context, keysFile, request.keys)) return kExitFailure;
    std::string expression = kListAllExpression;
    if (byFind) {
        try {
            expression = PrepareSearchText(findText, FindDataFile("vnmacros.txt"));
            CompiledExpression::CheckText(
                expression);  // an expression error ends the command before any scan
        } catch (const EngineError& error) {
            context.ui.ShowMessage(error.Icon(), error.Text());
            return error.Kind() == ErrorKind::Expression ? kExitUsage : kExitFailure;
        }
    }

    if (!context.OpenMaster()) return kExitFailure;
    CliProgress progress(context.ui, ProgressUnit::Bytes);
    // The games, for every source but --all and --keys without one per family.
    std::vector<MatchEntry> entries;
    std::optional<Selection> selection;
    if (byList) {
        // The list's games in its own order; what the master file lacks is told, not dropped. The
        // log of those goes to the current folder, said with its full path.
        std::error_code noFolder;
        const std::string here = std::filesystem::current_path(noFolder).string();
        progress.Start("Reading the list's games...");
        Outcome<LoadedList> loaded = LoadList(context.catalog, {listFile, here}, &progress);
        progress.End();
        const int status = FinishWithOutcome(context, loaded);
        if (!loaded.Done()) return status;
        entries = std::move(loaded.value.entries);
    } else if (byKeys && onePerFamily) {
        entries = EntriesAt(context.catalog, request.keys);
    } else if (byFind || (byAll && onePerFamily)) {
        progress.Start("Scanning input file for matches...");
        if (onePerFamily) {
            family.request.expression = expression;
            selection = SelectGames(context.catalog, family.request, &progress);
        } else {
            entries = ScanForMatches(context.catalog, expression, &progress);
        }
        progress.End();
    } else if (byAll) {
        // Every game, found and written in the save's one pass over the file; the writer reads
        // each name anyway and sorts by it.
        request.allGames = true;
        request.sortByName = !keepOrder;
    }
    if (onePerFamily) {
        if (!selection)
            selection = KeepOnePerFamily(context.catalog, entries, family.request.family, &progress);
        context.ui.ShowMessage(MessageIcon::Information, FamilySummary(*selection));
        entries = std::move(selection->matches);
    }
    if (!request.allGames && !(byKeys && !onePerFamily)) {
        if (!keepOrder && (byFind || byAll)) SortByName(entries);
        request.keys.clear();
        request.keys.reserve(entries.size());
        for (const MatchEntry& entry : entries) request.keys.push_back(ParseRecordKey(entry.key));
    }
    const std::string familyLog = family.familyLog.empty() ? std::string() : FamilyLog(*selection, family);

    StringSink text;
    FileSink file(outFile);
    if (byKeys && keysFile != "-") file.ProtectInput(keysFile);
    if (byList) file.ProtectInput(listFile);
    if (!family.familyLog.empty() && !preview) file.AddFile(family.familyLog, familyLog);
    progress.Start(kCreatingList);
    const Outcome<SavedGames> outcome =
        SaveList(context.catalog, request, preview ? static_cast<ListSink&>(text) : file, &progress);
    progress.End();
    if (!outcome.Done()) return FinishWithOutcome(context, outcome);
    for (const Message& note : outcome.messages) context.ui.Show(note);
    if (preview) {
        if (!family.familyLog.empty() && !context.WriteFiles({{family.familyLog, familyLog, "family log"}}))
            return kExitFailure;
        context.out.write(text.Text().data(), static_cast<std::streamsize>(text.Text().size()));
        context.out.flush();
    }
    return kExitOk;
}

}  // namespace

CliCommand SaveCommand() {
    CliCommand save{.name = "save",
                    .usage = kSaveCommandUsage,
                    .summary = "the working list in one of the list formats (as \"Save List to file\")",
                    .options = {{"--find", OptionValue::Text, "EXPR", ""},
                                {"--all", OptionValue::None, "", ""},
                                {"--keys", OptionValue::File, "FILE", ""},
                                {"--from-list", OptionValue::File, "FILE", ""},
                                {"--keep-order", OptionValue::None, "", ""},
                                {"-o", OptionValue::OutputFile, "FILE", ""}},
                    .run = RunSave,
                    .printHelp = PrintSaveHelp,
                    .logFile = kLoadListLogName,
                    .logOption = "--from-list"};
    std::vector<CliOption> family = FamilyCliOptions();
    family.push_back(FamilyLogOption());
    save.options.insert(save.options.end(), family.begin(), family.end());
    for (const ListOptionInfo& option : ListOptionTable()) {
        const std::string valueName = option.valueName != nullptr ? option.valueName : "";
        const OptionValue value = option.kind == OptionKind::Flag     ? OptionValue::None
                                  : option.kind == OptionKind::Folder ? OptionValue::Folder
                                  : option.kind == OptionKind::File   ? OptionValue::File
                                                                      : OptionValue::Text;
        save.options.push_back({std::string("--") + option.cliName, value, valueName, ""});
    }
    return save;
}

}  // namespace vantor::cli
