// merge: MAME's listing merged with catver.ini, nplayers.ini and controls.xml.
#include "CliCommand.h"
#include "CliProgress.h"
#include "utilities/MergeUtility.h"

namespace vantor::cli {

namespace {

int RunMergeCommand(CliContext& context, std::vector<std::string>& args) {
    MergeInputs inputs;
    std::string outputPath;
    TakeOption(args, "--listxml", inputs.listXmlPath);
    TakeOption(args, "--catver", inputs.catverPath);
    TakeOption(args, "--controls", inputs.controlsPath);
    TakeOption(args, "--nplayers", inputs.nplayersPath);
    TakeOption(args, "-o", outputPath);
    if (!args.empty() || inputs.listXmlPath.empty() || inputs.catverPath.empty() ||
        inputs.controlsPath.empty() || outputPath.empty()) {
        return context.UsageError(
            "usage: vantor-cli merge --listxml FILE --catver FILE --controls FILE [--nplayers FILE] -o OUT");
    }
    inputs.outputPath = outputPath;
    CliProgress progress(context.ui);
    Outcome<UtilityOutput> outcome = RunMerge(inputs, progress);
    progress.End();
    return FinishWithOutcome(context, outcome);
}

}  // namespace

CliCommand MergeCommand() {
    return {
        .name = "merge",
        .usage = "merge --listxml FILE --catver FILE --controls FILE [--nplayers FILE] -o OUT",
        .summary = "merge MAME's listing with the data files; log in mergelog.txt",
        .details =
            "Writes OUT, the merged master file: every game of MAME's listing (--listxml) with its\n"
            "category and the version that added it (--catver catver.ini), its player modes (--nplayers\n"
            "nplayers.ini, optional) and its cabinet controls (--controls controls.xml). The games missing\n"
            "from the data files are named in mergelog.txt in the current folder. Search OUT with\n"
            "vantor-cli --input OUT.\n",
        .options = {{"--listxml", OptionValue::File, "FILE", "MAME's listing, as mame -listxml writes it"},
                    {"--catver", OptionValue::File, "FILE", "catver.ini"},
                    {"--controls", OptionValue::File, "FILE", "controls.xml"},
                    {"--nplayers", OptionValue::File, "FILE", "nplayers.ini (optional)"},
                    {"-o", OptionValue::OutputFile, "OUT", "the merged file to write"}},
        .run = RunMergeCommand,
        .readsMaster = false,
        .logFile = kMergeLogName};
}

}  // namespace vantor::cli
