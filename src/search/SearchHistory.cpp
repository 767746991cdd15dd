#include "SearchHistory.h"

#include <algorithm>

#include "gamedata/AppPaths.h"
#include "gamedata/FileIo.h"
#include "gamedata/TextUtil.h"

namespace vantor {

void SearchHistory::Push(std::string text) {
    // A search already in the history moves to the top; otherwise the oldest entry falls off.
    auto found = std::find(entries_.begin(), entries_.end(), text);
    auto last = found != entries_.end() ? found : entries_.end() - 1;
    std::move_backward(entries_.begin(), last, last + 1);
    entries_[0] = std::move(text);
}

void SearchHistory::Parse(std::string_view fileText) {
    Clear();
    std::size_t count = 0;
    std::size_t pos = 0;
    while (pos < fileText.size() && count < entries_.size()) {
        std::size_t newline = fileText.find('\n', pos);
        std::size_t end = newline == std::string_view::npos ? fileText.size() : newline;
        std::string_view line = TrimView(fileText.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';') continue;
        entries_[count++] = std::string(line);
    }
}

std::string SearchHistory::Serialize() const {
    std::string text = kSearchHistoryHeader;
    for (const std::string& entry : entries_) {
        // One line per entry, or every later entry would shift on reading.
        std::string line = entry;
        std::replace_if(
            line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string SearchHistoryFilePath() {
    return UserDataFolder() + "/" + kSearchHistoryFileName;
}

bool LoadSearchHistory(SearchHistory& history, const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        history.Clear();
        return false;
    }
    history.Parse(text);
    return true;
}

bool LoadSearchHistory(SearchHistory& history) {
    return LoadSearchHistory(history, SearchHistoryFilePath());
}

void PushSearchHistory(SearchHistory& history, std::string text) {
    history.Push(std::move(text));
}

Outcome<> SaveSearchHistory(const SearchHistory& history, const std::string& path) {
    Outcome<> outcome;
    if (WriteTextFileAtomically(path, history.Serialize())) {
        outcome.kind = OutcomeKind::Done;
    } else {
        outcome.Tell(MessageIcon::Exclamation, kSearchHistoryWriteError);
    }
    return outcome;
}

Outcome<> SaveSearchHistory(const SearchHistory& history) {
    EnsureUserDataFolder();
    return SaveSearchHistory(history, SearchHistoryFilePath());
}

}  // namespace vantor
