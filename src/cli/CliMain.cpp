#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <map>

#include "CliCommand.h"
#include "gamedata/BuildInfo.h"
#include "gamedata/SettingsStore.h"
#include "gamedata/TagTable.h"
#include "search/SearchDriver.h"

namespace vantor::cli {

namespace {

std::vector<CliCommandInfo>& Registry() {
    static std::vector<CliCommandInfo> commands;
    return commands;
}

std::vector<CliCommandInfo> SortedCommands() {
    std::vector<CliCommandInfo> commands = Registry();
    std::sort(commands.begin(), commands.end(),
              [](const CliCommandInfo& a, const CliCommandInfo& b) { return std::string(a.name) < b.name; });
    return commands;
}

void PrintHelp(std::ostream& out) {
    out << "Usage: vantor-cli [OPTIONS] COMMAND [ARGUMENTS]\n"
           "\n"
           "Filters a MAME listing into front-end game lists.\n"
           "\n"
           "Options (before the command):\n"
           "  --input FILE                     the master file (default: the settings' input file)\n"
           "  --hide-tags, --no-hide-tags      hide (...) and [...] tags in descriptions\n"
           "  --hide-rom-names, --no-hide-rom-names\n"
           "                                   hide ROM names (and SHA1/CRCs) in details\n"
           "  --progress                       progress bar on standard error (default: when a terminal)\n"
           "  --help, --version\n"
           "  --                               end of options\n"
           "\n"
           "Commands (vantor-cli COMMAND --help tells more of each):\n";
    for (const CliCommandInfo& command : SortedCommands()) {
        out << "  " << command.usage << "\n      " << command.summary << "\n";
    }
    out << "\n";
    PrintSaveFormatsAndOptions(out);
    out << "\n"
           "Exit status: 0 done, 1 the command stopped on a failure it reported, 2 a usage or\n"
           "search-expression error.\n";
}

void PrintCommandHelp(std::ostream& out, const CliCommandInfo& command) {
    if (command.printHelp != nullptr) {
        command.printHelp(out);
        return;
    }
    out << "Usage: vantor-cli [OPTIONS] " << command.usage << "\n\n" << command.summary << ".\n";
    if (command.details != nullptr) out << "\n" << command.details;
}

// "--help" among a command's own arguments (before a "--", after which it is an argument).
bool AsksForHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") return false;
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
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
}

}  // namespace

CliCommandRegistrar::CliCommandRegistrar(const CliCommandInfo& info) {
    Registry().push_back(info);
}

const std::vector<CliCommandInfo>& RegisteredCommands() {
    return Registry();
}

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
    InputCheck check = OpenInputFile(catalog, options.input);
    PrintInputCheck(check, notes);
    return check.opened;
}

void CliContext::PrintInputCheck(const InputCheck& check, bool notes) {
    for (const InputCheck::Message& message : check.messages) {
        if (notes || message.icon == MessageIcon::Stop) ui.ShowMessage(message.icon, message.text);
    }
}

int CliContext::UsageError(const std::string& text) {
    err << "error: " << text << "\n(see vantor-cli --help)\n";
    return kExitUsage;
}

void CliContext::PrintMatchList(const std::vector<MatchEntry>& entries) {
    std::string line;
    for (const MatchEntry& entry : entries) {
        line.clear();
        for (const std::string* field :
             {&entry.key, &entry.romName, &entry.description, &entry.year, &entry.manufacturer}) {
            for (char c : *field) line += (c == '\r' || c == '\n') ? ' ' : c;
            line += '|';
        }
        line += '\n';
        out << line;
    }
    out.flush();
    err << entries.size() << " ROMs\n";
}

int RunVantorCli(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err,
                 std::istream& in) {
    Settings settings = Settings::Load();
    GlobalOptions options;
    options.input = settings.inputXmlFile;
    options.hideTags = settings.hideTags;
    options.hideRomNames = settings.hideSha1s;
    options.progress = ::isatty(STDERR_FILENO) == 1 && &err == &std::cerr;

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
        } else if (arg == "--hide-tags") {
            options.hideTags = true;
        } else if (arg == "--no-hide-tags") {
            options.hideTags = false;
        } else if (arg == "--hide-rom-names") {
            options.hideRomNames = true;
        } else if (arg == "--no-hide-rom-names") {
            options.hideRomNames = false;
        } else if (arg == "--progress") {
            options.progress = true;
        } else {
            err << "error: unknown option " << arg << "\n(see vantor-cli --help)\n";
            return kExitUsage;
        }
    }
    if (i >= argv.size()) {
        PrintHelp(err);
        return kExitUsage;
    }
    std::string name = argv[i++];
    std::vector<std::string> args(argv.begin() + static_cast<std::ptrdiff_t>(i), argv.end());
    auto found = std::find_if(Registry().begin(), Registry().end(),
                              [&](const CliCommandInfo& command) { return name == command.name; });
    if (found == Registry().end()) {
        err << "error: unknown command " << name << "\n(see vantor-cli --help)\n";
        return kExitUsage;
    }
    if (AsksForHelp(args)) {
        PrintCommandHelp(out, *found);
        return kExitOk;
    }

    CliContext context(options, out, err, in);
    try {
        return found->run(context, args);
    } catch (const UsageProblem& problem) {
        return context.UsageError(problem.text);
    } catch (const EngineError& error) {
        context.ui.ShowMessage(error.Icon(), error.Text());
        return kExitFailure;
    } catch (const std::bad_alloc&) {
        context.Error("Out of memory.");
        return kExitFailure;
    }
}

}  // namespace vantor::cli
