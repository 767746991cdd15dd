// RetroArch, Pegasus and Attract-Mode Plus lists read by parsers of their own: Python's json
// module for the playlists, and readers below that follow Pegasus's and Attract-Mode's own
// tokenising rules. Also the playlist update that keeps the user's cores, and the category lists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "OutputTestSupport.h"
#include "output/CategoryLists.h"
#include "output/GameFacts.h"

namespace vantor {
namespace {

// ---- Independent readers -------------------------------------------------------------------

// Pegasus's metafile reader: "#" in the first column is a comment, a blank line ends the
// attribute, a line starting with white space continues it ("." alone is a paragraph break),
// otherwise "key: value" split at the first ":" with the key trimmed and lower-cased.
struct PegasusEntry {
    std::string kind, title;                                      // "collection" or "game"
    std::vector<std::pair<std::string, std::string>> attributes;  // in file order
    std::string Get(const std::string& key) const {
        for (const auto& [k, v] : attributes) {
            if (k == key) return v;
        }
        return "<none>";
    }
};

std::vector<PegasusEntry> ReadPegasusFile(const std::string& text, std::vector<std::string>& errors) {
    std::vector<PegasusEntry> entries;
    std::string* current = nullptr;  // the value of the attribute being read
    std::size_t lineNumber = 0;
    auto endAttribute = [&] {
        if (current != nullptr && current->empty())
            errors.push_back("line " + std::to_string(lineNumber) + ": attribute value missing");
        current = nullptr;
    };
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        EXPECT_NE(end, std::string::npos) << "the last line has no line feed";
        const std::string line = text.substr(at, end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        ++lineNumber;
        if (line.find('\r') != std::string::npos) errors.push_back("a carriage return");
        if (line.starts_with('#')) continue;
        const std::string trimmed(TrimView(line));
        if (trimmed.empty()) {
            endAttribute();
            continue;
        }
        if (line[0] == ' ' || line[0] == '\t') {
            if (current == nullptr) {
                errors.push_back("line " + std::to_string(lineNumber) + ": continuation of nothing");
            } else {
                *current += trimmed == "." ? std::string("\n\n") : (current->empty() ? "" : " ") + trimmed;
            }
            continue;
        }
        endAttribute();
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            errors.push_back("line " + std::to_string(lineNumber) + ": line invalid, skipped");
            continue;
        }
        const std::string key = ToLowerAscii(TrimView(line.substr(0, colon)));
        const std::string value(TrimView(line.substr(colon + 1)));
        if (key == "collection" || key == "game") {
            entries.push_back({key, value, {}});
            if (value.empty()) errors.push_back("an entry without a name");
            continue;
        }
        if (entries.empty()) {
            errors.push_back("an attribute before any entry");
            continue;
        }
        entries.back().attributes.emplace_back(key, value);
        current = &entries.back().attributes.back().second;
    }
    endAttribute();
    return entries;
}

// Attract-Mode's romlist reader: lines whose first field is empty or starts with "#" are skipped;
// every field is trimmed; a field starting with a quote runs to the next quote without "\"
// before it, "\"" standing for a quote; missing trailing fields are empty.
std::vector<std::vector<std::string>> ReadRomlist(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        std::vector<std::string> fields;
        std::size_t pos = 0;
        while (pos <= line.size() && fields.size() < 21) {
            while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
            std::string field;
            if (pos < line.size() && line[pos] == '"') {
                ++pos;
                for (; pos < line.size(); ++pos) {
                    if (line[pos] == '\\' && pos + 1 < line.size() && line[pos + 1] == '"') {
                        field += '"';
                        ++pos;
                    } else if (line[pos] == '"') {
                        break;
                    } else {
                        field += line[pos];
                    }
                }
                pos = line.find(';', pos);
            } else {
                const std::size_t semicolon = line.find(';', pos);
                field =
                    line.substr(pos, semicolon == std::string::npos ? std::string::npos : semicolon - pos);
                pos = semicolon;
            }
            fields.emplace_back(TrimView(field));
            if (pos == std::string::npos) break;
            ++pos;
        }
        if (fields.empty() || fields[0].empty() || fields[0].starts_with('#')) continue;
        fields.resize(21);
        rows.push_back(std::move(fields));
    }
    return rows;
}

