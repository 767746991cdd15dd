#pragma once
// Shared by the engine tests: a scripted user interface, temporary folders and fixture paths.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gamedata/UserInterface.h"

namespace vantor::test {

// Every message and progress call is recorded.
class ScriptedUserInterface : public UserInterface {
  public:
    struct Message {
        MessageIcon icon;
        std::string text;
    };
    std::vector<Message> messages;
    std::vector<std::string> progressTexts;
    std::int64_t progressUpdates = 0;
    int progressOpen = 0;

    void ShowMessage(MessageIcon icon, const std::string& text) override { messages.push_back({icon, text}); }
    void ProgressShow(const std::string& first, const std::string& second) override {
        ++progressOpen;
        progressTexts.push_back(first + "|" + second);
    }
    void ProgressSetTexts(const std::string& first, const std::string& second) override {
        progressTexts.push_back(first + "|" + second);
    }
    void ProgressUpdate(std::int64_t, std::int64_t) override { ++progressUpdates; }
    void ProgressClose() override { --progressOpen; }
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
// The real listing merged with tests/data/real's catver.ini, controls.xml and nplayers.ini (made
// once per test run by the test RealMergedListing), or "" when there is none (the test then skips).
std::string RealMergedPath();
// What a real XML parser (xmllint, streaming) says is wrong with the file: "" when it is
// well-formed.
std::string XmlProblems(const std::string& path);
// The string value of an XPath expression on the file, as xmllint computes it ("string(//a)").
std::string XPathText(const std::string& path, const std::string& expression);

}  // namespace vantor::test
