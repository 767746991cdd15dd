// save FORMAT SOURCE [-o FILE] [FORMAT OPTIONS]: the working list written in one of the list
// formats, or printed as "Preview List" shows it.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "CliCommand.h"
#include "gamedata/AppPaths.h"
#include "gamedata/ListOrder.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"
#include "output/CsvColumns.h"
#include "output/ListFormats.h"
#include "search/Evaluator.h"
#include "search/SearchDriver.h"

namespace vantor::cli {

namespace {

constexpr const char* kSaveCommandUsage =
    "save FORMAT (--find EXPR | --all | --keys FILE) [--keep-order] [-o FILE] [OPTIONS]";
constexpr const char* kSaveUsage =
    "usage: vantor-cli save FORMAT (--find EXPR | --all | --keys FILE) [--keep-order] [-o FILE] [FORMAT "
    "OPTIONS]";

struct FormatOption {
    const char* name;
    bool takesValue;
    std::vector<ListFormat> formats;
    const char* help;  // "--name VALUE" and what it does, for --help
};

const std::vector<FormatOption>& FormatOptions() {
    static const std::vector<FormatOption> options = {
        {"--title",
         true,
         {ListFormat::Khameleon, ListFormat::Mala, ListFormat::Cabrio},
         "--title TEXT           khameleon, mala, cabrio: the list title"},
        {"--logo-dir",
         true,
         {ListFormat::Cabrio},
         "--logo-dir DIR         cabrio: the folder of logo images"},
        {"--screenshot-dir",
         true,
         {ListFormat::Cabrio},
         "--screenshot-dir DIR   cabrio: the folder of screenshots"},
        {"--background-dir",
         true,
         {ListFormat::Cabrio},
         "--background-dir DIR   cabrio: the folder of backgrounds"},
        {"--rom-folder",
         true,
         {ListFormat::Maximus},
         "--rom-folder DIR       maximus (required): your ROM folder"},
        {"--template",
         true,
         {ListFormat::Batch},
         "--template TEXT        batch: the line written per game; %ROM%, %DESC%, %CHD% are filled in,\n"
         "                         | starts a new line (default: cp \"%ROM%.zip\" ~/roms/)"},
        {"--windows",
         false,
         {ListFormat::Batch},
         "--windows              batch: a Windows batch file (CR LF, default template\n"
         "                         copy %ROM%.zip c:\\mame\\roms) instead of an executable shell script"},
        {"--columns",
         true,
         {ListFormat::Csv},
         "--columns LIST         csv (required): comma-separated columns, in order"},
        {"--delimiter", true, {ListFormat::Csv}, "--delimiter TEXT       csv: between values (default ;)"},
        {"--no-header", false, {ListFormat::Csv}, "--no-header            csv: no header line"},
    };
    return options;
}

std::string FormatNames() {
    std::string names;
    for (const ListFormatInfo& info : ListFormatTable()) {
        if (!names.empty()) names += ", ";
        names += info.cliName;
    }
    return names;
}

// The record keys of a key file: the first field of every non-empty line.
bool ReadKeyLines(std::istream& in, const std::string& name, std::vector<std::string>& keys,
                  std::string& problem) {
    std::string line;
    for (std::int64_t number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string key(TrimView(std::string_view(line).substr(0, line.find('|'))));
        if (key.empty() && TrimView(line).empty()) continue;
        if (ParseRecordKey(key) < 0) {
            problem = "Line " + std::to_string(number) + " of " + name + " holds no record key: " + line;
            return false;
        }
        keys.push_back(FormatRecordKey(ParseRecordKey(key)));
    }
    return true;
}

// The CSV columns named in LIST, in that order.
std::vector<const CsvColumn*> ParseColumns(const std::string& list) {
    std::vector<const CsvColumn*> columns;
    std::stringstream stream(list);
    std::string name;
    while (std::getline(stream, name, ',')) {
        std::string trimmed(TrimView(name));
        if (trimmed.empty()) continue;
        const CsvColumn* column = FindCsvColumn(trimmed);
        if (column == nullptr) {
            std::string known;
            for (const CsvColumn& each : CsvColumns())
                known += std::string(known.empty() ? "" : ", ") + each.cliName;
            throw UsageProblem{"unknown CSV column " + trimmed + " (columns: " + known + ")"};
        }
        if (std::find(columns.begin(), columns.end(), column) != columns.end()) {
            throw UsageProblem{"CSV column " + trimmed + " is named twice"};
        }
        columns.push_back(column);
    }
    return columns;
}

// The keys of every game in file order, as "List all ROMs" lists them (every record the reader
// finds: the expression "=" rejects none).
std::vector<std::string> EveryGameKey(const Catalog& catalog, ProgressSink& progress) {
    std::vector<std::string> keys;
    const MasterFile& file = catalog.file;
    RecordReader reader = catalog.Reader();
    reader.Rewind(file);
    for (std::size_t count = 1;; ++count) {
        std::int64_t position = reader.NextRecordPosition(file, catalog.StartTag());
        if (position == -1) break;
        keys.push_back(FormatRecordKey(position));
        if (count % 512 == 0) progress.Progress(reader.Tell(), file.Size());
    }
    progress.Progress(file.Size(), file.Size());
    return keys;
}

}  // namespace

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

}  // namespace

