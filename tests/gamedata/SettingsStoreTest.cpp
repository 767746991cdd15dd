#include <gtest/gtest.h>

#include "TestSupport.h"
#include "gamedata/SettingsStore.h"

using namespace vantor;
using vantor::test::TempDir;

TEST(SettingsStoreTest, MissingStoreIsFirstRunUntilCreated) {
    TempDir dir;
    SettingsStore key(dir.File("Vantor/Vantor.conf"));
    EXPECT_FALSE(key.Exists());
    EXPECT_FALSE(key.Open(false));
    EXPECT_TRUE(key.Open(true));
    EXPECT_TRUE(key.Exists());
    EXPECT_EQ(key.GetText("inputXMLFile"), "");
}

TEST(SettingsStoreTest, NamesWithoutCaseAndValuesWithEscapes) {
    TempDir dir;
    std::string path = dir.File("Vantor.conf");
    {
        SettingsStore key(path);
        ASSERT_TRUE(key.Open(true));
        ASSERT_TRUE(key.SetText("inputXMLFile", "/games/my\\list\nnext.xml"));
        ASSERT_TRUE(key.SetText("INPUTXMLFILE", "/games/a\\b\nc.xml"));
    }
    EXPECT_EQ(test::ReadFileBytes(path), "inputXMLFile=/games/a\\\\b\\nc.xml\n");
    SettingsStore key(path);
    ASSERT_TRUE(key.Open(false));
    EXPECT_EQ(key.GetText("InputXmlFile"), "/games/a\\b\nc.xml");
}

// "hideSHA1s" is the stored name of "hide ROM names", read and written as such so that existing
// settings files keep their choice.
TEST(SettingsStoreTest, OptionsParseAsNumbers) {
    TempDir dir;
    std::string path =
        dir.Write("Vantor.conf", "inputXMLFile=\nhideSHA1s=1\nhidetags=abc\ncatverFile=/x/catver.ini\r\n");
    Settings settings = Settings::Load(path);
    EXPECT_TRUE(settings.keyExists);
    EXPECT_TRUE(settings.hideRomNames);
    EXPECT_FALSE(settings.hideTags);
    EXPECT_EQ(settings.catverFile, "/x/catver.ini");
    // A file from before the family options reads as their defaults.
    EXPECT_FALSE(settings.onePerFamily);
    EXPECT_EQ(settings.findText + settings.familyRules + settings.familyRegions + settings.artworkFolder +
                  settings.artworkKinds,
              "");

    settings.hideTags = true;
    settings.inputXmlFile = "/x/in.xml";
    settings.findText = "joy8way\n& !cloneof";
    settings.onePerFamily = true;
    settings.familyRegions = "usa,world";
    settings.artworkFolder = "/x/art";
    settings.artworkKinds = "snap,flyers";
    ASSERT_TRUE(settings.Save(path));
    Settings again = Settings::Load(path);
    EXPECT_TRUE(again.hideTags);
    EXPECT_EQ(again.inputXmlFile, "/x/in.xml");
    EXPECT_EQ(again.catverFile, "/x/catver.ini");
    EXPECT_EQ(again.findText, settings.findText);
    EXPECT_TRUE(again.onePerFamily);
    EXPECT_EQ(again.familyRegions, "usa,world");
    EXPECT_EQ(again.artworkFolder + "|" + again.artworkKinds, "/x/art|snap,flyers");
    Settings fresh;
    fresh.hideRomNames = true;
    ASSERT_TRUE(fresh.Save(dir.File("fresh.conf")));
    EXPECT_NE(test::ReadFileBytes(dir.File("fresh.conf")).find("\nhideSHA1s=1\n"), std::string::npos);
}

TEST(SettingsStoreTest, UnwritableStoreReportsFailure) {
    TempDir dir;
    std::string path = dir.File("blocker/Vantor.conf");
    dir.Write("blocker", "a file where the folder should be");
    SettingsStore key(path);
    EXPECT_FALSE(key.Open(true));
    EXPECT_FALSE(Settings().Save(path));
}
