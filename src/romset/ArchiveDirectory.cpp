#include "ArchiveDirectory.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

namespace vantor {

namespace {

std::uint32_t UpdateCrc(std::uint32_t crc, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const Bytef*>(data);
    // zlib takes at most 4 GiB per call.
    while (size > 0) {
        auto part = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
        crc = static_cast<std::uint32_t>(crc32(crc, bytes, part));
        bytes += part;
        size -= part;
    }
    return crc;
}

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ArchiveCloser {
    void operator()(archive* reader) const { archive_read_free(reader); }
};

}  // namespace

ArchiveContents ReadZipDirectory(const std::string& path) {
    ArchiveContents contents;
    int error = 0;
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open(path.c_str(), ZIP_RDONLY, &error));
    if (!archive) {
        zip_error_t details;
        zip_error_init_with_code(&details, error);
        contents.problem = zip_error_strerror(&details);
        zip_error_fini(&details);
        return contents;
    }
    zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    contents.members.reserve(static_cast<std::size_t>(std::max<zip_int64_t>(count, 0)));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW, &stat) != 0) {
            contents.problem = zip_strerror(archive.get());
            contents.members.clear();
            return contents;
        }
        if (stat.name == nullptr) continue;
        std::string name = stat.name;
        if (name.empty() || name.back() == '/') continue;  // a folder entry
        ArchiveMember member;
        member.name = std::move(name);
        member.size = (stat.valid & ZIP_STAT_SIZE) != 0 ? stat.size : 0;
        member.crc = (stat.valid & ZIP_STAT_CRC) != 0 ? stat.crc : 0;
        contents.members.push_back(std::move(member));
    }
    return contents;
}

namespace {

// Walks a 7z archive's plain files in order: `wants(name)` says whether a file's data is read,
// `take` gets it block by block, `fileEnd` follows each file read and says whether to go on.
// The answer is empty, or why the walk stopped early.
std::string WalkSevenZip(const std::string& path, const StopCheck& stop,
                         const std::function<bool(const char* name)>& wants,
                         const std::function<void(const void* block, std::size_t length)>& take,
                         const std::function<bool()>& fileEnd) {
    std::unique_ptr<archive, ArchiveCloser> reader(archive_read_new());
    archive_read_support_format_7zip(reader.get());
    auto problem = [&](const char* fallback) {
        const char* text = archive_error_string(reader.get());
        return std::string(text != nullptr ? text : fallback);
    };
    if (archive_read_open_filename(reader.get(), path.c_str(), 1 << 16) != ARCHIVE_OK)
        return problem("cannot be opened");
    archive_entry* entry = nullptr;
    for (;;) {
        int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) return {};
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN) return problem("damaged");
        if (archive_entry_filetype(entry) != AE_IFREG || !wants(archive_entry_pathname(entry))) continue;
        for (;;) {
            if (stop && stop()) return "cancelled";
            const void* block = nullptr;
            std::size_t length = 0;
            la_int64_t offset = 0;
            status = archive_read_data_block(reader.get(), &block, &length, &offset);
            if (status == ARCHIVE_EOF) break;
            if (status != ARCHIVE_OK && status != ARCHIVE_WARN) return problem("damaged");
            take(block, length);
        }
        if (!fileEnd()) return {};
    }
}

}  // namespace

bool FileCrc32(const std::string& path, std::uint32_t& crc, std::string& problem, const StopCheck& stop) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        problem = std::strerror(errno);
        return false;
    }
    crc = UpdateCrc(0, nullptr, 0);
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ssize_t got = read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            problem = std::strerror(errno);
            close(fd);
            return false;
        }
        if (got == 0) break;
        crc = UpdateCrc(crc, buffer.data(), static_cast<std::size_t>(got));
        if (stop && stop()) {
            problem = "cancelled";
            close(fd);
            return false;
        }
    }
    close(fd);
    return true;
}

bool CheckZipData(const std::string& path, const std::vector<ArchiveMember>& expected, std::string& problem,
                  const StopCheck& stop) {
    int error = 0;
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!archive) {
        zip_error_t details;
        zip_error_init_with_code(&details, error);
        problem = zip_error_strerror(&details);
        zip_error_fini(&details);
        return false;
    }
    if (zip_get_num_entries(archive.get(), 0) != static_cast<zip_int64_t>(expected.size())) {
        problem = "holds " + std::to_string(zip_get_num_entries(archive.get(), 0)) + " files, not " +
                  std::to_string(expected.size());
        return false;
    }
    std::vector<char> buffer(1 << 18);
    for (const ArchiveMember& member : expected) {
        zip_int64_t index = zip_name_locate(archive.get(), member.name.c_str(), ZIP_FL_ENC_RAW);
        zip_file_t* file =
            index < 0 ? nullptr : zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(index), 0);
        if (file == nullptr) {
            problem = member.name + " cannot be read";
            return false;
        }
        std::uint32_t crc = UpdateCrc(0, nullptr, 0);
        std::uint64_t size = 0;
        zip_int64_t got = 0;
        while ((got = zip_fread(file, buffer.data(), buffer.size())) > 0) {
            crc = UpdateCrc(crc, buffer.data(), static_cast<std::size_t>(got));
            size += static_cast<std::uint64_t>(got);
            if (stop && stop()) break;
        }
        zip_fclose(file);
        if (stop && stop()) {
            problem = "cancelled";
            return false;
        }
        if (got < 0 || size != member.size || crc != member.crc) {
            problem = member.name + (got < 0 ? " cannot be read" : " does not hold what was written");
            return false;
        }
    }
    return true;
}

ArchiveContents ReadSevenZipDirectory(const std::string& path, const StopCheck& stop) {
    ArchiveContents contents;
    ArchiveMember member;
    // The 7z header may hold CRCs, but libarchive does not hand them out: read the data.
    std::uint32_t crc = 0;
    contents.problem = WalkSevenZip(
        path, stop,
        [&](const char* name) {
            member = {};
            member.name = name != nullptr ? name : "";
            crc = UpdateCrc(0, nullptr, 0);
            return true;
        },
        [&](const void* block, std::size_t length) {
            crc = UpdateCrc(crc, block, length);
            member.size += length;
        },
        [&] {
            member.crc = crc;
            if (!member.name.empty()) contents.members.push_back(std::move(member));
            return true;
        });
    if (!contents.problem.empty()) contents.members.clear();
    return contents;
}

bool ReadSevenZipMember(const std::string& path, const std::string& member, std::string& bytes,
                        std::string& problem, const StopCheck& stop) {
    bool found = false;
    problem = WalkSevenZip(
        path, stop,
        [&](const char* name) {
            if (name == nullptr || member != name) return false;
            bytes.clear();
            return true;
        },
        [&](const void* block, std::size_t length) { bytes.append(static_cast<const char*>(block), length); },
        [&] {
            found = true;
            return false;
        });
    if (!problem.empty()) return false;
    if (!found) problem = member + " is not in it";
    return found;
}

}  // namespace vantor
