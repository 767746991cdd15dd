#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "TestSupport.h"
#include "gamedata/Catalog.h"
#include "gamedata/FileIo.h"
#include "gamedata/RecordReader.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

using namespace vantor;
using vantor::test::TempDir;

namespace {

struct Opened {
    TempDir dir;
    MasterFile file;
    explicit Opened(const std::string& bytes) { EXPECT_TRUE(file.Open(dir.Write("master.xml", bytes))); }
};

std::string Fixture() {
    return test::ReadFileBytes(test::FixturePath("gamedata/machines.xml"));
}

std::vector<std::pair<std::int64_t, std::string>> ReadAll(const MasterFile& file, RecordReader& reader) {
    std::vector<std::pair<std::int64_t, std::string>> records;
    reader.Rewind(file);
    std::string record;
    for (;;) {
        std::int64_t position = reader.ReadRecord(file, record, Tags().StartTag(reader.InputType()), -1);
        if (record.empty()) break;
        records.emplace_back(position, record);
        if (position == -1) break;
    }
    return records;
}

class RecordReaderTest : public ::testing::Test {};

}  // namespace

TEST_F(RecordReaderTest, SkipsDevicesAndRereadsEveryRecordFromItsPosition) {
    for (bool crlf : {false, true}) {
        std::string bytes = crlf ? LfToCrLf(Fixture()) : Fixture();
        Opened master(bytes);
        RecordReader reader(MameMachine);
        auto records = ReadAll(master.file, reader);
        ASSERT_EQ(records.size(), 6u) << "crlf=" << crlf;
        for (const auto& [position, text] : records) {
            EXPECT_FALSE(Contains(text, "isdevice")) << text;
            // One byte before the first line: the previous line's line feed.
            ASSERT_GT(position, 0);
            EXPECT_EQ(bytes[static_cast<std::size_t>(position)], '\n');
            RecordReader other(MameMachine);
            std::string again;
            EXPECT_EQ(other.ReadRecord(master.file, again, Tags().startTag[MameMachine], position), position);
            EXPECT_EQ(again, text);
        }
        EXPECT_TRUE(records[0].second.starts_with("\t<machine name=\"puckman\""));
        EXPECT_TRUE(records[0].second.ends_with(crlf ? "</machine>\r\n" : "</machine>\n"));
        // The record after the device is the next real machine.
        EXPECT_TRUE(Contains(records[2].second, "name=\"pacmanf\""));
        // Entities are decoded as the record is read, &quot; between tags only.
        EXPECT_TRUE(Contains(records[3].second, "Some & BIOS <unknown>"));
        EXPECT_TRUE(Contains(records[4].second, "One \"Line\" Game"));
        // A record on one line is returned whole.
        EXPECT_EQ(std::count(records[4].second.begin(), records[4].second.end(), '\n'), 1);
    }
}

TEST_F(RecordReaderTest, PositionsWithoutTextAreThoseOfTheRecords) {
    Opened master(Fixture());
    RecordReader reader(MameMachine), positions(MameMachine);
    auto records = ReadAll(master.file, reader);
    positions.Rewind(master.file);
    for (const auto& [position, text] : records) {
        EXPECT_EQ(positions.NextRecordPosition(master.file, Tags().startTag[MameMachine]), position);
    }
    EXPECT_EQ(positions.NextRecordPosition(master.file, Tags().startTag[MameMachine]), -1);
}

TEST_F(RecordReaderTest, NamedKeyDoesNotMatchLongerNames) {
    Opened master(Fixture());
    RecordReader reader(MameMachine);
    std::string record;
    reader.Rewind(master.file);
    reader.ReadRecord(master.file, record, Tags().startTag[MameMachine] + "\"pacman\"", -1);
    EXPECT_TRUE(Contains(record, "<description>Pac-Man (Midway)</description>"));
    reader.Rewind(master.file);
    EXPECT_EQ(reader.ReadRecord(master.file, record, Tags().startTag[MameMachine] + "\"pacma\"", -1), -1);
    EXPECT_TRUE(record.empty());
}

TEST_F(RecordReaderTest, EmptyStartKeyFirstYieldsTheLineFeedBeforeTheRecord) {
    Opened master(Fixture());
    RecordReader reader(MameMachine);
    auto records = ReadAll(master.file, reader);
    std::string record;
    reader.ReadRecord(master.file, record, "", records[1].first);
    EXPECT_EQ(record, "\n" + records[1].second);
}

