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
    return outcome.Done() ? kExitOk : kExitFailure;
}

void CliUserInterface::ShowMessage(MessageIcon icon, const std::string& text) {
    if (barShown_) {
        err_ << '\n';
        barShown_ = false;
        lastPercent_ = -1;
    }
    const char* prefix = icon == MessageIcon::Stop          ? "error: "
                         : icon == MessageIcon::Exclamation ? "warning: "
                                                            : "note: ";
    err_ << prefix << CrLfToLf(CommandLineWording(text)) << '\n';
    err_.flush();
}

void CliUserInterface::ProgressShow(const std::string& firstLine, const std::string&) {
    label_ = firstLine;
    lastPercent_ = -1;
}

void CliUserInterface::ProgressSetTexts(const std::string& firstLine, const std::string&) {
    label_ = firstLine;
}

void CliUserInterface::ProgressUpdate(std::int64_t done, std::int64_t total) {
    if (!progress_ || total <= 0) return;
    int percent = static_cast<int>(std::clamp<std::int64_t>(done * 100 / total, 0, 100));
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    constexpr int kWidth = 40;
    int filled = percent * kWidth / 100;
    err_ << '\r' << (label_.empty() ? "Working" : label_) << " [" << std::string(filled, '#')
         << std::string(kWidth - filled, ' ') << "] " << percent << "%";
    err_.flush();
    barShown_ = true;
}

void CliUserInterface::ProgressClose() {
    if (barShown_) {
        err_ << '\n';
        err_.flush();
    }
    barShown_ = false;
    lastPercent_ = -1;
}

}  // namespace vantor::cli
