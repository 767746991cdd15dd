// Searches that ask the kept ROM audit: the term audit=STATUS, the "Only games my ROMs can run"
// criterion and the explanation that names the missing file, on a kept audit written here.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "gamedata/EngineError.h"
#include "gamedata/FileIo.h"
#include "romset/AuditStore.h"
#include "search/CriteriaModel.h"
#include "search/Explanation.h"
#include "search/InputCheck.h"
#include "search/SearchDriver.h"
#include "search/SearchText.h"

namespace vantor {
namespace {

constexpr const char* kListing = R"(<?xml version="1.0"?>
<!DOCTYPE mame [
<!ELEMENT mame (machine+)>
]>
<mame build="0.251" debug="no" mameconfig="10">
	<machine name="goodgame">
		<description>Good</description>
	</machine>
	<machine name="baddump">
		<description>Bad dump</description>
	</machine>
	<machine name="broken">
		<description>Broken</description>
	</machine>
	<machine name="orphan" cloneof="goodgame">
		<description>Orphan</description>
	</machine>
	<machine name="unaudited">
		<description>Not audited</description>
	</machine>
</mame>
)";

class AuditSearchTest : public testing::Test {
  protected:
    void SetUp() override {
        master_ = dir_.Write("listing.xml", kListing);
        keep_ = dir_.File("audits");
        MakeDirectories(keep_);
        ASSERT_TRUE(OpenInputFile(catalog_, master_).Done());
    }

    // A kept audit of the master file as it is now.
    void KeepAudit() {
        KeptAudit audit;
        audit.masterPath = AbsolutePath(master_);
        ASSERT_TRUE(StampOf(master_, audit.masterStamp));
        audit.folders.romFolders = {dir_.File("roms")};
        audit.games = {{0, "goodgame", AuditStatus::Good, ""},
                       {1, "baddump", AuditStatus::BestAvailable, ""},
                       {2, "broken", AuditStatus::Incomplete, "missing b2.bin; looked in roms/broken.zip"},
                       {3, "orphan", AuditStatus::NeedsSet, "needs goodgame"}};
        ASSERT_TRUE(SaveKeptAudit(KeptAuditStem(keep_, master_, audit.folders) + ".audit", audit));
        AttachKeptAudit(catalog_, keep_);
        ASSERT_NE(catalog_.outsideFacts, nullptr);
    }

    std::string Find(const std::string& typed) {
        std::string names;
        for (const MatchEntry& game : ScanForMatches(catalog_, PrepareSearchText(typed, "")))
            names += game.romName + " ";
        return names;
    }

    test::TempDir dir_;
    std::string master_, keep_;
    Catalog catalog_;
};

TEST_F(AuditSearchTest, TermMatchesTheKeptStatus) {
    KeepAudit();
    const std::pair<const char*, const char*> cases[] = {
        {"audit=good", "goodgame "},
        {"AUDIT=Best-Available", "baddump "},
        {"audit=incomplete | audit=needs-set", "broken orphan "},
        {"!audit=good & -audit=best-available", "broken orphan unaudited "},  // not audited: no status
        {"audit=missing", ""},
        {"(audit=good | audit=needs-set) & cloneof", "orphan "},
    };
    for (const auto& [typed, expected] : cases) EXPECT_EQ(Find(typed), expected) << typed;
    // The words are the audit's own.
    std::vector<std::string> words;
    for (int status = 0; status < kAuditStatusCount; ++status)
        words.emplace_back(AuditStatusWord(static_cast<AuditStatus>(status)));
    EXPECT_EQ(OutsideTermKinds()[kAuditTermKind].values, words);
}

TEST_F(AuditSearchTest, MistakesAndMissingAudits) {
    try {
        PrepareSearchText("pac & audit=runs", "");
        ADD_FAILURE() << "an unknown status was taken";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Kind(), ErrorKind::Expression);
        EXPECT_NE(error.Text().find("at position 7"), std::string::npos) << error.Text();
        ASSERT_TRUE(error.Where().has_value());
        EXPECT_EQ(error.Where()->offset, 6u);
    }
    // Overlapping phrases are read as text whole: the term could not be asked.
    KeepAudit();
    EXPECT_THROW(ScanForMatches(catalog_, "'x' 'y'x'z' & audit=good"), EngineError);

    // A changed master file has no kept audit any more; the search says what to do.
    dir_.Write("listing.xml", std::string(kListing) + "\n");
    AttachKeptAudit(catalog_, keep_);
    EXPECT_EQ(catalog_.outsideFacts, nullptr);
    try {
        Find("audit=good");
        ADD_FAILURE() << "a search without an audit answered";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Kind(), ErrorKind::Failure);
        EXPECT_NE(error.Text().find("No ROM audit of this input file is kept"), std::string::npos);
    }
}

TEST_F(AuditSearchTest, RunnableOnlyCriterionNeedsAnAuditAndNamesWhatIsMissing) {
    CriteriaModel model;
    model.SetAuditKept(false);
    EXPECT_FALSE(model.Click(Criterion::RunnableOnly));  // off while there is no audit
    EXPECT_TRUE(model.SetCheck(Criterion::RunnableOnly, CheckState::Checked));
    EXPECT_EQ(model.FindText(), "");

    KeepAudit();
    model.SetAuditKept(true);
    ASSERT_TRUE(model.IsEnabled(Criterion::RunnableOnly));
    model.BuildSearchCommand();
    EXPECT_EQ(Find(model.FindText()), "goodgame baddump ");

    ExplainRequest request;
    request.expression = model.FindText();
    const GameExplanation broken = ExplainGame(catalog_, "broken", request);
    EXPECT_FALSE(broken.matches);
    EXPECT_NE(broken.text.find("audit: incomplete: missing b2.bin; looked in roms/broken.zip\n"),
              std::string::npos)
        << broken.text;

    // The audit gone, the ticked box goes off with it.
    model.SetAuditKept(false);
    EXPECT_FALSE(model.IsChecked(Criterion::RunnableOnly));
    EXPECT_EQ(model.FindText(), "");
}

}  // namespace
}  // namespace vantor
