// details --picture KIND ROMNAME and --artwork DIR: what is printed and the exit status, on a
// generated artwork folder.
#include <gtest/gtest.h>

#include "ArtworkFixtures.h"
#include "CliInProcess.h"
#include "gamedata/AppPaths.h"
#include "gamedata/SettingsStore.h"

namespace vantor {
namespace {

class PictureCliTest : public test::CliInProcessTest {
  protected:
    void SetUp() override {
        CliInProcessTest::SetUp();
        art_ = files_.File("art");
        files_.Write("art/snap/pacman.png", test::SolidPng(3, 2, 0xffff00));
        ASSERT_TRUE(test::WriteZip(art_ + "/snap.zip", {{"puckman.png", test::SolidPng(2, 3, 0x00ff00)}}));
    }

    std::string master_ = test::FixturePath("gamedata/machines.xml");
    std::string art_;
};

TEST_F(PictureCliTest, PrintsThePictureOrSaysWhyThereIsNone) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out, err;
    } cases[] = {
        {{"snap", "pacman"}, 0, art_ + "/snap/pacman.png\n", ""},
        // A clone without its own takes its parent's, here from the zip.
        {{"snap", "pacmanf"}, 0, art_ + "/snap.zip:puckman.png\n", ""},
        {{"snap", "puckman"}, 0, art_ + "/snap.zip:puckman.png\n", ""},
        {{"snap", "galaga"}, 1, "", "error: No snap picture of galaga in " + art_ + ".\n"},
        {{"titles", "pacmanf"},
         1,
         "",
         "error: No titles picture of pacmanf or of its parent puckman in " + art_ + ".\n"},
        {{"snap", "nosuchgame"}, 1, "", "error: No game named \"nosuchgame\" in the input file.\n"},
        {{"snaps", "pacman"},
         2,
         "",
         "error: unknown picture kind \"snaps\" (one of snap, titles, marquees, flyers, cabinets)\n"
         "(see vantor-cli --help)\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--input", master_, "--artwork", art_, "details", "--picture"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(Run(args), c.status) << c.args[1];
        EXPECT_EQ(out_, c.out) << c.args[1];
        EXPECT_EQ(err_, c.err) << c.args[1];
    }
}

TEST_F(PictureCliTest, TheFolderComesFromTheOptionOrTheSettings) {
    EXPECT_EQ(RunOn(master_, {"details", "--picture", "snap", "pacman"}), 1);
    EXPECT_EQ(err_, "error: No artwork folder: name one with --artwork DIR, or in the settings.\n");
    EXPECT_EQ(
        Run({"--input", master_, "--artwork", files_.File("gone"), "details", "--picture", "snap", "pacman"}),
        1);
    EXPECT_EQ(err_, "error: The artwork folder " + files_.File("gone") + " does not exist.\n");
    EXPECT_EQ(Run({"--artwork"}), 2);

    Settings settings;
    settings.inputXmlFile = master_;
    settings.artworkFolder = art_;
    ASSERT_TRUE(settings.Save(SettingsFilePath()));
    EXPECT_EQ(Run({"details", "--picture", "snap", "pacman"}), 0) << err_;
    EXPECT_EQ(out_, art_ + "/snap/pacman.png\n");
    // The option wins over the settings.
    files_.Write("other/snap/pacman.jpg", "jpeg");
    EXPECT_EQ(Run({"--artwork", files_.File("other"), "details", "--picture", "snap", "pacman"}), 0) << err_;
    EXPECT_EQ(out_, files_.File("other") + "/snap/pacman.jpg\n");
}

}  // namespace
}  // namespace vantor
