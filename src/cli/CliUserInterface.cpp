#include <algorithm>
#include <ostream>

#include "CliCommand.h"
#include "gamedata/FileIo.h"
#include "gamedata/TextUtil.h"

namespace vantor::cli {

std::string CommandLineWording(const std::string& text) {
    static const std::pair<const char*, const char*> kPhrases[] = {
        {"Please hit the settings button to select an input file.",
         "No input file: give --input FILE, or choose one in the settings of the desktop program."},
        {"This file is now set as your input xml file.", "Search it with vantor-cli --input FILE."},
        {"Use this new input XML file to generate an all ROMs list in the main vantor window.",
         "vantor-cli --input FILE list-all lists all its ROMs."},
        {"create a merged input file via the settings window.",
         "create a merged input file with vantor-cli merge."},
    };
    std::string said = text;
    for (const auto& [window, commandLine] : kPhrases) ReplaceAll(said, window, commandLine);
    return said;
}

int FinishWithOutcome(CliContext& context, const Outcome& outcome) {
    for (const OutcomeMessage& message : outcome.messages) context.ui.ShowMessage(message.icon, message.text);
    if (outcome.kind == OutcomeKind::Cancelled) return context.Cancelled();
    return outcome.Done() ? kExitOk : kExitFailure;
}

void CliUserInterface::ShowMessage(MessageIcon icon, const std::string& text) {
    line_.Break();
    const char* prefix = icon == MessageIcon::Stop          ? "error: "
                         : icon == MessageIcon::Exclamation ? "warning: "
                                                            : "note: ";
    err_ << prefix << CrLfToLf(CommandLineWording(text)) << '\n';
    err_.flush();
}

void CliUserInterface::ProgressShow(const std::string& firstLine, const std::string&) {
    line_.Start(firstLine);
}

void CliUserInterface::ProgressSetTexts(const std::string& firstLine, const std::string&) {
    line_.SetLabel(firstLine);
}

// The engine's utilities report files, names or bytes here, without saying which.
void CliUserInterface::ProgressUpdate(std::int64_t done, std::int64_t total) {
    line_.Update(done, total, ProgressUnit::Unnamed);
}

void CliUserInterface::ProgressClose() {
    line_.Break();
}

}  // namespace vantor::cli
