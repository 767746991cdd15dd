// EmulationStation's gamelist.xml: reading a list back, updating one without losing what the
// user set, the collections per category, and values a front end could choke on. The files are
// checked with xmllint, a parser of its own.
#include <gtest/gtest.h>

#include <filesystem>

#include "OutputTestSupport.h"
#include "output/CategoryLists.h"
#include "output/GamelistXml.h"

namespace vantor {
namespace {

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class GamelistTest : public ::testing::Test {
  protected:
    void SetUp() override { test::OpenMaster(catalog_, test::FixturePath("output/merged.xml")); }

    Outcome<SavedGames> SaveTo(const std::string& path, ListFormat format,
                               const std::vector<std::string>& names, ListOptions options = {}) {
        FileSink file(path);
        return SaveList(catalog_, SaveRequest{format, test::KeysOf(catalog_, names), std::move(options)},
                        file);
    }
    // What xmllint reads at `expression` in the list.
    std::string At(const std::string& expression) const {
        return test::XPathText(list_, "string(" + expression + ")");
    }

    test::TempDir dir_;
    Catalog catalog_;
    const std::string list_ = dir_.File("gamelist.xml");
};

TEST_F(GamelistTest, ReadingBackRefusesWhatIsNotAGameListAndTakesWhatIsOne) {
    const std::string deep = [] {
        std::string text = "<gameList><game><path>./a.zip</path>";
        for (int i = 0; i < 300; ++i) text += "<a>";
        return text;
    }();
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"", "line 1: this is not XML"},
        {"ROM names only\npacman\n", "line 1: this is not XML"},
        {"\x01\x02\xff\xfe", "line 1: this is not XML"},
        {"<?xml version=\"1.0\"?>\n<mame>\n<machine name=\"pacman\"/>\n</mame>\n",
         "line 1: the root element is <mame>, not <gameList>"},
        {"<gameList>\n<game><path>./a.zip</path></gam>\n</gameList>", "line 2: start-end tags mismatch"},
        {"<gameList>\n<game><path>./a.zip</path></game>\n", "line 2: start-end tags mismatch"},
        {"<gameList a=b></gameList>", "line 1: error parsing element attribute"},
        {"<gameList></gameList>\n<gameList></gameList>", "line 2: a second <gameList>"},
        {"<gameList><game><path>./a.zip</path><!-- open </game></gameList>", "line 1: error parsing comment"},
        {deep, "line 1: start-end tags mismatch"},
    };
    for (const auto& [text, problem] : refused) {
        SCOPED_TRACE(text.substr(0, 60));
        std::string found;
        EXPECT_TRUE(GamelistRomNames(text, found).empty());
        EXPECT_EQ(found, problem);
    }
    // What ES-DE's pugixml takes, so do we.
    for (const std::string text :
         {"<gameList>stray words<game><path>./a.zip</path></game></gameList>",
          "<gameList><game><path>./a.zip</path><name>Tom & Jerry &nbsp;</name></game></gameList>",
          "<gameList a=\"<\"><game><path>./a.zip</path></game></gameList>\ntrailing words"}) {
        SCOPED_TRACE(text);
        std::string found = "stale";
        EXPECT_EQ(GamelistRomNames(text, found), std::vector<std::string>{"a"});
        EXPECT_EQ(found, "");
    }

