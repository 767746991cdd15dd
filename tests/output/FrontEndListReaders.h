#pragma once
// Readers of the front ends' lists that share no code with the writers, each following its front
// end's own reading rules: Python's json module for RetroArch's playlists, Pegasus's metafiles and
// how it loads a folder of them, Attract-Mode's romlists and tag files, ES-DE's custom collections.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "gamedata/TextUtil.h"

namespace vantor::test {

// Pegasus's metafile reader: "#" in the first column is a comment, a blank line ends the
// attribute, a line starting with white space continues it ("." alone is a paragraph break),
// otherwise "key: value" split at the first ":" with the key trimmed and lower-cased. A value's
// lines are joined by blanks; a list (files:) takes each line as an item.
struct PegasusAttribute {
    std::string key, value;
    std::vector<std::string> lines;
};
struct PegasusEntry {
    std::string kind, title;                   // "collection" or "game"
    std::vector<PegasusAttribute> attributes;  // in file order
    std::string Get(const std::string& key) const {
        for (const PegasusAttribute& attribute : attributes) {
            if (attribute.key == key) return attribute.value;
        }
        return "<none>";
    }
    std::vector<std::string> Lines(const std::string& key) const {
        std::vector<std::string> lines;
        for (const PegasusAttribute& attribute : attributes) {
            if (attribute.key == key)
                lines.insert(lines.end(), attribute.lines.begin(), attribute.lines.end());
        }
        return lines;
    }
};

inline std::vector<PegasusEntry> ReadPegasusFile(const std::string& text, std::vector<std::string>& errors) {
    std::vector<PegasusEntry> entries;
    PegasusAttribute* current = nullptr;  // the attribute being read
    std::size_t lineNumber = 0;
    auto endAttribute = [&] {
        if (current != nullptr && current->value.empty())
            errors.push_back("line " + std::to_string(lineNumber) + ": attribute value missing");
        current = nullptr;
    };
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        EXPECT_NE(end, std::string::npos) << "the last line has no line feed";
        const std::string line = text.substr(at, end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        ++lineNumber;
        if (line.find('\r') != std::string::npos) errors.push_back("a carriage return");
        if (line.starts_with('#')) continue;
        const std::string trimmed(TrimView(line));
        if (trimmed.empty()) {
            endAttribute();
            continue;
        }
        if (line[0] == ' ' || line[0] == '\t') {
            if (current == nullptr) {
                errors.push_back("line " + std::to_string(lineNumber) + ": continuation of nothing");
            } else {
                std::string& value = current->value;
                value += trimmed == "." ? std::string("\n\n") : (value.empty() ? "" : " ") + trimmed;
                current->lines.push_back(trimmed);
            }
            continue;
        }
        endAttribute();
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            errors.push_back("line " + std::to_string(lineNumber) + ": line invalid, skipped");
            continue;
        }
        const std::string key = ToLowerAscii(TrimView(line.substr(0, colon)));
        const std::string value(TrimView(line.substr(colon + 1)));
        if (key == "collection" || key == "game") {
            entries.push_back({key, value, {}});
            if (value.empty()) errors.push_back("an entry without a name");
            continue;
        }
        if (entries.empty()) {
            errors.push_back("an attribute before any entry");
            continue;
        }
        entries.back().attributes.push_back({key, value, {}});
        current = &entries.back().attributes.back();
        if (!value.empty()) current->lines.push_back(value);
    }
    endAttribute();
    return entries;
}

// A folder of metafiles as Pegasus loads it: every metadata.pegasus.txt, metadata.txt,
// *.metadata.pegasus.txt and *.metadata.txt, in the order given. A game joins every collection
// declared before it in its own file; a game naming a file that another game already has is
// refused ("This file already belongs to a different game"); a collection's files: name games
// of any file, by their files; a collection left empty is deleted.
struct PegasusFolder {
    std::map<std::string, std::string> games;                  // file -> title
    std::map<std::string, std::set<std::string>> collections;  // name -> the files of its games
    std::size_t emptyCollections = 0;
    std::vector<std::string> warnings;
};

