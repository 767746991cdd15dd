// romscan: the master file cut down to the games whose archives lie in a folder.
#include "CliCommand.h"
#include "CliProgress.h"
#include "utilities/RomScan.h"

namespace vantor::cli {

namespace {

int RunRomScanCommand(CliContext& context, std::vector<std::string>& args) {
    std::string folder;
    std::string outputPath;
    TakeOption(args, "--roms", folder);
    TakeOption(args, "-o", outputPath);
    if (!args.empty() || folder.empty() || outputPath.empty()) {
        return context.UsageError("usage: vantor-cli romscan --roms DIR -o OUT");
    }
    RomScanInputs inputs;
    inputs.inputPath = context.options.input;
    inputs.romFolder = folder;
    inputs.outputPath = outputPath;
    CliProgress progress(context.ui);
    Outcome<UtilityOutput> outcome = RunRomScan(inputs, progress);
    progress.End();
    return FinishWithOutcome(context, outcome);
}

}  // namespace

CliCommand RomScanCommand() {
    return {.name = "romscan",
            .usage = "romscan --roms DIR -o OUT",
            .summary = "the games of the input file found as .zip/.7z/.chd in DIR; log in romscanlog.txt",
            .details =
                "Writes OUT with the games of the --input master file whose .zip, .7z or .chd\n"
                "lies in the folder DIR (the folder itself, not its subfolders). The archives\n"
                "of no game are named in romscanlog.txt in the current folder.\n",
            .options = {{"--roms", OptionValue::Folder, "DIR", "the folder of your ROM archives"},
                        {"-o", OptionValue::OutputFile, "OUT", "the XML file to write"}},
            .run = RunRomScanCommand,
            .logFile = kRomScanLogName};
}

}  // namespace vantor::cli