    // What the front ends write and users edit: a byte order mark, CR LF, ES-DE's
    // alternativeEmulator beside the list, folders, comments, references and CDATA, paths with
    // folders, other extensions or none, and a game without a path (which names no game). The
    // fields are kept as the bytes they were, however they are written or nested.
    std::string nested;
    for (int i = 0; i < 100000; ++i) nested += "<n>";
    for (int i = 0; i < 100000; ++i) nested += "</n >";
    const std::string text =
        "\xEF\xBB\xBF<?xml "
        "version=\"1.0\"?>\r\n<alternativeEmulator><label>MAME</label></alternativeEmulator>\r\n"
        "<gameList>\r\n\t<folder><path>./hacks</path></folder>\r\n\t<!-- mine -->\r\n"
        "\t<game id=\"1\" note='a>b' ><path> ./pacman.zip </path><name>Pac-Man &amp; co</name>"
        "<empty></empty><scrap date=\"/>\" /><deep>" +
        nested +
        "</deep><!-- c --><?pi x?></game>\r\n"
        "\t<game><name>no path</name></game>\r\n"
        "\t<game><path>./hacks/mspacman.7z</path><desc><![CDATA[a <b> & c]]></desc></game>\r\n"
        "\t<game><path>&#x2E;/z&#233;ro.zip</path></game>\r\n"
        "\t<game><path>C:\\roms\\sf2.zip</path></game>\r\n\t<game><path>1942</path></game>\r\n"
        "</gameList>\r\n<!-- after -->\r\n";
    std::string problem = "stale";
    EXPECT_EQ(GamelistRomNames(text, problem),
              (std::vector<std::string>{"pacman", "mspacman", "z\xC3\xA9ro", "sf2", "1942"}));
    EXPECT_EQ(problem, "");
    GamelistDocument document;
    ASSERT_TRUE(ParseGamelist(text, document, problem));
    EXPECT_EQ(document.before, "<alternativeEmulator><label>MAME</label></alternativeEmulator>\n");
    EXPECT_EQ(document.after, "<!-- after -->\n");
    EXPECT_EQ(document.others,
              (std::vector<std::string>{"<folder><path>./hacks</path></folder>", "<!-- mine -->",
                                        "<game><name>no path</name></game>"}));
    const GamelistGame& pacman = document.games[0];
    EXPECT_EQ(pacman.attributes, " id=\"1\" note='a>b'");
    std::vector<std::string> raw;
    for (const GamelistField& field : pacman.fields) raw.emplace_back(field.raw);
    EXPECT_EQ(raw, (std::vector<std::string>{"<path> ./pacman.zip </path>", "<name>Pac-Man &amp; co</name>",
                                             "<empty></empty>", "<scrap date=\"/>\" />",
                                             "<deep>" + nested + "</deep>"}));
    EXPECT_EQ(pacman.Field("name")->text, "Pac-Man & co");
    EXPECT_EQ(pacman.Field("deep")->text, "");  // no text only
    EXPECT_EQ(document.games[1].Field("desc")->text, "a <b> & c");
}

// The list already there is updated: the hand-written file says what becomes of each game.
// Saving the same list again changes nothing.
TEST_F(GamelistTest, UpdateRefreshesTheListingsFieldsAndKeepsTheUsers) {
    const std::string before = test::ReadFileBytes(test::FixturePath("output/gamelist/before.xml"));
    ListOptions options;
    options.Set(ListOption::HideRemoved);
    for (ListFormat format : {ListFormat::EsDe, ListFormat::EsBatocera}) {
        SCOPED_TRACE(FormatInfo(format).cliName);
        dir_.Write("gamelist.xml", before);
        const Outcome<SavedGames> outcome = SaveTo(list_, format, {"pacman", "sf2", "puckman"}, options);
        ASSERT_TRUE(outcome.Done()) << test::FirstMessage(outcome);
        EXPECT_EQ(outcome.value.games, 3);
        const std::string after = test::ReadFileBytes(list_);
        EXPECT_EQ(after, test::ReadFileBytes(test::FixturePath(std::string("output/gamelist/after.") +
                                                               FormatInfo(format).cliName)));
        ASSERT_TRUE(SaveTo(list_, format, {"pacman", "sf2", "puckman"}, options).Done());
        EXPECT_EQ(test::ReadFileBytes(list_), after);
        // The preview of an update shows the update.
        StringSink preview(before);
        ASSERT_TRUE(
            SaveList(catalog_,
                     SaveRequest{format, test::KeysOf(catalog_, {"pacman", "sf2", "puckman"}), options},
                     preview)
                .Done());
        EXPECT_EQ(preview.Text(), after);
    }
}

