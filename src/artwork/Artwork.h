#pragma once
// A game's pictures in a MAME artwork folder: `snap/pacman.png` (or .jpg, .jpeg), or the member
// `pacman.png` of `snap.zip`, and likewise for the titles, marquees, flyers and cabinets. A clone
// without a picture of its own shows its parent's, as front ends do.
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct Catalog;

enum class PictureKind { Snap, Titles, Marquees, Flyers, Cabinets };

struct PictureKindInfo {
    PictureKind kind;
    const char* name;   // the folder's (and the zip's) name, as the command line names the kind
    const char* label;  // as the windows name it
};

// Every kind, in the order the windows show them.
const std::vector<PictureKindInfo>& PictureKinds();
const PictureKindInfo& KindInfo(PictureKind kind);
// False when `name` is no kind's name.
bool ParsePictureKind(std::string_view name, PictureKind& kind);

// The kinds the windows show: a comma-separated list of names as the settings store it. ""
// (never chosen) gives the snapshot, title, marquee and flyer; "none" gives none; unknown names
// are passed over.
std::vector<PictureKind> ParsePictureKindList(std::string_view text);
std::string PictureKindListText(const std::vector<PictureKind>& kinds);

// Where a picture is. A picture inside a zip has the zip as its file and its name in the zip as
// its member.
struct PictureLocation {
    std::string file;
    std::string member;
    std::string owner;  // whose picture it is: the game's own, or its parent's

    bool Found() const { return !file.empty(); }
    bool InZip() const { return !member.empty(); }
    // The file's path, or "ZIPFILE:MEMBER".
    std::string Text() const;
};

// The parent a game record names in its cloneof, or "" for a game that is no clone.
std::string ParentName(const Catalog& catalog, std::string_view record);

// One artwork folder. The member names of its zips are read once and kept until the zip changes,
// so looking up the pictures of one game after another reads each zip's directory once. Safe to
// use from several threads at once.
class ArtworkFolder {
  public:
    explicit ArtworkFolder(std::string path);
    ~ArtworkFolder();
    ArtworkFolder(const ArtworkFolder&) = delete;
    ArtworkFolder& operator=(const ArtworkFolder&) = delete;

    const std::string& Path() const { return path_; }

    // The picture of `kind` for the game `romName`, or else for `parentName` (its cloneof, "" for
    // none): the kind's folder first, then its zip; not found when neither has one.
    PictureLocation Find(PictureKind kind, const std::string& romName,
                         const std::string& parentName = {}) const;

  private:
    struct ZipNames;
    PictureLocation FindOwn(PictureKind kind, const std::string& romName) const;
    // The member names of a zip, read again when its size or time changed; null when there is no
    // readable zip there.
    std::shared_ptr<const ZipNames> MembersOf(const std::string& zipPath) const;

    std::string path_;
    mutable std::mutex mutex_;
    mutable std::map<std::string, std::shared_ptr<const ZipNames>> zips_;
};

// A picture is never larger than this: a bigger file or zip member is refused.
inline constexpr std::size_t kMaxPictureBytes = 64 * 1024 * 1024;

// The bytes of a picture, at most `limit` of them. False, with `problem` saying why, when the
// picture cannot be read or is larger than `limit` (judged by the size a zip declares before
// anything is unpacked, and by the bytes actually read).
bool ReadPictureBytes(const PictureLocation& where, std::string& bytes, std::string& problem,
                      std::size_t limit = kMaxPictureBytes);

}  // namespace vantor