// What Python's json module reads in a playlist: the top-level keys, then per item its keys,
// path, label and core, tab-separated; "<invalid: ...>" when it is no JSON.
std::string PlaylistAsPythonReadsIt(const std::string& path) {
    test::TempDir dir;
    const std::string script = dir.Write("read.py",
                                         "import json, sys\n"
                                         "with open(sys.argv[1], encoding='utf-8') as f:\n"
                                         "    try:\n"
                                         "        d = json.load(f)\n"
                                         "    except ValueError as e:\n"
                                         "        print('<invalid: %s>' % e); sys.exit(0)\n"
                                         "print(','.join(d.keys()))\n"
                                         "for i in d['items']:\n"
                                         "    print('\\t'.join([','.join(i.keys()), i['path'], i['label'], "
                                         "i['core_path'], i['core_name']]))\n");
    const std::string out = dir.File("out.txt");
    const std::string command = "python3 '" + script + "' '" + path + "' > '" + out + "' 2>&1";
    if (std::system(command.c_str()) != 0) return "<python3 failed: " + test::ReadFileBytes(out) + ">";
    return test::ReadFileBytes(out);
}

constexpr const char* kTopKeys =
    "version,default_core_path,default_core_name,label_display_mode,right_thumbnail_mode,"
    "left_thumbnail_mode,thumbnail_match_mode,sort_mode,items\n";
constexpr const char* kItemKeys = "path,label,core_path,core_name,crc32,db_name";

// ---- Fixture --------------------------------------------------------------------------------

class FrontEndListsTest : public ::testing::Test {
  protected:
    void Open(const std::string& fixture) {
        catalog_ = Catalog();
        test::OpenMaster(catalog_, test::FixturePath("output/" + fixture));
    }
    // A merged master file whose one game has every value a list could choke on.
    void OpenHostile() {
        const std::string path = dir_.Write(
            "hostile.xml",
            "<?xml version=\"1.0\"?>\n<!-- This file generated by Vantor -->\n<!DOCTYPE mame [\n"
            "<!ELEMENT mame (game+)>\n]>\n<mame build=\"0.139\">\n"
            "\t<game name=\"hostile\" cloneof=\"a;b\" romof=\"&quot;q\">\n"
            "\t\t<description>&quot;Tom&quot; &amp; &lt;Jerry&gt;; part\t\x01two \\ end\\</description>\n"
            "\t\t<year>198?</year>\n\t\t<manufacturer>#1 Co; \"x\"</manufacturer>\n"
            "\t\t<category>Shooter / 3D: \"Flying\"</category>\n\t\t<nplayers>4P sim</nplayers>\n"
            "\t\t<input players=\"4\"><control type=\"stick\" player=\"1\" buttons=\"3\"/>"
            "<control type=\"trackball\" player=\"2\"/></input>\n"
            "\t\t<driver status=\"preliminary\"/>\n\t</game>\n</mame>\n");
        catalog_ = Catalog();
        test::OpenMaster(catalog_, path);
        ASSERT_EQ(catalog_.inputType, MergedList);
    }
    SaveOutcome SaveTo(const std::string& path, ListFormat format, const std::vector<std::string>& names,
                       ListOptions options = {}) {
        FileSink file(path);
        return SaveList(catalog_, SaveRequest{format, test::KeysOf(catalog_, names), std::move(options)},
                        file);
    }

    test::TempDir dir_;
    Catalog catalog_;
};

