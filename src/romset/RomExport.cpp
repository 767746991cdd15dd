#include "RomExport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <set>

#include "gamedata/EngineError.h"
#include "gamedata/FileIo.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

constexpr const char* kExportingTitle = "Exporting ROM sets...";
// Bytes copied between two looks at the stop request and two progress reports.
constexpr std::int64_t kCopyStep = 4 << 20;
// Files are synced together, a batch at a time: a sync per small file costs more than its copy.
constexpr std::size_t kFilesPerSync = 64;
constexpr std::uint64_t kBytesPerSync = 256 << 20;

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The path of `path` inside one of the folders ("SET.zip", "SET/file"), or its last two parts.
std::string RelativeTo(const std::vector<std::string>& folders, const std::string& path) {
    for (const std::string& folder : folders) {
        const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
        if (path.starts_with(prefix)) return path.substr(prefix.size());
    }
    const std::string folder = FolderOf(path);
    return BaseName(folder) + "/" + BaseName(path);
}

bool Runnable(AuditStatus status) {
    return status == AuditStatus::Good || status == AuditStatus::BestAvailable;
}

// The name a set gives its copy of `rom` (a clone may call a file of its parent otherwise).
std::string NameInSet(const MachineSets* set, const RomFile& rom) {
    if (set != nullptr) {
        for (const RomFile& own : set->roms) {
            if (own.hasCrc == rom.hasCrc && own.crc == rom.crc && own.size == rom.size) return own.name;
        }
    }
    return rom.name;
}

std::vector<ArchiveMember> SortedByName(std::vector<ArchiveMember> members) {
    std::sort(members.begin(), members.end(),
              [](const ArchiveMember& a, const ArchiveMember& b) { return a.name < b.name; });
    return members;
}

std::vector<ArchiveMember> ExpectedMembers(const ExportFile& file) {
    std::vector<ArchiveMember> members;
    for (const ExportMember& member : file.members) members.push_back({member.name, member.size, member.crc});
    return SortedByName(std::move(members));
}

std::uint64_t FileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

bool SameTimeAndSize(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_size == second.st_size && first.st_mtim.tv_sec == second.st_mtim.tv_sec &&
           first.st_mtim.tv_nsec == second.st_mtim.tv_nsec;
}

bool SameContents(const std::string& a, const std::string& b) {
    if (FileSize(a) != FileSize(b)) return false;
    std::uint32_t first = 0, second = 0;
    std::string problem;
    return FileCrc32(a, first, problem) && FileCrc32(b, second, problem) && first == second;
}

// Whether the file already in the target is the one the plan would write.
bool TargetHolds(const ExportFile& file, const std::string& target) {
    if (file.action == ExportFile::Action::Build) {
        const ArchiveContents contents = ReadZipDirectory(target);
        return contents.Readable() && SortedByName(contents.members) == ExpectedMembers(file);
    }
    if (IsSameFile(file.source, target) || SameTimeAndSize(file.source, target)) return true;
    if (file.source.ends_with(".zip")) {
        const ArchiveContents have = ReadZipDirectory(target), want = ReadZipDirectory(file.source);
        if (have.Readable() && want.Readable() && FileSize(target) == FileSize(file.source))
            return SortedByName(have.members) == SortedByName(want.members);
    }
    return SameContents(file.source, target);
}

// A rebuilt set whose members all come from one zip that holds exactly them: that zip is copied.
void CopyWhereSourceFits(ExportFile& file) {
    if (file.members.empty()) return;
    const FileSource& first = file.members.front().source;
    if (first.kind != SourceKind::Zip) return;
    for (const ExportMember& member : file.members) {
        if (member.source.kind != SourceKind::Zip || member.source.container != first.container ||
            member.source.member != member.name)
            return;
    }
    const ArchiveContents contents = ReadZipDirectory(first.container);
    if (!contents.Readable() || SortedByName(contents.members) != ExpectedMembers(file)) return;
    file.action = ExportFile::Action::Copy;
    file.source = first.container;
    file.members.clear();
    file.bytes = FileSize(file.source);
}

class Planner {
  public:
    Planner(const FileAudit& audit, const ExportRequest& request, ExportPlan& plan)
        : audit_(audit), request_(request), plan_(plan) {}

