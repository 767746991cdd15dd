// The main window's criteria on MAME's own listing and on its merged form, checked against what
// each game's own <control> and <driver> elements say, read here without the program's reader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "CliInProcess.h"
#include "TestSupport.h"
#include "cli/CliCommand.h"

namespace vantor {
namespace {

using test::TempDir;

struct Control {
    std::string type, ways;
    int buttons = 0;
};

struct Game {
    bool bios = false;
    std::string status;
    std::vector<Control> controls;
    int MostButtons() const {
        int most = 0;
        for (const Control& control : controls) most = std::max(most, control.buttons);
        return most;
    }
};

std::string Attribute(std::string_view element, const std::string& name) {
    std::size_t at = element.find(" " + name + "=\"");
    if (at == std::string_view::npos) return "";
    at += name.size() + 3;
    return std::string(element.substr(at, element.find('"', at) - at));
}

// Every game of a listing (machine or game elements, devices left out), by name. A merged file's
// joystick words (joy4way, doublejoy8way) are read back as a type and its ways.
std::map<std::string, Game> ReadGames(const std::string& path) {
    std::string text = test::ReadFileBytes(path);
    std::map<std::string, Game> games;
    bool machines = text.find("<machine name=\"") != std::string::npos;
    const std::string startKey = machines ? "<machine name=\"" : "<game name=\"";
    const std::string endKey = machines ? "</machine>" : "</game>";
    for (std::size_t at = 0;;) {
        std::size_t start = text.find(startKey, at);
        if (start == std::string::npos) break;
        std::size_t end = text.find(endKey, start);
        std::string_view record = std::string_view(text).substr(start, end - start);
        at = end;
        std::string_view startTag = record.substr(0, record.find('>'));
        if (Attribute(startTag, "isdevice") == "yes") continue;
        Game& entry = games[Attribute(startTag, "name")];
        entry.bios = Attribute(startTag, "isbios") == "yes";
        std::size_t driver = record.find("<driver ");
        if (driver != std::string_view::npos) entry.status = Attribute(record.substr(driver), "status");
        for (std::size_t c = record.find("<control "); c != std::string_view::npos;
             c = record.find("<control ", c + 1)) {
            std::string_view element = record.substr(c, record.find('>', c) - c);
            Control control{Attribute(element, "type"), Attribute(element, "ways"), 0};
            std::string buttons = Attribute(element, "buttons");
            if (!buttons.empty()) control.buttons = std::stoi(buttons);
            for (const char* joystick : {"doublejoy", "joy"}) {
                std::string word = control.type;
                if (word.rfind(joystick, 0) == 0 && word.size() > std::strlen(joystick) + 3 &&
                    word.ends_with("way")) {
                    control.ways =
                        word.substr(std::strlen(joystick), word.size() - std::strlen(joystick) - 3);
                    control.type = joystick;
                    break;
                }
            }
            entry.controls.push_back(control);
        }
    }
    return games;
}

class CriteriaRealTest : public test::CliInProcessTest {
  protected:
    // The games that the criteria built by `vantor-cli criteria SETTINGS` select in `master`.
    std::set<std::string> Select(const std::string& master, std::vector<std::string> settings) {
        settings.insert(settings.begin(), {"--input", master, "criteria"});
        EXPECT_EQ(Run(settings), 0) << err_;
        std::string expression = out_.substr(0, out_.size() - 1);
        EXPECT_EQ(Run({"--input", master, "find", expression}), 0) << err_;
        const std::vector<std::string> names = Names();
        return {names.begin(), names.end()};
    }

    void CheckCriteria(const std::string& master) {
        std::map<std::string, Game> games = ReadGames(master);
        ASSERT_GT(games.size(), 30000u);

        std::set<std::string> startup = Select(master, {"--initial"});
        for (const char* wanted : {"puckman", "pacman", "dkong", "galaga", "frogger"}) {
            EXPECT_EQ(startup.count(wanted), 1u) << wanted;
        }
        for (const char* unwanted : {"1942", "sf2"}) EXPECT_EQ(startup.count(unwanted), 0u) << unwanted;
        std::set<std::string> excluded = {"dial", "trackball", "pedal", "lightgun", "stick", "paddle"};
        for (const std::string& name : startup) {
            const Game& game = games.at(name);
            EXPECT_FALSE(game.bios) << name;
            EXPECT_NE(game.status, "preliminary") << name;
            EXPECT_LE(game.MostButtons(), 2) << name;
            for (const Control& control : game.controls) {
                EXPECT_EQ(excluded.count(control.type), 0u) << name << " has a " << control.type;
                EXPECT_TRUE(control.ways != "8" && control.ways != "5 (half8)")
                    << name << " has an 8-way stick";
            }
        }
        std::cout << master << ": the start-up criteria select " << startup.size() << " of " << games.size()
                  << " games\n";

        // "Playable" and "2 buttons or less" alone: exactly the games whose own data says so.
        std::set<std::string> playable, fewButtons;
        for (const auto& [name, game] : games) {
            if (!game.bios && game.status != "preliminary") playable.insert(name);
            if (game.MostButtons() <= 2) fewButtons.insert(name);
        }
        EXPECT_TRUE(Select(master, {"playable=on"}) == playable);
        EXPECT_TRUE(Select(master, {"buttons=2", "or-less=on"}) == fewButtons);
    }
};

TEST_F(CriteriaRealTest, CriteriaSelectWhatTheirLabelsSay) {
    std::string listing = test::RealListXmlPath();
    if (listing.empty()) GTEST_SKIP() << "the real MAME listing has not been generated";
    CheckCriteria(listing);
    const std::string merged = test::RealMergedPath();
    ASSERT_FALSE(merged.empty()) << "the merged real listing is made by the test RealMergedListing";
    CheckCriteria(merged);
}

}  // namespace
}  // namespace vantor
