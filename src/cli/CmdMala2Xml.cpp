// mala2xml: a MaLa game list turned back into an XML file of the input file's records.
#include "CliCommand.h"
#include "CliProgress.h"
#include "utilities/ListConverters.h"

namespace vantor::cli {

namespace {

int RunMala2Xml(CliContext& context, std::vector<std::string>& args) {
    std::string outputPath;
    TakeOption(args, "-o", outputPath);
    if (!args.empty() && args.front() == "--") args.erase(args.begin());
    if (args.size() != 1 || outputPath.empty())
        return context.UsageError("usage: vantor-cli mala2xml MLG -o OUT");
    ConverterInputs inputs;
    inputs.inputPath = context.options.input;
    inputs.listPath = args.front();
    inputs.outputPath = outputPath;
    CliProgress progress(context.ui);
    Outcome<UtilityOutput> outcome = RunMalaToXml(inputs, progress);
    progress.End();
    return FinishWithOutcome(context, outcome);
}

}  // namespace

CliCommand Mala2XmlCommand() {
    return {.name = "mala2xml",
            .usage = "mala2xml MLG -o OUT",
            .summary =
                "the input file's records of the games in a MaLa list; convertLog.txt names the missing ones",
            .details =
                "Writes OUT with the records of the --input master file of the games that the\n"
                "MaLa list MLG names, in the list's order.\n",
            .options = {{"-o", OptionValue::OutputFile, "OUT", "the XML file to write (required)"}},
            .run = RunMala2Xml,
            .fileArguments = true,
            .logFile = kConvertLogName};
}

}  // namespace vantor::cli
