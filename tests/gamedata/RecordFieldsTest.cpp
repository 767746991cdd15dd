#include <gtest/gtest.h>

#include "gamedata/EngineError.h"
#include "gamedata/RecordFields.h"
#include "gamedata/TagTable.h"
#include "gamedata/XmlEntities.h"

using namespace vantor;

namespace {

const std::string kRecord =
    "\t<machine name=\"pacman\" sourcefile=\"pacman.cpp\" cloneof=\"puckman\">\n"
    "\t\t<description>Pac-Man (Midway) [bootleg]</description>\n"
    "\t\t<year>1980</year>\n"
    "\t\t<manufacturer>Namco, Midway</manufacturer>\n"
    "\t\t<display type=\"raster\" rotate=\"90\"/>\n"
    "\t\t<input players=\"2\" buttons=\"1\">\n"
    "\t\t\t<control type=\"joy\" ways=\"4\"/>\n"
    "\t\t\t<control type=\"dial\"/>\n"
    "\t\t</input>\n"
    "\t\t<driver status=\"good\" emulation=\"good\"/>\n"
    "\t</machine>\n";

class RecordFieldsTest : public ::testing::Test {
  protected:
    std::string Values(const std::string& keys, bool all = false, const std::string& separator = "") {
        return RecordFields(MameMachine, false).GetFieldValues(kRecord, keys, separator, 0, all);
    }
};

}  // namespace

TEST_F(RecordFieldsTest, ElementAndAttributeKeys) {
    EXPECT_EQ(Values("<year>"), "1980");
    EXPECT_EQ(Values("<YEAR>"), "1980");  // keys are matched without case, values keep theirs
    EXPECT_EQ(Values("cloneof="), "puckman");
    EXPECT_EQ(Values("%<driver.status"), "good");
    EXPECT_EQ(Values("%<display.type="), "raster");
    EXPECT_EQ(Values("control_type="), "joy");  // "_" stands for a space
    EXPECT_EQ(Values("<nplayers>"), "");
}

TEST_F(RecordFieldsTest, SeveralKeysAndOccurrences) {
    EXPECT_EQ(Values("<year>,<manufacturer>", false, ";"), "1980;Namco, Midway");
    // Kept on purpose, lists made by earlier versions look so: the separator inside a value
    // becomes "_"; a missing key still gets its separator.
    EXPECT_EQ(Values("<year>,<manufacturer>", false, ","), "1980,Namco_ Midway");
    EXPECT_EQ(Values("<year>,romof=", false, ","), "1980,");
    EXPECT_EQ(Values("control_type=", true), "joy & dial");
    EXPECT_EQ(Values("<description>", true), "Pac-Man (Midway) [bootleg]");
    // A quoted key may hold commas and is taken first.
    EXPECT_EQ(Values("<year>,'<manufacturer>'", false, "|"), "Namco, Midway|1980");
}

TEST_F(RecordFieldsTest, UnbalancedQuoteInKeyListThrows) {
    try {
        Values("'<year>");
        FAIL() << "no error";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Text(), "Error, missing 2nd quote mark.");
    }
}

TEST_F(RecordFieldsTest, MalformedKeyListsAndRecordsEnd) {
    const RecordFields vn(MameMachine, false);
    for (const char* keys : {",", ",,<year>", "''", "x,'',y", "%<", "%<.", "'a'b'c'd"}) {
        try {
            (void)vn.GetFieldValues(kRecord, keys, {}, 0, true);
        } catch (const EngineError&) {
        }
    }
    // A key at the very end of a truncated record has no value.
    EXPECT_EQ(vn.GetFieldValues("<machine name=\"x\" cloneof=", "cloneof=", {}, 0, true), "");
    EXPECT_EQ(vn.GetFieldValues(kRecord, "<year>", {}, 100000, true), "");
}

TEST_F(RecordFieldsTest, RomNameAndDescriptionWithAndWithoutTags) {
    const RecordFields shown(MameMachine, false), vn(MameMachine, true);
    EXPECT_EQ(shown.GetRomName(kRecord), "pacman");
    EXPECT_EQ(shown.GetDescription(kRecord), "Pac-Man (Midway) [bootleg]");
    EXPECT_EQ(vn.GetDescription(kRecord), "Pac-Man");
    std::string described = "<machine name=\"x\">\n<description>Name [a] (b)</description>\n</machine>\n";
    EXPECT_EQ(vn.GetDescription(described), "Name");
    std::string unbalanced = "<machine name=\"x\">\n<description>Odd ) one (x</description>\n</machine>\n";
    EXPECT_EQ(vn.GetDescription(unbalanced), "Odd ) one (x");
}

TEST(EntitiesTest, DecodeInOrderAndQuotesOnlyBetweenTags) {
    std::string text = "a &amp; b &lt;c&gt; &apos;d&apos; &amp;lt; &amp;quot; &#65;";
    DecodeEntities(text);
    EXPECT_EQ(text, "a & b <c> 'd' < &quot; &#65;");
    // Inside a tag an attribute value still ends at the next double quote.
    std::string record = "<chip name=\"MOS &quot;Paula&quot;\" x='&quot;'>Say &quot;hi&quot;</chip>";
    DecodeEntities(record);
    EXPECT_EQ(record, "<chip name=\"MOS &quot;Paula&quot;\" x='&quot;'>Say \"hi\"</chip>");
    // A line starts outside any tag, whatever the line before left open.
    std::string lines = "<open &quot;\n<d>&quot;x&quot;</d>";
    DecodeEntities(lines);
    EXPECT_EQ(lines, "<open &quot;\n<d>\"x\"</d>");
}

TEST_F(RecordFieldsTest, QuotesInARecordReadAsText) {
    std::string record =
        "<machine name=\"qix\" cloneof=\"a &quot;b&quot;\">\n<description>The &quot;Qix&quot; (set "
        "1)</description>\n"
        "<chip type=\"audio\" name=\"MOS &quot;Paula&quot;\"/>\n<driver status=\"good\"/>\n</machine>\n";
    DecodeEntities(record);
    const RecordFields vn(MameMachine, false);
    std::string out;
    EXPECT_EQ(vn.GetRomName(record), "qix");
    EXPECT_EQ(vn.GetDescription(record), "The \"Qix\" (set 1)");
    EXPECT_EQ(vn.GetFieldValues(record, "cloneof=,%<chip.name,%<driver.status", {}, 0, true),
              "a \"b\"MOS \"Paula\"good");
    std::int64_t pos = 0;
    RecordFields::GetAttributeValue(record, pos, "<chip", "name", out);
    EXPECT_EQ(out, "MOS \"Paula\"");
}

TEST(EntitiesTest, EncodeEscapesEverythingButReferences) {
    std::string value = "Tom & Jerry's <game> \"x\" &#233; &#x4A; &lt; &amp; y & z &#; &bogus;";
    EncodeEntities(value);
    EXPECT_EQ(value,
              "Tom &amp; Jerry&apos;s &lt;game&gt; &quot;x&quot; &#233; &#x4A; &lt; &amp; y &amp; z &amp;#; "
              "&amp;bogus;");
    std::string decoded = "A &amp; B";
    DecodeEntities(decoded);
    EXPECT_EQ(EncodedEntities(decoded), "A &amp; B");
    EXPECT_EQ(EncodedEntities("plain"), "plain");
}
