#include "SetGraph.h"

#include <algorithm>
#include <charconv>

#include "gamedata/TextUtil.h"
#include "gamedata/XmlEntities.h"
#include "search/RecordScan.h"

namespace vantor {

namespace {

// Calls `take(name, value)` for each `name="value"` of an element's text (up to its closing
// ">"), in one pass. Values are as they stand in the file, entities and all.
template <typename Take>
void ForEachAttribute(std::string_view element, Take take) {
    std::size_t at = element.find(' ');
    while (at != std::string_view::npos) {
        std::size_t equals = element.find('=', at);
        if (equals == std::string_view::npos || equals + 1 >= element.size() || element[equals + 1] != '"')
            return;
        std::size_t close = element.find('"', equals + 2);
        if (close == std::string_view::npos) return;
        std::string_view name = TrimView(element.substr(at, equals - at));
        take(name, element.substr(equals + 2, close - equals - 2));
        at = close + 1;
    }
}

std::string Decoded(std::string_view value) {
    std::string text(value);
    if (text.find('&') != std::string::npos) DecodeEntities(text);
    return text;
}

// The element starting at `at`, up to (not including) its ">".
std::string_view ElementAt(std::string_view record, std::size_t at) {
    std::size_t close = record.find('>', at);
    return record.substr(at, close == std::string_view::npos ? std::string_view::npos : close - at);
}

DumpStatus StatusOf(std::string_view status) {
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
    ForEachAttribute(start, [&](std::string_view name, std::string_view value) {
        if (name == "name") {
            machine.name = Decoded(value);
        } else if (name == "cloneof") {
            machine.cloneOf = Decoded(value);
        } else if (name == "romof") {
            machine.romOf = Decoded(value);
        } else if (name == "isbios") {
            machine.isBios = value == "yes";
        } else if (name == "isdevice") {
            machine.isDevice = value == "yes";
        } else if (name == "sampleof") {
            machine.sampleOf = Decoded(value);
        }
    });
    if (machine.name.empty()) return false;
    std::string_view body = record.substr(open + start.size());
    if (std::size_t at = FindText(body, "<description>"); at != std::string_view::npos) {
        at += std::string_view("<description>").size();
        machine.description = Decoded(body.substr(at, body.find('<', at) - at));
    }
    machine.usesSamples = FindText(body, "<sample ") != std::string_view::npos;

    for (std::size_t at = FindText(body, "<rom "); at != std::string_view::npos;
         at = FindText(body, "<rom ", at + 1)) {
        RomFile rom;
        ForEachAttribute(ElementAt(body, at), [&](std::string_view name, std::string_view value) {
            if (name == "name") {
                rom.name = Decoded(value);
            } else if (name == "merge") {
                rom.merge = Decoded(value);
            } else if (name == "size") {
                rom.size = ParseNumber<std::uint64_t>(value, 10);
            } else if (name == "crc") {
                rom.hasCrc = value.size() == 8;
                if (rom.hasCrc) rom.crc = ParseNumber<std::uint32_t>(value, 16);
            } else if (name == "optional") {
                rom.optional = value == "yes";
            } else if (name == "status") {
                rom.status = StatusOf(value);
            } else if (name == "sha1" && value.size() == rom.sha1.size()) {
                for (std::size_t i = 0; i < value.size(); ++i) rom.sha1[i] = AsciiLower(value[i]);
            }
        });
        if (!rom.name.empty()) machine.roms.push_back(std::move(rom));
    }
    for (std::size_t at = FindText(body, "<disk "); at != std::string_view::npos;
         at = FindText(body, "<disk ", at + 1)) {
        DiskFile disk;
        ForEachAttribute(ElementAt(body, at), [&](std::string_view name, std::string_view value) {
            if (name == "name") {
                disk.name = Decoded(value);
            } else if (name == "merge") {
                disk.merge = Decoded(value);
            } else if (name == "sha1") {
                disk.sha1 = ToLowerAscii(value);
            } else if (name == "optional") {
                disk.optional = value == "yes";
            } else if (name == "status") {
                disk.status = StatusOf(value);
            }
        });
        if (!disk.name.empty()) machine.disks.push_back(std::move(disk));
    }
    for (std::size_t at = FindText(body, "<device_ref "); at != std::string_view::npos;
         at = FindText(body, "<device_ref ", at + 1)) {
        std::string device;
        ForEachAttribute(ElementAt(body, at), [&](std::string_view name, std::string_view value) {
            if (name == "name") device = Decoded(value);
        });
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
    split.form = RecordText::Raw;  // few values hold an entity: those are decoded one by one
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
