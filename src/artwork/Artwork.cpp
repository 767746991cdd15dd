#include "Artwork.h"

#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <unordered_set>

#include "gamedata/Catalog.h"
#include "gamedata/FileIo.h"

namespace vantor {

namespace {

// In the order a game's own pictures are looked for.
constexpr const char* kExtensions[] = {".png", ".jpg", ".jpeg"};

// A ROM name becomes part of a path: one that could leave the kind's folder finds nothing.
bool UsableName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string TooLarge(const std::string& what, std::uint64_t size, std::size_t limit) {
    return "The picture " + what + " is " + std::to_string(size) + " bytes, more than the " +
           std::to_string(limit) + " a picture may have.";
}

std::string ZipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

// A zip opened for reading, closed with the object.
class ZipReader {
  public:
    explicit ZipReader(const std::string& path) {
        int code = 0;
        zip_ = zip_open(path.c_str(), ZIP_RDONLY, &code);
        if (zip_ == nullptr) problem_ = ZipErrorText(code);
    }
    ~ZipReader() {
        if (zip_ != nullptr) zip_discard(zip_);
    }
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    zip_t* Get() const { return zip_; }
    const std::string& Problem() const { return problem_; }

  private:
    zip_t* zip_ = nullptr;
    std::string problem_;
};

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& problem, std::size_t limit) {
    if (ReadWholeFile(path, bytes, nullptr, static_cast<std::int64_t>(limit))) return true;
    // Too large (or grown so while it was read), or unreadable: said in a picture's words.
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    problem =
        !error && size > limit ? TooLarge(path, size, limit) : "The picture " + path + " cannot be read.";
    return false;
}

bool ReadZipMemberBytes(const PictureLocation& where, std::string& bytes, std::string& problem,
                        std::size_t limit) {
    const std::string what = where.Text();
    ZipReader zip(where.file);
    if (zip.Get() == nullptr) {
        problem = "The zip " + where.file + " cannot be read: " + zip.Problem() + ".";
        return false;
    }
    const zip_int64_t index = zip_name_locate(zip.Get(), where.member.c_str(), 0);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (index < 0 || zip_stat_index(zip.Get(), static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
        problem = "The picture " + what + " is not in the zip.";
        return false;
    }
    // The size the zip declares is checked before anything is unpacked; the bytes read are
    // checked too, in case the declaration lies.
    if ((stat.valid & ZIP_STAT_SIZE) != 0 && stat.size > limit) {
        problem = TooLarge(what, stat.size, limit);
        return false;
    }
    zip_file_t* file = zip_fopen_index(zip.Get(), static_cast<zip_uint64_t>(index), 0);
    if (file == nullptr) {
        problem = "The picture " + what + " cannot be unpacked: " + zip_strerror(zip.Get()) + ".";
        return false;
    }
    bytes.resize((stat.valid & ZIP_STAT_SIZE) != 0 ? static_cast<std::size_t>(stat.size) + 1 : 64 * 1024);
    std::size_t got = 0;
    bool ok = true;
    for (;;) {
        if (got == bytes.size()) {
            if (got > limit) break;
            bytes.resize(std::min(limit + 1, bytes.size() * 2));
        }
        const zip_int64_t n = zip_fread(file, bytes.data() + got, bytes.size() - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else {
            ok = n == 0;
            if (!ok)
                problem = "The picture " + what + " cannot be unpacked: " + zip_file_strerror(file) + ".";
            break;
        }
    }
    zip_fclose(file);
    if (!ok) return false;
    if (got > limit) {
        problem = TooLarge(what, got, limit);
        return false;
    }
    bytes.resize(got);
    return true;
}

}  // namespace

const std::vector<PictureKindInfo>& PictureKinds() {
    static const std::vector<PictureKindInfo> kinds = {
        {PictureKind::Snap, "snap", "Snapshot"},        {PictureKind::Titles, "titles", "Title"},
        {PictureKind::Marquees, "marquees", "Marquee"}, {PictureKind::Flyers, "flyers", "Flyer"},
        {PictureKind::Cabinets, "cabinets", "Cabinet"},
    };
    return kinds;
}

const PictureKindInfo& KindInfo(PictureKind kind) {
    return PictureKinds()[static_cast<std::size_t>(kind)];
}

bool ParsePictureKind(std::string_view name, PictureKind& kind) {
    for (const PictureKindInfo& info : PictureKinds()) {
        if (name == info.name) {
            kind = info.kind;
            return true;
        }
    }
    return false;
}

std::vector<PictureKind> ParsePictureKindList(std::string_view text) {
    if (text.empty())
        return {PictureKind::Snap, PictureKind::Titles, PictureKind::Marquees, PictureKind::Flyers};
    std::vector<PictureKind> kinds;
    for (const PictureKindInfo& info : PictureKinds()) {
        for (std::size_t start = 0; start <= text.size();) {
            std::size_t end = std::min(text.find(',', start), text.size());
            if (text.substr(start, end - start) == info.name) {
                kinds.push_back(info.kind);
                break;
            }
            start = end + 1;
        }
    }
    return kinds;
}

std::string PictureKindListText(const std::vector<PictureKind>& kinds) {
    std::string text;
    for (PictureKind kind : kinds) text += (text.empty() ? "" : ",") + std::string(KindInfo(kind).name);
    return text.empty() ? "none" : text;
}

std::string PictureLocation::Text() const {
    return InZip() ? file + ":" + member : file;
}

std::string ParentName(const Catalog& catalog, std::string_view record) {
    std::int64_t pos = 0;
    std::string parent;
    RecordFields::GetAttributeValue(record, pos, catalog.StartTag(), "cloneof=", parent);
    return parent;
}

struct ArtworkFolder::ZipNames {
    std::int64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds
    std::unordered_set<std::string> names;
};

ArtworkFolder::ArtworkFolder(std::string path) : path_(std::move(path)) {
    while (path_.size() > 1 && path_.back() == '/') path_.pop_back();
}

ArtworkFolder::~ArtworkFolder() = default;

PictureLocation ArtworkFolder::Find(PictureKind kind, const std::string& romName,
                                    const std::string& parentName) const {
    PictureLocation own = FindOwn(kind, romName);
    if (own.Found() || parentName.empty() || parentName == romName) return own;
    return FindOwn(kind, parentName);
}

PictureLocation ArtworkFolder::FindOwn(PictureKind kind, const std::string& romName) const {
    if (path_.empty() || !UsableName(romName)) return {};
    const std::string base = path_ + "/" + KindInfo(kind).name;
    for (const char* extension : kExtensions) {
        std::string path = base + "/" + romName + extension;
        if (IsRegularFile(path)) return {std::move(path), {}, romName};
    }
    const std::string zipPath = base + ".zip";
    if (const auto zip = MembersOf(zipPath)) {
        for (const char* extension : kExtensions) {
            std::string member = romName + extension;
            if (zip->names.contains(member)) return {zipPath, std::move(member), romName};
        }
    }
    return {};
}

std::shared_ptr<const ArtworkFolder::ZipNames> ArtworkFolder::MembersOf(const std::string& zipPath) const {
    struct stat info {};
    if (::stat(zipPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    const std::int64_t modified =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    {
        std::lock_guard lock(mutex_);
        auto known = zips_.find(zipPath);
        if (known != zips_.end() && known->second->size == info.st_size &&
            known->second->modified == modified)
            return known->second;
    }
    // Read outside the lock: a large zip's directory takes a moment. A zip that cannot be read
    // is remembered as empty until it changes.
    auto zip = std::make_shared<ZipNames>();
    zip->size = info.st_size;
    zip->modified = modified;
    ZipReader reader(zipPath);
    if (reader.Get() != nullptr) {
        const zip_int64_t count = zip_get_num_entries(reader.Get(), 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            const char* name = zip_get_name(reader.Get(), static_cast<zip_uint64_t>(i), 0);
            if (name == nullptr) continue;
            // Only pictures at the top of the zip are a game's.
            std::string_view member = name;
            if (member.find('/') != std::string_view::npos) continue;
            if (std::any_of(std::begin(kExtensions), std::end(kExtensions),
                            [&](const char* extension) { return member.ends_with(extension); }))
                zip->names.emplace(member);
        }
    }
    std::lock_guard lock(mutex_);
    zips_[zipPath] = zip;
    return zip;
}

bool ReadPictureBytes(const PictureLocation& where, std::string& bytes, std::string& problem,
                      std::size_t limit) {
    bytes.clear();
    problem.clear();
    if (!where.Found()) {
        problem = "There is no picture.";
        return false;
    }
    const bool ok = where.InZip() ? ReadZipMemberBytes(where, bytes, problem, limit)
                                  : ReadFileBytes(where.file, bytes, problem, limit);
    if (!ok) bytes.clear();
    return ok;
}

}  // namespace vantor
