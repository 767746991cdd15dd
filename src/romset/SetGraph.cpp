#include "SetGraph.h"

#include <algorithm>
#include <charconv>

#include "gamedata/TextUtil.h"
#include "search/RecordScan.h"

namespace vantor {

namespace {

// The value of `name="..."` in an element's text (the text up to its closing ">"), or empty.
std::string_view Attribute(std::string_view element, std::string_view name) {
    for (std::size_t at = element.find(name); at != std::string_view::npos; at = element.find(name, at + 1)) {
        std::size_t equals = at + name.size();
        bool startsWord = at > 0 && IsWhiteSpace(element[at - 1]);
        if (!startsWord || equals + 1 >= element.size() || element[equals] != '=' ||
            element[equals + 1] != '"')
            continue;
        std::size_t close = element.find('"', equals + 2);
        if (close == std::string_view::npos) return {};
        return element.substr(equals + 2, close - equals - 2);
    }
    return {};
}

// The element starting at `at`, up to (not including) its ">".
std::string_view ElementAt(std::string_view record, std::size_t at) {
    std::size_t close = record.find('>', at);
    return record.substr(at, close == std::string_view::npos ? std::string_view::npos : close - at);
}

DumpStatus StatusOf(std::string_view element) {
    std::string_view status = Attribute(element, "status");
    if (status == "nodump") return DumpStatus::NoDump;
    if (status == "baddump") return DumpStatus::BadDump;
    return DumpStatus::Good;
}

template <typename Number>
Number ParseNumber(std::string_view text, int base) {
    Number value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, base);
    return value;
}

}  // namespace

bool ParseMachineSets(std::string_view record, MachineSets& machine) {
    machine = MachineSets();
    std::size_t open = record.find('<');
    if (open == std::string_view::npos) return false;
    std::string_view start = ElementAt(record, open);
    machine.name = Attribute(start, "name");
    if (machine.name.empty()) return false;
    machine.cloneOf = Attribute(start, "cloneof");
    machine.romOf = Attribute(start, "romof");
    machine.isBios = Attribute(start, "isbios") == "yes";
    machine.isDevice = Attribute(start, "isdevice") == "yes";
    std::string_view body = record.substr(open + start.size());

    for (std::size_t at = FindText(body, "<rom "); at != std::string_view::npos;
         at = FindText(body, "<rom ", at + 1)) {
        std::string_view element = ElementAt(body, at);
        RomFile rom;
        rom.name = Attribute(element, "name");
        if (rom.name.empty()) continue;
        rom.merge = Attribute(element, "merge");
        rom.size = ParseNumber<std::uint64_t>(Attribute(element, "size"), 10);
        std::string_view crc = Attribute(element, "crc");
        rom.hasCrc = crc.size() == 8;
        if (rom.hasCrc) rom.crc = ParseNumber<std::uint32_t>(crc, 16);
        rom.optional = Attribute(element, "optional") == "yes";
        rom.status = StatusOf(element);
        machine.roms.push_back(std::move(rom));
    }
    for (std::size_t at = FindText(body, "<disk "); at != std::string_view::npos;
         at = FindText(body, "<disk ", at + 1)) {
        std::string_view element = ElementAt(body, at);
        DiskFile disk;
        disk.name = Attribute(element, "name");
        if (disk.name.empty()) continue;
        disk.merge = Attribute(element, "merge");
        disk.sha1 = ToLowerAscii(Attribute(element, "sha1"));
        disk.optional = Attribute(element, "optional") == "yes";
        disk.status = StatusOf(element);
        machine.disks.push_back(std::move(disk));
    }
    for (std::size_t at = FindText(body, "<device_ref "); at != std::string_view::npos;
         at = FindText(body, "<device_ref ", at + 1)) {
        std::string device(Attribute(ElementAt(body, at), "name"));
        if (!device.empty() &&
            std::find(machine.devices.begin(), machine.devices.end(), device) == machine.devices.end())
            machine.devices.push_back(std::move(device));
    }
    return true;
}

SetGraph::SetGraph(std::vector<MachineSets> machines) : machines_(std::move(machines)) {
    Index();
}

void SetGraph::Index() {
    byName_.clear();
    byName_.reserve(machines_.size());
    // The first of two records of one name is the one a search finds.
    for (std::size_t i = 0; i < machines_.size(); ++i) byName_.try_emplace(machines_[i].name, i);
}

const MachineSets* SetGraph::Find(std::string_view name) const {
    auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : &machines_[found->second];
}

std::vector<std::string> SetGraph::RomOfChain(const MachineSets& machine) const {
    std::vector<std::string> chain = {machine.name};
    for (const MachineSets* at = &machine; !at->romOf.empty();) {
        if (std::find(chain.begin(), chain.end(), at->romOf) != chain.end()) break;
        chain.push_back(at->romOf);
        at = Find(at->romOf);
        if (at == nullptr) break;
    }
    return chain;
}

SetGraph ReadSetGraph(const Catalog& catalog, ProgressSink* progress) {
    ScanSplit split;
    split.deviceEntries = true;
    std::vector<MachineSets> machines = ScanRecords<MachineSets>(catalog, progress, split, [] {
        return [](std::int64_t position, const std::string& record, std::vector<MachineSets>& out) {
            MachineSets machine;
            if (!ParseMachineSets(record, machine)) return;
            machine.position = position;
            out.push_back(std::move(machine));
        };
    });
    return SetGraph(std::move(machines));
}

}  // namespace vantor
