#pragma once
// vantor-cli: one small file per command, each declaring its command (CliCommand); Commands() in
// CliMain.cpp lists them all.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "CliProgress.h"
#include "gamedata/MasterFile.h"
#include "gamedata/Outcome.h"
#include "search/InputCheck.h"
#include "search/MatchEntry.h"

namespace vantor::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;        // the command stopped on a failure it reported
inline constexpr int kExitUsage = 2;          // a usage or search-expression error
inline constexpr int kExitInterrupted = 130;  // cancelled by Ctrl-C (128 + SIGINT)
inline constexpr int kExitTerminated = 143;   // cancelled by SIGTERM (128 + SIGTERM)

// The exit status of a command that ended on an engine error of this kind.
int ExitStatusFor(ErrorKind kind);

// Messages go to standard error as "error: " / "warning: " / "note: " by icon; an engine
// message's advice is said as the command line would (CommandLineWording). The engine asks no
// questions: the commands pass their options in.
class CliUserInterface {
  public:
    CliUserInterface(std::ostream& err, bool progress) : err_(err), line_(err, progress) {}

    void ShowMessage(MessageIcon icon, const std::string& text);
    void Show(const Message& message);

    // The one progress line on standard error, which the engine's jobs report to (CliProgress).
    ProgressLine& Line() { return line_; }

  private:
    std::ostream& err_;
    ProgressLine line_;
};

// An engine message with its advice in a command-line user's terms (options, other commands).
std::string CommandLineWording(const Message& message);

struct GlobalOptions {
    std::string input;
    std::string artwork;  // the artwork folder
    bool hideTags = false;
    bool hideRomNames = false;
    bool progress = false;  // the progress line: standard error is a terminal, and no --no-progress
};

struct CliContext {
    GlobalOptions options;
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    CliUserInterface ui;
    Catalog catalog;  // the --input master file, once OpenMaster() has opened it

    CliContext(GlobalOptions opts, std::ostream& o, std::ostream& e, std::istream& i)
        : options(std::move(opts)), out(o), err(e), in(i), ui(e, options.progress) {
        catalog.display = {options.hideTags, options.hideRomNames};
    }

    // The input check on --input; false (after the message) when the master file cannot be
    // used. Its errors are always printed; its notes on what the file cannot serve (categories)
    // only with `notes`, where they matter.
    bool OpenMaster(bool notes = false);
    // Prints what the input check said under the same rule.
    void PrintInputCheck(const Outcome<InputCheck>& check, bool notes);
    void Error(const std::string& text) { ui.ShowMessage(MessageIcon::Stop, text); }
    // "error: <usage line>" for a malformed command line.
    int UsageError(const std::string& text);
    // Writes the files of one run together ("-": the command's standard output), or none of
    // them; false after an error naming the file.
    struct OutputText {
        std::string path, text, what;  // `what`: "family log"
    };
    bool WriteFiles(const std::vector<OutputText>& files);
    // Prints the note that the command was cancelled; the exit status for it.
    int Cancelled();
    // One line per entry, CR/LF inside a field printed as a space; "N ROMs" on stderr.
    void PrintMatchList(const std::vector<MatchEntry>& entries);
};

// Prints what an engine job had to tell, and returns the exit status for it: 0 done, 1 failed,
// the cancel status when cancelled.
int FinishWithMessages(CliContext& context, OutcomeKind kind, const std::vector<Message>& messages);
template <typename Value>
int FinishWithOutcome(CliContext& context, const Outcome<Value>& outcome) {
    return FinishWithMessages(context, outcome.kind, outcome.messages);
}

using CommandFunction = int (*)(CliContext& context, std::vector<std::string>& args);

// What follows an option: nothing (a flag), or a value that help names and the completion offers.
// A File is read, an OutputFile written ("-" for standard output).
enum class OptionValue { None, File, OutputFile, Folder, Text };

struct CliOption {
    std::string name;  // "--roms", "-o"
    OptionValue value = OptionValue::None;
    std::string valueName = {};  // "DIR", as help shows it
    std::string help = {};       // one line
};

// One command, declared once: --help, COMMAND --help, the check of its options and the bash
// completion's lists (compared by a test) all come from here.
struct CliCommand {
    std::string name;
    std::string usage;         // after "vantor-cli [OPTIONS] "
    std::string summary;       // one line for --help
    std::string details = {};  // COMMAND --help: what it does, before its options
    std::vector<CliOption> options = {};
    CommandFunction run = nullptr;
    void (*printHelp)(std::ostream&) = nullptr;  // a help text of the command's own instead
    bool fileArguments = false;                  // its arguments are file names (read)
    bool readsMaster = true;                     // it reads the --input master file
    std::string logFile = {};                    // the log it writes into the current folder
    std::string logOption = {};                  // the option that makes it write the log; "": always
};

// Every command, in the order --help lists them.
const std::vector<CliCommand>& Commands();
// The options before the command.
const std::vector<CliOption>& GlobalOptionList();

// The declarations, one function per command, at the bottom of each Cmd*.cpp.
CliCommand AuditCommand();
CliCommand CriteriaCommand();
CliCommand DetailsCommand();
CliCommand ExplainCommand();
CliCommand FindCommand();
CliCommand ListAllCommand();
CliCommand ListXmlCommand();
CliCommand Mala2XmlCommand();
CliCommand Maximus2XmlCommand();
CliCommand MergeCommand();
CliCommand RomDir2XmlCommand();
CliCommand RomScanCommand();
CliCommand RomSearchCommand();
CliCommand SaveCommand();

// details --picture KIND ROMNAME: prints where the game's picture of that kind is.
int PrintPictureLocation(CliContext& context, const std::string& kindName, const std::string& romName);

// The formats and the options of `save`, as --help and save --help list them.
void PrintSaveFormatsAndOptions(std::ostream& out);
// "  NAME VALUE   help" lines, the helps in one column.
void PrintOptions(std::ostream& out, const std::vector<CliOption>& options);

// The whole program; `argv[0]` is the program name.
int RunVantorCli(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err,
                 std::istream& in);

// Helpers for commands: "--name VALUE" options and "NAME=VALUE" words.
// Removes "--name VALUE" from args; true when present. A missing VALUE is a usage error (throws).
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value);
bool TakeFlag(std::vector<std::string>& args, const std::string& name);
// The record keys of a file of lines as `find` prints them ("-": standard input); false after
// the error message.
bool ReadKeyFile(CliContext& context, const std::string& path, std::vector<std::int64_t>& keys);
struct UsageProblem {
    std::string text;
};

}  // namespace vantor::cli
