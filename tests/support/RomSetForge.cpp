#include "RomSetForge.h"

#include <archive.h>
#include <archive_entry.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <map>

namespace vantor::test {

namespace {

// The CRC32 table, and for each top byte the entry that carries it: running the CRC backwards.
struct CrcTables {
    std::array<std::uint32_t, 256> table{};
    std::array<std::uint8_t, 256> byTopByte{};
    CrcTables() {
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
            table[n] = c;
            byTopByte[c >> 24] = static_cast<std::uint8_t>(n);
        }
    }
};
const CrcTables& Tables() {
    static const CrcTables tables;
    return tables;
}

std::uint32_t Crc(const std::string& bytes, std::size_t size) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(size)));
}

}  // namespace

std::string ForgedBytes(std::uint64_t size, std::uint32_t crc, std::uint32_t seed) {
    std::string bytes(size, '\0');
    // A pattern of prime length, different per seed: deflate finds it, the CRC does not care.
    constexpr std::size_t kPattern = 251;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i % kPattern) * 37 + 11 + seed * 101);
    if (size < 4) return bytes;
    const CrcTables& tables = Tables();
    // The register before the last four bytes, and the table entries that lead from it to `crc`.
    std::uint32_t before = ~Crc(bytes, bytes.size() - 4);
    std::uint32_t target = ~crc;
    std::array<std::uint8_t, 4> index{};
    for (int i = 3; i >= 0; --i) {
        index[static_cast<std::size_t>(i)] = tables.byTopByte[target >> 24];
        target = (target ^ tables.table[index[static_cast<std::size_t>(i)]]) << 8;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[bytes.size() - 4 + i] = static_cast<char>((before ^ index[i]) & 0xFF);
        before = (before >> 8) ^ tables.table[index[i]];
    }
    return bytes;
}

bool WriteZip(const std::string& path, const std::vector<ForgedMember>& members) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) return false;
    for (const ForgedMember& member : members) {
        zip_source_t* source = zip_source_buffer(archive, member.bytes.data(), member.bytes.size(), 0);
        zip_int64_t index =
            source == nullptr ? -1 : zip_file_add(archive, member.name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
    }
    return zip_close(archive) == 0;
}

bool WriteSevenZip(const std::string& path, const std::vector<ForgedMember>& members) {
    archive* writer = archive_write_new();
    bool ok = archive_write_set_format_7zip(writer) == ARCHIVE_OK &&
              archive_write_open_filename(writer, path.c_str()) == ARCHIVE_OK;
    for (const ForgedMember& member : members) {
        if (!ok) break;
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, member.name.c_str());
        archive_entry_set_size(entry, static_cast<la_int64_t>(member.bytes.size()));
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        ok = archive_write_header(writer, entry) == ARCHIVE_OK &&
             archive_write_data(writer, member.bytes.data(), member.bytes.size()) ==
                 static_cast<la_ssize_t>(member.bytes.size());
        archive_entry_free(entry);
    }
    ok = archive_write_close(writer) == ARCHIVE_OK && ok;
    archive_write_free(writer);
    return ok;
}

const char* SetLayoutName(SetLayout layout) {
    switch (layout) {
        case SetLayout::Split:
            return "split";
        case SetLayout::Merged:
            return "merged";
        case SetLayout::NonMerged:
            return "non-merged";
    }
    return "";
}

bool Forgeable(const SetGraph& graph, const MachineSets& game) {
    auto fine = [](const RomFile& rom) {
        return rom.status == DumpStatus::NoDump || (rom.hasCrc && rom.size >= 4);
    };
    if (!std::all_of(game.roms.begin(), game.roms.end(), fine)) return false;
    for (const std::string& name : game.devices) {
        const MachineSets* device = graph.Find(name);
        if (device != nullptr && !std::all_of(device->roms.begin(), device->roms.end(), fine)) return false;
    }
    return true;
}

int WriteRomSets(const SetGraph& graph, const std::vector<std::string>& games, SetLayout layout,
                 const std::string& folder, const SetFaults& faults) {
    // Each archive's members by name, in the order added.
    std::map<std::string, std::vector<std::pair<std::string, const RomFile*>>> archives;
    auto add = [&](const std::string& set, const std::string& member, const RomFile& rom) {
        if (rom.status == DumpStatus::NoDump || !rom.hasCrc || rom.size < 4) return;
        auto& list = archives[set];
        for (const auto& [name, other] : list) {
            if (name == member) return;
        }
        list.emplace_back(member, &rom);
    };
    // The top of a game's clone family: where a merged set keeps the family's files.
    auto familyTop = [&](const MachineSets& machine) {
        const MachineSets* top = &machine;
        for (int depth = 0; depth < 8 && !top->cloneOf.empty(); ++depth) {
            const MachineSets* parent = graph.Find(top->cloneOf);
            if (parent == nullptr) break;
            top = parent;
        }
        return top;
    };
    std::set<std::string> done;
    std::function<void(const MachineSets&)> addMachine = [&](const MachineSets& machine) {
        if (!done.insert(machine.name).second) return;
        const MachineSets* top = familyTop(machine);
        for (const RomFile& rom : machine.roms) {
            const bool inherited = !rom.merge.empty();
            switch (layout) {
                case SetLayout::Split:
                    if (!inherited) add(machine.name, rom.name, rom);
                    break;
                case SetLayout::NonMerged:
                    add(machine.name, rom.name, rom);
                    break;
                case SetLayout::Merged: {
                    if (inherited) break;
                    // A clone's file whose name the family's top set uses for another file goes
                    // into a folder of the clone's name.
                    bool clash = false;
                    if (top != &machine) {
                        for (const RomFile& other : top->roms)
                            clash = clash || (other.name == rom.name && other.crc != rom.crc);
                    }
                    add(top->name, clash ? machine.name + "/" + rom.name : rom.name, rom);
                    break;
                }
            }
        }
        if (!machine.romOf.empty()) {
            if (const MachineSets* parent = graph.Find(machine.romOf)) addMachine(*parent);
        }
        for (const std::string& name : machine.devices) {
            if (const MachineSets* device = graph.Find(name)) addMachine(*device);
        }
    };
    for (const std::string& name : games) {
        if (const MachineSets* game = graph.Find(name)) addMachine(*game);
    }

    int written = 0;
    std::uint32_t seed = 0;
    for (const auto& [set, list] : archives) {
        if (faults.missingSets.count(set) != 0) continue;
        std::vector<ForgedMember> members;
        for (const auto& [member, rom] : list) {
            if (faults.dropMember && faults.dropMember(set, member)) continue;
            std::uint32_t crc = rom->crc;
            if (faults.wrongCrc && faults.wrongCrc(set, member)) crc ^= 0x5a5a5a5au;
            members.push_back({member, ForgedBytes(rom->size, crc, ++seed)});
        }
        if (faults.extraFile.count(set) != 0) members.push_back({"extra-file.txt", "not listed"});
        if (WriteZip(folder + "/" + set + ".zip", members)) ++written;
    }
    return written;
}

}  // namespace vantor::test
