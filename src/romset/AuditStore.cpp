#include "AuditStore.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <climits>
#include <cstdlib>

#include "gamedata/AppPaths.h"
#include "gamedata/FileIo.h"

namespace vantor {

namespace {

constexpr std::string_view kAuditSignature = "Vantor ROM audit 1";
constexpr std::string_view kSourcesSignature = "Vantor ROM audit sources 1";

// Fields are separated by tabs and records by line feeds: both are escaped inside a field.
void AppendField(std::string& out, std::string_view field) {
    out += '\t';
    for (char c : field) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
}

std::string Unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        char next = field[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

// The fields of one line; the first is the record's kind.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    for (;;) {
        std::size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return;
        line.remove_prefix(tab + 1);
    }
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value, int base = 10) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

// Calls `line` for each line after the signature; false when the signature is not there.
template <typename Line>
bool ReadLines(const std::string& path, std::string_view signature, Line line) {
    std::string text;
    if (!ReadWholeFile(path, text)) return false;
    std::string_view rest = text;
    std::size_t end = rest.find('\n');
    if (rest.substr(0, end) != signature) return false;
    std::vector<std::string_view> fields;
    while (end != std::string_view::npos) {
        rest.remove_prefix(end + 1);
        end = rest.find('\n');
        std::string_view current = rest.substr(0, end);
        if (current.empty()) continue;
        SplitFields(current, fields);
        if (!line(fields)) return false;
    }
    return true;
}

std::uint64_t Fnv1a(std::string_view text, std::uint64_t hash = 14695981039346656037ull) {
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string Hex16(std::uint64_t value) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kDigits[value & 15];
    return text;
}

std::string MasterHash(const std::string& masterPath) {
    return Hex16(Fnv1a(AbsolutePath(masterPath)));
}

}  // namespace

std::string DefaultAuditFolder() {
    return UserDataFolder() + "/audits";
}

std::string AbsolutePath(const std::string& path) {
    if (char* resolved = realpath(path.c_str(), nullptr)) {
        std::string absolute = resolved;
        std::free(resolved);
        return absolute;
    }
    if (!path.empty() && path.front() == '/') return path;
    char* current = getcwd(nullptr, 0);
    std::string absolute = current != nullptr ? std::string(current) + "/" + path : path;
    std::free(current);
    return absolute;
}

bool StampOf(const std::string& path, FileStamp& stamp) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return false;
    stamp = {static_cast<std::uint64_t>(info.st_size),
             static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
    return true;
}

std::string KeptAuditStem(const std::string& keepFolder, const std::string& masterPath,
                          const AuditFolders& folders) {
    std::uint64_t hash = Fnv1a("roms");
    for (const std::string& folder : folders.romFolders) hash = Fnv1a(AbsolutePath(folder) + '\n', hash);
    hash =
        Fnv1a("chds\n" + (folders.chdFolder.empty() ? std::string() : AbsolutePath(folders.chdFolder)), hash);
    return keepFolder + "/" + MasterHash(masterPath) + "-" + Hex16(hash);
}

bool SaveKeptAudit(const std::string& path, const KeptAudit& audit) {
    std::string out(kAuditSignature);
    out += "\nmaster";
    AppendField(out, audit.masterPath);
    AppendField(out, std::to_string(audit.masterStamp.size));
    AppendField(out, std::to_string(audit.masterStamp.modified));
    for (const std::string& folder : audit.folders.romFolders) {
        out += "\nroms";
        AppendField(out, folder);
    }
    out += "\nchds";
    AppendField(out, audit.folders.chdFolder);
    out += audit.allGames ? "\nall\t1" : "\nall\t0";
    for (std::size_t i = 0; i < audit.listings.size(); ++i) {
        const std::string index = std::to_string(i);
        for (const std::string& folder : audit.listings[i].folders) {
            out += "\nd\t" + index;
            AppendField(out, folder);
        }
        for (const auto& [file, stamp] : audit.listings[i].files) {
            out += "\nf\t" + index;
            AppendField(out, file);
            out += '\t' + std::to_string(stamp.size) + '\t' + std::to_string(stamp.modified);
        }
    }
    for (const GameAudit& game : audit.games) {
        out += "\ng\t" + std::to_string(game.position);
        AppendField(out, game.name);
        AppendField(out, AuditStatusWord(game.status));
        AppendField(out, game.detail);
    }
    out += '\n';
    std::string folder = path.substr(0, path.rfind('/'));
    return MakeDirectories(folder) && WriteFileAtomically(path, out);
}

