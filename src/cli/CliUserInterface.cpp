#include <algorithm>
#include <ostream>

#include "CliCommand.h"
#include "gamedata/FileIo.h"

namespace vantor::cli {

void CliUserInterface::ShowMessage(MessageIcon icon, const std::string& text) {
    if (barShown_) {
        err_ << '\n';
        barShown_ = false;
        lastPercent_ = -1;
    }
    const char* prefix = icon == MessageIcon::Stop ? "error: " : icon == MessageIcon::Exclamation ? "warning: " : "note: ";
    err_ << prefix << CrLfToLf(text) << '\n';
    err_.flush();
}

bool CliUserInterface::NextAnswer(std::string& path) {
    if (answers_.empty()) return false;
    path = answers_.front();
    answers_.pop_front();
    return !path.empty();
}

bool CliUserInterface::ChooseOpenFile(std::string& path, const std::string&, const std::string&) {
    return NextAnswer(path);
}

bool CliUserInterface::ChooseSaveFile(std::string& path, const std::string&, const std::string&) {
    return NextAnswer(path);
}

bool CliUserInterface::BrowseForFolder(std::string& path, const std::string&) { return NextAnswer(path); }

void CliUserInterface::ProgressShow(const std::string& firstLine, const std::string&) {
    label_ = firstLine;
    lastPercent_ = -1;
}

void CliUserInterface::ProgressSetTexts(const std::string& firstLine, const std::string&) { label_ = firstLine; }

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
