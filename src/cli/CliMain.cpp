#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <map>
#include <memory>

#include "CliCommand.h"
#include "gamedata/BuildInfo.h"
#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"
#include "romset/AuditStore.h"
#include "search/InputCheck.h"

namespace vantor::cli {

const std::vector<CliCommand>& Commands() {
    static const std::vector<CliCommand> commands = {
        FindCommand(),     ListAllCommand(),     RomSearchCommand(),  DetailsCommand(), ExplainCommand(),
        CriteriaCommand(), SaveCommand(),        MergeCommand(),      RomScanCommand(), AuditCommand(),
        Mala2XmlCommand(), Maximus2XmlCommand(), RomDir2XmlCommand(), ListXmlCommand(),
    };
    return commands;
}

const std::vector<CliOption>& GlobalOptionList() {
    static const std::vector<CliOption> options = {
        {"--input", OptionValue::File, "FILE", "the master file (default: the settings' input file)"},
        {"--artwork", OptionValue::Folder, "DIR",
         "the artwork folder: snap/, titles/, marquees/, flyers/, cabinets/ or snap.zip\n"
         "and so on (default: the settings' artwork folder)"},
        {"--hide-tags", OptionValue::None, "", "hide (...) and [...] tags in descriptions"},
        {"--no-hide-tags", OptionValue::None, "", "show them (default: as the settings say)"},
        {"--hide-rom-names", OptionValue::None, "", "hide ROM names (and SHA1/CRCs) in details"},
        {"--no-hide-rom-names", OptionValue::None, "", "show them (default: as the settings say)"},
        {"--progress", OptionValue::None, "",
         "a progress line on standard error: amount, percent, time left (the default;\n"
         "only ever drawn on a terminal)"},
        {"--no-progress", OptionValue::None, "", "no progress line"},
        {"--help", OptionValue::None, "", "this help"},
        {"--version", OptionValue::None, "", "the version and the build date"},
        {"--", OptionValue::None, "", "the end of the options"},
    };
    return options;
}

int ExitStatusFor(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::Failure:
            return kExitFailure;
        case ErrorKind::Expression:
            return kExitUsage;
        case ErrorKind::Cancelled:
            return CancelSignal() == SIGTERM ? kExitTerminated : kExitInterrupted;
    }
    return kExitFailure;
}

namespace {

constexpr const char* kOutputWriteFailed = "Writing the output failed (standard output).";
constexpr const char* kNotMergedShortNote =
    " is not a merged file: the categories, players and controls.xml criteria are off (vantor-cli merge).";

}  // namespace

void PrintOptions(std::ostream& out, const std::vector<CliOption>& options) {
    std::vector<std::string> names;
    std::size_t width = 0;
    for (const CliOption& option : options) {
        names.push_back(option.name + (option.valueName.empty() ? "" : " " + option.valueName));
        width = std::max(width, names.back().size());
    }
    const std::string indent(width + 5, ' ');
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string help = options[i].help;
        ReplaceAll(help, "\n", "\n" + indent);
        out << "  " << names[i] << std::string(width + 3 - names[i].size(), ' ') << help << "\n";
    }
}

namespace {

void PrintHelp(std::ostream& out) {
    out << "Usage: vantor-cli [OPTIONS] COMMAND [ARGUMENTS]\n"
           "\n"
           "Filters a MAME listing into front-end game lists.\n"
           "\n"
           "Options (before the command):\n";
    PrintOptions(out, GlobalOptionList());
    out << "\nCommands (vantor-cli COMMAND --help tells more of each):\n";
    for (const CliCommand& command : Commands()) {
        out << "  " << command.usage << "\n      " << command.summary << "\n";
    }
    out << "\n";
    PrintSaveFormatsAndOptions(out);
    out << "\n"
           "Exit status: 0 done, 1 the command stopped on a failure it reported, 2 a usage or\n"
           "search-expression error, 130 cancelled by Ctrl-C, 143 cancelled by SIGTERM.\n";
}

void PrintCommandHelp(std::ostream& out, const CliCommand& command) {
    if (command.printHelp != nullptr) {
        command.printHelp(out);
        return;
    }
    std::string summary = command.summary;
    summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
    out << "Usage: vantor-cli [OPTIONS] " << command.usage << "\n\n" << summary << ".\n";
    if (!command.details.empty()) out << "\n" << command.details;
    if (command.options.empty()) return;
    out << "\nOptions:\n";
    PrintOptions(out, command.options);
}

// "--help" among a command's own arguments (before a "--", after which it is an argument).
bool AsksForHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") return false;
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

// The first word before "--" that looks like a long option the command does not declare. A
// value of a declared option is skipped; a word with "=" is left to the command (criteria's
// settings); words with one dash may be arguments (find -cloneof).
std::string UndeclaredOption(const CliCommand& command, const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") break;
        auto declared = std::find_if(command.options.begin(), command.options.end(),
                                     [&](const CliOption& option) { return option.name == arg; });
        if (declared != command.options.end()) {
            if (declared->value != OptionValue::None) ++i;
        } else if (arg.starts_with("--") && arg.find('=') == std::string::npos) {
            return arg;
        }
    }
    return {};
}

