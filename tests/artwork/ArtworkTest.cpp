// Finding a game's pictures in folders and zips, a clone taking its parent's, and reading their
// bytes within a limit; all on generated PNGs.
#include <gtest/gtest.h>

#include <filesystem>

#include "ArtworkFixtures.h"
#include "TestSupport.h"
#include "artwork/Artwork.h"

namespace vantor {
namespace {

using test::SolidPng;
using test::TempDir;
using test::WriteZip;

class ArtworkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // snap: a folder and a zip; titles: a zip only; marquees: a folder with a JPEG.
        dir_.Write("snap/pacman.png", red_);
        dir_.Write("snap/galaga.png", red_);
        std::filesystem::create_directories(dir_.File("snap/folder.png"));
        ASSERT_TRUE(WriteZip(dir_.File("snap.zip"), {{"galaga.png", blue_},  // the folder's comes first
                                                     {"puckman.png", blue_},
                                                     {"sub/dkong.png", blue_},
                                                     {"readme.txt", "not a picture"}}));
        ASSERT_TRUE(WriteZip(dir_.File("titles.zip"), {{"puckman.png", blue_}, {"mappy.jpg", blue_}}));
        dir_.Write("marquees/mappy.jpeg", "jpeg bytes");
        dir_.Write("flyers.zip", "this is no zip");
    }

    TempDir dir_;
    std::string red_ = SolidPng(4, 3, 0xff0000), blue_ = SolidPng(2, 2, 0x0000ff);
};

TEST_F(ArtworkTest, FindsFolderThenZipThenTheParentsPicture) {
    ArtworkFolder folder(dir_.Path() + "/");  // a trailing slash makes no double one
    const std::string snapZip = dir_.File("snap.zip");
    const struct {
        PictureKind kind;
        const char* rom;
        const char* parent;
        std::string expected;  // "" for none
        const char* owner;
    } cases[] = {
        {PictureKind::Snap, "pacman", "puckman", dir_.File("snap/pacman.png"), "pacman"},
        {PictureKind::Snap, "galaga", "", dir_.File("snap/galaga.png"), "galaga"},
        {PictureKind::Snap, "puckman", "", snapZip + ":puckman.png", "puckman"},
        {PictureKind::Snap, "pacmanf", "puckman", snapZip + ":puckman.png", "puckman"},
        {PictureKind::Titles, "pacman", "puckman", dir_.File("titles.zip") + ":puckman.png", "puckman"},
        {PictureKind::Titles, "mappy", "", dir_.File("titles.zip") + ":mappy.jpg", "mappy"},
        {PictureKind::Marquees, "mappy", "", dir_.File("marquees/mappy.jpeg"), "mappy"},
        // Nothing: no such game, a member in a zip's subfolder, a folder named like a picture, a
        // damaged zip, a kind with no folder or zip, names that would leave the folder.
        {PictureKind::Snap, "mspacman", "", "", ""},
        {PictureKind::Snap, "dkong", "", "", ""},
        {PictureKind::Snap, "folder", "", "", ""},
        {PictureKind::Flyers, "pacman", "puckman", "", ""},
        {PictureKind::Cabinets, "pacman", "puckman", "", ""},
        {PictureKind::Snap, "../snap/pacman", "", "", ""},
        {PictureKind::Snap, "", "..", "", ""},
    };
    for (const auto& c : cases) {
        const PictureLocation found = folder.Find(c.kind, c.rom, c.parent);
        EXPECT_EQ(found.Text(), c.expected) << KindInfo(c.kind).name << " " << c.rom;
        EXPECT_EQ(found.owner, c.owner) << c.rom;
    }
    EXPECT_FALSE(ArtworkFolder("").Find(PictureKind::Snap, "pacman").Found());
}

TEST_F(ArtworkTest, AChangedZipIsReadAgain) {
    ArtworkFolder folder(dir_.Path());
    EXPECT_FALSE(folder.Find(PictureKind::Titles, "galaga").Found());
    ASSERT_TRUE(WriteZip(dir_.File("titles.zip"), {{"galaga.png", red_}, {"puckman.png", blue_}}));
    EXPECT_EQ(folder.Find(PictureKind::Titles, "galaga").Text(), dir_.File("titles.zip") + ":galaga.png");
    std::filesystem::remove(dir_.File("titles.zip"));
    EXPECT_FALSE(folder.Find(PictureKind::Titles, "galaga").Found());
}

