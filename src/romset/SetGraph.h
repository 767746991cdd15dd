#pragma once
// What a MAME listing says about the files each machine needs: its ROMs and disks, the set it
// takes shared files from (romof: the parent, or the BIOS), the devices it holds. Devices and BIOS
// sets are machines too, and the graph holds every one of them.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gamedata/Catalog.h"
#include "gamedata/ProgressSink.h"

namespace vantor {

enum class DumpStatus : std::uint8_t { Good, BadDump, NoDump };

struct RomFile {
    std::string name;
    std::string merge;  // its name in the parent or BIOS set it is shared with, or empty
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    bool hasCrc = false;
    bool optional = false;
    DumpStatus status = DumpStatus::Good;
};

struct DiskFile {
    std::string name;  // the file is NAME.chd
    std::string merge;
    std::string sha1;  // lower-case hexadecimal; empty when the listing gives none
    bool optional = false;
    DumpStatus status = DumpStatus::Good;
};

struct MachineSets {
    std::string name, cloneOf, romOf;
    std::int64_t position = -1;  // the record's position (its record key)
    bool isBios = false;
    bool isDevice = false;
    std::vector<RomFile> roms;
    std::vector<DiskFile> disks;
    std::vector<std::string> devices;  // the <device_ref> names, each once
};

// Reads one record's start tag and its <rom>, <disk> and <device_ref> elements; false when the
// record names no machine.
bool ParseMachineSets(std::string_view record, MachineSets& machine);

class SetGraph {
  public:
    SetGraph() = default;
    explicit SetGraph(std::vector<MachineSets> machines);
    SetGraph(SetGraph&&) = default;
    SetGraph& operator=(SetGraph&&) = default;

    // In file order.
    const std::vector<MachineSets>& Machines() const { return machines_; }
    const MachineSets* Find(std::string_view name) const;
    // The sets a machine's own files are looked for in, as MAME looks: the machine, then its
    // romof chain (parent, the parent's BIOS...). A chain that loops or names an unknown set stops
    // there; an unknown set is still named, since its archive may hold the files.
    std::vector<std::string> RomOfChain(const MachineSets& machine) const;

  private:
    void Index();

    std::vector<MachineSets> machines_;
    std::unordered_map<std::string_view, std::size_t> byName_;
};

// Every machine of the catalog's file, devices included, in file order. Throws EngineError of
// kind Cancelled when the progress sink asks to stop.
SetGraph ReadSetGraph(const Catalog& catalog, ProgressSink* progress);

}  // namespace vantor
