#include "RomAudit.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

constexpr std::string_view kStatusWords[kAuditStatusCount] = {"good",       "best-available", "missing",
                                                              "incomplete", "needs-set",      "chd-missing"};

// Set folders hold their files, rarely a folder or two of them; a ROM folder is not a whole disk.
constexpr int kListingDepth = 3;
// Names listed in a detail before "and N more".
constexpr std::size_t kNamesShown = 8;

std::int64_t ModifiedNanoseconds(const struct stat& info) {
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

void ListFolderInto(int fd, const std::string& prefix, int depth, FolderListing& listing) {
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        close(fd);
        return;
    }
    while (dirent* entry = readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat info;
        // Links are followed: ROM folders are often made of them.
        if (fstatat(dirfd(dir), entry->d_name, &info, 0) != 0) continue;
        std::string relative = prefix + std::string(name);
        if (S_ISDIR(info.st_mode)) {
            listing.folders.insert(relative);
            if (depth + 1 < kListingDepth) {
                int child = openat(dirfd(dir), entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                if (child >= 0) ListFolderInto(child, relative + "/", depth + 1, listing);
            }
        } else if (S_ISREG(info.st_mode)) {
            listing.files[relative] = {static_cast<std::uint64_t>(info.st_size), ModifiedNanoseconds(info)};
        }
    }
    closedir(dir);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// A member inside a folder of the archive ("clone/name"), as merged sets keep a clone's file whose
// name its parent uses too.
bool EndsWithPathOf(std::string_view member, std::string_view name) {
    return member.size() > name.size() && member[member.size() - name.size() - 1] == '/' &&
           EqualsIgnoringCase(member.substr(member.size() - name.size()), name);
}

// The member MAME's archive search takes: the right CRC and name, the right CRC in a folder, the
// right CRC under any name, then the name alone.
const ArchiveMember* SearchMembers(const ArchiveContents& contents, const RomFile& rom) {
    const std::vector<ArchiveMember>& members = contents.members;
    auto first = [&](auto matches) -> const ArchiveMember* {
        auto found = std::find_if(members.begin(), members.end(), matches);
        return found == members.end() ? nullptr : &*found;
    };
    const bool byCrc = rom.hasCrc && rom.status != DumpStatus::NoDump;
    const ArchiveMember* member = nullptr;
    if (byCrc) {
        member = first(
            [&](const ArchiveMember& m) { return m.crc == rom.crc && EqualsIgnoringCase(m.name, rom.name); });
        if (member == nullptr)
            member = first(
                [&](const ArchiveMember& m) { return m.crc == rom.crc && EndsWithPathOf(m.name, rom.name); });
        if (member == nullptr) member = first([&](const ArchiveMember& m) { return m.crc == rom.crc; });
    }
    if (member == nullptr)
        member = first([&](const ArchiveMember& m) { return EqualsIgnoringCase(m.name, rom.name); });
    if (member == nullptr)
        member = first([&](const ArchiveMember& m) { return EndsWithPathOf(m.name, rom.name); });
    return member;
}

std::string Hex8(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

// The SHA1 a CHD's header gives for its data and metadata (versions 3 to 5); false when the file
// is no CHD.
bool ReadChdSha1(const std::string& path, std::string& sha1) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    unsigned char header[124] = {};
    ssize_t got = pread(fd, header, sizeof header, 0);
    close(fd);
    if (got < 16 || std::memcmp(header, "MComprHD", 8) != 0) return false;
    const unsigned version = (unsigned{header[12]} << 24) | (unsigned{header[13]} << 16) |
                             (unsigned{header[14]} << 8) | header[15];
    std::size_t offset = version == 5 ? 84 : version == 4 ? 48 : version == 3 ? 80 : 0;
    if (offset == 0 || static_cast<std::size_t>(got) < offset + 20) return false;
    sha1.clear();
    for (std::size_t i = 0; i < 20; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", header[offset + i]);
        sha1 += pair;
    }
    return true;
}

// "a, b, c and 4 more"
std::string NameList(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i) {
        if (i > 0) text += ", ";
        text += names[i];
    }
    if (names.size() > kNamesShown) text += " and " + std::to_string(names.size() - kNamesShown) + " more";
    return text;
}

void AddOnce(std::vector<std::string>& list, std::string item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(std::move(item));
}

void AppendPart(std::string& detail, const std::string& part) {
    if (part.empty()) return;
    if (!detail.empty()) detail += "; ";
    detail += part;
}

// A detail is one field of a line: no field separator, no line end.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '|' || c == '\n' || c == '\r' || c == '\t') c = ' ';
    }
    return text;
}

}  // namespace

