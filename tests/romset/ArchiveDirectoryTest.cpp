#include "romset/ArchiveDirectory.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "RomSetForge.h"
#include "TestSupport.h"

namespace vantor {
namespace {

std::uint32_t Crc(const std::string& bytes) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

TEST(ArchiveDirectoryTest, ForgedBytesCarryTheAskedCrc) {
    for (std::uint64_t size : {4u, 5u, 251u, 4096u, 100000u}) {
        for (std::uint32_t crc : {0x00000000u, 0xffffffffu, 0xc1e6ab10u, 0x12345678u}) {
            std::string bytes = test::ForgedBytes(size, crc, static_cast<std::uint32_t>(size));
            EXPECT_EQ(bytes.size(), size);
            EXPECT_EQ(Crc(bytes), crc) << size;
        }
    }
}

// Both archive kinds list every member with its size and the CRC of its bytes; the folders a
// zip holds are no members.
TEST(ArchiveDirectoryTest, ZipAndSevenZipListTheirMembers) {
    test::TempDir dir;
    const std::vector<test::ForgedMember> members = {{"a.bin", test::ForgedBytes(1024, 0xdeadbeef)},
                                                     {"sub/b.bin", test::ForgedBytes(70000, 0x01020304)},
                                                     {"empty.bin", ""}};
    ASSERT_TRUE(test::WriteZip(dir.File("set.zip"), members));
    ASSERT_TRUE(test::WriteSevenZip(dir.File("set.7z"), members));
    std::vector<ArchiveMember> expected;
    for (const test::ForgedMember& member : members)
        expected.push_back({member.name, member.bytes.size(), Crc(member.bytes)});
    for (const ArchiveContents& contents :
         {ReadZipDirectory(dir.File("set.zip")), ReadSevenZipDirectory(dir.File("set.7z"))}) {
        EXPECT_TRUE(contents.Readable()) << contents.problem;
        EXPECT_EQ(contents.members, expected);
    }
    std::uint32_t crc = 0;
    std::string problem;
    ASSERT_TRUE(FileCrc32(dir.Write("plain.bin", members[1].bytes), crc, problem));
    EXPECT_EQ(crc, 0x01020304u);
}

// Damaged archives are reported with a reason, never read as empty sets.
TEST(ArchiveDirectoryTest, DamagedArchivesSayWhy) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteZip(dir.File("good.zip"), {{"a.bin", test::ForgedBytes(5000, 7)}}));
    ASSERT_TRUE(test::WriteSevenZip(dir.File("good.7z"), {{"a.bin", test::ForgedBytes(5000, 7)}}));
    const std::string zip = test::ReadFileBytes(dir.File("good.zip"));
    const std::string sevenZip = test::ReadFileBytes(dir.File("good.7z"));
    const std::vector<std::pair<std::string, bool>> damaged = {
        {dir.Write("text.zip", "this is no archive"), false},
        {dir.Write("cut.zip", zip.substr(0, zip.size() - 30)), false},
        {dir.Write("empty.zip", ""), false},
        {dir.File("absent.zip"), false},
        {dir.Write("text.7z", "this is no archive"), true},
        {dir.Write("cut.7z", sevenZip.substr(0, sevenZip.size() / 2)), true},
    };
    for (const auto& [path, sevenZipKind] : damaged) {
        ArchiveContents contents = sevenZipKind ? ReadSevenZipDirectory(path) : ReadZipDirectory(path);
        EXPECT_FALSE(contents.Readable()) << path;
        EXPECT_TRUE(contents.members.empty()) << path;
    }
}

}  // namespace
}  // namespace vantor
