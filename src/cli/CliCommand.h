#pragma once
// vantor-cli: one small file per command, each registering itself with a CliCommandRegistrar.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "gamedata/MasterFile.h"
#include "gamedata/Outcome.h"
#include "gamedata/UserInterface.h"
#include "search/SearchDriver.h"

namespace vantor::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the command stopped on a failure it reported
inline constexpr int kExitUsage = 2;    // a usage or search-expression error

// Messages go to standard error as "error: " / "warning: " / "note: " by icon, said as the
// command line would where they speak of the windows (CommandLineWording). The engine asks no
// questions: the commands pass their options in.
class CliUserInterface : public UserInterface {
  public:
    CliUserInterface(std::ostream& err, bool progress) : err_(err), progress_(progress) {}

    void ShowMessage(MessageIcon icon, const std::string& text) override;
    void ProgressShow(const std::string& firstLine, const std::string& secondLine) override;
    void ProgressSetTexts(const std::string& firstLine, const std::string& secondLine) override;
    void ProgressUpdate(std::int64_t done, std::int64_t total) override;
    void ProgressClose() override;

  private:
    std::ostream& err_;
    bool progress_;
    bool barShown_ = false;
    int lastPercent_ = -1;
    std::string label_;
};

// Reports scan progress to the interface's bar.
class CliProgress : public ProgressSink {
  public:
    explicit CliProgress(UserInterface& ui) : ui_(ui) {}
    void Progress(std::int64_t done, std::int64_t total) override { ui_.ProgressUpdate(done, total); }

  private:
    UserInterface& ui_;
};

// A message of the engine with its words about the windows ("now set as your input xml file",
// "via the settings window") replaced by what a command-line user does instead.
std::string CommandLineWording(const std::string& text);

struct GlobalOptions {
    std::string input;
    bool hideTags = false;
    bool hideRomNames = false;
    bool progress = false;
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
    void PrintInputCheck(const InputCheck& check, bool notes);
    void Error(const std::string& text) { ui.ShowMessage(MessageIcon::Stop, text); }
    // "error: <usage line>" for a malformed command line.
    int UsageError(const std::string& text);
    // One line per entry, CR/LF inside a field printed as a space; "N ROMs" on stderr.
    void PrintMatchList(const std::vector<MatchEntry>& entries);
};

// Prints what an engine job had to tell, and returns the exit status for it: 0 done, 1 failed
// or cancelled.
int FinishWithOutcome(CliContext& context, const Outcome& outcome);

using CommandFunction = int (*)(CliContext& context, std::vector<std::string>& args);

struct CliCommandInfo {
    const char* name;
    const char* usage;    // after "vantor-cli [OPTIONS] "
    const char* summary;  // one line for --help
    CommandFunction run;
    const char* details = nullptr;               // COMMAND --help: arguments and options
    void (*printHelp)(std::ostream&) = nullptr;  // or a help text of the command's own
};

// The formats and the options of `save`, as --help and save --help list them.
void PrintSaveFormatsAndOptions(std::ostream& out);

class CliCommandRegistrar {
  public:
    explicit CliCommandRegistrar(const CliCommandInfo& info);
};

const std::vector<CliCommandInfo>& RegisteredCommands();

// The whole program; `argv[0]` is the program name.
int RunVantorCli(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err,
                 std::istream& in);

// Helpers for commands: "--name VALUE" options and "NAME=VALUE" words.
// Removes "--name VALUE" from args; true when present. A missing VALUE is a usage error (throws).
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value);
bool TakeFlag(std::vector<std::string>& args, const std::string& name);
struct UsageProblem {
    std::string text;
};

}  // namespace vantor::cli