void PrintSaveFormatsAndOptions(std::ostream& out) {
    std::vector<std::string> formats;
    for (const ListFormatInfo& info : ListFormatTable()) formats.emplace_back(info.cliName);
    out << "Formats of save:\n";
    PrintWordList(out, formats);
    out << "\nOptions of save:\n"
           "  --find EXPR | --all | --keys FILE\n"
           "                         the games: the matches of EXPR, every game, or the lines of FILE\n"
           "                         as find prints them (- reads standard input)\n"
           "  --keep-order           --find and --all in file order instead of sorted by name\n"
           "  -o FILE                write FILE (whole or not at all); without it the preview text is\n"
           "                         printed (mala, maximus and mgalaxy need -o)\n";
    for (const FormatOption& option : FormatOptions()) out << "  " << option.help << "\n";
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

int RunSave(CliContext& context, std::vector<std::string>& args) {
    std::string findText, keysFile, outFile;
    const bool byFind = TakeOption(args, "--find", findText);
    const bool byAll = TakeFlag(args, "--all");
    const bool byKeys = TakeOption(args, "--keys", keysFile);
    const bool keepOrder = TakeFlag(args, "--keep-order");
    const bool hasOut = TakeOption(args, "-o", outFile);

    std::map<std::string, std::string> given;  // format option -> value
    for (const FormatOption& option : FormatOptions()) {
        std::string value;
        if (option.takesValue ? TakeOption(args, option.name, value) : TakeFlag(args, option.name)) {
            given[option.name] = value;
        }
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
    if (int(byFind) + int(byAll) + int(byKeys) != 1) {
        return context.UsageError("give exactly one of --find EXPR, --all and --keys FILE\n" +
                                  std::string(kSaveUsage));
    }
    for (const FormatOption& option : FormatOptions()) {
        if (given.count(option.name) != 0 &&
            std::find(option.formats.begin(), option.formats.end(), format->format) == option.formats.end()) {
            return context.UsageError(std::string("option ") + option.name + " does not apply to the " +
                                      format->cliName + " format");
        }
    }
    const bool preview = !hasOut || outFile == "-";
    if (preview && !format->handsBackText) {
        return context.UsageError(std::string("the ") + format->cliName +
                                  " format has no preview: give -o FILE");
    }
    if (format->format == ListFormat::Maximus && given.count("--rom-folder") == 0) {
        return context.UsageError("the maximus format needs --rom-folder DIR");
    }
    if (format->format == ListFormat::Csv && given.count("--columns") == 0) {
        return context.UsageError("the csv format needs --columns LIST");
    }
    std::vector<const CsvColumn*> columns;
    if (format->format == ListFormat::Csv) columns = ParseColumns(given["--columns"]);

    // The working list's keys, in row order.
    std::vector<std::string> rowKeys;
    if (byKeys) {
        std::string problem;
        bool ok;
        if (keysFile == "-") {
            ok = ReadKeyLines(context.in, "standard input", rowKeys, problem);
        } else {
            std::ifstream file(keysFile, std::ios::binary);
            if (!file) {
                context.Error("Cannot read the key file " + keysFile);
                return kExitFailure;
            }
            ok = ReadKeyLines(file, keysFile, rowKeys, problem);
        }
        if (!ok) {
            context.Error(problem);
            return kExitFailure;
        }
    }
    std::string expression = kListAllExpression;
    if (byFind) {
        try {
            expression = PrepareSearchText(findText, FindDataFile("vnmacros.txt"));
            CompiledExpression check(expression);  // an expression error ends the command before any scan
        } catch (const EngineError& error) {
            context.ui.ShowMessage(error.Icon(), error.Text());
            return error.Kind() == ErrorKind::Expression ? kExitUsage : kExitFailure;
        }
    }

    if (!context.OpenMaster()) return kExitFailure;
    if (byKeys) {
        for (const std::string& key : rowKeys) {
            if (ParseRecordKey(key) >= std::max<std::int64_t>(context.catalog.file.Size(), 1)) {
                context.Error("The record key " + key + " lies beyond the end of the input file.");
                return kExitFailure;
            }
        }
    } else {
        CliProgress progress(context.ui);
        context.ui.ProgressShow("Scanning input file for matches...", "");
        if (byFind) {
            std::vector<MatchEntry> entries = ScanForMatches(context.catalog, expression, &progress);
            // As the working list sorts a batch that arrives: by Name.
            if (!keepOrder) {
                std::stable_sort(entries.begin(), entries.end(),
                                 [](const MatchEntry& a, const MatchEntry& b) {
                                     return CompareListText(a.description, b.description) < 0;
                                 });
            }
            rowKeys.reserve(entries.size());
            for (MatchEntry& entry : entries) rowKeys.push_back(std::move(entry.key));
        } else {
            // Every game: the writer reads each name anyway and sorts by it (see below).
            rowKeys = EveryGameKey(context.catalog, progress);
        }
        context.ui.ProgressClose();
    }
    std::string keyList;
    const std::int64_t count = BuildKeyList(rowKeys, keyList);
    rowKeys.clear();
    rowKeys.shrink_to_fit();

    SaveOptions options;
    options.listTitle = given["--title"];
    options.logoFolder = given["--logo-dir"];
    options.screenshotFolder = given["--screenshot-dir"];
    options.backgroundFolder = given["--background-dir"];
    options.romFolder = given["--rom-folder"];
    if (!options.romFolder.ends_with('/')) options.romFolder += '/';
    if (given.count("--windows") != 0) {
        options.batchForm = BatchForm::Windows;
        options.batchTemplate = kWindowsBatchTemplate;
    }
    if (given.count("--template") != 0) options.batchTemplate = given["--template"];
    if (format->format == ListFormat::Csv) {
        options.csv = MakeCsvListOptions(columns, context.catalog.inputType,
                                         given.count("--delimiter") ? given["--delimiter"] : ";",
                                         given.count("--no-header") == 0);
    }

    // A file really named like the preview marker is still a file.
    std::string fileName = preview                     ? std::string(kPreviewMarker)
                           : outFile == kPreviewMarker ? "./" + outFile
                                                       : outFile;
    ListWriter writer(context.catalog, context.ui);
    writer.SortByName(byAll && !keepOrder);
    if (!RunListWriter(writer, context.ui, format->format, fileName, keyList, count, options))
        return kExitFailure;
    if (preview) {
        context.out.write(fileName.data(), static_cast<std::streamsize>(fileName.size()));
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
                                {"--keep-order", OptionValue::None, "", ""},
                                {"-o", OptionValue::File, "FILE", ""}},
                    .run = RunSave,
                    .printHelp = PrintSaveHelp};
    for (const FormatOption& option : FormatOptions()) {
        // The help's "--name VALUE" says what the value is.
        std::istringstream words(option.help);
        std::string name, valueName;
        words >> name >> valueName;
        if (!option.takesValue) valueName.clear();
        const OptionValue value = !option.takesValue    ? OptionValue::None
                                  : valueName == "DIR"  ? OptionValue::Folder
                                  : valueName == "FILE" ? OptionValue::File
                                                        : OptionValue::Text;
        save.options.push_back({option.name, value, valueName, ""});
    }
    return save;
}

}  // namespace vantor::cli
