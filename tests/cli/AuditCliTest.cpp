// vantor-cli audit: one line per game in master-file order, the summary, the CSV report, the
// games of --find and --keys, and the errors.
#include <gtest/gtest.h>

#include "CliInProcess.h"
#include "RomSetForge.h"
#include "gamedata/FileIo.h"

namespace vantor {
namespace {

constexpr const char* kListing = R"(<?xml version="1.0"?>
<!DOCTYPE mame [
<!ELEMENT mame (machine+)>
]>
<mame build="0.251">
	<machine name="zparent">
		<description>Parent</description>
		<rom name="p1.bin" size="1024" crc="0badf00d"/>
		<device_ref name="chip"/>
	</machine>
	<machine name="aclone" cloneof="zparent" romof="zparent">
		<description>Clone | one</description>
		<rom name="c1.bin" size="1024" crc="12345678"/>
	</machine>
	<machine name="chip" isdevice="yes" runnable="no">
		<description>Chip</description>
		<rom name="chip.bin" size="256" crc="99999999"/>
	</machine>
	<machine name="lonely">
		<description>Lonely</description>
		<rom name="l1.bin" size="512" crc="00000001"/>
	</machine>
</mame>
)";

class AuditCliTest : public test::CliInProcessTest {
  protected:
    void SetUp() override {
        CliInProcessTest::SetUp();
        master_ = files_.Write("listing.xml", kListing);
        roms_ = files_.File("roms");
        MakeDirectories(roms_);
        ASSERT_TRUE(
            test::WriteZip(roms_ + "/zparent.zip", {{"p1.bin", test::ForgedBytes(1024, 0x0badf00d)}}));
        ASSERT_TRUE(test::WriteZip(roms_ + "/chip.zip", {{"chip.bin", test::ForgedBytes(256, 0x99999999)}}));
        ASSERT_TRUE(test::WriteZip(roms_ + "/aclone.zip", {{"c1.bin", test::ForgedBytes(1024, 0x12345679)}}));
    }
    std::string master_, roms_;
};

TEST_F(AuditCliTest, PrintsEveryGameInFileOrderAndReports) {
    const std::string report = files_.File("audit.csv");
    ASSERT_EQ(RunOn(master_, {"audit", "--roms", roms_, "--report", report}), 0) << err_;
    EXPECT_EQ(out_,
              "zparent|good||\n"
              "aclone|incomplete|wrong c1.bin (CRC 12345679, expected 12345678); looked in " +
                  roms_ + "/aclone.zip, " + roms_ +
                  "/zparent.zip|\n"
                  "lonely|missing|no set found (no lonely set in " +
                  roms_ + ")|\n");
    EXPECT_EQ(err_, "note: Audited 3 games: 1 good, 1 missing, 1 incomplete.\n");
    EXPECT_EQ(test::ReadFileBytes(report),
              "ROM name,status,detail\n"
              "zparent,good,\n"
              "aclone,incomplete,\"wrong c1.bin (CRC 12345679, expected 12345678); looked in " +
                  roms_ + "/aclone.zip, " + roms_ +
                  "/zparent.zip\"\n"
                  "lonely,missing,no set found (no lonely set in " +
                  roms_ + ")\n");

    // The kept audit answers the same; --find and --keys choose games, in file order still.
    const std::string all = out_;
    ASSERT_EQ(RunOn(master_, {"audit", "--roms", roms_}), 0) << err_;
    EXPECT_EQ(out_, all);
    ASSERT_EQ(RunOn(master_, {"audit", "--roms", roms_, "--find", "name=lonely | name=zparent"}), 0) << err_;
    EXPECT_EQ(out_, "zparent|good||\nlonely|missing|no set found (no lonely set in " + roms_ + ")|\n");
    ASSERT_EQ(RunOn(master_, {"find", "clone"}), 0);
    const std::string keys = files_.Write("keys.txt", out_);
    ASSERT_EQ(RunOn(master_, {"audit", "--roms", roms_, "--keys", keys}), 0) << err_;
    EXPECT_EQ(out_.substr(0, out_.find('|')), "aclone");
}

// The kept audit as searches ask it: the term, the criterion, explain.
TEST_F(AuditCliTest, SearchesAskTheKeptAudit) {
    EXPECT_EQ(RunOn(master_, {"find", "audit=good"}), 1);
    EXPECT_NE(err_.find("No ROM audit of this input file is kept"), std::string::npos) << err_;
    ASSERT_EQ(RunOn(master_, {"criteria", "runnable-only=on"}), 0);
    EXPECT_EQ(out_, "\n");
    EXPECT_NE(err_.find("\"Only games my ROMs can run\" is switched off"), std::string::npos) << err_;

    ASSERT_EQ(RunOn(master_, {"audit", "--roms", roms_}), 0) << err_;
    ASSERT_EQ(RunOn(master_, {"find", "audit=good | audit=missing"}), 0) << err_;
    EXPECT_EQ(out_.substr(out_.find('|') + 1, 8), "zparent|");
    EXPECT_NE(out_.find("|lonely|"), std::string::npos);
    EXPECT_EQ(RunOn(master_, {"find", "--count", "audit=incomplet"}), 2);
    EXPECT_NE(err_.find("at position 1 names no audit"), std::string::npos) << err_;

    ASSERT_EQ(RunOn(master_, {"criteria", "runnable-only=on"}), 0) << err_;
    const std::string criteria = out_.substr(0, out_.size() - 1);
    EXPECT_EQ(criteria, "(audit=good | audit=best-available)");
    ASSERT_EQ(RunOn(master_, {"find", "--count", criteria}), 0);
    EXPECT_EQ(out_, "1\n");
    ASSERT_EQ(RunOn(master_, {"explain", "aclone", criteria}), 0) << err_;
    EXPECT_NE(out_.find("audit: incomplete: wrong c1.bin (CRC 12345679, expected 12345678)"),
              std::string::npos)
        << out_;
}

TEST_F(AuditCliTest, BadFoldersAndUsage) {
    EXPECT_EQ(RunOn(master_, {"audit", "--roms", files_.File("nowhere")}), 1);
    EXPECT_EQ(err_, "error: The ROM folder " + files_.File("nowhere") + " does not exist.\n");
    EXPECT_EQ(RunOn(master_, {"audit", "--roms", roms_, "--chds", files_.File("nowhere")}), 1);
    EXPECT_EQ(RunOn(master_, {"audit"}), 2);
    EXPECT_EQ(RunOn(master_, {"audit", "--roms", roms_, "--find", "a", "--keys", "k"}), 2);
    EXPECT_EQ(out_, "");
}

}  // namespace
}  // namespace vantor