    void AddGame(std::size_t index) {
        const MachineSets& game = *audit_.games[index];
        for (const AuditedFile& file : audit_.files[index]) {
            // Files never dumped are not there to copy; wrong files are no use to the game.
            if (!file.found || file.bad) continue;
            if (file.disk != nullptr) {
                AddCopy(game.name, ChdRelative(file.source.container), file.source.container);
            } else if (file.rom->status == DumpStatus::NoDump) {
                continue;
            } else if (request_.layout == ExportLayout::AsIs) {
                const std::string relative =
                    RelativeTo(request_.audit.folders.romFolders, file.source.container);
                if (file.source.kind == SourceKind::Folder) {
                    AddCopy(file.owner, relative + "/" + file.source.member,
                            file.source.container + "/" + file.source.member);
                } else {
                    AddCopy(file.owner, relative, file.source.container);
                }
            } else {
                AddMember(game, file);
            }
        }
        AddSamples(game);
    }

    void Finish() {
        for (ExportFile& file : plan_.files) {
            if (file.action == ExportFile::Action::Build) CopyWhereSourceFits(file);
            const std::string target = request_.target + "/" + file.relative;
            if (FileExists(target) && TargetHolds(file, target)) {
                file.action = ExportFile::Action::Unchanged;
            } else if (FileExists(target) && !request_.replace) {
                file.action = ExportFile::Action::Conflict;
            } else {
                plan_.bytesToWrite += file.bytes;
            }
        }
    }

  private:
    // A CHD goes where MAME looks for it: in a folder named after its set.
    std::string ChdRelative(const std::string& path) {
        std::vector<std::string> folders = request_.audit.folders.romFolders;
        if (!request_.audit.folders.chdFolder.empty()) folders.push_back(request_.audit.folders.chdFolder);
        return RelativeTo(folders, path);
    }

    ExportFile& FileAt(const std::string& set, const std::string& relative, ExportFile::Action action) {
        auto [at, added] = byRelative_.emplace(relative, plan_.files.size());
        if (added) {
            plan_.files.push_back({});
            plan_.files.back().set = set;
            plan_.files.back().relative = relative;
            plan_.files.back().action = action;
        }
        return plan_.files[at->second];
    }

    void AddCopy(const std::string& set, const std::string& relative, const std::string& source) {
        ExportFile& file = FileAt(set, relative, ExportFile::Action::Copy);
        if (file.source.empty()) {
            file.source = source;
            file.bytes = FileSize(source);
        }
    }

    void AddMember(const MachineSets& game, const AuditedFile& found) {
        const MachineSets* owner = audit_.graph.Find(found.owner);
        // Non-merged: everything of the game in its own zip, but a device's files stay in the
        // device's set, where MAME looks for them first.
        std::string set = game.name;
        if (request_.layout == ExportLayout::Split || (owner != nullptr && owner->isDevice))
            set = found.owner;
        // A file kept in a set up the chain takes that set's name for it.
        const bool ownRom =
            owner == nullptr || std::any_of(owner->roms.begin(), owner->roms.end(),
                                            [&](const RomFile& rom) { return &rom == found.rom; });
        const std::string name = set == game.name || ownRom ? found.rom->name : NameInSet(owner, *found.rom);
        ExportFile& file = FileAt(set, set + ".zip", ExportFile::Action::Build);
        if (!membersOf_[set].insert(ToLowerAscii(name)).second) return;
        file.members.push_back({name, found.source.size, found.source.crc, found.source});
        file.bytes += found.source.size;
    }

    // The game's samples: its own set, else the one it shares (sampleof).
    void AddSamples(const MachineSets& game) {
        if (request_.samplesFolder.empty() || !game.usesSamples) return;
        std::vector<std::string> names = {game.name};
        if (!game.sampleOf.empty() && game.sampleOf != game.name) names.push_back(game.sampleOf);
        for (const std::string& name : names) {
            const std::string zip = request_.samplesFolder + "/" + name + ".zip";
            if (FileExists(zip) && !IsDirectory(zip)) {
                AddCopy(name, "samples/" + name + ".zip", zip);
                return;
            }
            const std::string folder = request_.samplesFolder + "/" + name;
            FolderListing listing;
            std::string problem;
            if (IsDirectory(folder) && ListFolder(folder, listing, problem)) {
                for (const auto& [file, stamp] : listing.files)
                    AddCopy(name, "samples/" + name + "/" + file, folder + "/" + file);
                return;
            }
        }
        plan_.missing.push_back(game.name + ": no samples " + names.back() + " in " + request_.samplesFolder);
    }

