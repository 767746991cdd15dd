// Lists read back: every format that names its games comes back as the same games in the same
// order, names the master file lacks are counted and logged, and what is no list is refused.
#include "UtilityTestHelpers.h"
#include "output/SaveList.h"
#include "utilities/ListLoader.h"

namespace vantor::test {
namespace {

// The formats whose lists name their games, with the options a save of each needs.
std::vector<std::pair<ListFormat, ListOptions>> FormatsThatNameGames() {
    std::vector<std::pair<ListFormat, ListOptions>> formats;
    for (const ListFormatInfo& info : ListFormatTable()) {
        if (!info.namesGames) continue;
        ListOptions options;
        for (const FormatOption& option : info.options) {
            if (option.required)
                options.Set(option.option,
                            option.option == ListOption::Columns ? "description,rom-name,year" : "/roms");
        }
        formats.emplace_back(info.format, std::move(options));
    }
    return formats;
}

class ListLoaderTest : public UtilityTest {
  protected:
    void SetUp() override {
        UtilityTest::SetUp();
        ASSERT_TRUE(OpenUtilityInput(master, UtilityFixture("master.xml")));
        ASSERT_TRUE(index.Build(master));
    }
    std::string Save(ListFormat format, const std::vector<std::string>& names, const ListOptions& options) {
        const std::string path = dir.File(std::string("list.") + FormatInfo(format).cliName);
        SaveRequest request{format, {}, options};
        for (const std::string& name : names) request.keys.push_back(index.FindRecordKey(name));
        FileSink file(path);
        const Outcome<SavedGames> outcome = SaveList(master, request, file);
        EXPECT_TRUE(outcome.Done()) << FirstMessage(outcome);
        return path;
    }
    Outcome<LoadedList> Load(const std::string& path) {
        return LoadList(master, {path, dir.Path()}, &progress);
    }
    static std::vector<std::string> Names(const Outcome<LoadedList>& loaded) {
        std::vector<std::string> names;
        for (const MatchEntry& entry : loaded.value.entries) names.push_back(entry.romName);
        return names;
    }

    Catalog master;
    MasterFileIndex index;
};

TEST_F(ListLoaderTest, EveryFormatThatNamesGamesComesBackInItsOrder) {
    const std::vector<std::string> names = {"puckman", "abc", "pacman", "galaga"};  // not sorted
    for (const auto& [format, options] : FormatsThatNameGames()) {
        SCOPED_TRACE(FormatInfo(format).cliName);
        const Outcome<LoadedList> loaded = Load(Save(format, names, options));
        EXPECT_EQ(loaded.kind, OutcomeKind::Done) << MessageTexts(loaded);
        EXPECT_EQ(Names(loaded), names);
        EXPECT_TRUE(loaded.value.missing.empty());
        EXPECT_TRUE(loaded.messages.empty()) << MessageTexts(loaded);
    }
}

TEST_F(ListLoaderTest, NamesTheMasterFileLacksAreCountedAndLogged) {
    const std::string list = dir.Write("names.txt", "pacman\r\nnosuch\r\n\r\nabc\r\npacman\r\nzz top\r\n");
    const Outcome<LoadedList> loaded = Load(list);
    EXPECT_EQ(loaded.kind, OutcomeKind::Done);
    EXPECT_EQ(Names(loaded), (std::vector<std::string>{"pacman", "abc"}));
    EXPECT_EQ(loaded.value.missing, (std::vector<std::string>{"nosuch", "zz top"}));
    EXPECT_EQ(MessageTexts(loaded),
              "2 of the 4 games the list names are not in the master file; their names are in " +
                  dir.File("loadListLog.txt") + ".\n");
    const std::string log = ReadFileBytes(dir.File("loadListLog.txt"));
    EXPECT_NE(log.find("Unable to find nosuch in the master file."), std::string::npos) << log;
    EXPECT_NE(log.find("Unable to find zz top in the master file."), std::string::npos) << log;

    // None known, or nothing that is a list: a failure that says so, and no working list.
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"nothing\r\nknown\r\n", "None of the 2 games the list names is in the master file"},
        {"", "names no games"},
        {"\x01\x02\x03", "it is no text"},
        {"{\"version\": \"1.5\", \"items\": [", "RetroArch playlist? line 1, column 30"},
        {"{\"version\": \"1.5\"}", "it holds no \"items\" list"},
        {"<?xml version=\"1.0\"?>\n<gameList><game><path>./a.zip</path></gam></gameList>", "gamelist.xml?"},
    };
    for (const auto& [text, problem] : refused) {
        SCOPED_TRACE(text);
        const Outcome<LoadedList> failed = Load(dir.Write("bad.txt", text));
        EXPECT_EQ(failed.kind, OutcomeKind::Failure);
        EXPECT_TRUE(failed.value.entries.empty());
        EXPECT_NE(MessageTexts(failed).find(problem), std::string::npos) << MessageTexts(failed);
    }
    EXPECT_EQ(Load(dir.File("missing.txt")).kind, OutcomeKind::Failure);
}