inline PegasusFolder ReadPegasusFolder(const std::string& folder, bool reverseOrder = false) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name == "metadata.pegasus.txt" || name == "metadata.txt" ||
            name.ends_with(".metadata.pegasus.txt") || name.ends_with(".metadata.txt"))
            files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    if (reverseOrder) std::reverse(files.begin(), files.end());
    PegasusFolder loaded;
    std::map<std::string, std::vector<std::string>> listedFiles;  // a collection's files:
    auto resolve = [&](const std::string& path) {
        return path.starts_with('/') ? path : folder + "/" + path;
    };
    for (const std::string& file : files) {
        std::vector<std::string> errors;
        std::vector<std::string> declared;
        for (const PegasusEntry& entry : ReadPegasusFile(ReadFileBytes(folder + "/" + file), errors)) {
            if (entry.kind == "collection") {
                declared.push_back(entry.title);
                loaded.collections[entry.title];
                for (const std::string& path : entry.Lines("files"))
                    listedFiles[entry.title].push_back(resolve(path));
                for (const std::string& path : entry.Lines("file"))
                    listedFiles[entry.title].push_back(resolve(path));
                continue;
            }
            std::vector<std::string> paths = entry.Lines("file");
            for (const std::string& path : entry.Lines("files")) paths.push_back(path);
            bool taken = false;
            for (std::string& path : paths) {
                path = resolve(path);
                if (loaded.games.count(path) != 0) taken = true;
            }
            if (paths.empty() || taken) {
                loaded.warnings.push_back(
                    file + ": " + entry.title +
                    (taken ? ": This file already belongs to a different game" : ": no file"));
                continue;
            }
            for (const std::string& path : paths) {
                loaded.games.emplace(path, entry.title);
                for (const std::string& collection : declared) loaded.collections[collection].insert(path);
            }
        }
        for (const std::string& error : errors) loaded.warnings.push_back(file + ": " + error);
    }
    for (const auto& [collection, paths] : listedFiles) {
        for (const std::string& path : paths) {
            if (loaded.games.count(path) == 0) {
                loaded.warnings.push_back(collection + ": " + path + " is no game's file");
            } else {
                loaded.collections[collection].insert(path);
            }
        }
    }
    std::erase_if(loaded.collections, [&](const auto& collection) {
        if (!collection.second.empty()) return false;
        ++loaded.emptyCollections;
        return true;
    });
    return loaded;
}

// ES-DE's custom collections (custom-NAME.cfg in its collections folder): a name holding any of
// * " , . / : ; < > \ | or named like one of its systems is skipped; each line is a path, its
// carriage return stripped and %ROMPATH% replaced, and a path no loaded game has is skipped.
struct EsCollections {
    std::map<std::string, std::vector<std::string>> accepted;  // name -> paths, in file order
    std::size_t skipped = 0;                                   // collections
    std::vector<std::string> warnings;
};

inline EsCollections ReadEsCollections(const std::string& folder, const std::string& romPath,
                                       const std::set<std::string>& gamePaths) {
    // ES-DE's systems, by their names in es_systems.xml.
    static const std::set<std::string> kSystems = {"3do",
                                                   "amiga",
                                                   "amstradcpc",
                                                   "apple2",
                                                   "arcade",
                                                   "atari2600",
                                                   "atari5200",
                                                   "atari7800",
                                                   "atari800",
                                                   "atarijaguar",
                                                   "atarilynx",
                                                   "atarist",
                                                   "c64",
                                                   "cps",
                                                   "cps1",
                                                   "cps2",
                                                   "cps3",
                                                   "daphne",
                                                   "desktop",
                                                   "dos",
                                                   "dreamcast",
                                                   "emulators",
                                                   "epic",
                                                   "famicom",
                                                   "fbneo",
                                                   "fds",
                                                   "flash",
                                                   "fmtowns",
                                                   "gameandwatch",
                                                   "gamegear",
                                                   "gb",
                                                   "gba",
                                                   "gbc",
                                                   "gc",
                                                   "genesis",
                                                   "intellivision",
                                                   "kodi",
                                                   "lcdgames",
                                                   "lutris",
                                                   "macintosh",
                                                   "mame",
                                                   "mame-advmame",
                                                   "mame-mame4all",
                                                   "mastersystem",
                                                   "megacd",
                                                   "megadrive",
                                                   "mess",
                                                   "model2",
                                                   "model3",
                                                   "moto",
                                                   "msx",
                                                   "n3ds",
                                                   "n64",
                                                   "naomi",
                                                   "naomi2",
                                                   "nds",
                                                   "neogeo",
                                                   "neogeocd",
                                                   "nes",
                                                   "ngp",
                                                   "ngpc",
                                                   "odyssey2",
                                                   "palm",
                                                   "pc",
                                                   "pc88",
                                                   "pc98",
                                                   "pcengine",
                                                   "pcenginecd",
                                                   "pico8",
                                                   "ports",
                                                   "ps2",
                                                   "ps3",
                                                   "ps4",
                                                   "psp",
                                                   "psvita",
                                                   "psx",
                                                   "samcoupe",
                                                   "saturn",
                                                   "scummvm",
                                                   "sega32x",
                                                   "segacd",
                                                   "sg-1000",
                                                   "snes",
                                                   "steam",
                                                   "switch",
                                                   "tg16",
                                                   "ti99",
                                                   "vectrex",
                                                   "vic20",
                                                   "videopac",
                                                   "virtualboy",
                                                   "wii",
                                                   "wiiu",
                                                   "windows",
                                                   "wonderswan",
                                                   "x68000",
                                                   "xbox",
                                                   "xbox360",
                                                   "zxspectrum"};
    EsCollections read;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string file = entry.path().filename().string();
        if (!file.starts_with("custom-") || !file.ends_with(".cfg")) continue;
        const std::string name = file.substr(7, file.size() - 11);
        if (name.find_first_of("*\",./:;<>\\|") != std::string::npos ||
            kSystems.count(ToLowerAscii(name)) != 0) {
            read.warnings.push_back(file + ": the name is not one ES-DE takes");
            ++read.skipped;
            continue;
        }
        std::vector<std::string>& paths = read.accepted[name];
        const std::string text = ReadFileBytes(entry.path().string());
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = std::min(text.find('\n', at), text.size());
            std::string path = text.substr(at, end - at);
            at = end + 1;
            if (path.ends_with('\r')) path.pop_back();
            if (path.empty()) continue;
            ReplaceAll(path, "%ROMPATH%", romPath);
            if (gamePaths.count(path) == 0) {
                read.warnings.push_back(file + ": " + path + " is no game of the system");
                continue;
            }
            paths.push_back(path);
        }
    }
    return read;
}

