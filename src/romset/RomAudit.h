#pragma once
// The audit of a game's ROM sets against the user's ROM folders, as MAME's own auditor judges
// them: each file a game needs (its own ROMs and disks, those it shares with its parent or BIOS,
// those of its devices) is looked for in the sets MAME would open, by CRC32 and name, and the
// game gets one status.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "romset/ArchiveDirectory.h"
#include "romset/SetGraph.h"

namespace vantor {

enum class AuditStatus : std::uint8_t {
    Good,
    BestAvailable,  // good, with files MAME marks as bad dumps or of which no good dump is known
    Missing,        // no set of the game found
    Incomplete,     // files of its own missing or wrong
    NeedsSet,       // a parent, BIOS or device set missing or bad
    ChdMissing,     // a disk image missing or wrong, the ROMs good
};
inline constexpr int kAuditStatusCount = 6;

// "good", "best-available", "missing", "incomplete", "needs-set", "chd-missing".
std::string_view AuditStatusWord(AuditStatus status);
bool ParseAuditStatus(std::string_view word, AuditStatus& status);

struct GameAudit {
    std::int64_t position = -1;  // the record key's position
    std::string name;
    AuditStatus status = AuditStatus::Missing;
    std::string detail;  // one line: the files and sets at fault, where they were looked for
    bool operator==(const GameAudit&) const = default;
};

// Where the sets are: ROM folders in the order they are searched, and a folder of CHDs.
struct AuditFolders {
    std::vector<std::string> romFolders;
    std::string chdFolder;  // optional
    bool operator==(const AuditFolders&) const = default;
};

struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds since the epoch
    bool operator==(const FileStamp&) const = default;
};

// A folder's files (and the files of its subfolders, a few levels down) by their path relative to
// it, with their size and time: what the audit looks up sets in, and how it tells that nothing
// changed.
struct FolderListing {
    std::map<std::string, FileStamp> files;
    std::set<std::string> folders;
    bool operator==(const FolderListing&) const = default;
};
// False (with the reason) when `path` is no folder that can be read.
bool ListFolder(const std::string& path, FolderListing& listing, std::string& problem);

// Where a file was found.
enum class SourceKind : std::uint8_t { Zip, SevenZip, Folder, Chd };
struct FileSource {
    SourceKind kind = SourceKind::Zip;
    std::string container;  // the archive, the set folder, or the CHD itself
    std::string member;     // its path in the archive, or its name in the set folder; "" for a CHD
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
};

// One file a game needs, as the audit judged it.
struct AuditedFile {
    const RomFile* rom = nullptr;  // one of the two
    const DiskFile* disk = nullptr;
    std::string owner;      // the set that holds it as its own: the game, one up its romof chain, a device
    bool required = false;  // dumped and not optional
    bool found = false;
    bool bad = false;   // required, and missing or wrong
    FileSource source;  // where it was found
};

// What was read of an archive, a set folder's file or a CHD, kept with the stamp it was read at.
struct CachedSource {
    FileStamp stamp;
    ArchiveContents contents;
};
using SourceCache = std::unordered_map<std::string, CachedSource>;  // by full path

// Audits games one by one against listings taken beforehand. Archives are read once, and not
// at all when the cache holds them with the same stamp.
class SetAuditor {
  public:
    SetAuditor(const SetGraph& graph, const AuditFolders& folders,
               const std::vector<FolderListing>& romFolders, const FolderListing& chdFolder,
               SourceCache& cache, StopCheck stop = {});

    // The game's status; `files`, when given, gets every file it needs as judged.
    GameAudit Audit(const MachineSets& game, std::vector<AuditedFile>* files = nullptr);
    // Where a ROM is with the right size and CRC (by name where the listing gives no CRC), in the
    // first of the sets that holds it; nothing when none does.
    std::optional<FileSource> FindExact(const std::vector<std::string>& sets, const RomFile& rom);
    int SourcesRead() const { return sourcesRead_; }

  private:
    struct Location {
        std::string path;                           // the archive, the set folder or the CHD
        const ArchiveContents* contents = nullptr;  // null for a set folder
        std::string folderPrefix;                   // a set folder: "SET/" in its ROM folder's listing
        std::size_t folder = 0;                     // which ROM folder
    };
    struct Found;
    struct Record;

    const std::vector<Location>& LocationsOf(const std::string& set);
    // A set folder's file, read for its CRC once per stamp; null when the folder lacks it.
    const ArchiveContents* FolderFile(const Location& location, const std::string& name, std::string& path);
    const ArchiveContents& Read(const std::string& path, const FileStamp& stamp, bool sevenZip);
    Found FindRom(const std::vector<std::string>& searchPath, const RomFile& rom,
                  std::vector<std::string>& problems);
    Found FindDisk(const std::vector<std::string>& searchPath, const DiskFile& disk);
    std::string WhereLooked(const std::vector<std::string>& sets);

    const SetGraph& graph_;
    const AuditFolders& folders_;
    const std::vector<FolderListing>& romFolders_;
    const FolderListing& chdFolder_;
    SourceCache& cache_;
    StopCheck stop_;
    std::unordered_map<std::string, std::vector<Location>> locations_;
    int sourcesRead_ = 0;
};

}  // namespace vantor