TEST_F(FrontEndListsTest, HostileValuesReadBackAsWrittenInEachFrontEndsOwnRules) {
    OpenHostile();
    const std::string title = "\"Tom\" & <Jerry>; part two \\ end\\";
    ListOptions options;
    options.Set(ListOption::RomFolder, "/home/Zoë/my \"roms\";/");
    options.Set(ListOption::RomExtension, ".7z");

    const std::string playlist = dir_.File("MAME.lpl");
    ASSERT_TRUE(SaveTo(playlist, ListFormat::RetroArch, {"hostile"}, options).Written());
    EXPECT_EQ(PlaylistAsPythonReadsIt(playlist), std::string(kTopKeys) + kItemKeys +
                                                     "\t/home/Zoë/my \"roms\";/hostile.7z\t" + title +
                                                     "\tDETECT\tDETECT\n");

    const std::string metadata = dir_.File("metadata.pegasus.txt");
    options.Set(ListOption::LaunchCommand, "mame \"{file.basename}\"\nrm -rf");
    ASSERT_TRUE(SaveTo(metadata, ListFormat::Pegasus, {"hostile"}, options).Written());
    std::vector<std::string> errors;
    const std::vector<PegasusEntry> entries = ReadPegasusFile(test::ReadFileBytes(metadata), errors);
    EXPECT_EQ(errors, std::vector<std::string>{});
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].kind, "collection");
    EXPECT_EQ(entries[0].Get("launch"), "mame \"{file.basename}\" rm -rf");  // one line, never two
    EXPECT_EQ(entries[0].Get("extensions"), "<none>");
    EXPECT_EQ(entries[1].title, title);
    EXPECT_EQ(entries[1].Get("file"), "/home/Zoë/my \"roms\";/hostile.7z");
    EXPECT_EQ(entries[1].Get("developer"), "#1 Co; \"x\"");
    EXPECT_EQ(entries[1].Get("release"), "<none>");  // "198?" is no date Pegasus takes
    EXPECT_EQ(entries[1].Get("players"), "4");
    EXPECT_EQ(entries[1].Get("genre"), "Shooter / 3D: \"Flying\"");

    const std::string romlist = dir_.File("mame.txt");
    ASSERT_TRUE(SaveTo(romlist, ListFormat::AttractModePlus, {"hostile"}).Written());
    const std::vector<std::vector<std::string>> rows = ReadRomlist(test::ReadFileBytes(romlist));
    ASSERT_EQ(rows.size(), 1u);
    // The quoted title loses its trailing "\", which would escape the closing quote.
    const std::vector<std::string> expected = {"hostile",
                                               "\"Tom\" & <Jerry>; part two \\ end",
                                               "mame",
                                               "a;b",
                                               "198?",
                                               "#1 Co; \"x\"",
                                               "Shooter / 3D: \"Flying\"",
                                               "4P sim",
                                               "",
                                               "joystick (analog)",
                                               "preliminary",
                                               "0",
                                               "",
                                               "\"q",
                                               "",
                                               "",
                                               "3",
                                               "",
                                               "",
                                               "",
                                               ""};
    EXPECT_EQ(rows[0], expected);
}