// Three saves in a row, as a user makes them between sessions in the front end: a game leaves
// the list (hidden), comes back (shown), the list is saved without keeping removed games. The
// user's fields and the scraper's unknown ones stay through all of it.
TEST_F(GamelistTest, ThreeSavesKeepFavouritesPlayCountsAndUnknownFields) {
    std::string before = test::ReadFileBytes(test::FixturePath("output/gamelist/before.xml"));
    before.erase(before.find("<alternativeEmulator>"),
                 before.find("<gameList>") - before.find("<alternativeEmulator>"));
    for (ListFormat format : {ListFormat::EsDe, ListFormat::EsBatocera}) {
        SCOPED_TRACE(FormatInfo(format).cliName);
        dir_.Write("gamelist.xml", before);
        ListOptions hide;
        hide.Set(ListOption::HideRemoved);
        hide.Set(ListOption::RomExtension, "zip");  // every path to .zip
        const std::vector<std::pair<std::vector<std::string>, ListOptions>> saves = {
            {{"pacman", "sf2", "puckman"}, hide}, {{"sf2", "pacman"}, hide}, {{"puckman", "pacman"}, {}}};
        for (std::size_t i = 0; i < saves.size(); ++i) {
            SCOPED_TRACE("save " + std::to_string(i + 1));
            ASSERT_TRUE(SaveTo(list_, format, saves[i].first, saves[i].second).Done());
            ASSERT_EQ(test::XmlProblems(list_), "");
            const std::string pacman = "//game[path='./pacman.zip']";
            EXPECT_EQ(At(pacman + "/@id"), "12");
            EXPECT_EQ(At(pacman + "/name"), "Pac-Man (Midway)");
            EXPECT_EQ(At(pacman + "/favorite"), "true");
            EXPECT_EQ(At(pacman + "/playcount"), "12");
            EXPECT_EQ(At(pacman + "/lastplayed"), "20250301T201500");
            EXPECT_EQ(At(pacman + "/rating"), "0.8");
            EXPECT_EQ(At(pacman + "/altemulator"), "MAME 2003-Plus");
            EXPECT_EQ(At(pacman + "/desc"), "Eat the dots & run.");
            EXPECT_EQ(At(pacman + "/scrap/@date"), "20250101T000000");
            EXPECT_EQ(At("count(" + pacman + "/*)"), format == ListFormat::EsDe ? "15" : "14");
            EXPECT_EQ(At("//game[path='./sf2.zip']/hidden"), i < 2 ? "true" : "");
            // The user's "broken" on a working game stays while the game does.
            EXPECT_EQ(At("//game[path='./sf2.zip']/broken"), i < 2 ? "true" : "");
            // Hidden by the save when it left the list, shown again when it came back.
            EXPECT_EQ(At("//game[path='./puckman.zip']/hidden"), i == 1 ? "true" : "");
            EXPECT_EQ(At("count(//game[path='./dkong.zip'])"), i < 2 ? "1" : "0");
            EXPECT_EQ(At("//game[path='./galaga.zip']/hidden"), i < 2 ? "true" : "");
        }
        // The third save kept no removed games: the user's own hidden ones went too.
        EXPECT_EQ(At("count(//game)"), "2");
        EXPECT_EQ(At("count(//folder)"), "1");
    }
}

TEST_F(GamelistTest, ListThatIsNotAGameListIsReportedAndLeftUntouched) {
    const std::vector<std::string> files = {
        "pacman\r\nsf2\r\n",                                         // a list of another format
        "<?xml version=\"1.0\"?>\n<mame build=\"0.251\"></mame>\n",  // XML of another kind
        "<?xml version=\"1.0\"?>\n<gameList>\n\t<game>\n\t\t<path>./pacman.zip</path>\n",  // cut short
    };
    for (ListFormat format : {ListFormat::EsDe, ListFormat::EsBatocera}) {
        for (const std::string& bytes : files) {
            SCOPED_TRACE(bytes);
            dir_.Write("gamelist.xml", bytes);
            const Outcome<SavedGames> outcome = SaveTo(list_, format, {"pacman"});
            EXPECT_EQ(outcome.kind, OutcomeKind::Failure);
            EXPECT_TRUE(test::FirstMessage(outcome).starts_with(
                "The file to be updated is not an EmulationStation game list"))
                << test::FirstMessage(outcome);
            EXPECT_EQ(test::ReadFileBytes(list_), bytes);
            EXPECT_EQ(FilesIn(dir_.Path()), std::vector<std::string>{"gamelist.xml"});  // no temporary left
        }
    }
    // An empty file holds nothing to keep.
    dir_.Write("gamelist.xml", " \n");
    EXPECT_TRUE(SaveTo(list_, ListFormat::EsDe, {"pacman"}).Done());
    EXPECT_EQ(At("//game/path"), "./pacman.zip");
}

