#pragma once
// Shared by the engine tests: a scripted user interface, temporary folders and fixture paths.
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "gamedata/UserInterface.h"

namespace vantor::test {

// Answers queued in advance; every message and progress call is recorded.
class ScriptedUserInterface : public UserInterface {
  public:
    struct Message {
        MessageIcon icon;
        std::string text;
    };
    std::vector<Message> messages;
    std::deque<std::string> answers;  // for file/folder questions; "" answers "cancelled"
    std::vector<std::string> asked;   // the filter or title of each question, in order
    std::vector<std::string> progressTexts;
    std::int64_t progressUpdates = 0;
    int progressOpen = 0;

    void ShowMessage(MessageIcon icon, const std::string& text) override { messages.push_back({icon, text}); }
    bool ChooseOpenFile(std::string& path, const std::string& filter, const std::string&) override {
        return Answer(path, filter);
    }
    bool ChooseSaveFile(std::string& path, const std::string& filter, const std::string&) override {
        return Answer(path, filter);
    }
    bool BrowseForFolder(std::string& path, const std::string& title) override { return Answer(path, title); }
    bool ChooseOpenFileTitled(std::string& path, const std::string& title, const std::string&,
                              const std::string&) override {
        return Answer(path, title);
    }
    bool ChooseSaveFileTitled(std::string& path, const std::string& title, const std::string&,
                              const std::string&) override {
        return Answer(path, title);
    }
    void ProgressShow(const std::string& first, const std::string& second) override {
        ++progressOpen;
        progressTexts.push_back(first + "|" + second);
    }
    void ProgressSetTexts(const std::string& first, const std::string& second) override {
        progressTexts.push_back(first + "|" + second);
    }
    void ProgressUpdate(std::int64_t, std::int64_t) override { ++progressUpdates; }
    void ProgressClose() override { --progressOpen; }

  private:
    bool Answer(std::string& path, const std::string& question) {
        asked.push_back(question);
        if (answers.empty()) return false;
        std::string answer = answers.front();
        answers.pop_front();
        if (answer.empty()) return false;
        path = answer;
        return true;
    }
};

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Writes bytes unchanged; returns the path.
    std::string Write(const std::string& name, const std::string& bytes) const;

  private:
    std::string path_;
};

std::string ReadFileBytes(const std::string& path);
std::string FixturePath(const std::string& relative);  // tests/data/<relative>
std::string RealDataPath(const std::string& name);     // tests/data/real/<name>
// The real MAME listing, or "" when it has not been generated (the test then skips).
std::string RealListXmlPath();
// What a real XML parser (xmllint, streaming) says is wrong with the file: "" when it is
// well-formed.
std::string XmlProblems(const std::string& path);

}  // namespace vantor::test