bool LoadKeptAudit(const std::string& path, KeptAudit& audit) {
    audit = KeptAudit();
    bool chdsSeen = false;
    bool read = ReadLines(path, kAuditSignature, [&](const std::vector<std::string_view>& fields) {
        std::string_view kind = fields[0];
        if (kind == "master" && fields.size() == 4) {
            audit.masterPath = Unescape(fields[1]);
            return ParseNumber(fields[2], audit.masterStamp.size) &&
                   ParseNumber(fields[3], audit.masterStamp.modified);
        }
        if (kind == "roms" && fields.size() == 2) {
            audit.folders.romFolders.push_back(Unescape(fields[1]));
            return true;
        }
        if (kind == "chds" && fields.size() == 2) {
            audit.folders.chdFolder = Unescape(fields[1]);
            chdsSeen = true;
            audit.listings.resize(audit.folders.romFolders.size() + 1);
            return true;
        }
        if (kind == "all" && fields.size() == 2) {
            audit.allGames = fields[1] == "1";
            return true;
        }
        std::size_t index = 0;
        if ((kind == "d" || kind == "f") && fields.size() >= 3 && chdsSeen && ParseNumber(fields[1], index) &&
            index < audit.listings.size()) {
            if (kind == "d") {
                audit.listings[index].folders.insert(Unescape(fields[2]));
                return fields.size() == 3;
            }
            FileStamp stamp;
            if (fields.size() != 5 || !ParseNumber(fields[3], stamp.size) ||
                !ParseNumber(fields[4], stamp.modified))
                return false;
            audit.listings[index].files.emplace(Unescape(fields[2]), stamp);
            return true;
        }
        if (kind == "g" && fields.size() == 5) {
            GameAudit game;
            game.name = Unescape(fields[2]);
            game.detail = Unescape(fields[4]);
            audit.games.push_back(std::move(game));
            return ParseNumber(fields[1], audit.games.back().position) &&
                   ParseAuditStatus(fields[3], audit.games.back().status);
        }
        return false;
    });
    return read && chdsSeen;
}

bool SaveSourceCache(const std::string& path, const SourceCache& cache) {
    std::string out(kSourcesSignature);
    char crc[9];
    for (const auto& [source, cached] : cache) {
        out += "\ns";
        AppendField(out, source);
        out += '\t' + std::to_string(cached.stamp.size) + '\t' + std::to_string(cached.stamp.modified);
        AppendField(out, cached.contents.problem);
        for (const ArchiveMember& member : cached.contents.members) {
            out += "\nm";
            AppendField(out, member.name);
            std::snprintf(crc, sizeof crc, "%08x", member.crc);
            out += '\t' + std::to_string(member.size) + '\t' + crc;
        }
    }
    out += '\n';
    std::string folder = path.substr(0, path.rfind('/'));
    return MakeDirectories(folder) && WriteFileAtomically(path, out);
}

bool LoadSourceCache(const std::string& path, SourceCache& cache) {
    cache.clear();
    CachedSource* current = nullptr;
    bool read = ReadLines(path, kSourcesSignature, [&](const std::vector<std::string_view>& fields) {
        if (fields[0] == "s" && fields.size() == 5) {
            CachedSource source;
            if (!ParseNumber(fields[2], source.stamp.size) || !ParseNumber(fields[3], source.stamp.modified))
                return false;
            source.contents.problem = Unescape(fields[4]);
            current = &cache.insert_or_assign(Unescape(fields[1]), std::move(source)).first->second;
            return true;
        }
        if (fields[0] == "m" && fields.size() == 4 && current != nullptr) {
            ArchiveMember member;
            member.name = Unescape(fields[1]);
            if (!ParseNumber(fields[2], member.size) || !ParseNumber(fields[3], member.crc, 16)) return false;
            current->contents.members.push_back(std::move(member));
            return true;
        }
        return false;
    });
    if (!read) cache.clear();
    return read;
}

std::optional<KeptAuditStatuses> KeptAuditStatuses::Load(const std::string& masterPath,
                                                         const std::string& keepFolder) {
    // The newest audit of this master file, whichever folders it used.
    const std::string prefix = MasterHash(masterPath) + "-";
    std::string newest;
    std::int64_t newestTime = INT64_MIN;
    if (DIR* dir = opendir(keepFolder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string_view name = entry->d_name;
            if (!name.starts_with(prefix) || !name.ends_with(".audit")) continue;
            FileStamp stamp;
            const std::string path = keepFolder + "/" + std::string(name);
            if (StampOf(path, stamp) && stamp.modified > newestTime) {
                newestTime = stamp.modified;
                newest = path;
            }
        }
        closedir(dir);
    }
    KeptAuditStatuses statuses;
    FileStamp master;
    if (newest.empty() || !LoadKeptAudit(newest, statuses.audit_) || !StampOf(masterPath, master) ||
        !(master == statuses.audit_.masterStamp))
        return std::nullopt;
    for (std::size_t i = 0; i < statuses.audit_.games.size(); ++i)
        statuses.byName_.try_emplace(statuses.audit_.games[i].name, i);
    return statuses;
}

const GameAudit* KeptAuditStatuses::Find(std::string_view romName) const {
    auto found = byName_.find(std::string(romName));
    return found == byName_.end() ? nullptr : &audit_.games[found->second];
}

bool KeptAuditStatuses::Holds(std::size_t kind, std::string_view value, std::string_view romName) const {
    AuditStatus asked;
    const GameAudit* game = Find(romName);
    return kind == kAuditTermKind && game != nullptr && ParseAuditStatus(value, asked) &&
           game->status == asked;
}

std::string KeptAuditStatuses::Describe(std::size_t kind, std::string_view romName) const {
    if (kind != kAuditTermKind) return {};
    const GameAudit* game = Find(romName);
    if (game == nullptr) return "not audited (the last audit checked other games)";
    std::string text(AuditStatusWord(game->status));
    if (!game->detail.empty()) text += ": " + game->detail;
    return text;
}

void AttachKeptAudit(Catalog& catalog, const std::string& keepFolder) {
    catalog.outsideFacts.reset();
    if (std::optional<KeptAuditStatuses> kept = KeptAuditStatuses::Load(catalog.file.Path(), keepFolder))
        catalog.outsideFacts = std::make_shared<const KeptAuditStatuses>(std::move(*kept));
}

}  // namespace vantor
