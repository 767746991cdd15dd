// listxml: runs MAME with -listxml and prints where the listing was left.
#include <cstdlib>
#include <sstream>

#include "CliCommand.h"
#include "CliProgress.h"
#include "utilities/MameRunner.h"

namespace vantor::cli {

namespace {

// A bare program name is looked up along PATH, as a shell would.
std::string ResolveProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        if (IsMameProgram(candidate)) return candidate;
    }
    return name;
}

int RunListXml(CliContext& context, std::vector<std::string>& args) {
    std::string program, outputPath;
    TakeOption(args, "--mame", program);
    TakeOption(args, "-o", outputPath);
    if (!args.empty() || program.empty())
        return context.UsageError("usage: vantor-cli listxml --mame PROGRAM [-o FILE]");
    program = ResolveProgram(program);
    if (!IsMameProgram(program)) {
        context.Error(program + " is not a program that can be run.");
        return kExitFailure;
    }
    // The warning that MAME takes a while comes before it runs.
    Outcome<UtilityOutput> check = CheckMameProgram(program);
    int checked = FinishWithOutcome(context, check);
    if (!check.Done()) return checked;
    CliProgress progress(context.ui);
    Outcome<UtilityOutput> outcome = RunMameListing({program, outputPath}, progress);
    progress.End();
    if (outcome.Done()) context.out << outcome.value.outputPath << '\n';
    return FinishWithOutcome(context, outcome);
}

}  // namespace

CliCommand ListXmlCommand() {
    return {.name = "listxml",
            .usage = "listxml --mame PROGRAM [-o FILE]",
            .summary = "runs MAME -listxml and prints the path of the listxml.xml it made",
            .details =
                "Runs PROGRAM -listxml in the program's folder (a name without a folder is\n"
                "looked up along PATH) and keeps its output as FILE, by default\n"
                "~/.local/share/Vantor/listxml.xml (never beside the program); prints that path.\n",
            .options = {{"--mame", OptionValue::File, "PROGRAM", "MAME's program (required)"},
                        {"-o", OptionValue::OutputFile, "FILE", "where the listing goes"}},
            .run = RunListXml,
            .readsMaster = false};
}

}  // namespace vantor::cli