TEST_F(ArtworkTest, ReadsBytesOfFilesAndZipMembersWithinTheLimit) {
    ArtworkFolder folder(dir_.Path());
    std::string bytes, problem;
    ASSERT_TRUE(ReadPictureBytes(folder.Find(PictureKind::Snap, "pacman"), bytes, problem)) << problem;
    EXPECT_EQ(bytes, red_);
    ASSERT_TRUE(ReadPictureBytes(folder.Find(PictureKind::Snap, "puckman"), bytes, problem)) << problem;
    EXPECT_EQ(bytes, blue_);

    // One byte over the limit is refused, for a file and for a member (by its declared size).
    const std::size_t limit = red_.size() - 1;
    EXPECT_FALSE(ReadPictureBytes(folder.Find(PictureKind::Snap, "pacman"), bytes, problem, limit));
    EXPECT_EQ(problem, "The picture " + dir_.File("snap/pacman.png") + " is " + std::to_string(red_.size()) +
                           " bytes, more than the " + std::to_string(limit) + " a picture may have.");
    EXPECT_TRUE(bytes.empty());
    const std::string big(4096, 'x');
    ASSERT_TRUE(WriteZip(dir_.File("cabinets.zip"), {{"pacman.png", big}}));
    const PictureLocation member = folder.Find(PictureKind::Cabinets, "pacman");
    EXPECT_FALSE(ReadPictureBytes(member, bytes, problem, big.size() - 1));
    EXPECT_NE(problem.find("cabinets.zip:pacman.png is 4096 bytes"), std::string::npos) << problem;
    ASSERT_TRUE(ReadPictureBytes(member, bytes, problem, big.size())) << problem;
    EXPECT_EQ(bytes, big);

    // A member whose compressed data was damaged after the lookup is a problem, not wrong bytes.
    std::string zip = test::ReadFileBytes(dir_.File("cabinets.zip"));
    auto le16 = [&](std::size_t at) {
        return static_cast<unsigned char>(zip[at]) | static_cast<unsigned char>(zip[at + 1]) << 8;
    };
    const std::size_t data = 30 + le16(26) + le16(28);  // after the first local header
    for (std::size_t i = data; i < data + 4; ++i) zip[i] = static_cast<char>(~zip[i]);
    dir_.Write("cabinets.zip", zip);
    EXPECT_FALSE(ReadPictureBytes(member, bytes, problem));
    EXPECT_NE(problem.find("cannot be unpacked"), std::string::npos) << problem;
    EXPECT_FALSE(ReadPictureBytes({}, bytes, problem));
}

TEST(PictureKindTest, NamesAndStoredLists) {
    PictureKind kind{};
    EXPECT_TRUE(ParsePictureKind("marquees", kind));
    EXPECT_EQ(kind, PictureKind::Marquees);
    EXPECT_FALSE(ParsePictureKind("snaps", kind));
    EXPECT_FALSE(ParsePictureKind("Snap", kind));
    using K = PictureKind;
    const std::vector<K> defaults = {K::Snap, K::Titles, K::Marquees, K::Flyers};
    EXPECT_EQ(ParsePictureKindList(""), defaults);
    EXPECT_EQ(ParsePictureKindList("none"), std::vector<K>{});
    // Stored order does not matter, unknown names are passed over, and a list survives its text.
    EXPECT_EQ(ParsePictureKindList("cabinets,bogus,snap"), (std::vector<K>{K::Snap, K::Cabinets}));
    EXPECT_EQ(ParsePictureKindList(PictureKindListText({K::Titles, K::Cabinets})),
              (std::vector<K>{K::Titles, K::Cabinets}));
    EXPECT_EQ(ParsePictureKindList(PictureKindListText({})), std::vector<K>{});
}

}  // namespace
}  // namespace vantor
