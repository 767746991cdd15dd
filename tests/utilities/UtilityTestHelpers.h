#pragma once
// Shared by the utility tests: fixture paths, the log date mask, a progress sink that records and
// can cancel, and a look at what the user is told.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "gamedata/FileIo.h"
#include "gamedata/TagTable.h"
#include "utilities/UtilityCommon.h"

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

// Every text the job reported ("first|second"), how often it moved the bar and asked whether to
// stop; from its `cancelAt`-th question on (0: never) the answer is yes.
class RecordingProgress : public ProgressSink {
  public:
    std::vector<std::string> texts;
    std::int64_t updates = 0;
    mutable std::int64_t checks = 0;
    std::int64_t cancelAt = 0;

    void Progress(std::int64_t, std::int64_t) override { ++updates; }
    void Texts(const std::string& first, const std::string& second) override {
        texts.push_back(first + "|" + second);
    }
    bool CancelRequested() const override { return ++checks >= cancelAt && cancelAt > 0; }
};

// A failure told with one exclamation message.
template <typename Value>
void ExpectFailure(const Outcome<Value>& outcome, const std::string& text) {
    EXPECT_EQ(outcome.kind, OutcomeKind::Failure);
    EXPECT_EQ(outcome.messages, (std::vector<Message>{{MessageIcon::Exclamation, text}}));
}

// The open failure of an output file in a folder that does not exist, naming the file.
inline std::string NoFolderFailure(const std::string& path) {
    return std::string(kUtilityOutputOpenError) + "\r\n" + path + ": No such file or directory";
}

class UtilityTest : public ::testing::Test {
  protected:
    TempDir dir;
    WorkingFolder workingFolder{dir.Path()};  // a log with no folder lands here
    RecordingProgress progress;
};

}  // namespace vantor::test