// Kept on purpose: key files written by earlier versions name such a record "0x0".
TEST_F(RecordReaderTest, RecordAtTheStartOfTheFileHasPositionZero) {
    Opened master(
        "<machine name=\"a\"><description>A</description></machine>\n<machine name=\"b\">\n</machine>\n");
    RecordReader reader(MameMachine);
    auto records = ReadAll(master.file, reader);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].first, 0);
    EXPECT_EQ(FormatRecordKey(records[0].first), "0x0");
    std::string again;
    reader.ReadRecord(master.file, again, Tags().startTag[MameMachine], 0);
    EXPECT_EQ(again, records[0].second);
}

TEST_F(RecordReaderTest, AReaderFollowsItsFileObjectToTheNextFileOpenedInIt) {
    // The program keeps one file object and reopens it when the settings change; a reader that
    // read the old file (or tried a missing one) must read the new file, not what it buffered.
    TempDir dir;
    const std::string first = dir.Write("a.xml", "<mame>\n<machine name=\"old\">\n</machine>\n</mame>\n");
    const std::string second = dir.Write("b.xml",
                                         "<mame>\n<machine name=\"new1\">\n</machine>\n"
                                         "<machine name=\"new2\">\n</machine>\n</mame>\n");
    MasterFile file;
    RecordReader reader(MameMachine);
    EXPECT_FALSE(file.Open(dir.Path() + "/missing.xml"));
    EXPECT_TRUE(ReadAll(file, reader).empty());
    for (const std::string& path : {first, second, first}) {
        ASSERT_TRUE(file.Open(path));
        auto records = ReadAll(file, reader);
        ASSERT_EQ(records.size(), path == first ? 1u : 2u) << path;
        EXPECT_TRUE(Contains(records[0].second, path == first ? "\"old\"" : "\"new1\"")) << records[0].second;
    }
}

TEST_F(RecordReaderTest, ASnapshotReadsTheFileAsItWasWhateverTheCatalogDoesNext) {
    // A job's snapshot reads the state its keys came from: the window closes and reopens its
    // catalog, and the path is replaced by another file, while the job still reads.
    TempDir dir;
    const std::string path = dir.Write("a.xml", "<mame>\n<machine name=\"old\">\n</machine>\n</mame>\n");
    Catalog catalog;
    catalog.inputType = MameMachine;
    catalog.display.hideTags = true;
    ASSERT_TRUE(catalog.file.Open(path));
    const CatalogSnapshot snapshot = SnapshotOf(catalog);
    catalog.file.Close();
    std::rename(dir.Write("b.xml", "<mame>\n<machine name=\"new\">\n</machine>\n</mame>\n").c_str(),
                path.c_str());
    ASSERT_TRUE(catalog.file.Open(path));
    RecordReader reader = snapshot->Reader();
    auto records = ReadAll(snapshot->file, reader);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(Contains(records[0].second, "\"old\""));
    EXPECT_NE(snapshot->file.Identity(), catalog.file.Identity());
    EXPECT_TRUE(snapshot->display.hideTags);
    // A closed catalog makes a closed snapshot, not a failure.
    EXPECT_FALSE(SnapshotOf(Catalog())->file.IsOpen());
}

TEST_F(RecordReaderTest, TruncatedLastRecordComesBackWithoutPosition) {
    Opened master("<mame>\n<machine name=\"a\">\n</machine>\n<machine name=\"b\">\n<description>cut");
    RecordReader reader(MameMachine);
    auto records = ReadAll(master.file, reader);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].first, -1);
    EXPECT_EQ(records[1].second, "<machine name=\"b\">\n<description>cut");
}

TEST_F(RecordReaderTest, LinesLongerThanTheBufferAndNulBytesAreKeptWhole) {
    std::string longLine(5 * 1024 * 1024, 'x');
    std::string bytes = "<mame>\n<machine name=\"long\">\n<description>" + longLine +
                        "</description>\n</machine>\n<machine name=\"nul\">\n" + std::string("a\0b", 3) +
                        "\n</machine>\n";
    Opened master(bytes);
    RecordReader reader(MameMachine);
    auto records = ReadAll(master.file, reader);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(Contains(records[0].second, longLine));
    EXPECT_TRUE(Contains(records[1].second, std::string("a\0b", 3)));
}