    const FileAudit& audit_;
    const ExportRequest& request_;
    ExportPlan& plan_;
    std::map<std::string, std::size_t> byRelative_;
    std::map<std::string, std::set<std::string>> membersOf_;
};

// The one stop question of a run: the window's Cancel or the program's signal.
struct StopAsk {
    ProgressSink* progress;
    bool operator()() const {
        return StopRequested() || (progress != nullptr && progress->CancelRequested());
    }
};

[[noreturn]] void ThrowCancelled() {
    throw EngineError(kCancelled, ErrorKind::Cancelled);
}

bool DiskFull(const std::string& problem) {
    return problem.find(std::strerror(ENOSPC)) != std::string::npos ||
           problem.find(std::strerror(EDQUOT)) != std::string::npos;
}

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct SourceFreer {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};

class Writer {
  public:
    Writer(const ExportRequest& request, const ExportPlan& plan, ProgressSink* progress, ExportResult& result)
        : request_(request), plan_(plan), progress_(progress), stop_{progress}, result_(result) {}

    void Write(const ExportFile& file) {
        const std::string target = request_.target + "/" + file.relative;
        if (progress_ != nullptr) progress_->Texts(kExportingTitle, file.relative);
        const std::string folder = FolderOf(target);
        if (!IsDirectory(folder) && !MakeDirectories(folder)) {
            result_.failures.push_back(folder + ": the folder cannot be made");
            return Advance(file.bytes);
        }
        if (file.action == ExportFile::Action::Copy && request_.link && !FileExists(target) &&
            ::link(file.source.c_str(), target.c_str()) == 0) {
            ++result_.linked;
            return Advance(file.bytes);
        }
        auto out = std::make_unique<AtomicOutputFile>();
        std::string problem;
        if (!out->Open(target)) {
            problem = out->Problem();
        } else if (file.action == ExportFile::Action::Copy) {
            problem = Copy(file, *out);
        } else {
            problem = Build(file, *out);
        }
        if (!problem.empty()) {
            out->Discard();
            if (DiskFull(problem)) throw EngineError("The export stopped: " + problem);
            result_.failures.push_back(problem);
            return Advance(file.bytes);
        }
        pending_.push_back({&file, std::move(out)});
        pendingBytes_ += file.bytes;
        if (pending_.size() >= kFilesPerSync || pendingBytes_ >= kBytesPerSync) Commit();
        Advance(file.bytes);
    }

    // Puts the files written since the last time in place, after one sync for all of them.
    void Commit() {
        std::vector<AtomicOutputFile*> files;
        for (const Pending& each : pending_) files.push_back(each.out.get());
        if (!files.empty() && !CommitFiles(files)) {
            std::string problem;
            for (AtomicOutputFile* each : files) {
                if (problem.empty()) problem = each->Problem();
            }
            if (DiskFull(problem)) throw EngineError("The export stopped: " + problem);
            for (const Pending& each : pending_)
                result_.failures.push_back(each.file->relative + ": not written (" + problem + ")");
        } else {
            for (const Pending& each : pending_) {
                const std::string target = request_.target + "/" + each.file->relative;
                if (each.file->action == ExportFile::Action::Copy) KeepTime(each.file->source, target);
                ++result_.written;
                result_.bytesWritten += FileSize(target);
            }
        }
        pending_.clear();
        pendingBytes_ = 0;
    }

  private:
    void Advance(std::uint64_t bytes) {
        done_ += bytes;
        Report(0);
    }
    void Report(std::uint64_t partial) {
        if (progress_ != nullptr)
            progress_->Progress(static_cast<std::int64_t>(done_ + partial),
                                static_cast<std::int64_t>(plan_.bytesToWrite));
    }

    // The copy takes the source's time, so that the next run sees it unchanged at a glance.
    static void KeepTime(const std::string& source, const std::string& target) {
        struct stat info {};
        if (::stat(source.c_str(), &info) != 0) return;
        const struct timespec times[2] = {info.st_atim, info.st_mtim};
        ::utimensat(AT_FDCWD, target.c_str(), times, 0);
    }

