// maximus2xml: a Maximus Arcade list turned back into an XML file of the input file's records.
#include "CliCommand.h"
#include "CliProgress.h"
#include "utilities/ListConverters.h"

namespace vantor::cli {

namespace {

int RunMaximus2Xml(CliContext& context, std::vector<std::string>& args) {
    ConverterInputs inputs;
    TakeOption(args, "-o", inputs.outputPath);
    if (!args.empty() && args.front() == "--") args.erase(args.begin());
    if (args.size() != 1) return context.UsageError("usage: vantor-cli maximus2xml LIST [-o OUT]");
    inputs.inputPath = context.options.input;
    inputs.listPath = args.front();
    CliProgress progress(context.ui);
    Outcome<UtilityOutput> outcome = RunMaximusToXml(inputs, progress);
    progress.End();
    return FinishWithOutcome(context, outcome);
}

}  // namespace

CliCommand Maximus2XmlCommand() {
    return {.name = "maximus2xml",
            .usage = "maximus2xml LIST [-o OUT]",
            .summary = "the input file's records of the games in a Maximus Arcade list",
            .details =
                "Writes OUT (default: tempXMLFile.xml in the temporary folder) with the\n"
                "records of the --input master file of the games that the Maximus Arcade\n"
                "list LIST names.\n",
            .options = {{"-o", OptionValue::OutputFile, "OUT", "the XML file to write"}},
            .run = RunMaximus2Xml,
            .fileArguments = true};
}

}  // namespace vantor::cli
