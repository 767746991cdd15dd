#pragma once
// Shared by the list-writer tests: opening a fixture master file as the input check would, the
// record keys of its games, a save into a string, and the notation of the hand-written MaLa
// goldens.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "gamedata/Catalog.h"
#include "gamedata/TextUtil.h"
#include "output/SaveList.h"

namespace vantor::test {

// Opens `path` as the catalog's file, its type from its header (an unknown type counts as
// MameGame).
inline void OpenMaster(Catalog& catalog, const std::string& path) {
    ASSERT_TRUE(catalog.file.Open(path)) << path;
    catalog.inputType = RecordReader(UnknownInput).DetectInputType(catalog.file);
    if (catalog.inputType == UnknownInput) catalog.inputType = MameGame;
}

// The record key of every game of the open master file, by ROM name.
inline std::map<std::string, std::int64_t> KeysByName(const Catalog& catalog) {
    std::map<std::string, std::int64_t> keys;
    const MasterFile& file = catalog.file;
    RecordReader reader = catalog.Reader();
    const std::string& startTag = catalog.StartTag();
    std::string record;
    reader.Seek(file, 0);
    for (;;) {
        std::int64_t position = reader.ReadRecord(file, record, startTag, -1);
        if (position < 0) break;
        std::size_t open = record.find('"', record.find(startTag));
        std::string name = record.substr(open + 1, record.find('"', open + 1) - open - 1);
        keys.emplace(name, position);
    }
    return keys;
}

inline std::vector<std::int64_t> KeysOf(const Catalog& catalog, const std::vector<std::string>& names) {
    std::map<std::string, std::int64_t> keys = KeysByName(catalog);
    std::vector<std::int64_t> rows;
    for (const std::string& name : names) {
        EXPECT_TRUE(keys.count(name)) << name;
        rows.push_back(keys[name]);
    }
    return rows;
}

// The text of the list, or "<failed: message>".
inline std::string SavedText(const Catalog& catalog, const SaveRequest& request) {
    StringSink text;
    Outcome<SavedGames> outcome = SaveList(catalog, request, text);
    return outcome.Done() ? text.Text() : "<failed: " + FirstMessage(outcome) + ">";
}

// The bytes a MaLa golden describes. Tokens: "XX" a byte in hexadecimal; t"..." a text item
// (06, length, bytes; \r \n \" \\ escapes); iN an integer item (03, two bytes little-endian);
// sN a small integer item (02, one byte); K*token repeats a token; "#" starts a comment.
inline std::string ParseMalaNotation(const std::string& text) {
    std::string bytes;
    std::size_t i = 0;
    auto skipBlank = [&] {
        for (;;) {
            while (i < text.size() && IsWhiteSpace(text[i])) ++i;
            if (i < text.size() && text[i] == '#') {
                while (i < text.size() && text[i] != '\n') ++i;
                continue;
            }
            return;
        }
    };
    auto number = [&] {
        std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        return std::stoi(text.substr(start, i - start));
    };
    for (skipBlank(); i < text.size(); skipBlank()) {
        int repeat = 1;
        std::size_t star = text.find('*', i);
        if (star != std::string::npos && star > i && text.find_first_not_of("0123456789", i) == star) {
            repeat = number();
            ++i;
        }
        std::string item;
        char kind = text[i];
        if (kind == 't') {
            i += 2;  // t"
            std::string value;
            while (text[i] != '"') {
                char c = text[i++];
                if (c == '\\') {
                    char e = text[i++];
                    c = e == 'r' ? '\r' : e == 'n' ? '\n' : e;
                }
                value += c;
            }
            ++i;
            item = std::string(1, '\x06') + static_cast<char>(value.size()) + value;
        } else if (kind == 'i') {
            ++i;
            int value = number();
            item = std::string(1, '\x03') + static_cast<char>(value & 0xFF) +
                   static_cast<char>((value >> 8) & 0xFF);
        } else if (kind == 's') {
            ++i;
            item = std::string(1, '\x02') + static_cast<char>(number() & 0xFF);
        } else {
            item = std::string(1, static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16)));
            i += 2;
        }
        for (int n = 0; n < repeat; ++n) bytes += item;
    }
    return bytes;
}

}  // namespace vantor::test