    std::string Copy(const ExportFile& file, AtomicOutputFile& out) {
        std::int64_t size = 0;
        std::string problem;
        const int fd = OpenReadableFile(file.source, size, &problem);
        if (fd < 0) return problem;
        std::int64_t copied = 0;
        while (copied < size && !out.Failed()) {
            if (stop_()) {
                ::close(fd);
                ThrowCancelled();
            }
            const std::int64_t got = out.CopyFrom(fd, copied, std::min(kCopyStep, size - copied));
            if (got <= 0) break;
            copied += got;
            Report(static_cast<std::uint64_t>(copied));
        }
        ::close(fd);
        if (out.Failed()) return out.Problem();
        if (copied != size) return file.source + ": cannot be read whole";
        // The copy read back must be the source's bytes.
        std::uint32_t want = 0, have = 0;
        const std::string written = out.FlushForReading();
        if (!FileCrc32(file.source, want, problem, stop_) || !FileCrc32(written, have, problem, stop_)) {
            if (stop_()) ThrowCancelled();
            return file.relative + ": " + problem;
        }
        if (want != have) return file.relative + ": the copy does not read back as its source";
        return {};
    }

    static int Cancelled(zip_t*, void* state) { return (*static_cast<StopAsk*>(state))() ? 1 : 0; }