std::string_view AuditStatusWord(AuditStatus status) {
    return kStatusWords[static_cast<int>(status)];
}

bool ParseAuditStatus(std::string_view word, AuditStatus& status) {
    for (int i = 0; i < kAuditStatusCount; ++i) {
        if (EqualsIgnoringCase(word, kStatusWords[i])) {
            status = static_cast<AuditStatus>(i);
            return true;
        }
    }
    return false;
}

bool ListFolder(const std::string& path, FolderListing& listing, std::string& problem) {
    listing = FolderListing();
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        problem = std::strerror(errno);
        return false;
    }
    ListFolderInto(fd, "", 0, listing);
    return true;
}

// ---------------------------------------------------------------------------------------------

struct SetAuditor::Found {
    bool found = false;
    FileSource source;
    std::string sha1;     // disks
    bool notChd = false;  // disks: the file is no CHD
};

// What became of one file, in MAME's terms.
enum class FileVerdict {
    Good,
    NeedsRedump,
    FoundNoDump,
    NotFoundNoDump,
    NotFoundOptional,
    NotFound,
    WrongLength,
    Wrong
};

struct SetAuditor::Record {
    const RomFile* rom = nullptr;
    const DiskFile* disk = nullptr;
    bool shared = false;  // also the file of a parent, BIOS or device set
    std::string owner;    // the set that holds it as its own
    std::vector<std::string> searchPath;
    Found found;
    FileVerdict verdict = FileVerdict::NotFound;

    const std::string& Name() const { return rom != nullptr ? rom->name : disk->name; }
    bool Dumped() const { return (rom != nullptr ? rom->status : disk->status) != DumpStatus::NoDump; }
    bool Optional() const { return rom != nullptr ? rom->optional : disk->optional; }
    bool Required() const { return Dumped() && !Optional(); }
    bool Bad() const {
        return verdict == FileVerdict::NotFound || verdict == FileVerdict::WrongLength ||
               verdict == FileVerdict::Wrong;
    }
};

SetAuditor::SetAuditor(const SetGraph& graph, const AuditFolders& folders,
                       const std::vector<FolderListing>& romFolders, const FolderListing& chdFolder,
                       SourceCache& cache, StopCheck stop)
    : graph_(graph),
      folders_(folders),
      romFolders_(romFolders),
      chdFolder_(chdFolder),
      cache_(cache),
      stop_(std::move(stop)) {}

const std::vector<SetAuditor::Location>& SetAuditor::LocationsOf(const std::string& set) {
    auto known = locations_.find(set);
    if (known != locations_.end()) return known->second;
    std::vector<Location> found;
    // MAME's order in each ROM folder: a plain file, then a zip, then a 7z.
    for (std::size_t i = 0; i < romFolders_.size() && i < folders_.romFolders.size(); ++i) {
        const FolderListing& listing = romFolders_[i];
        const std::string base = folders_.romFolders[i] + "/";
        if (listing.folders.count(set) != 0) found.push_back({base + set, nullptr, set + "/", i});
        for (const char* extension : {".zip", ".7z"}) {
            auto file = listing.files.find(set + extension);
            if (file == listing.files.end()) continue;
            const bool sevenZip = extension[1] == '7';
            found.push_back({base + file->first, &Read(base + file->first, file->second, sevenZip), "", i});
        }
    }
    return locations_.emplace(set, std::move(found)).first->second;
}

