#pragma once
// Copying chosen games out of a ROM collection with everything they need to run: their sets, the
// parent and BIOS sets their files are shared with, device sets with ROMs, CHDs and samples. The
// plan comes from the same file-by-file audit as the audit command; the copy writes every file
// under a temporary name, checks it and only then gives it its name.
#include <cstdint>
#include <string>
#include <vector>

#include "gamedata/Catalog.h"
#include "gamedata/ProgressSink.h"
#include "romset/ArchiveDirectory.h"
#include "romset/AuditRun.h"

namespace vantor {

enum class ExportLayout : std::uint8_t {
    AsIs,       // the archives and files the games' files were found in, copied as they are
    Split,      // a zip per set holding the files no set up its romof chain holds
    NonMerged,  // a zip per game holding all of its files (devices stay in sets of their own)
};
// "as-is", "split", "non-merged".
const char* ExportLayoutWord(ExportLayout layout);
bool ParseExportLayout(std::string_view word, ExportLayout& layout);

struct ExportRequest {
    AuditRequest audit;         // the games and the folders they are looked for in
    std::string samplesFolder;  // optional
    std::string target;
    ExportLayout layout = ExportLayout::AsIs;
    bool link = false;               // hard links where the source is on the same file system
    bool includeIncomplete = false;  // export what is found of games whose audit is not good
    bool replace = false;            // replace a file of the target that holds something else
};

// One member of a zip being written, and where its bytes are taken from.
struct ExportMember {
    std::string name;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    FileSource source;
};

// One file of the target folder.
struct ExportFile {
    enum class Action : std::uint8_t {
        Copy,       // the source file as it is (or a hard link to it)
        Build,      // a new zip of `members`
        Unchanged,  // the target already holds it
        Conflict,   // the target holds another file of that name, and --replace was not given
    };
    std::string set;                    // the set, CHD folder or samples set it belongs to
    std::string relative;               // its path in the target folder
    std::string source;                 // Copy: the file copied
    std::vector<ExportMember> members;  // Build
    std::uint64_t bytes = 0;            // the bytes to be read and written
    Action action = Action::Copy;
};

struct ExportPlan {
    std::vector<ExportFile> files;  // in the order the games come, each file once
    std::vector<GameAudit> exported;
    std::vector<GameAudit> skipped;  // not good, and not included
    // "GAME: STATUS (what it lacks)" for the games not good, but those with no set at all.
    std::vector<std::string> missing;
    std::uint64_t bytesToWrite = 0;  // Copy and Build files
};

// Audits the chosen games and plans the target folder. Throws EngineError as the audit does.
ExportPlan PlanExport(const Catalog& catalog, const std::string& masterPath, const ExportRequest& request,
                      ProgressSink* progress);

struct ExportResult {
    int written = 0, linked = 0, unchanged = 0;
    std::uint64_t bytesWritten = 0;
    std::vector<std::string> failures;  // "FILE: why", one per file not written
};

// Writes the plan's Copy and Build files. Each one is whole or absent: written under a temporary
// name, checked member by member, then synced and renamed with a batch of others. A file that cannot be
// written is a failure named in the result and the others go on, except a full disk, which ends the run.
// Throws EngineError (Cancelled) when the progress sink asks to stop; the files done stay, whole.
ExportResult RunExport(const ExportPlan& plan, const ExportRequest& request, ProgressSink* progress);

// "Exported 12 sets (3 unchanged), 45.2 MB written; 2 games skipped"
std::string ExportSummary(const ExportPlan& plan, const ExportResult* result);

}  // namespace vantor