// Attract-Mode's tag files (romlists/LIST/TAG.tag): the file's name is the tag, and a game's tags
// are kept as one list split at ";"; each line is a ROM name of the romlist.
struct AttractModeTags {
    std::map<std::string, std::vector<std::string>> tags;  // tag -> ROM names, in file order
    std::vector<std::string> warnings;
};

inline AttractModeTags ReadAttractModeTags(const std::string& folder, const std::set<std::string>& romNames) {
    AttractModeTags read;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string file = entry.path().filename().string();
        if (!file.ends_with(".tag")) continue;
        const std::string tag = file.substr(0, file.size() - 4);
        if (tag.find(';') != std::string::npos)
            read.warnings.push_back(file + ": read back as more than one tag");
        std::vector<std::string>& names = read.tags[tag];
        const std::string text = ReadFileBytes(entry.path().string());
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = std::min(text.find('\n', at), text.size());
            const std::string name(TrimView(text.substr(at, end - at)));
            at = end + 1;
            if (name.empty()) continue;
            if (romNames.count(name) == 0)
                read.warnings.push_back(file + ": " + name + " is in no romlist row");
            names.push_back(name);
        }
    }
    return read;
}

// Attract-Mode's romlist reader: lines whose first field is empty or starts with "#" are skipped;
// every field is trimmed; a field starting with a quote runs to the next quote without "\"
// before it, "\"" standing for a quote; missing trailing fields are empty.
inline std::vector<std::vector<std::string>> ReadRomlist(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        std::vector<std::string> fields;
        std::size_t pos = 0;
        while (pos <= line.size() && fields.size() < 21) {
            while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
            std::string field;
            if (pos < line.size() && line[pos] == '"') {
                ++pos;
                for (; pos < line.size(); ++pos) {
                    if (line[pos] == '\\' && pos + 1 < line.size() && line[pos + 1] == '"') {
                        field += '"';
                        ++pos;
                    } else if (line[pos] == '"') {
                        break;
                    } else {
                        field += line[pos];
                    }
                }
                pos = line.find(';', pos);
            } else {
                const std::size_t semicolon = line.find(';', pos);
                field =
                    line.substr(pos, semicolon == std::string::npos ? std::string::npos : semicolon - pos);
                pos = semicolon;
            }
            fields.emplace_back(TrimView(field));
            if (pos == std::string::npos) break;
            ++pos;
        }
        if (fields.empty() || fields[0].empty() || fields[0].starts_with('#')) continue;
        fields.resize(21);
        rows.push_back(std::move(fields));
    }
    return rows;
}