const ArchiveContents& SetAuditor::Read(const std::string& path, const FileStamp& stamp, bool sevenZip) {
    auto cached = cache_.find(path);
    if (cached != cache_.end() && cached->second.stamp == stamp) return cached->second.contents;
    ++sourcesRead_;
    CachedSource source{stamp, sevenZip ? ReadSevenZipDirectory(path, stop_) : ReadZipDirectory(path)};
    return cache_.insert_or_assign(path, std::move(source)).first->second.contents;
}

const ArchiveContents* SetAuditor::FolderFile(const Location& location, const std::string& name,
                                              std::string& path) {
    const FolderListing& listing = romFolders_[location.folder];
    auto file = listing.files.find(location.folderPrefix + name);
    if (file == listing.files.end()) return nullptr;
    path = location.path + "/" + name;
    auto cached = cache_.find(path);
    if (cached == cache_.end() || !(cached->second.stamp == file->second)) {
        ++sourcesRead_;
        CachedSource source{file->second, {}};
        ArchiveMember member{name, file->second.size, 0};
        if (FileCrc32(path, member.crc, source.contents.problem)) source.contents.members.push_back(member);
        cached = cache_.insert_or_assign(path, std::move(source)).first;
    }
    return &cached->second.contents;
}

SetAuditor::Found SetAuditor::FindRom(const std::vector<std::string>& searchPath, const RomFile& rom,
                                      std::vector<std::string>& problems) {
    Found result;
    for (const std::string& set : searchPath) {
        for (const Location& location : LocationsOf(set)) {
            if (location.contents == nullptr) {
                // A set folder: the file by its name.
                std::string path;
                const ArchiveContents* contents = FolderFile(location, rom.name, path);
                if (contents == nullptr) continue;
                if (!contents->Readable()) {
                    AddOnce(problems, path + " cannot be read (" + contents->problem + ")");
                    continue;
                }
                const ArchiveMember& member = contents->members.front();
                result.found = true;
                result.source = {SourceKind::Folder, location.path, rom.name, member.size, member.crc};
                return result;
            }
            if (!location.contents->Readable()) {
                AddOnce(problems, location.path + " cannot be read (" + location.contents->problem + ")");
                continue;
            }
            if (const ArchiveMember* member = SearchMembers(*location.contents, rom)) {
                result.found = true;
                result.source = {location.path.ends_with(".7z") ? SourceKind::SevenZip : SourceKind::Zip,
                                 location.path, member->name, member->size, member->crc};
                return result;
            }
        }
    }
    return result;
}

std::optional<FileSource> SetAuditor::FindExact(const std::vector<std::string>& sets, const RomFile& rom) {
    auto right = [&](const ArchiveMember& member) {
        return member.size == rom.size &&
               (rom.hasCrc ? member.crc == rom.crc : EqualsIgnoringCase(member.name, rom.name));
    };
    for (const std::string& set : sets) {
        for (const Location& location : LocationsOf(set)) {
            if (location.contents == nullptr) {
                std::string path;
                const ArchiveContents* contents = FolderFile(location, rom.name, path);
                if (contents != nullptr && contents->Readable() && right(contents->members.front()))
                    return FileSource{SourceKind::Folder, location.path, rom.name, rom.size,
                                      contents->members.front().crc};
                continue;
            }
            const std::vector<ArchiveMember>& members = location.contents->members;
            const ArchiveMember* best = nullptr;
            // The member of the ROM's name first, as an archive may hold one file twice.
            for (const ArchiveMember& member : members) {
                if (!right(member)) continue;
                if (EqualsIgnoringCase(member.name, rom.name) || EndsWithPathOf(member.name, rom.name)) {
                    best = &member;
                    break;
                }
                if (best == nullptr) best = &member;
            }
            if (best != nullptr)
                return FileSource{location.path.ends_with(".7z") ? SourceKind::SevenZip : SourceKind::Zip,
                                  location.path, best->name, best->size, best->crc};
        }
    }
    return std::nullopt;
}

