// maximus2xml: a Maximus Arcade list turned back into an XML file of the input file's records.
#include "CliCommand.h"
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
    ProgressWindowSink progress(context.ui);
    UtilityOutcome outcome = RunMaximusToXml(inputs, progress);
    progress.Close();
    return FinishWithOutcome(context, outcome);
}

const CliCommandRegistrar kMaximus2Xml(
    {"maximus2xml", "maximus2xml LIST [-o OUT]",
     "the input file's records of the games in a Maximus list (default "
     "output: tempXMLFile.xml in the temporary folder)",
     RunMaximus2Xml,
     "Writes OUT (default: tempXMLFile.xml in the temporary folder) with the\n"
     "records of the --input master file of the games that the Maximus Arcade\n"
     "list LIST names.\n"});

}  // namespace

}  // namespace vantor::cli
