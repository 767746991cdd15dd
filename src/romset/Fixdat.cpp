#include "Fixdat.h"

#include <cstdio>
#include <map>
#include <set>

#include "gamedata/XmlEntities.h"

namespace vantor {

namespace {

std::string Attribute(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + EncodedEntities(value) + "\"";
}

std::string Hex8(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

// The name the owning set gives a file (a clone may call its parent's file otherwise).
std::string OwnName(const MachineSets* owner, const RomFile& rom) {
    if (owner != nullptr) {
        for (const RomFile& own : owner->roms) {
            if (&own == &rom) return rom.name;
        }
        for (const RomFile& own : owner->roms) {
            if (own.hasCrc == rom.hasCrc && own.crc == rom.crc && own.size == rom.size) return own.name;
        }
    }
    return rom.name;
}

}  // namespace

std::string FixdatXml(const FileAudit& audit, const std::string& name) {
    // By set, in name order; each file once.
    std::map<std::string, std::map<std::string, std::string>> entries;
    for (const std::vector<AuditedFile>& files : audit.files) {
        for (const AuditedFile& file : files) {
            if (!file.bad) continue;
            const MachineSets* owner = audit.graph.Find(file.owner);
            std::string line;
            std::string fileName;
            if (file.rom != nullptr) {
                const RomFile& rom = *file.rom;
                fileName = OwnName(owner, rom);
                line = "\t\t<rom" + Attribute("name", fileName) + Attribute("size", std::to_string(rom.size));
                if (rom.hasCrc) line += Attribute("crc", Hex8(rom.crc));
                if (rom.HasSha1()) line += Attribute("sha1", std::string(rom.sha1.data(), rom.sha1.size()));
            } else {
                fileName = file.disk->name + ".chd";
                line = "\t\t<disk" + Attribute("name", file.disk->name);
                if (!file.disk->sha1.empty()) line += Attribute("sha1", file.disk->sha1);
            }
            entries[file.owner].emplace(fileName, line + "/>\n");
        }
    }
    std::string xml =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE datafile PUBLIC \"-//Logiqx//DTD ROM Management Datafile//EN\" "
        "\"http://www.logiqx.com/Dats/datafile.dtd\">\n"
        "<datafile>\n\t<header>\n\t\t<name>" +
        XmlOneLineText(name) + "</name>\n\t\t<description>" + XmlOneLineText(name) +
        " (files missing)</description>\n\t\t<author>Vantor</author>\n\t</header>\n";
    for (const auto& [set, lines] : entries) {
        const MachineSets* machine = audit.graph.Find(set);
        xml += "\t<game" + Attribute("name", set);
        if (machine != nullptr && !machine->cloneOf.empty()) xml += Attribute("cloneof", machine->cloneOf);
        if (machine != nullptr && !machine->romOf.empty()) xml += Attribute("romof", machine->romOf);
        xml += ">\n\t\t<description>" + XmlOneLineText(machine != nullptr ? machine->description : set) +
               "</description>\n";
        for (const auto& [fileName, line] : lines) xml += line;
        xml += "\t</game>\n";
    }
    xml += "</datafile>\n";
    return xml;
}

}  // namespace vantor