SetAuditor::Found SetAuditor::FindDisk(const std::vector<std::string>& searchPath, const DiskFile& disk) {
    Found result;
    for (const std::string& set : searchPath) {
        const std::string relative = set + "/" + disk.name + ".chd";
        for (std::size_t i = 0; i <= romFolders_.size() && i <= folders_.romFolders.size(); ++i) {
            const bool chds = i == romFolders_.size() || i == folders_.romFolders.size();
            if (chds && folders_.chdFolder.empty()) break;
            const FolderListing& listing = chds ? chdFolder_ : romFolders_[i];
            auto file = listing.files.find(relative);
            if (file == listing.files.end()) continue;
            result.found = true;
            const std::string path = (chds ? folders_.chdFolder : folders_.romFolders[i]) + "/" + relative;
            result.source = {SourceKind::Chd, path, "", file->second.size, 0};
            result.notChd = !ReadChdSha1(path, result.sha1);
            return result;
        }
    }
    return result;
}

std::string SetAuditor::WhereLooked(const std::vector<std::string>& sets) {
    std::vector<std::string> paths;
    for (const std::string& set : sets) {
        for (const Location& location : LocationsOf(set)) AddOnce(paths, location.path);
    }
    if (!paths.empty()) return "looked in " + NameList(paths);
    std::string folders;
    for (const std::string& folder : folders_.romFolders) folders += (folders.empty() ? "" : ", ") + folder;
    std::string names;
    for (const std::string& set : sets) names += (names.empty() ? "" : "/") + set;
    return "no " + names + " set in " + folders;
}

