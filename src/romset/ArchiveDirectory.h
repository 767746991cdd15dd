#pragma once
// The files inside a ROM set as the audit sees them: name, size and CRC32 of each member of a zip
// (from its central directory, nothing decompressed), of a 7z (libarchive gives no CRCs, so each
// member is read through once) or of a plain folder named after the set.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantor {

struct ArchiveMember {
    std::string name;  // the path inside the archive or folder, "/" between folders
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    bool operator==(const ArchiveMember&) const = default;
};

struct ArchiveContents {
    std::vector<ArchiveMember> members;
    std::string problem;  // why the archive could not be read; empty when it was
    bool Readable() const { return problem.empty(); }
};

// A stop request, asked between members of an archive that has to be read through.
using StopCheck = std::function<bool()>;

ArchiveContents ReadZipDirectory(const std::string& path);
ArchiveContents ReadSevenZipDirectory(const std::string& path, const StopCheck& stop = {});
// The CRC32 of a whole file; false (with the reason) when it cannot be read or the stop came.
bool FileCrc32(const std::string& path, std::uint32_t& crc, std::string& problem, const StopCheck& stop = {});
// Reads every member of a zip through and checks that the archive holds exactly `expected` (by
// name), each with its size and CRC32; false with the first fault.
bool CheckZipData(const std::string& path, const std::vector<ArchiveMember>& expected, std::string& problem,
                  const StopCheck& stop = {});
// One member of a 7z, decompressed; false (with the reason) when it cannot be read.
bool ReadSevenZipMember(const std::string& path, const std::string& member, std::string& bytes,
                        std::string& problem, const StopCheck& stop = {});

}  // namespace vantor
