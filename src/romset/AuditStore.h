#pragma once
// How an audit lasts: kept in the data folder per master file and ROM folders, with what the
// folders held and every archive directory read, so that the next audit reads only what changed
// and searches can ask a game's last status.
//
// Two files per master file and folders, named by a hash of their paths: NAME.audit (the master
// file's stamp, the folders and their listings, each game's status) and NAME.sources (the members
// of each archive read). A later audit of the same master file with other folders is kept beside.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gamedata/Catalog.h"
#include "romset/RomAudit.h"
#include "search/OutsideTerms.h"

namespace vantor {

struct KeptAudit {
    std::string masterPath;  // as given to the audit, made absolute
    FileStamp masterStamp;
    AuditFolders folders;
    std::vector<FolderListing> listings;  // the ROM folders, then the CHD folder
    bool allGames = false;                // every game of the master file was audited
    std::vector<GameAudit> games;         // master-file order
};

// $XDG_DATA_HOME/Vantor/audits
std::string DefaultAuditFolder();
// The path of the kept audit for a master file and folders, without its extension.
std::string KeptAuditStem(const std::string& keepFolder, const std::string& masterPath,
                          const AuditFolders& folders);

bool LoadKeptAudit(const std::string& path, KeptAudit& audit);
bool SaveKeptAudit(const std::string& path, const KeptAudit& audit);
bool LoadSourceCache(const std::string& path, SourceCache& cache);
bool SaveSourceCache(const std::string& path, const SourceCache& cache);

// The file's size and time; false when it cannot be read.
bool StampOf(const std::string& path, FileStamp& stamp);
// The path made absolute and free of "." and ".." parts (links resolved when it exists).
std::string AbsolutePath(const std::string& path);

// A game's status as the last audit of a master file left it, whichever ROM folders it used.
// This is what search terms on the audit read ("audit=good"): load once, ask per game.
class KeptAuditStatuses final : public OutsideFacts {
  public:
    // Nothing when no audit of that master file is kept, or the file changed since (its size or
    // time differs): its statuses would speak of other records.
    static std::optional<KeptAuditStatuses> Load(const std::string& masterPath,
                                                 const std::string& keepFolder = DefaultAuditFolder());
    // Null for a game the audit did not reach.
    const GameAudit* Find(std::string_view romName) const;
    const AuditFolders& Folders() const { return audit_.folders; }
    bool AllGames() const { return audit_.allGames; }

    // A game the audit did not reach holds no status.
    bool Holds(std::size_t kind, std::string_view value, std::string_view romName) const override;
    // "incomplete: DETAIL", or that the game was not audited.
    std::string Describe(std::size_t kind, std::string_view romName) const override;

  private:
    KeptAudit audit_;
    std::unordered_map<std::string, std::size_t> byName_;
};

// Gives the catalog the kept audit of its master file, or none when there is no kept audit of the
// file as it is now.
void AttachKeptAudit(Catalog& catalog, const std::string& keepFolder = DefaultAuditFolder());

}  // namespace vantor