GameAudit SetAuditor::Audit(const MachineSets& game, std::vector<AuditedFile>* files) {
    GameAudit audit;
    audit.position = game.position;
    audit.name = game.name;
    const std::vector<std::string> chain = graph_.RomOfChain(game);

    std::vector<Record> records;
    // A file of the game is shared when a set up its chain has it too (the same CRC and size, or
    // for a file never dumped, the same name); the deepest such set holds it as its own.
    auto ownerOfShared = [&](auto matches) {
        std::string owner;
        for (std::size_t i = 1; i < chain.size(); ++i) {
            const MachineSets* parent = graph_.Find(chain[i]);
            if (parent != nullptr && matches(*parent)) owner = parent->name;
        }
        return owner;
    };
    for (const RomFile& rom : game.roms) {
        Record record;
        record.rom = &rom;
        record.searchPath = chain;
        record.owner = ownerOfShared([&](const MachineSets& parent) {
            return std::any_of(parent.roms.begin(), parent.roms.end(), [&](const RomFile& other) {
                return rom.status != DumpStatus::NoDump
                           ? other.hasCrc == rom.hasCrc && other.crc == rom.crc && other.size == rom.size
                           : other.name == rom.name;
            });
        });
        record.shared = !record.owner.empty();
        if (!record.shared) record.owner = game.name;
        records.push_back(std::move(record));
    }
    for (const DiskFile& disk : game.disks) {
        Record record;
        record.disk = &disk;
        record.searchPath = chain;
        record.owner = ownerOfShared([&](const MachineSets& parent) {
            return std::any_of(parent.disks.begin(), parent.disks.end(), [&](const DiskFile& other) {
                return disk.sha1.empty() ? other.name == disk.name : other.sha1 == disk.sha1;
            });
        });
        record.shared = !record.owner.empty();
        if (!record.shared) record.owner = game.name;
        records.push_back(std::move(record));
    }
    // A device's files are looked for in its own set first, then where the game's are.
    for (const std::string& name : game.devices) {
        const MachineSets* device = graph_.Find(name);
        if (device == nullptr || device == &game || (device->roms.empty() && device->disks.empty())) continue;
        std::vector<std::string> path = graph_.RomOfChain(*device);
        for (const std::string& set : chain) AddOnce(path, set);
        for (const RomFile& rom : device->roms) {
            Record record;
            record.rom = &rom;
            record.shared = true;
            record.owner = device->name;
            record.searchPath = path;
            records.push_back(std::move(record));
        }
        for (const DiskFile& disk : device->disks) {
            Record record;
            record.disk = &disk;
            record.shared = true;
            record.owner = device->name;
            record.searchPath = path;
            records.push_back(std::move(record));
        }
    }

    // What the caller sees of the records once they are judged.
    struct Report {
        const std::vector<Record>& records;
        std::vector<AuditedFile>* files;
        ~Report() {
            if (files == nullptr) return;
            files->clear();
            for (const Record& record : records)
                files->push_back({record.rom, record.disk, record.owner, record.Required(),
                                  record.found.found, record.Required() && record.Bad(),
                                  record.found.source});
        }
    } report{records, files};

    if (records.empty()) {
        // MAME calls a set that needs no file "best available".
        audit.status = AuditStatus::BestAvailable;
        audit.detail = "needs no files";
        return audit;
    }

    std::vector<std::string> problems;  // archives that could not be read
    std::size_t required = 0, sharedRequired = 0, found = 0, sharedFound = 0;
    for (Record& record : records) {
        if (record.rom != nullptr) {
            record.found = FindRom(record.searchPath, *record.rom, problems);
        } else {
            record.found = FindDisk(record.searchPath, *record.disk);
        }
        const Found& at = record.found;
        DumpStatus status = record.rom != nullptr ? record.rom->status : record.disk->status;
        if (!at.found) {
            record.verdict = !record.Dumped()    ? FileVerdict::NotFoundNoDump
                             : record.Optional() ? FileVerdict::NotFoundOptional
                                                 : FileVerdict::NotFound;
        } else if (record.rom != nullptr && at.source.size != record.rom->size) {
            record.verdict = FileVerdict::WrongLength;
        } else if (status == DumpStatus::NoDump) {
            record.verdict = FileVerdict::FoundNoDump;
        } else if (record.rom != nullptr
                       ? record.rom->hasCrc && at.source.crc != record.rom->crc
                       : at.notChd || (!record.disk->sha1.empty() && at.sha1 != record.disk->sha1)) {
            record.verdict = FileVerdict::Wrong;
        } else {
            record.verdict = status == DumpStatus::BadDump ? FileVerdict::NeedsRedump : FileVerdict::Good;
        }
        if (record.Required()) {
            ++required;
            if (record.shared) ++sharedRequired;
        }
        if (at.found) {
            ++found;
            if (record.shared) ++sharedFound;
        }
    }

    // An archive of the game's own set that cannot be read is reported, whatever else was found.
    std::vector<std::string> ownProblems;
    for (const Location& location : LocationsOf(game.name)) {
        if (location.contents != nullptr && !location.contents->Readable())
            ownProblems.push_back(location.path + " cannot be read (" + location.contents->problem + ")");
    }

    // MAME's rule: when only files shared with other sets were found, and the game has files of
    // its own or none was found at all, the game's set is not there.
    if (ownProblems.empty() && found == sharedFound && required > 0 &&
        (required != sharedRequired || sharedFound == 0)) {
        audit.status = AuditStatus::Missing;
        audit.detail = OneLine("no set found (" + WhereLooked(chain) + ")");
        return audit;
    }

    auto describe = [](const std::vector<const Record*>& bad) {
        std::vector<std::string> missing, wrong;
        for (const Record* record : bad) {
            const std::string file = record->rom != nullptr ? record->Name() : record->Name() + ".chd";
            if (record->verdict == FileVerdict::NotFound) {
                AddOnce(missing, file);
            } else if (record->verdict == FileVerdict::WrongLength) {
                AddOnce(wrong, file + " (size " + std::to_string(record->found.source.size) + ", expected " +
                                   std::to_string(record->rom->size) + ")");
            } else if (record->rom != nullptr) {
                AddOnce(wrong, file + " (CRC " + Hex8(record->found.source.crc) + ", expected " +
                                   Hex8(record->rom->crc) + ")");
            } else {
                AddOnce(wrong, file + (record->found.notChd ? " (not a CHD)"
                                                            : " (SHA1 " + record->found.sha1 + ")"));
            }
        }
        std::string text;
        if (!missing.empty()) text = "missing " + NameList(missing);
        if (!wrong.empty()) AppendPart(text, "wrong " + NameList(wrong));
        return text;
    };

    std::vector<const Record*> ownBad, disksBad;
    std::vector<std::string> owners;  // the other sets with bad files, in the order met
    std::vector<std::string> redump, noGoodDump, optional;
    for (const Record& record : records) {
        if (record.Bad()) {
            if (record.disk != nullptr) {
                disksBad.push_back(&record);
            } else if (!record.shared) {
                ownBad.push_back(&record);
            } else {
                AddOnce(owners, record.owner);
            }
        } else if (record.verdict == FileVerdict::NeedsRedump) {
            AddOnce(redump, record.Name());
        } else if (record.verdict == FileVerdict::FoundNoDump ||
                   record.verdict == FileVerdict::NotFoundNoDump) {
            AddOnce(noGoodDump, record.Name());
        } else if (record.verdict == FileVerdict::NotFoundOptional) {
            AddOnce(optional, record.Name());
        }
    }

    std::string detail;
    if (!ownBad.empty() || !ownProblems.empty()) {
        std::string part = describe(ownBad);
        for (const std::string& problem : ownProblems) AddOnce(problems, problem);
        for (const std::string& problem : problems) AppendPart(part, problem);
        AppendPart(part, WhereLooked(chain));
        AppendPart(detail, part);
    }
    for (const std::string& owner : owners) {
        std::vector<const Record*> bad;
        std::vector<std::string> path;
        for (const Record& record : records) {
            if (record.Bad() && record.rom != nullptr && record.shared && record.owner == owner) {
                bad.push_back(&record);
                path = record.searchPath;
            }
        }
        bool ownerThere = !LocationsOf(owner).empty();
        std::string part = "needs " + owner + ": ";
        if (!ownerThere) {
            part += "not found";
        } else {
            part += describe(bad);
            for (const Location& location : LocationsOf(owner)) {
                if (location.contents != nullptr && !location.contents->Readable())
                    part += ", " + location.path + " cannot be read (" + location.contents->problem + ")";
            }
        }
        AppendPart(detail, part + " (" + WhereLooked(path) + ")");
    }
    if (!disksBad.empty()) AppendPart(detail, describe(disksBad) + " (" + WhereLooked(chain) + ")");

    if (!ownBad.empty() || !ownProblems.empty()) {
        audit.status = AuditStatus::Incomplete;
    } else if (!owners.empty()) {
        audit.status = AuditStatus::NeedsSet;
    } else if (!disksBad.empty()) {
        audit.status = AuditStatus::ChdMissing;
    } else if (!redump.empty() || !noGoodDump.empty() || !optional.empty()) {
        audit.status = AuditStatus::BestAvailable;
        if (!redump.empty()) AppendPart(detail, "needs redump: " + NameList(redump));
        if (!noGoodDump.empty()) AppendPart(detail, "no good dump known: " + NameList(noGoodDump));
        if (!optional.empty()) AppendPart(detail, "optional, not found: " + NameList(optional));
    } else {
        audit.status = AuditStatus::Good;
    }
    audit.detail = OneLine(std::move(detail));
    return audit;
}

}  // namespace vantor
