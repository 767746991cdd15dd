#pragma once
// Shared by the utility tests: fixture paths, the log date mask, and a look at what the user was
// told.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "TestSupport.h"
#include "gamedata/FileIo.h"
#include "gamedata/TagTable.h"

namespace vantor::test {

inline std::string UtilityFixture(const std::string& name) {
    return FixturePath("utilities/" + name);
}

// Replaces the date and time of a utility log with "<date>", after checking their format
// ("Monday, December 07, 2026@21:03").
inline std::string MaskLogDate(const std::string& log) {
    static const std::regex kDate(
        "File created on:[A-Z][a-z]+day, [A-Z][a-z]+ [0-9]{2}, [0-9]{4}@[0-9]{2}:[0-9]{2}\r\n");
    std::smatch match;
    if (!std::regex_search(log, match, kDate)) return "date missing or malformed: " + log;
    return match.prefix().str() + "File created on:<date>\r\n" + match.suffix().str();
}

inline int CountMessages(const ScriptedUserInterface& ui, MessageIcon icon) {
    int count = 0;
    for (const auto& message : ui.messages) count += message.icon == icon ? 1 : 0;
    return count;
}

inline std::string MessageTexts(const ScriptedUserInterface& ui) {
    std::string texts;
    for (const auto& message : ui.messages) texts += message.text + "\n";
    return texts;
}

class UtilityTest : public ::testing::Test {
  protected:
    TempDir dir;
    ScriptedUserInterface ui;
};

}  // namespace vantor::test
