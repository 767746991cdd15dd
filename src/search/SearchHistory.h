#pragma once
// The last 25 searches, newest first, kept between runs in searchHistory.txt in the per-user
// data folder. The main window loads it when it opens, pushes every "Go!" that ran (as typed,
// macros unexpanded) and saves it when it closes; the "H" window shows and edits the entries.
#include <array>
#include <string>
#include <string_view>

#include "gamedata/Outcome.h"

namespace vantor {

inline constexpr int kSearchHistorySize = 25;
inline constexpr const char* kSearchHistoryFileName = "searchHistory.txt";
inline constexpr const char* kSearchHistoryHeader =
    "; Vantor search history file.\r\n;Up to 25 previous searches are saved and can be maintained by editing "
    "this file or using the H button on the main GUI.\r\n";
inline constexpr const char* kSearchHistoryWriteError = "Error opening search history file for write!?";

class SearchHistory {
  public:
    using Entries = std::array<std::string, kSearchHistorySize>;

    // Index 0 is the newest; empty strings are empty slots.
    const Entries& entries() const { return entries_; }
    const std::string& operator[](int index) const { return entries_[static_cast<std::size_t>(index)]; }
    // The window copies its (possibly edited) entries back.
    void SetEntries(const Entries& entries) { entries_ = entries; }
    void Clear() { entries_.fill(std::string()); }

    // `text` becomes the newest entry. An equal entry moves up instead of being repeated; else the
    // oldest entry falls off.
    void Push(std::string text);

    // Reads the file's text: lines end at LF, white space around lines is trimmed, empty lines
    // and lines beginning with ";" are skipped, at most 25 entries are taken.
    void Parse(std::string_view fileText);
    // The file's text before text-mode writing: the header, then every entry with "\r\n".
    std::string Serialize() const;

  private:
    Entries entries_;
};

// searchHistory.txt in the per-user data folder (the folder is not created).
std::string SearchHistoryFilePath();

// Fills the history from the file; a missing or unreadable file leaves it empty. Returns whether
// the file was read.
bool LoadSearchHistory(SearchHistory& history, const std::string& path);
bool LoadSearchHistory(SearchHistory& history);

void PushSearchHistory(SearchHistory& history, std::string text);

// Writes the file in text mode (so each "\r\n" lands on disk as CR CR LF), atomically: a failed
// write leaves the old file as it was and fails with kSearchHistoryWriteError (exclamation icon).
[[nodiscard]] Outcome<> SaveSearchHistory(const SearchHistory& history, const std::string& path);
// To SearchHistoryFilePath(), creating the per-user data folder when needed.
[[nodiscard]] Outcome<> SaveSearchHistory(const SearchHistory& history);

}  // namespace vantor
