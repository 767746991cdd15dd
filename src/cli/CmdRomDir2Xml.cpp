// romdir2xml: a minimal master file made from a folder of .zip and .7z archives.
#include "CliCommand.h"
#include "CliProgress.h"
#include "utilities/RomDirToXml.h"

namespace vantor::cli {

namespace {

int RunRomDir2Xml(CliContext& context, std::vector<std::string>& args) {
    std::string folder;
    std::string outputPath;
    TakeOption(args, "--roms", folder);
    TakeOption(args, "-o", outputPath);
    if (!args.empty() || folder.empty() || outputPath.empty()) {
        return context.UsageError("usage: vantor-cli romdir2xml --roms DIR -o OUT");
    }
    CliProgress progress(context.ui);
    Outcome<UtilityOutput> outcome = RunRomDirToXml({folder, outputPath}, progress);
    progress.End();
    return FinishWithOutcome(context, outcome);
}

}  // namespace

CliCommand RomDir2XmlCommand() {
    return {.name = "romdir2xml",
            .usage = "romdir2xml --roms DIR -o OUT",
            .summary = "a master file with one game per .zip/.7z archive in DIR",
            .details =
                "Writes OUT, a minimal master file with one game per .zip or .7z archive\n"
                "in DIR; an archive named \"Title (year)(maker).zip\" gives its title, year\n"
                "and maker.\n",
            .options = {{"--roms", OptionValue::Folder, "DIR", "the folder of the archives"},
                        {"-o", OptionValue::OutputFile, "OUT", "the XML file to write"}},
            .run = RunRomDir2Xml,
            .readsMaster = false};
}

}  // namespace vantor::cli
