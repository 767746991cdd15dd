#include "AuditRun.h"

#include <algorithm>
#include <unordered_set>

#include "gamedata/CsvFields.h"
#include "gamedata/EngineError.h"
#include "romset/AuditStore.h"

namespace vantor {

namespace {

constexpr const char* kAuditingTitle = "Auditing ROM sets...";

// The folders as they are now: the ROM folders, then the CHD folder (empty when there is none).
std::vector<FolderListing> ListFolders(const AuditFolders& folders) {
    std::vector<FolderListing> listings(folders.romFolders.size() + 1);
    std::string problem;
    for (std::size_t i = 0; i < folders.romFolders.size(); ++i) {
        if (!ListFolder(folders.romFolders[i], listings[i], problem))
            throw EngineError("ROM folder " + folders.romFolders[i] + " cannot be read: " + problem);
    }
    if (!folders.chdFolder.empty() && !ListFolder(folders.chdFolder, listings.back(), problem))
        throw EngineError("CHD folder " + folders.chdFolder + " cannot be read: " + problem);
    return listings;
}

bool Wanted(const AuditRequest& request, const std::unordered_set<std::int64_t>& positions,
            std::int64_t position) {
    return request.allGames || positions.count(position) != 0;
}

// Keeps what the source cache holds of files that are still in the folders.
void DropVanishedSources(SourceCache& cache, const AuditFolders& folders,
                         const std::vector<FolderListing>& listings) {
    for (auto it = cache.begin(); it != cache.end();) {
        bool present = false;
        for (std::size_t i = 0; i < folders.romFolders.size() && !present; ++i) {
            const std::string base = folders.romFolders[i] + "/";
            present =
                it->first.starts_with(base) && listings[i].files.count(it->first.substr(base.size())) != 0;
        }
        it = present ? std::next(it) : cache.erase(it);
    }
}

}  // namespace

AuditRunResult RunRomAudit(const Catalog& catalog, const std::string& masterPath, const AuditRequest& request,
                           ProgressSink* progress) {
    AuditRunResult result;
    const std::vector<FolderListing> listings = ListFolders(request.folders);
    const std::unordered_set<std::int64_t> positions(request.positions.begin(), request.positions.end());
    FileStamp masterStamp;
    StampOf(masterPath, masterStamp);

    KeptAudit kept;
    std::string stem;
    bool keptMatches = false;
    if (!request.keepFolder.empty()) {
        stem = KeptAuditStem(request.keepFolder, masterPath, request.folders);
        keptMatches = LoadKeptAudit(stem + ".audit", kept) && kept.masterStamp == masterStamp &&
                      kept.folders == request.folders && kept.listings == listings;
    }
    // Nothing changed: the kept statuses stand, when they cover every game asked for.
    if (keptMatches && (kept.allGames || !request.allGames)) {
        std::vector<GameAudit> games;
        for (const GameAudit& game : kept.games) {
            if (Wanted(request, positions, game.position)) games.push_back(game);
        }
        if (request.allGames || games.size() == positions.size()) {
            result.games = std::move(games);
            result.kept = true;
            return result;
        }
    }

    if (progress != nullptr) progress->Texts("Reading the listing for the ROM audit...", "");
    const SetGraph graph = ReadSetGraph(catalog, progress);
    result.listingRead = true;
    SourceCache cache;
    if (!stem.empty()) LoadSourceCache(stem + ".sources", cache);

    std::vector<const MachineSets*> games;
    for (const MachineSets& machine : graph.Machines()) {
        if (!machine.isDevice && Wanted(request, positions, machine.position)) games.push_back(&machine);
    }
    auto stop = [progress] { return progress != nullptr && progress->CancelRequested(); };
    const std::vector<FolderListing> romListings(listings.begin(), listings.end() - 1);
    SetAuditor auditor(graph, request.folders, romListings, listings.back(), cache, stop);
    const auto total = static_cast<std::int64_t>(games.size());
    for (std::size_t i = 0; i < games.size(); ++i) {
        if (stop()) throw EngineError(kCancelled, ErrorKind::Cancelled);
        if (progress != nullptr && (i % 16 == 0)) {
            progress->Texts(kAuditingTitle, games[i]->name);
            progress->Progress(static_cast<std::int64_t>(i), total);
        }
        result.games.push_back(auditor.Audit(*games[i]));
    }
    // A 7z read while the stop came is incomplete: nothing of this run is kept.
    if (stop()) throw EngineError(kCancelled, ErrorKind::Cancelled);
    if (progress != nullptr) progress->Progress(total, total);
    result.sourcesRead = auditor.SourcesRead();

    if (!stem.empty()) {
        KeptAudit next;
        next.masterPath = AbsolutePath(masterPath);
        next.masterStamp = masterStamp;
        next.folders = request.folders;
        next.listings = listings;
        next.allGames = request.allGames || (keptMatches && kept.allGames);
        next.games = result.games;
        // Statuses of the same folders and master file kept from an earlier audit of other games.
        if (keptMatches) {
            std::unordered_set<std::int64_t> audited;
            for (const GameAudit& game : result.games) audited.insert(game.position);
            for (const GameAudit& game : kept.games) {
                if (audited.count(game.position) == 0) next.games.push_back(game);
            }
            std::sort(next.games.begin(), next.games.end(),
                      [](const GameAudit& a, const GameAudit& b) { return a.position < b.position; });
        }
        DropVanishedSources(cache, request.folders, listings);
        result.kept = SaveSourceCache(stem + ".sources", cache) && SaveKeptAudit(stem + ".audit", next);
    }
    return result;
}

FileAudit AuditFiles(const Catalog& catalog, const std::string& masterPath, const AuditRequest& request,
                     ProgressSink* progress) {
    const std::vector<FolderListing> listings = ListFolders(request.folders);
    const std::unordered_set<std::int64_t> positions(request.positions.begin(), request.positions.end());
    FileAudit result;
    if (progress != nullptr) progress->Texts("Reading the listing for the ROM audit...", "");
    result.graph = ReadSetGraph(catalog, progress);
    SourceCache cache;
    if (!request.keepFolder.empty())
        LoadSourceCache(KeptAuditStem(request.keepFolder, masterPath, request.folders) + ".sources", cache);
    for (const MachineSets& machine : result.graph.Machines()) {
        if (!machine.isDevice && Wanted(request, positions, machine.position))
            result.games.push_back(&machine);
    }
    auto stop = [progress] { return progress != nullptr && progress->CancelRequested(); };
    const std::vector<FolderListing> romListings(listings.begin(), listings.end() - 1);
    SetAuditor auditor(result.graph, request.folders, romListings, listings.back(), cache, stop);
    const auto total = static_cast<std::int64_t>(result.games.size());
    result.files.resize(result.games.size());
    for (std::size_t i = 0; i < result.games.size(); ++i) {
        if (stop()) throw EngineError(kCancelled, ErrorKind::Cancelled);
        if (progress != nullptr && (i % 16 == 0)) {
            progress->Texts(kAuditingTitle, result.games[i]->name);
            progress->Progress(static_cast<std::int64_t>(i), total);
        }
        result.audits.push_back(auditor.Audit(*result.games[i], &result.files[i]));
    }
    if (stop()) throw EngineError(kCancelled, ErrorKind::Cancelled);
    return result;
}

std::string AuditReportCsv(const std::vector<GameAudit>& games) {
    const CsvFields fields(",");
    std::string text = "ROM name,status,detail\n";
    for (const GameAudit& game : games) {
        fields.Append(text, game.name);
        text += ',';
        fields.Append(text, AuditStatusWord(game.status));
        text += ',';
        fields.Append(text, game.detail);
        text += '\n';
    }
    return text;
}

std::string AuditSummary(const std::vector<GameAudit>& games) {
    static const char* const kNames[kAuditStatusCount] = {
        "good", "best available", "missing", "incomplete", "needing another set", "with a CHD missing"};
    std::int64_t counts[kAuditStatusCount] = {};
    for (const GameAudit& game : games) ++counts[static_cast<int>(game.status)];
    std::string text = "Audited " + std::to_string(games.size()) + (games.size() == 1 ? " game" : " games");
    const char* separator = ": ";
    for (int i = 0; i < kAuditStatusCount; ++i) {
        if (counts[i] == 0) continue;
        text += separator + std::to_string(counts[i]) + " " + kNames[i];
        separator = ", ";
    }
    return text;
}

}  // namespace vantor