    std::string Build(const ExportFile& file, AtomicOutputFile& out) {
        zip_error_t error;
        zip_error_init(&error);
        std::unique_ptr<zip_source_t, SourceFreer> buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
        std::unique_ptr<zip_t, ZipCloser> zip(
            buffer ? zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error) : nullptr);
        if (!zip) {
            std::string text = zip_error_strerror(&error);
            zip_error_fini(&error);
            return file.relative + ": " + text;
        }
        zip_source_keep(buffer.get());  // the zip's end must not free the bytes it wrote
        zip_register_cancel_callback_with_state(zip.get(), Cancelled, nullptr, &stop_);
        // Sources stay open until the zip is written.
        std::map<std::string, std::unique_ptr<zip_t, ZipCloser>> archives;
        std::deque<std::string> unpacked;
        std::vector<ExportMember> members = file.members;
        std::sort(members.begin(), members.end(),
                  [](const ExportMember& a, const ExportMember& b) { return a.name < b.name; });
        for (const ExportMember& member : members) {
            if (stop_()) ThrowCancelled();
            const FileSource& from = member.source;
            zip_source_t* source = nullptr;
            std::string problem;
            if (from.kind == SourceKind::Zip) {
                auto& archive = archives[from.container];
                int code = 0;
                if (!archive) archive.reset(zip_open(from.container.c_str(), ZIP_RDONLY, &code));
                const zip_int64_t index =
                    archive ? zip_name_locate(archive.get(), from.member.c_str(), ZIP_FL_ENC_RAW) : -1;
                // The whole member: its compressed bytes are taken over as they are.
                if (index >= 0)
                    source =
                        zip_source_zip(zip.get(), archive.get(), static_cast<zip_uint64_t>(index), 0, 0, -1);
            } else if (from.kind == SourceKind::SevenZip) {
                unpacked.emplace_back();
                if (ReadSevenZipMember(from.container, from.member, unpacked.back(), problem, stop_))
                    source = zip_source_buffer(zip.get(), unpacked.back().data(), unpacked.back().size(), 0);
                if (stop_()) ThrowCancelled();
            } else {
                source = zip_source_file(zip.get(), (from.container + "/" + from.member).c_str(), 0, -1);
            }
            if (source == nullptr ||
                zip_file_add(zip.get(), member.name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
                if (source != nullptr) zip_source_free(source);
                return from.container + ": " + (problem.empty() ? from.member + " cannot be read" : problem);
            }
        }
        if (zip_close(zip.get()) != 0) {
            if (stop_()) ThrowCancelled();
            return file.relative + ": " + zip_strerror(zip.get());
        }
        zip.release();
        // The zip, made in memory, goes to the output file.
        if (zip_source_open(buffer.get()) != 0) return file.relative + ": the new zip cannot be read";
        std::vector<char> chunk(1 << 20);
        zip_int64_t got = 0;
        while ((got = zip_source_read(buffer.get(), chunk.data(), chunk.size())) > 0) {
            out.Write(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
        }
        zip_source_close(buffer.get());
        if (out.Failed()) return out.Problem();
        if (got < 0) return file.relative + ": the new zip cannot be read";
        std::string problem;
        if (!CheckZipData(out.FlushForReading(), ExpectedMembers(file), problem, stop_)) {
            if (stop_()) ThrowCancelled();
            return file.relative + ": " + (out.Failed() ? out.Problem() : problem);
        }
        return {};
    }

    const ExportRequest& request_;
    const ExportPlan& plan_;
    ProgressSink* progress_;
    StopAsk stop_;
    ExportResult& result_;
    std::uint64_t done_ = 0;
    struct Pending {
        const ExportFile* file;
        std::unique_ptr<AtomicOutputFile> out;
    };
    std::vector<Pending> pending_;  // written and checked, not yet in place
    std::uint64_t pendingBytes_ = 0;
};

std::string Megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

std::string Counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

const char* ExportLayoutWord(ExportLayout layout) {
    switch (layout) {
        case ExportLayout::Split:
            return "split";
        case ExportLayout::NonMerged:
            return "non-merged";
        default:
            return "as-is";
    }
}

bool ParseExportLayout(std::string_view word, ExportLayout& layout) {
    for (ExportLayout each : {ExportLayout::AsIs, ExportLayout::Split, ExportLayout::NonMerged}) {
        if (word == ExportLayoutWord(each)) {
            layout = each;
            return true;
        }
    }
    return false;
}

ExportPlan PlanExport(const Catalog& catalog, const std::string& masterPath, const ExportRequest& request,
                      ProgressSink* progress) {
    const FileAudit audit = AuditFiles(catalog, masterPath, request.audit, progress);
    ExportPlan plan;
    Planner planner(audit, request, plan);
    for (std::size_t i = 0; i < audit.games.size(); ++i) {
        const GameAudit& game = audit.audits[i];
        const bool runnable = Runnable(game.status);
        // A game with no set at all is only counted: a search finds many a game nobody has.
        if (!runnable && game.status != AuditStatus::Missing)
            plan.missing.push_back(game.name + ": " + std::string(AuditStatusWord(game.status)) +
                                   (game.detail.empty() ? "" : " (" + game.detail + ")"));
        if (!runnable && !request.includeIncomplete) {
            plan.skipped.push_back(game);
            continue;
        }
        plan.exported.push_back(game);
        planner.AddGame(i);
    }
    if (progress != nullptr) progress->Texts("Comparing with the target folder...", request.target);
    planner.Finish();
    return plan;
}

ExportResult RunExport(const ExportPlan& plan, const ExportRequest& request, ProgressSink* progress) {
    ExportResult result;
    if (!IsDirectory(request.target) && !MakeDirectories(request.target))
        throw EngineError("The folder " + request.target + " cannot be made.");
    Writer writer(request, plan, progress, result);
    for (const ExportFile& file : plan.files) {
        if (file.action == ExportFile::Action::Unchanged) ++result.unchanged;
        if (file.action == ExportFile::Action::Copy || file.action == ExportFile::Action::Build) {
            if (StopAsk{progress}()) ThrowCancelled();
            writer.Write(file);
        }
    }
    writer.Commit();
    return result;
}

std::string ExportSummary(const ExportPlan& plan, const ExportResult* result) {
    std::size_t conflicts = 0, unchanged = 0, toWrite = 0;
    for (const ExportFile& file : plan.files) {
        conflicts += file.action == ExportFile::Action::Conflict;
        unchanged += file.action == ExportFile::Action::Unchanged;
        toWrite += file.action == ExportFile::Action::Copy || file.action == ExportFile::Action::Build;
    }
    std::string text = Counted(plan.exported.size(), "game", "games") + ": " +
                       Counted(plan.files.size(), "file", "files") + " (";
    if (result != nullptr) {
        text += std::to_string(result->written + result->linked) + " written";
        if (result->linked > 0) text += ", " + std::to_string(result->linked) + " of them linked";
        text += ", " + Megabytes(result->bytesWritten);
    } else {
        text += std::to_string(toWrite) + " to write, " + Megabytes(plan.bytesToWrite);
    }
    text += ", " + std::to_string(unchanged) + " unchanged";
    if (conflicts > 0) text += ", " + std::to_string(conflicts) + " not replaced";
    if (result != nullptr && !result->failures.empty())
        text += ", " + std::to_string(result->failures.size()) + " failed";
    text += ")";
    const auto absent = std::count_if(plan.skipped.begin(), plan.skipped.end(), [](const GameAudit& game) {
        return game.status == AuditStatus::Missing;
    });
    if (!plan.skipped.empty())
        text += "; " + Counted(plan.skipped.size(), "game", "games") + " skipped as not complete (" +
                std::to_string(absent) + " with no set at all)";
    return text;
}

}  // namespace vantor
