// A scan read in parts by several threads must give what one reader gives, wherever the parts
// happen to begin: inside a record, inside a record larger than a part, on a device entry, in a
// record that a start line restarts, or in a file of one record.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "gamedata/TagTable.h"
#include "search/SearchDriver.h"

namespace vantor {
namespace {

using test::TempDir;

// Every field of every entry, in order.
std::string Joined(const std::vector<MatchEntry>& entries) {
    std::string text;
    for (const MatchEntry& e : entries)
        text += e.key + "|" + e.romName + "|" + e.description + "|" + e.year + "\n";
    return text;
}

std::string Scan(const std::string& path, int inputType, const std::string& expression, unsigned threads) {
    Catalog catalog;
    EXPECT_TRUE(catalog.file.Open(path));
    catalog.inputType = inputType;
    return Joined(
        ScanForMatches(catalog, expression, nullptr, ScanSplit{threads, threads == 1 ? INT64_MAX : 0}));
}

void ExpectSameForEverySplit(const std::string& path, int inputType) {
    for (const char* expression : {"=", "joy | !cloneof", "zadorules"}) {
        const std::string whole = Scan(path, inputType, expression, 1);
        for (unsigned threads = 2; threads <= 7; ++threads) {
            EXPECT_EQ(Scan(path, inputType, expression, threads), whole)
                << path << " with " << threads << " parts";
        }
    }
    Catalog catalog;
    ASSERT_TRUE(catalog.file.Open(path));
    catalog.inputType = inputType;
    EXPECT_EQ(Joined(RomSearch(catalog, "pac", nullptr, ScanSplit{1, INT64_MAX})),
              Joined(RomSearch(catalog, "pac", nullptr, ScanSplit{3, 0})))
        << path;
}

TEST(ScanSplitTest, EveryFixtureGivesTheSameMatchesInEveryNumberOfParts) {
    for (const char* folder : {"gamedata", "output", "hostile", "app"}) {
        for (const auto& entry : std::filesystem::directory_iterator(test::FixturePath(folder))) {
            if (entry.path().extension() == ".xml")
                ExpectSameForEverySplit(entry.path().string(), MameMachine);
        }
    }
}

TEST(ScanSplitTest, SeamsInsideAwkwardRecords) {
    TempDir dir;
    std::string big = "<machine name=\"big\">\n<description>Big</description>\n";
    for (int i = 0; i < 2000; ++i) big += "<rom name=\"r" + std::to_string(i) + "\" joy/>\n";
    big += "</machine>\n";
    const std::string small =
        "<machine name=\"pacman\" cloneof=\"puckman\">\n<year>1980</year>\n</machine>\n";
    const std::string device = "<machine name=\"dev\" isdevice=\"yes\">\n</machine>\n";
    // A start line inside an unfinished record restarts it: the record keeps the earlier text.
    const std::string restarted =
        "<machine name=\"open\">\n<rom joy/>\n<machine name=\"again\">\n</machine>\n";
    const struct {
        const char* name;
        std::string text;
    } files[] = {
        {"one.xml", "<mame>\n" + small + "</mame>\n"},
        {"big.xml", "<mame>\n" + small + big + small + small + "</mame>\n"},
        {"mixed.xml", "<mame>\n" + small + device + restarted + small + big + device + restarted + small},
        {"unfinished.xml", "<mame>\n" + small + small + "<machine name=\"cut\">\n<rom joy/>\n"},
        {"crlf.xml",
         "<mame>\r\n<machine name=\"a\">\r\n</machine>\r\n<machine name=\"b\">\r\n</machine>\r\n"},
    };
    for (const auto& file : files) {
        std::string text = file.text;
        for (int copy = 0; copy < 20; ++copy) text += file.text.substr(7);  // more seams to land on
        ExpectSameForEverySplit(dir.Write(file.name, text), MameMachine);
    }
    ExpectSameForEverySplit(dir.Write("empty.xml", ""), MameMachine);
}

// A scan asked to stop ends with the Cancelled error, whatever the number of parts.
TEST(ScanSplitTest, CancelledScanStops) {
    struct StopAtOnce : ProgressSink {
        void Progress(std::int64_t, std::int64_t) override {}
        bool CancelRequested() const override { return true; }
    } stop;
    TempDir dir;
    std::string text = "<mame>\n";
    for (int i = 0; i < 5000; ++i) text += "<machine name=\"m" + std::to_string(i) + "\">\n</machine>\n";
    Catalog catalog;
    ASSERT_TRUE(catalog.file.Open(dir.Write("many.xml", text)));
    catalog.inputType = MameMachine;
    for (unsigned threads : {1u, 3u}) {
        try {
            (void)ScanForMatches(catalog, "=", &stop, ScanSplit{threads, 0});
            ADD_FAILURE() << "not cancelled";
        } catch (const EngineError& error) {
            EXPECT_EQ(error.Kind(), ErrorKind::Cancelled);
        }
    }
}

}  // namespace
}  // namespace vantor