TEST_F(GamelistTest, OneCollectionPerCategoryBesideTheList) {
    ListOptions options;
    options.Set(ListOption::SplitByCategory);
    ASSERT_TRUE(
        SaveTo(list_, ListFormat::EsDe, {"sf2", "pacman", "puckman", "lbreak", "cdgame"}, options).Done());
    // lbreak has no category: it is in none.
    EXPECT_EQ(FilesIn(dir_.Path()),
              (std::vector<std::string>{"custom-Fighter - Versus.cfg", "custom-Maze - Collect.cfg",
                                        "custom-Puzzle - Trivia - Cards.cfg", "gamelist.xml"}));
    EXPECT_EQ(test::ReadFileBytes(dir_.File("custom-Maze - Collect.cfg")),
              "%ROMPATH%/mame/pacman.zip\n%ROMPATH%/mame/puckman.zip\n");

    // Batocera's folder, or the one given (spaces, quotes, letters beyond ASCII); the extension given.
    options.Set(ListOption::RomExtension, "7z");
    ASSERT_TRUE(SaveTo(list_, ListFormat::EsBatocera, {"sf2"}, options).Done());
    EXPECT_EQ(test::ReadFileBytes(dir_.File("custom-Fighter - Versus.cfg")), "/userdata/roms/mame/sf2.7z\n");
    options.Set(ListOption::RomFolder, "/home/zo\xC3\xAB/My \"Arcade\" ROMs/");
    ASSERT_TRUE(SaveTo(list_, ListFormat::EsBatocera, {"sf2"}, options).Done());
    EXPECT_EQ(test::ReadFileBytes(dir_.File("custom-Fighter - Versus.cfg")),
              "/home/zo\xC3\xAB/My \"Arcade\" ROMs/sf2.7z\n");

    // Category names as file names.
    const std::vector<std::pair<std::string, std::string>> names = {
        {"Maze / Collect", "Maze - Collect"},
        {"Shooter / Flying * Mature *", "Shooter - Flying Mature"},
        {"Quiz: \"Japanese\" <adult>?", "Quiz- Japanese adult"},
        {"..\\..\\etc", "-..-etc"},
        {"Tab\there\x01\x1b and \xE9t\xC3\xA9", "Tab here and \xC3\xA9t\xC3\xA9"},
        {" . ", ""},
        {"..", ""},
    };
    for (const auto& [category, name] : names) EXPECT_EQ(CategoryFileName(category), name) << category;

    // A master file without categories cannot be split: said, and nothing written.
    test::TempDir other;
    test::OpenMaster(catalog_, test::FixturePath("output/machine.xml"));
    const Outcome<SavedGames> outcome =
        SaveTo(other.File("gamelist.xml"), ListFormat::EsDe, {"1942"}, options);
    EXPECT_EQ(outcome.kind, OutcomeKind::Failure);
    EXPECT_EQ(test::FirstMessage(outcome), kCategoryListsNeedMergedFile);
    EXPECT_TRUE(FilesIn(other.Path()).empty());
}

// Descriptions and makers with markup characters, ";", quotes, control bytes and bytes that are
// not UTF-8; years ES would misread. The list stays well-formed XML that reads back as the text.
TEST_F(GamelistTest, HostileValuesBecomeReadableText) {
    test::OpenMaster(
        catalog_,
        dir_.Write(
            "master.xml",
            "<?xml version=\"1.0\"?>\n<!-- mame (machine+) -->\n<mame build=\"0.251\">\n"
            "\t<machine name=\"evil\">\n"
            "\t\t<description>A &lt;b&gt; &amp; \"C\"; 'D'\x01\x1b\x7f \xff\xc3\xa9\t\r\nend</description>\n"
            "\t\t<year>198?</year>\n\t\t<manufacturer>]]&gt; &amp;amp;</manufacturer>\n"
            "\t</machine>\n"
            "\t<machine name=\"y2k\">\n\t\t<description>Y2K</description>\n\t\t<year>2000</year>\n"
            "\t\t<input players=\"4\"><control type=\"dial\" buttons=\"9\"/></input>\n"
            "\t\t<driver status=\"preliminary\"/>\n\t</machine>\n</mame>\n"));
    for (ListFormat format : {ListFormat::EsDe, ListFormat::EsBatocera}) {
        SCOPED_TRACE(FormatInfo(format).cliName);
        std::filesystem::remove(list_);
        ASSERT_TRUE(SaveTo(list_, format, {"evil", "y2k"}).Done());
        ASSERT_EQ(test::XmlProblems(list_), "");
        EXPECT_EQ(At("//game[1]/name"), "A <b> & \"C\"; 'D' \xC3\xBF\xC3\xA9 end");
        EXPECT_EQ(At("//game[1]/publisher"), "]]> &amp;");
        EXPECT_EQ(At("count(//game[1]/releasedate)"), "0");
        EXPECT_EQ(At("//game[2]/releasedate"), "20000101T000000");
        EXPECT_EQ(At("//game[2]/players"), "4");
        EXPECT_EQ(At("//game[2]/controller"), format == ListFormat::EsDe ? "spinner_generic" : "");
        EXPECT_EQ(At("//game[2]/broken"), format == ListFormat::EsDe ? "true" : "");
        std::string problem;
        EXPECT_EQ(GamelistRomNames(test::ReadFileBytes(list_), problem),
                  (std::vector<std::string>{"evil", "y2k"}));
    }
}

}  // namespace
}  // namespace vantor
