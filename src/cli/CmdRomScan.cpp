// romscan: the master file cut down to the games whose archives lie in a folder.
#include "CliCommand.h"
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
    context.ui.QueueAnswer(folder);
    context.ui.QueueAnswer(outputPath);
    RomScanInputs inputs;
    inputs.inputPath = context.options.input;
    UtilityResult result = RunRomScan(inputs, context.ui);
    return result.written ? kExitOk : kExitFailure;
}

const CliCommandRegistrar kRomScan({"romscan", "romscan --roms DIR -o OUT",
                                    "the games of the input file found as .zip/.7z/.chd in DIR; log in "
                                    "romscanlog.txt",
                                    RunRomScanCommand});

}  // namespace

}  // namespace vantor::cli