TEST_F(FrontEndListsTest, ListsOfFixturesParseAndHoldTheirGamesInOrder) {
    struct Case {
        const char* fixture;
        std::vector<std::string> games;  // the second is a clone of `parent`
        const char* parent;
    };
    for (const Case& c : {Case{"merged.xml", {"sf2", "pacman", "lbreak"}, "puckman"},
                          Case{"machine.xml", {"unkgame", "1942a", "1942"}, "1942"},
                          Case{"software.xml", {"smb", "smbj"}, "smb"}}) {
        SCOPED_TRACE(c.fixture);
        Open(c.fixture);
        const std::string playlist = dir_.File("MAME.lpl");
        std::filesystem::remove(playlist);
        ASSERT_TRUE(SaveTo(playlist, ListFormat::RetroArch, c.games).Written());
        const std::string read = PlaylistAsPythonReadsIt(playlist);
        EXPECT_TRUE(read.starts_with(kTopKeys)) << read;
        std::size_t last = 0;
        for (const std::string& game : c.games) {
            const std::size_t at = read.find("/roms/mame/" + game + ".zip\t");
            EXPECT_NE(at, std::string::npos) << game << " in " << read;
            EXPECT_GE(at, last);
            last = at;
        }

        const std::string metadata = dir_.File("metadata.pegasus.txt");
        ASSERT_TRUE(SaveTo(metadata, ListFormat::Pegasus, c.games).Written());
        std::vector<std::string> errors;
        const std::vector<PegasusEntry> entries = ReadPegasusFile(test::ReadFileBytes(metadata), errors);
        EXPECT_EQ(errors, std::vector<std::string>{});
        ASSERT_EQ(entries.size(), c.games.size() + 1);
        EXPECT_EQ(entries[1].Get("file"), c.games[0] + ".zip");  // relative to the metafile's folder
        EXPECT_EQ(entries[2].Get("x-mame-cloneof"), c.parent);

        const std::string romlist = dir_.File("mame.txt");
        ASSERT_TRUE(SaveTo(romlist, ListFormat::AttractModePlus, c.games).Written());
        const std::vector<std::vector<std::string>> rows = ReadRomlist(test::ReadFileBytes(romlist));
        ASSERT_EQ(rows.size(), c.games.size());
        EXPECT_EQ(rows[0][0], c.games[0]);
        EXPECT_EQ(rows[1][3], c.parent);  // CloneOf
        EXPECT_EQ(rows[1][2], "mame");
    }
}

// The user's choices in a playlist survive three saves; a game no longer listed goes.
TEST_F(FrontEndListsTest, PlaylistUpdateKeepsTheCoresTheUserChose) {
    Open("merged.xml");
    const std::string playlist = dir_.File("MAME.lpl");
    ASSERT_TRUE(SaveTo(playlist, ListFormat::RetroArch, {"puckman", "pacman", "sf2"}).Written());
    std::string text = test::ReadFileBytes(playlist);
    // As RetroArch writes them after "Set core association" and a sort mode change.
    const std::string pacman = "\"path\": \"" + DefaultRomFolder() + "/pacman.zip\"";
    const std::size_t item = text.find(pacman);
    ASSERT_NE(item, std::string::npos);
    text.replace(text.find("\"DETECT\"", item), 8, "\"/cores/fbneo_libretro.so\"");
    text.replace(text.find("\"DETECT\"", item), 8, "\"FinalBurn Neo\"");
    text.replace(text.find("\"sort_mode\": 0"), 14, "\"sort_mode\": 2");
    text.replace(text.find("\"default_core_path\": \"\""), 23,
                 "\"default_core_path\": \"/cores/mame_libretro.so\"");
    dir_.Write("MAME.lpl", text);

    for (int save = 0; save < 3; ++save) {
        SCOPED_TRACE(save);
        ASSERT_TRUE(SaveTo(playlist, ListFormat::RetroArch, {"pacman", "sf2", "cdgame"}).Written());
        const std::string read = PlaylistAsPythonReadsIt(playlist);
        EXPECT_EQ(read.find("puckman"), std::string::npos) << read;
        EXPECT_NE(read.find("/pacman.zip\tPac-Man (Midway)\t/cores/fbneo_libretro.so\tFinalBurn Neo\n"),
                  std::string::npos)
            << read;
        EXPECT_NE(read.find("/cdgame.zip\tTom & Jerry's Quest (US) [hack]\tDETECT\tDETECT\n"),
                  std::string::npos);
        const std::string saved = test::ReadFileBytes(playlist);
        EXPECT_NE(saved.find("\"sort_mode\": 2,"), std::string::npos);
        EXPECT_NE(saved.find("\"default_core_path\": \"/cores/mame_libretro.so\","), std::string::npos);
    }
    // A core given for the save replaces what the items had.
    ListOptions options;
    options.Set(ListOption::CorePath, "/cores/mame2003_libretro.so");
    ASSERT_TRUE(SaveTo(playlist, ListFormat::RetroArch, {"pacman"}, options).Written());
    EXPECT_NE(PlaylistAsPythonReadsIt(playlist).find("/cores/fbneo_libretro.so"), std::string::npos)
        << "the item's own choice outranks the playlist's default";

    // An empty file is no playlist: it is written over.
    dir_.Write("MAME.lpl", "");
    ASSERT_TRUE(SaveTo(playlist, ListFormat::RetroArch, {"pacman"}).Written());
    EXPECT_TRUE(PlaylistAsPythonReadsIt(playlist).starts_with(kTopKeys));

    // What RetroArch would not read is left as it is.
    for (const char* broken : {"{\"items\": [ {\"path\": \"a.zip\"", "[1, 2]", "{\"items\": {}}",
                               "{\"items\": [\"a.zip\"]}", "not json at all"}) {
        SCOPED_TRACE(broken);
        dir_.Write("MAME.lpl", broken);
        const SaveOutcome outcome = SaveTo(playlist, ListFormat::RetroArch, {"pacman"});
        EXPECT_FALSE(outcome.Written());
        EXPECT_NE(outcome.message.find("is not one RetroArch reads"), std::string::npos) << outcome.message;
        EXPECT_EQ(test::ReadFileBytes(playlist), broken);
    }
}

