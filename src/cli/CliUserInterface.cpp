#include <ostream>

#include "CliCommand.h"
#include "gamedata/FileIo.h"
#include "gamedata/TextUtil.h"

namespace vantor::cli {

std::string CommandLineWording(const Message& message) {
    constexpr const char* kSearchIt = "Search it with vantor-cli --input FILE.";
    switch (message.advice) {
        case Advice::None:
            break;
        case Advice::ChooseInputFile:
            return message.Worded(
                "No input file: give --input FILE, or choose one in the settings of the desktop program.");
        case Advice::UseNewInputFile:
            return message.Worded(kSearchIt);
        case Advice::ListNewInputFile:
            return message.Worded(std::string(kSearchIt) +
                                  "\r\n\r\nvantor-cli --input FILE list-all lists all its ROMs.");
        case Advice::MakeMergedFile:
            return message.Worded("create a merged input file with vantor-cli merge.");
    }
    return message.Worded("");
}

int FinishWithMessages(CliContext& context, OutcomeKind kind, const std::vector<Message>& messages) {
    for (const Message& message : messages) context.ui.Show(message);
    if (kind == OutcomeKind::Cancelled) return context.Cancelled();
    return kind == OutcomeKind::Done ? kExitOk : kExitFailure;
}

void CliUserInterface::ShowMessage(MessageIcon icon, const std::string& text) {
    line_.Break();
    const char* prefix = icon == MessageIcon::Stop          ? "error: "
                         : icon == MessageIcon::Exclamation ? "warning: "
                                                            : "note: ";
    err_ << prefix << CrLfToLf(text) << '\n';
    err_.flush();
}

void CliUserInterface::Show(const Message& message) {
    ShowMessage(message.icon, CommandLineWording(message));
}

}  // namespace vantor::cli