TEST_F(RecordReaderTest, StartLineInsideARecordRestartsThePosition) {
    std::string bytes = "<mame>\n<machine name=\"a\">\n<machine name=\"b\">\n</machine>\n";
    Opened master(bytes);
    RecordReader reader(MameMachine);
    std::string record;
    reader.Rewind(master.file);
    std::int64_t position = reader.ReadRecord(master.file, record, "<machine name=", -1);
    EXPECT_EQ(record, "<machine name=\"a\">\n<machine name=\"b\">\n</machine>\n");
    EXPECT_EQ(position, static_cast<std::int64_t>(bytes.find("<machine name=\"b\"")) - 1);
}

TEST_F(RecordReaderTest, PositionsAbove4GiBReadTheRightRecord) {
    TempDir dir;
    std::string path = dir.File("sparse.xml");
    int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const std::int64_t offset = (std::int64_t{1} << 32) + 12345;
    std::string tail = "\n<machine name=\"far\">\n<description>Far</description>\n</machine>\n";
    ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), offset), static_cast<ssize_t>(tail.size()));
    ::close(fd);
    MasterFile file;
    ASSERT_TRUE(file.Open(path));
    RecordReader reader(MameMachine);
    std::string record;
    std::int64_t position = reader.ReadRecord(file, record, "<machine name=", offset);
    EXPECT_EQ(position, offset);
    EXPECT_EQ(FormatRecordKey(position), "0x100003039");
    EXPECT_EQ(ParseRecordKey("0x100003039"), offset);
    EXPECT_TRUE(Contains(record, "Far"));
}

TEST_F(RecordReaderTest, HeaderAndInputTypeDetection) {
    struct Case {
        std::string header;
        int expected;
    } cases[] = {
        {"<!DOCTYPE mame [\n<!ELEMENT mame (machine+)>\n]>\n<mame>\n", MameMachine},
        {"<!ELEMENT mame (game+)>\n<!DOCTYPE dat>\n", Dat},  // later signatures win
        {"<!-- generated by Vantor -->\n<!ELEMENT mame (game+)>\n", MergedList},
        {"<!DOCTYPE softwarelist>\n", SoftwareList},
        {"<nothing known/>\n", UnknownInput},
    };
    for (const Case& c : cases) {
        Opened master(c.header + "<game name=\"x\">\n</game>\n<software name=\"y\">\n</software>\n");
        RecordReader reader(MameMachine);
        std::string header;
        reader.ReadHeader(master.file, header);
        EXPECT_EQ(header, c.header);
        EXPECT_EQ(reader.DetectInputType(master.file), c.expected) << c.header;
    }
}

TEST_F(RecordReaderTest, LongHeaderIsEmptyAndLeavesTheTypeAlone) {
    std::string header = "<!ELEMENT mame (game+)>\n";
    for (int i = 0; i < 1000; ++i) header += "<!-- filler -->\n";
    Opened master(header + "<game name=\"x\">\n</game>\n");
    RecordReader reader(MameMachine);
    std::string read;
    reader.ReadHeader(master.file, read);
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(reader.DetectInputType(master.file), UnknownInput);
}

TEST_F(RecordReaderTest, HeaderLeavesTheReaderBeforeTheFirstRecordWhateverItsLength) {
    std::string startLine = "<machine name=\"first\" " + std::string(400, 'x') + ">\n";
    Opened master("<mame>\n" + startLine + "</machine>\n");
    RecordReader reader(MameMachine);
    std::string header, record;
    reader.ReadHeader(master.file, header);
    reader.ReadRecord(master.file, record, "<machine name=", -1);
    EXPECT_TRUE(record.starts_with(startLine));
}

TEST_F(RecordReaderTest, RootCloseTagFromTheFirstMarkupLine) {
    Opened master(Fixture());
    RecordReader reader(MameMachine);
    std::string header;
    reader.ReadHeader(master.file, header);
    EXPECT_EQ(RecordReader::GetRootCloseTag(header), "</mame>");
    EXPECT_EQ(RecordReader::GetRootCloseTag("<?xml version=\"1.0\"?>\n<!DOCTYPE x>\n\n  <datafile>\n"),
              "</datafile>");
    EXPECT_EQ(RecordReader::GetRootCloseTag("<?xml version=\"1.0\"?>\n<?other?>\n"), "</>");
}