// Lists written by hand or by the front ends themselves, read by each front end's own rules.
TEST_F(ListLoaderTest, HandWrittenListsAreReadAsTheirFrontEndsReadThem) {
    const std::vector<std::tuple<std::string, std::string, std::vector<std::string>>> lists = {
        {"collection: MAME\nextensions: zip\n# game: commented\n\ngame: Pac-Man\nfiles:\n  pacman.zip\n"
         "  /roms/galaga.7z\ndescription: x\n  file: not a key\n\nGame: No File\n\ngame: Abc\nfile: "
         "abc.zip\n",
         "Pegasus metadata file",
         {"pacman", "galaga", "No File", "abc"}},
        {"#Name;Title;Emulator\n\"pac;man\";x;mame\n  puckman ; PuckMan;mame\n\"\\\"q\";y;mame\n",
         "Attract-Mode romlist",
         {"pac;man", "puckman", "\"q"}},
        {"/userdata/roms/mame/pacman.zip\n./abc.zip\ngalaga\n", "ROM names", {"pacman", "abc", "galaga"}},
        {"Description, ROM Name, Year\r\n\"Pac, \"\"Man\"\"\r\nand co\", pacman, 1980\r\nAbc, abc, 198?\r\n",
         "CSV file",
         {"pacman", "abc"}},
        {"ROM Name;Description\ngalaga;Galaga; the \"best\"\n", "CSV file", {"galaga"}},
        {"<?xml version=\"1.0\"?>\n<!-- <menu> -->\n<!DOCTYPE x [<!ELEMENT game ANY>]>\n<menu>\n"
         "<game name=\"pacman\" index=\"\"/>\n<game name=\"a&amp;b\"/>\n</menu>\n",
         "HyperSpin database",
         {"pacman", "a&b"}},
        {"{\"items\": [{\"path\": \"C:/roms/abc.zip\"}, {\"label\": \"no path\"}, {\"path\": "
         "\"/r/pacman.7z\"}]}",
         "RetroArch playlist",
         {"abc", "pacman"}},
    };
    for (const auto& [text, format, names] : lists) {
        SCOPED_TRACE(text);
        const ListRomNames read = ReadListRomNames(text);
        EXPECT_EQ(read.problem, "");
        EXPECT_EQ(read.format, format);
        EXPECT_EQ(read.names, names);
    }
}

// Lists read in one pass whatever they hold: a million elements, well-formed or cut short, are
// read by one parse and one walk of the tree (ctest gives this program two minutes; a reader that
// searched the rest of the text at each tag took over a minute on the cut-short one).
TEST_F(ListLoaderTest, AMillionElementsAreReadInOnePass) {
    constexpr int kElements = 1000000;
    std::string cut = "<a>", whole = "<menu>";
    cut.reserve(6 * kElements + 3);
    for (int i = 0; i < kElements; ++i) {
        cut += "<game ";
        whole += "<game name=\"g" + std::to_string(i) + "\"/>";
    }
    whole += "</menu>";
    const ListRomNames broken = ReadListRomNames(cut);
    EXPECT_TRUE(broken.names.empty());
    EXPECT_EQ(broken.problem, "it is not XML: line 1, error parsing start element tag");
    const ListRomNames read = ReadListRomNames(whole);
    EXPECT_EQ(read.problem, "");
    ASSERT_EQ(read.names.size(), static_cast<std::size_t>(kElements));
    EXPECT_EQ(read.names.back(), "g999999");
}

}  // namespace
}  // namespace vantor::test
