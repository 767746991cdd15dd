#pragma once
// Shared by the engine tests: temporary folders and fixture paths.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gamedata/Outcome.h"

namespace vantor::test {

// A message with its advice named ("[advice 2]") where a program would say it in its own words.
inline std::string MessageText(const Message& message) {
    if (message.advice == Advice::None) return message.Worded("");
    return message.Worded("[advice " + std::to_string(static_cast<int>(message.advice)) + "]");
}

// The outcome's messages, one per line.
template <typename Value>
std::string MessageTexts(const Outcome<Value>& outcome) {
    std::string texts;
    for (const Message& message : outcome.messages) texts += MessageText(message) + "\n";
    return texts;
}

// The first message's text, "" when there is none.
template <typename Value>
std::string FirstMessage(const Outcome<Value>& outcome) {
    return outcome.messages.empty() ? std::string() : outcome.messages.front().text;
}

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

// The process's working folder moved to `folder` for the object's life, so that what a command
// writes into the current folder (its logs) lands there and never in the source tree.
class WorkingFolder {
  public:
    explicit WorkingFolder(const std::string& folder);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

  private:
    std::string previous_;
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
