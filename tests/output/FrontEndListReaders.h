#pragma once
// Readers of RetroArch, Pegasus and Attract-Mode lists that share no code with the writers:
// Python's json module for playlists, and Pegasus's and Attract-Mode's own tokenising rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "gamedata/TextUtil.h"

namespace vantor::test {

// Pegasus's metafile reader: "#" in the first column is a comment, a blank line ends the
// attribute, a line starting with white space continues it ("." alone is a paragraph break),
// otherwise "key: value" split at the first ":" with the key trimmed and lower-cased.
struct PegasusEntry {
    std::string kind, title;                                      // "collection" or "game"
    std::vector<std::pair<std::string, std::string>> attributes;  // in file order
    std::string Get(const std::string& key) const {
        for (const auto& [k, v] : attributes) {
            if (k == key) return v;
        }
        return "<none>";
    }
};

inline std::vector<PegasusEntry> ReadPegasusFile(const std::string& text, std::vector<std::string>& errors) {
    std::vector<PegasusEntry> entries;
    std::string* current = nullptr;  // the value of the attribute being read
    std::size_t lineNumber = 0;
    auto endAttribute = [&] {
        if (current != nullptr && current->empty())
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
                *current += trimmed == "." ? std::string("\n\n") : (current->empty() ? "" : " ") + trimmed;
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
        entries.back().attributes.emplace_back(key, value);
        current = &entries.back().attributes.back().second;
    }
    endAttribute();
    return entries;
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

inline constexpr const char* kTopKeys =
    "version,default_core_path,default_core_name,label_display_mode,right_thumbnail_mode,"
    "left_thumbnail_mode,thumbnail_match_mode,sort_mode,items\n";
inline constexpr const char* kItemKeys = "path,label,core_path,core_name,crc32,db_name";

}  // namespace vantor::test
