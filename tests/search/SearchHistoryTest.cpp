#include "search/SearchHistory.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "TestSupport.h"

namespace vantor {
namespace {

using test::ReadFileBytes;
using test::TempDir;

TEST(SearchHistoryTest, ThirtyPushesKeepTheLast25NewestFirst) {
    TempDir dir;
    SearchHistory history;
    for (int i = 1; i <= 30; ++i) PushSearchHistory(history, "search " + std::to_string(i));
    EXPECT_EQ(history[0], "search 30");
    EXPECT_EQ(history[24], "search 6");
    // A repeat moves its entry to the top instead of standing twice; nothing falls off for it.
    PushSearchHistory(history, "search 30");
    PushSearchHistory(history, "search 20");
    EXPECT_EQ(history[0], "search 20");
    EXPECT_EQ(history[1], "search 30");
    EXPECT_EQ(history[2], "search 29");
    EXPECT_EQ(history[10], "search 21");
    EXPECT_EQ(history[11], "search 19");
    EXPECT_EQ(history[24], "search 6");

    std::string path = dir.File("searchHistory.txt");
    Outcome<> saved = SaveSearchHistory(history, path);
    ASSERT_TRUE(saved.Done());
    EXPECT_TRUE(saved.messages.empty());

    std::string expected =
        "; Vantor search history file.\r\r\n;Up to 25 previous searches are saved and can be maintained by "
        "editing "
        "this file or using the H button on the main GUI.\r\r\n";
    for (const std::string& entry : history.entries()) expected += entry + "\r\r\n";
    EXPECT_EQ(ReadFileBytes(path), expected);

    SearchHistory loaded;
    ASSERT_TRUE(LoadSearchHistory(loaded, path));
    EXPECT_EQ(loaded.entries(), history.entries());
}

TEST(SearchHistoryTest, ReadsLfFilesWithBlankLinesAndComments) {
    TempDir dir;
    std::string text =
        "; a header\n\n  joy8way & !cloneof  \n;another comment\n\r\n\t@USA\r\n   ; indented comment\n";
    for (int i = 0; i < 30; ++i) text += "entry " + std::to_string(i) + "\n";
    text += "last line without an end";
    SearchHistory history;
    history.Push("left over");
    ASSERT_TRUE(LoadSearchHistory(history, dir.Write("searchHistory.txt", text)));
    EXPECT_EQ(history[0], "joy8way & !cloneof");
    EXPECT_EQ(history[1], "@USA");
    EXPECT_EQ(history[2], "entry 0");
    EXPECT_EQ(history[24], "entry 22");  // only 25 entries are taken

    history.Parse("only\r\r\none\n");
    EXPECT_EQ(history[0], "only");
    EXPECT_EQ(history[1], "one");
    EXPECT_EQ(history[2], "");

    EXPECT_FALSE(LoadSearchHistory(history, dir.File("missing.txt")));
    for (const std::string& entry : history.entries()) EXPECT_EQ(entry, "");
}

TEST(SearchHistoryTest, EmptySlotsAndLineBreaksKeepOneLinePerEntry) {
    TempDir dir;
    SearchHistory history;
    history.Push("older");
    history.Push("two\r\nlines");
    std::string path = dir.File("h.txt");
    ASSERT_TRUE(SaveSearchHistory(history, path).Done());
    std::string bytes = ReadFileBytes(path);
    std::size_t lines = 0;
    for (char c : bytes) lines += c == '\n';
    EXPECT_EQ(lines, 27u);
    SearchHistory loaded;
    LoadSearchHistory(loaded, path);
    EXPECT_EQ(loaded[0], "two  lines");
    EXPECT_EQ(loaded[1], "older");
}

TEST(SearchHistoryTest, UnwritableFileIsReported) {
    TempDir dir;
    SearchHistory history;
    history.Push("new");
    const std::vector<Message> failed = {
        {MessageIcon::Exclamation, "Error opening search history file for write!?"}};
    Outcome<> outcome = SaveSearchHistory(history, dir.File("no/such/folder/searchHistory.txt"));
    EXPECT_EQ(outcome.kind, OutcomeKind::Failure);
    EXPECT_EQ(outcome.messages, failed);

    // A folder in the file's place cannot be replaced.
    std::string folder = dir.File("searchHistory.txt");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    outcome = SaveSearchHistory(history, folder);
    EXPECT_EQ(outcome.kind, OutcomeKind::Failure);
    EXPECT_EQ(outcome.messages, failed);
}

TEST(SearchHistoryTest, DefaultFileLivesInTheUserDataFolder) {
    TempDir dir;
    const char* old = std::getenv("XDG_DATA_HOME");
    std::string saved = old == nullptr ? "" : old;
    ::setenv("XDG_DATA_HOME", dir.Path().c_str(), 1);

    SearchHistory history;
    EXPECT_FALSE(LoadSearchHistory(history));
    history.Push("pacman");
    EXPECT_TRUE(SaveSearchHistory(history).Done());  // creates the Vantor folder
    EXPECT_EQ(SearchHistoryFilePath(), dir.Path() + "/Vantor/searchHistory.txt");
    SearchHistory loaded;
    EXPECT_TRUE(LoadSearchHistory(loaded));
    EXPECT_EQ(loaded[0], "pacman");

    if (old == nullptr) {
        ::unsetenv("XDG_DATA_HOME");
    } else {
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    }
}

}  // namespace
}  // namespace vantor