// What Python's json module reads in a playlist: the top-level keys, then per item its keys,
// path, label and core, tab-separated; "<invalid: ...>" when it is no JSON.
inline std::string PlaylistAsPythonReadsIt(const std::string& path) {
    TempDir dir;
    const std::string script = dir.Write("read.py",
                                         "import json, sys\n"
                                         "with open(sys.argv[1], encoding='utf-8') as f:\n"
                                         "    try:\n"
                                         "        d = json.load(f)\n"
                                         "    except ValueError as e:\n"
                                         "        print('<invalid: %s>' % e); sys.exit(0)\n"
                                         "print(','.join(d.keys()))\n"
                                         "for i in d['items']:\n"
                                         "    print('\\t'.join([','.join(i.keys()), i['path'], i['label'], "
                                         "i['core_path'], i['core_name']]))\n");
    const std::string out = dir.File("out.txt");
    const std::string command = "python3 '" + script + "' '" + path + "' > '" + out + "' 2>&1";
    if (std::system(command.c_str()) != 0) return "<python3 failed: " + ReadFileBytes(out) + ">";
    return ReadFileBytes(out);
}

// Every playlist of a folder as Python's json module reads it: per file its name, then the ROM
// names (the stems of the items' paths) separated by tabs; "<invalid: ...>" for a file that is no
// JSON or whose items lack a path or a label.
inline std::map<std::string, std::vector<std::string>> PlaylistsAsPythonReadsThem(const std::string& folder) {
    TempDir dir;
    const std::string script =
        dir.Write("read.py",
                  "import json, os, sys\n"
                  "for name in sorted(os.listdir(sys.argv[1])):\n"
                  "    if not name.endswith('.lpl'): continue\n"
                  "    try:\n"
                  "        with open(os.path.join(sys.argv[1], name), encoding='utf-8') as f:\n"
                  "            d = json.load(f)\n"
                  "        stems = [os.path.splitext(os.path.basename(i['path']))[0] for i in d['items'] if "
                  "i['label']]\n"
                  "        print(name + '\\t' + '\\t'.join(stems))\n"
                  "    except (ValueError, KeyError) as e:\n"
                  "        print(name + '\\t<invalid: %s>' % e)\n");
    const std::string out = dir.File("out.txt");
    const std::string command = "python3 '" + script + "' '" + folder + "' > '" + out + "' 2>&1";
    std::map<std::string, std::vector<std::string>> playlists;
    if (std::system(command.c_str()) != 0) {
        playlists["<python3 failed>"] = {ReadFileBytes(out)};
        return playlists;
    }
    const std::string text = ReadFileBytes(out);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        std::vector<std::string> fields;
        for (std::size_t from = 0; from <= line.size();) {
            const std::size_t tab = std::min(line.find('\t', from), line.size());
            fields.push_back(line.substr(from, tab - from));
            from = tab + 1;
        }
        playlists[fields.front()] = std::vector<std::string>(fields.begin() + 1, fields.end());
    }
    return playlists;
}

// Each game with a category in exactly one list, each list holding one category, no two lists
// the same category; "" when it holds, else the first faults.
inline std::string PartitionProblems(const std::map<std::string, std::vector<std::string>>& lists,
                                     const std::map<std::string, std::string>& categories) {
    std::string problems;
    std::map<std::string, std::string> listOf, listOfCategory;
    auto fault = [&](const std::string& text) {
        if (problems.size() < 2000) problems += text + "\n";
    };
    for (const auto& [list, games] : lists) {
        for (const std::string& game : games) {
            const auto category = categories.find(game);
            if (category == categories.end() || category->second.empty()) {
                fault(list + ": " + game + " has no category");
                continue;
            }
            if (!listOf.emplace(game, list).second) fault(game + " in " + listOf[game] + " and " + list);
            const auto [at, added] = listOfCategory.emplace(category->second, list);
            if (!added && at->second != list) fault(category->second + " in " + at->second + " and " + list);
        }
    }
    for (const auto& [game, category] : categories) {
        if (!category.empty() && listOf.count(game) == 0) fault(game + " (" + category + ") in no list");
    }
    return problems;
}

inline constexpr const char* kTopKeys =
    "version,default_core_path,default_core_name,label_display_mode,right_thumbnail_mode,"
    "left_thumbnail_mode,thumbnail_match_mode,sort_mode,items\n";
inline constexpr const char* kItemKeys = "path,label,core_path,core_name,crc32,db_name";

}  // namespace vantor::test
