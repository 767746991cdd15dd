// A line of any length outside the records (a zero-filled gap in a half-downloaded listing) is
// passed over without being held in memory; one that turns out to start a record is read whole.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>

#include "TestSupport.h"
#include "gamedata/RecordReader.h"
#include "gamedata/TagTable.h"

using namespace vantor;

namespace {

const std::size_t kGap = 200u << 20;

long PeakKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// `head`, a sparse gap of NUL bytes, then `tail`.
std::string WriteWithGap(const test::TempDir& dir, const std::string& name, const std::string& head,
                         const std::string& tail) {
    std::string path = dir.File(name);
    FILE* out = std::fopen(path.c_str(), "wb");
    EXPECT_NE(out, nullptr);
    std::fwrite(head.data(), 1, head.size(), out);
    std::fseek(out, static_cast<long>(kGap), SEEK_CUR);
    std::fwrite(tail.data(), 1, tail.size(), out);
    std::fclose(out);
    return path;
}

std::vector<std::pair<std::int64_t, std::string>> ReadAll(const std::string& path) {
    MasterFile file;
    EXPECT_TRUE(file.Open(path));
    RecordReader reader(MameMachine);
    std::vector<std::pair<std::int64_t, std::string>> records;
    std::string record;
    for (;;) {
        std::int64_t position = reader.ReadRecord(file, record, "<machine name=", -1);
        if (record.empty() || position == -1) break;
        records.emplace_back(position, record);
    }
    return records;
}

}  // namespace

TEST(LongLineTest, GapWithoutStartKeyIsPassedOverInLittleMemory) {
    test::TempDir dir;
    const std::string head = "<mame>\n", record = "<machine name=\"after\">\n</machine>\n";
    std::string path = WriteWithGap(dir, "quiet.xml", head, "\n" + record);
    long peakBefore = PeakKilobytes();
    auto records = ReadAll(path);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].second, record);
    EXPECT_EQ(records[0].first, static_cast<std::int64_t>(head.size() + kGap));
#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer keeps freed memory in quarantine: no measure there
    EXPECT_LT(PeakKilobytes() - peakBefore, static_cast<long>(kGap / 1024 / 4));
#else
    (void)peakBefore;
#endif
}

TEST(LongLineTest, LongLineWithAStartKeyIsReadWhole) {
    test::TempDir dir;
    const std::string head = "<mame>\n<machine name=\"before\">\n</machine>\n<!-- ";
    const std::string tail = "<machine name=\"x\" -->\n</machine>\n";
    std::string path = WriteWithGap(dir, "keyed.xml", head, tail);
    auto records = ReadAll(path);
    ASSERT_EQ(records.size(), 2u);
    const std::size_t lineStart = head.size() - 5;
    EXPECT_EQ(records[1].first, static_cast<std::int64_t>(lineStart - 1));
    EXPECT_EQ(records[1].second, "<!-- " + std::string(kGap, '\0') + tail);
}