// The files a command line reads and writes, by its declared options: the master file (for a
// command that reads it), File options and file arguments are read; OutputFile options and the
// command's log are written.
struct FileUse {
    struct Named {
        std::string what, path;
    };
    std::vector<Named> read, written;
};

FileUse FilesOf(const CliCommand& command, const GlobalOptions& options,
                const std::vector<std::string>& args) {
    FileUse use;
    if (command.readsMaster && !options.input.empty()) use.read.push_back({"the master file", options.input});
    bool logged = command.logOption.empty();
    bool positional = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--" && !positional) {
            positional = true;
            continue;
        }
        auto declared = std::find_if(command.options.begin(), command.options.end(),
                                     [&](const CliOption& option) { return option.name == args[i]; });
        if (!positional && declared != command.options.end()) {
            if (declared->name == command.logOption) logged = true;
            if (declared->value == OptionValue::None || i + 1 >= args.size()) continue;
            const std::string& value = args[++i];
            if (declared->value == OptionValue::OutputFile) use.written.push_back({declared->name, value});
            // "-" as an input is standard input, no file.
            if (declared->value == OptionValue::File && value != "-")
                use.read.push_back({declared->name, value});
        } else if (command.fileArguments) {
            use.read.push_back({"the list", args[i]});
        }
    }
    if (logged && !command.logFile.empty()) use.written.push_back({"the log", command.logFile});
    return use;
}

// A file the command would write over one it reads or another it writes, by identity (device and
// inode, so ./m.xml, m.xml and a link to it are one file): the error, or "".
std::string FileCollision(const FileUse& use) {
    for (std::size_t i = 0; i < use.written.size(); ++i) {
        const FileUse::Named& output = use.written[i];
        if (output.path.empty()) continue;
        const std::string identity = OutputIdentity(output.path);
        for (const FileUse::Named& input : use.read) {
            if (IsSameFile(output.path, input.path))
                return output.what + " " + output.path + " is " + input.what + " " + input.path +
                       ", which this command reads: choose another name.";
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (!use.written[j].path.empty() && OutputIdentity(use.written[j].path) == identity)
                return use.written[j].what + " and " + output.what + " name one file (" + output.path +
                       "): give each its own.";
        }
    }
    return {};
}

// The command's exit status, with every exception it lets out turned into a message.
int RunCommand(const CliCommand& command, CliContext& context, std::vector<std::string>& args) {
    try {
        return command.run(context, args);
    } catch (const UsageProblem& problem) {
        return context.UsageError(problem.text);
    } catch (const EngineError& error) {
        // Stopping on request is no error; the note says why the command ended early.
        if (error.Kind() == ErrorKind::Cancelled) return context.Cancelled();
        context.ui.ShowMessage(error.Icon(), error.Text());
        return ExitStatusFor(error.Kind());
    } catch (const std::bad_alloc&) {
        context.Error("Out of memory.");
        return kExitFailure;
    } catch (const std::exception& error) {
        // A failure of the system or the library (a folder that vanished, a limit): reported, not
        // a crash.
        context.Error(error.what());
        return kExitFailure;
    }
}

// vantor-cli links no Qt; the Qt version named is the desktop program's, from the same build.
void PrintVersion(std::ostream& out) {
    const BuildInfo& build = ThisBuild();
    out << "vantor-cli " << build.version << "\nbuilt " << build.date;
    if (build.qtVersion[0] != '\0') {
        out << ", desktop program with Qt " << build.qtVersion << "\n";
    } else {
        out << ", desktop program not built (no Qt 6)\n";
    }
    out << kLicenceNotice << "\n";
}

}  // namespace

bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") return false;
        if (args[i] == name) {
            if (i + 1 >= args.size()) throw UsageProblem{"option " + name + " needs a value"};
            value = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            return true;
        }
    }
    return false;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") return false;
        if (args[i] == name) {
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

bool CliContext::OpenMaster(bool notes) {
    const Outcome<InputCheck> check = OpenInputFile(catalog, options.input);
    PrintInputCheck(check, notes);
    if (check.Done()) AttachKeptAudit(catalog);
    return check.Done();
}

void CliContext::PrintInputCheck(const Outcome<InputCheck>& check, bool notes) {
    for (const Message& message : check.messages) {
        if (!notes && message.icon != MessageIcon::Stop) continue;
        // The long note on a file that is not merged comes once per file; one line after that.
        if (message.advice == Advice::MakeMergedFile && !FirstNotMergedNote(options.input)) {
            ui.ShowMessage(MessageIcon::Information, options.input + kNotMergedShortNote);
            continue;
        }
        ui.Show(message);
    }
}

int CliContext::Cancelled() {
    ClaimExit();
    ui.ShowMessage(MessageIcon::Information, kCancelled);
    return ExitStatusFor(ErrorKind::Cancelled);
}

bool CliContext::WriteFiles(const std::vector<OutputText>& files) {
    std::vector<std::unique_ptr<AtomicOutputFile>> outputs;
    std::vector<AtomicOutputFile*> commit;
    std::vector<const OutputText*> committed;
    auto failed = [&](const OutputText& file, const AtomicOutputFile& output) {
        Error("Cannot write the " + file.what + ": " + output.Problem() + ".");
        return false;
    };
    for (const OutputText& file : files) {
        if (file.path == "-") continue;
        outputs.push_back(std::make_unique<AtomicOutputFile>());
        if (!outputs.back()->Open(file.path)) return failed(file, *outputs.back());
        outputs.back()->Write(file.text);
        commit.push_back(outputs.back().get());
        committed.push_back(&file);
    }
    if (!CommitFiles(commit)) {
        for (std::size_t i = 0; i < commit.size(); ++i) {
            if (!commit[i]->Problem().empty()) return failed(*committed[i], *commit[i]);
        }
        return failed(*committed.front(), *commit.front());
    }
    // "-" is the command's own standard output, which need not be the process's.
    for (const OutputText& file : files) {
        if (file.path == "-") out.write(file.text.data(), static_cast<std::streamsize>(file.text.size()));
    }
    return true;
}

int CliContext::UsageError(const std::string& text) {
    err << "error: " << text << "\n(see vantor-cli --help)\n";
    return kExitUsage;
}

void CliContext::PrintMatchList(const std::vector<MatchEntry>& entries) {
    std::string line;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        // A terminal may take a while for a long list.
        if (i % 1024 == 1023 && CancelSignal() != 0) throw EngineError(kCancelled, ErrorKind::Cancelled);
        const MatchEntry& entry = entries[i];
        line.clear();
        for (const std::string* field :
             {&entry.key, &entry.romName, &entry.description, &entry.year, &entry.manufacturer}) {
            for (char c : *field) line += (c == '\r' || c == '\n') ? ' ' : c;
            line += '|';
        }
        line += '\n';
        out << line;
    }
    if (!out.flush()) throw EngineError(kOutputWriteFailed);
    err << entries.size() << " ROMs\n";
}

int RunVantorCli(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err,
                 std::istream& in) {
    Settings settings = Settings::Load();
    GlobalOptions options;
    options.input = settings.inputXmlFile;
    options.artwork = settings.artworkFolder;
    options.hideTags = settings.hideTags;
    options.hideRomNames = settings.hideRomNames;
    // Never drawn into a file or a pipe, where the redraws would be noise.
    const bool errIsTerminal = &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
    bool progressWanted = true;

    std::size_t i = 1;
    for (; i < argv.size(); ++i) {
        const std::string& arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg.empty() || arg[0] != '-') break;
        if (arg == "--help" || arg == "-h") {
            PrintHelp(out);
            return kExitOk;
        } else if (arg == "--version") {
            PrintVersion(out);
            return kExitOk;
        } else if (arg == "--input") {
            if (i + 1 >= argv.size()) {
                err << "error: option --input needs a value\n";
                return kExitUsage;
            }
            options.input = argv[++i];
        } else if (arg == "--artwork") {
            if (i + 1 >= argv.size()) {
                err << "error: option --artwork needs a value\n";
                return kExitUsage;
            }
            options.artwork = argv[++i];
        } else if (arg == "--hide-tags") {
            options.hideTags = true;
        } else if (arg == "--no-hide-tags") {
            options.hideTags = false;
        } else if (arg == "--hide-rom-names") {
            options.hideRomNames = true;
        } else if (arg == "--no-hide-rom-names") {
            options.hideRomNames = false;
        } else if (arg == "--progress" || arg == "--no-progress") {
            progressWanted = arg == "--progress";
        } else {
            err << "error: unknown option " << arg << "\n(see vantor-cli --help)\n";
            return kExitUsage;
        }
    }
    options.progress = progressWanted && errIsTerminal;
    if (i >= argv.size()) {
        PrintHelp(err);
        return kExitUsage;
    }
    std::string name = argv[i++];
    std::vector<std::string> args(argv.begin() + static_cast<std::ptrdiff_t>(i), argv.end());
    auto found = std::find_if(Commands().begin(), Commands().end(),
                              [&](const CliCommand& command) { return name == command.name; });
    if (found == Commands().end()) {
        err << "error: unknown command " << name << "\n(see vantor-cli --help)\n";
        return kExitUsage;
    }
    if (AsksForHelp(args)) {
        PrintCommandHelp(out, *found);
        return kExitOk;
    }

    CliContext context(options, out, err, in);
    if (std::string unknown = UndeclaredOption(*found, args); !unknown.empty()) {
        return context.UsageError("unknown option " + unknown + " for " + name + "\nusage: vantor-cli " +
                                  found->usage);
    }
    if (std::string collision = FileCollision(FilesOf(*found, options, args)); !collision.empty()) {
        context.Error(collision);
        return kExitFailure;
    }
    int status = RunCommand(*found, context, args);
    // Output that never reached its file or pipe (a full disk) must not pass for a done command.
    if (!out.flush() && status == kExitOk) {
        context.Error(kOutputWriteFailed);
        status = kExitFailure;
    }
    return status;
}

}  // namespace vantor::cli