TEST_F(FrontEndListsTest, OneListPerCategoryBesideTheMainList) {
    Open("merged.xml");
    ListOptions split;
    split.Set(ListOption::SplitByCategory);
    const std::vector<std::string> games = {"sf2", "pacman", "puckman", "lbreak"};  // lbreak: no category

    ASSERT_TRUE(SaveTo(dir_.File("Arcade.lpl"), ListFormat::RetroArch, games, split).Written());
    ASSERT_TRUE(SaveTo(dir_.File("metadata.pegasus.txt"), ListFormat::Pegasus, games, split).Written());
    ASSERT_TRUE(SaveTo(dir_.File("mame.txt"), ListFormat::AttractModePlus, games, split).Written());
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.Path()))
        files.push_back(std::filesystem::relative(entry.path(), dir_.Path()).string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"Arcade - Fighter - Versus.lpl", "Arcade - Maze - Collect.lpl",
                                               "Arcade.lpl", "Fighter - Versus.metadata.pegasus.txt",
                                               "Maze - Collect.metadata.pegasus.txt", "mame", "mame.txt",
                                               "mame/Fighter - Versus.tag", "mame/Maze - Collect.tag",
                                               "metadata.pegasus.txt"}));

    const std::string read = PlaylistAsPythonReadsIt(dir_.File("Arcade - Maze - Collect.lpl"));
    EXPECT_TRUE(read.starts_with(kTopKeys)) << read;
    EXPECT_LT(read.find("/pacman.zip"), read.find("/puckman.zip"));
    EXPECT_EQ(read.find("sf2"), std::string::npos);
    std::vector<std::string> errors;
    const std::vector<PegasusEntry> maze =
        ReadPegasusFile(test::ReadFileBytes(dir_.File("Maze - Collect.metadata.pegasus.txt")), errors);
    EXPECT_EQ(errors, std::vector<std::string>{});
    ASSERT_EQ(maze.size(), 3u);
    EXPECT_EQ(maze[0].title, "Maze / Collect");
    EXPECT_EQ(maze[2].Get("file"), "puckman.zip");
    EXPECT_EQ(test::ReadFileBytes(dir_.File("mame/Maze - Collect.tag")), "pacman\npuckman\n");

    // Categories need a merged master file.
    Open("mamegame.xml");
    for (ListFormat format : {ListFormat::RetroArch, ListFormat::Pegasus, ListFormat::AttractModePlus}) {
        const SaveOutcome outcome = SaveTo(dir_.File("other.txt"), format, {"mspacman"}, split);
        EXPECT_FALSE(outcome.Written());
        EXPECT_EQ(outcome.message, kCategoryListsNeedMergedFile);
    }
}

}  // namespace
}  // namespace vantor
