// The progress line: what it says, how it fits a terminal, and how often it is drawn.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/CliProgress.h"

namespace vantor::cli {
namespace {

TEST(CliProgressTest, LineSaysAmountPercentAndTimeLeftWithinTheWidth) {
    struct Case {
        const char* label;
        ProgressUnit unit;
        std::int64_t done, total;
        double elapsed;
        std::size_t width;
        const char* expected;
    };
    const Case cases[] = {
        {"Scanning...", ProgressUnit::Bytes, 121'000'000, 270'000'000, 10, 80,
         "Scanning...   44% [########            ] 121/270 MB, 12 s left"},
        // No estimate before a second of work.
        {"Creating list...", ProgressUnit::Games, 1234, 45000, 0.5, 80,
         "Creating list...    2% [                    ] 1234/45000"},
        {"Merging...", ProgressUnit::Unnamed, 1, 4, 120, 80,
         "Merging...   25% [#####               ] 6 min left"},
        {"", ProgressUnit::Bytes, 2'500'000'000, 5'000'000'000, 3600, 80,
         " 50% [##########          ] 2500/5000 MB, 60 min left"},
        {"", ProgressUnit::Bytes, 10'000'000'000, 40'000'000'000, 7200, 80,
         " 25% [#####               ] 10/40 GB, 6 h 0 min left"},
        {"x", ProgressUnit::Bytes, 2500, 5000, 0, 80, "x   50% [##########          ] 2500/5000 B"},
        // Done: no estimate; past the total counts as the total.
        {"Done", ProgressUnit::Games, 12, 10, 60, 80, "Done  100% [####################] 10/10"},
        // A narrow terminal: a shorter bar first, then a shorter label, then none.
        {"Scanning input file for matches...", ProgressUnit::Bytes, 50'000'000, 269'000'000, 2, 80,
         "Scanning input file for matches...   18% [##              ] 50/269 MB, 9 s left"},
        {"Scanning input file for matches...", ProgressUnit::Bytes, 50'000'000, 269'000'000, 2, 50,
         "Scanning i   18% [#         ] 50/269 MB, 9 s left"},
        {"Scanning input file for matches...", ProgressUnit::Bytes, 50'000'000, 269'000'000, 2, 40,
         " 18% [#         ] 50/269 MB, 9 s left"},
        {"Nothing", ProgressUnit::Bytes, 0, 0, 5, 80, ""},
    };
    for (const Case& c : cases) {
        const std::string line = ProgressLineText(c.label, c.unit, c.done, c.total, c.elapsed, c.width);
        EXPECT_EQ(line, c.expected) << c.label << " " << c.width;
        EXPECT_LT(line.size(), c.width);
    }
}

TEST(CliProgressTest, LineIsRedrawnAtMostTenTimesASecondAndEndsBeforeAMessage) {
    using namespace std::chrono_literals;
    std::ostringstream err;
    ProgressLine line(err, true);
    line.Start("Scanning...");
    const auto start = ProgressLine::Clock::now();
    line.Update(1, 10, ProgressUnit::Games, start);
    line.Update(2, 10, ProgressUnit::Games, start + 50ms);    // too soon: skipped
    line.Update(3, 10, ProgressUnit::Games, start + 120ms);   // drawn
    line.Update(10, 10, ProgressUnit::Games, start + 130ms);  // the end is always drawn
    line.Break();
    line.Break();  // nothing drawn since: no second line end
    const std::string text = err.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 3) << text;
    EXPECT_EQ(text.find("2/10"), std::string::npos);
    EXPECT_NE(text.find("10/10\x1b[K\n"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);

    std::ostringstream off;
    ProgressLine disabled(off, false);
    disabled.Update(5, 10, ProgressUnit::Bytes);
    disabled.Break();
    EXPECT_EQ(off.str(), "");
}

}  // namespace
}  // namespace vantor::cli
