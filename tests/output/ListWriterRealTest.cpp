// The list writers on the real MAME listing.
#include <gtest/gtest.h>

#include <algorithm>

#include "OutputTestSupport.h"
#include "gamedata/ListOrder.h"
#include "gamedata/RecordFields.h"
#include "search/SearchDriver.h"

namespace vantor {
namespace {

// The shortcuts of the writers' field reading give exactly what the field search gives, for every
// game of the listing and every kind of key the writers use.
TEST(ListWriterRealTest, FieldValuesEqualTheFieldSearchForEveryGame) {
    const std::string path = test::RealListXmlPath();
    if (path.empty()) GTEST_SKIP() << "no real listing";
    Catalog master;
    test::OpenMaster(master, path);
    const char* const keys[] = {"<description>",  "<year>",         "<manufacturer>", "cloneof=",
                                "romof=",         "sourcefile=",    "buttons=",       "control type=",
                                "control_type=",  "rotate=",        "width=",         "height=",
                                "coins=",         "input_players=", "disk_name=",     "%<driver.status",
                                "%<display.type="};
    const RecordFields vn = master.Fields();
    RecordReader reader = master.Reader();
    const std::string& startTag = master.StartTag();
    std::string text;
    std::int64_t games = 0;
    for (reader.Seek(master.file, 0);;) {
        std::int64_t position = reader.ReadRecord(master.file, text, startTag, -1);
        if (position < 0) break;
        ++games;
        const std::string readText = "\n" + text;  // what the empty-key read returns
        ListedRecord record(vn);
        record.Renew(true) = text;
        for (const char* key : keys) {
            ASSERT_EQ(record.Value(key), vn.GetFieldValues(readText, key, {}, 0, true))
                << key << " at " << position;
        }
        ASSERT_EQ(record.Description(), vn.GetDescription(readText)) << position;
    }
    EXPECT_GT(games, 10000);
}

// The writer's own sort by Name (vantor-cli save --all) gives the order of the match list sorted
// by Name, as the working list sorts it.
TEST(ListWriterRealTest, WriterSortEqualsTheMatchListSort) {
    const std::string path = test::RealListXmlPath();
    if (path.empty()) GTEST_SKIP() << "no real listing";
    Catalog master;
    test::OpenMaster(master, path);
    std::vector<MatchEntry> entries = ScanForMatches(master, kListAllExpression);
    ASSERT_GT(entries.size(), 10000u);
    SaveRequest request{ListFormat::RomNames, {}, {}, true};
    for (const MatchEntry& entry : entries) request.keys.push_back(ParseRecordKey(entry.key));  // file order
    std::stable_sort(entries.begin(), entries.end(), [](const MatchEntry& a, const MatchEntry& b) {
        return CompareListText(a.description, b.description) < 0;
    });
    std::string expected;
    for (const MatchEntry& entry : entries) expected += entry.romName + "\r\n";
    EXPECT_TRUE(test::SavedText(master, request) == expected);

    // The XML formats of every game: real XML, and the XML File (whose records are copied as
    // they stand) in the same order.
    test::TempDir dir;
    request.options.Set(ListOption::Title, "All & everything");
    for (ListFormat format : {ListFormat::Xml, ListFormat::HyperSpin, ListFormat::Cabrio,
                              ListFormat::Khameleon, ListFormat::MGalaxy}) {
        SCOPED_TRACE(FormatInfo(format).name);
        request.format = format;
        FileSink file(dir.File(FormatInfo(format).cliName));
        ASSERT_TRUE(SaveList(master, request, file).Done());
        EXPECT_EQ(test::XmlProblems(file.Path()), "");
        if (format != ListFormat::Xml) continue;
        std::string names;
        const std::string written = test::ReadFileBytes(file.Path());
        const std::string startTag = master.StartTag() + "\"";
        for (std::size_t at = written.find(startTag); at != std::string::npos;
             at = written.find(startTag, at + 1)) {
            std::size_t start = at + startTag.size();
            names += written.substr(start, written.find('"', start) - start) + "\r\n";
        }
        EXPECT_TRUE(names == expected);
    }
}

}  // namespace
}  // namespace vantor
