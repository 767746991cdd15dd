#pragma once
// One audit as a user asks for it: the games of the master file (all, or some by record key)
// against ROM folders, answered from the kept audit when nothing changed, else with the listing
// read and only the archives that changed read again; the result is kept for the next time.
#include <cstdint>
#include <string>
#include <vector>

#include "gamedata/Catalog.h"
#include "gamedata/ProgressSink.h"
#include "romset/RomAudit.h"

namespace vantor {

struct AuditRequest {
    AuditFolders folders;
    bool allGames = true;
    std::vector<std::int64_t> positions;  // the games by record position, when not all
    std::string keepFolder;               // where audits are kept; empty: nothing is kept
};

struct AuditRunResult {
    std::vector<GameAudit> games;  // master-file order
    int sourcesRead = 0;           // archives, set-folder files and 7z read (not taken from the kept audit)
    bool listingRead = false;      // false: nothing had changed and the kept audit answered
    bool kept = false;             // the result was written to the keep folder
};

// The audit of the catalog's open master file (whose path is `masterPath`). Throws EngineError:
// a Failure naming a folder that cannot be read, Cancelled when the progress sink asks to stop
// (the kept audit is then as it was).
AuditRunResult RunRomAudit(const Catalog& catalog, const std::string& masterPath, const AuditRequest& request,
                           ProgressSink* progress);

// "ROM name,status,detail" and a row per game.
std::string AuditReportCsv(const std::vector<GameAudit>& games);
// "Audited 120 games: 100 good, 3 best available, ..." (the statuses with games only).
std::string AuditSummary(const std::vector<GameAudit>& games);

}  // namespace vantor
