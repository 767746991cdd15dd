#include "RecordFields.h"

#include <algorithm>
#include <cstring>

#include "EngineError.h"
#include "TagTable.h"
#include "TextUtil.h"

namespace vantor {

std::string RecordFields::GetRomName(std::string_view record) const {
    std::size_t start = FindText(record, Tags().StartTag(inputType_));
    if (start == std::string_view::npos) return {};
    std::size_t open = record.find('"', start);
    if (open == std::string_view::npos) return {};
    std::size_t close = record.find('"', open + 1);
    if (close == std::string_view::npos) return {};
    return std::string(record.substr(open + 1, close - open - 1));
}

std::string RecordFields::GetDescription(std::string_view record) const {
    return GetDescription(record, {});
}

std::string RecordFields::GetDescription(std::string_view record, std::string_view lowerRecord) const {
    std::string description =
        GetFieldValues(record, lowerRecord, Tags().DescriptionTag(inputType_), {}, 0, true);
    if (hideTags_) HideDescriptionTags(description);
    return description;
}

void RecordFields::HideDescriptionTags(std::string& description) {
    for (auto [open, close] : {std::pair{'(', ')'}, std::pair{'[', ']'}}) {
        std::size_t first = description.find(open);
        if (first == std::string::npos) continue;
        std::size_t last = description.rfind(close);
        if (last == std::string::npos || last < first) continue;
        std::string tagText = description.substr(first, last - first + 1);
        ReplaceAll(description, tagText, "");
        Trim(description, " ");
    }
}

std::string RecordFields::GetFieldValues(std::string_view record, std::string keyList,
                                         std::string_view separator, std::int64_t startPos,
                                         bool allOccurrences, std::int64_t* lastFound) const {
    return GetFieldValues(record, {}, std::move(keyList), separator, startPos, allOccurrences, lastFound);
}

namespace {

// Where the lower-case `key` stands in the record, case ignored: in the caller's lower-cased copy,
// or without one, in the record itself as that copy would have it.
std::size_t FindKey(std::string_view record, std::string_view lowerRecord, std::string_view key,
                    std::size_t from) {
    return lowerRecord.empty() ? FindTextIgnoringCase(record, key, from) : FindText(lowerRecord, key, from);
}

// The same among the places where the key may stand: only those are compared.
std::size_t FindKeyAtPlaces(std::string_view record, std::span<const std::uint32_t> places,
                            std::string_view key, std::size_t from) {
    for (auto at = std::lower_bound(places.begin(), places.end(), from); at != places.end(); ++at) {
        const std::size_t place = *at;
        if (place + key.size() > record.size()) continue;
        std::size_t i = 0;
        while (i < key.size() && AsciiLower(record[place + i]) == key[i]) ++i;
        if (i == key.size()) return place;
    }
    return std::string_view::npos;
}

// Appends a value taken from the record. Attribute values can still hold &quot; (the reader
// decodes it only between tags); as a value it stands for a double quote.
void AppendValue(std::string& out, std::string_view value) {
    std::size_t start = out.size();
    out.append(value);
    if (!value.empty() && std::memchr(value.data(), '&', value.size()) != nullptr &&
        value.find("&quot;") != std::string_view::npos) {
        std::string decoded = out.substr(start);
        ReplaceAll(decoded, "&quot;", "\"");
        out.replace(start, std::string::npos, decoded);
    }
}

// Takes the next key off the front of the (lower-cased) key list, as the list grammar says:
// a quoted key wherever it stands first, else the text before the first comma.
std::string TakeNextKey(std::string& list) {
    std::string key;
    std::size_t quote = list.find('\'');
    if (quote != std::string::npos) {
        std::size_t closing = list.find('\'', quote + 1);
        if (closing == std::string::npos) throw EngineError(kMissingQuoteError);
        key = list.substr(quote + 1, closing - quote - 1);
        if (key.empty()) {
            list.erase(quote, 2);  // '' names no key, and removing nothing would never end
        } else {
            ReplaceAll(list, key, "");
        }
        Trim(list, "'");
        return key;
    }
    RemoveAll(list, '"');
    key = list.substr(0, list.find(','));
    if (key.empty()) {
        list.erase(0, 1);  // a stray comma; ReplaceAll of nothing would never shorten the list
    } else {
        ReplaceAll(list, key, "");
    }
    TrimLeft(list, ", ");
    ReplaceAll(key, "_", " ");
    return key;
}

// The values of the key list's keys, each key looked for by `find(key, from)`.
template <typename Find>
std::string FieldValues(std::string_view record, std::string keyList, std::string_view separator,
                        std::int64_t startPos, bool allOccurrences, std::int64_t* lastFound, Find find) {
    ToLowerAsciiInPlace(keyList);
    std::string out;
    if (lastFound != nullptr) *lastFound = 0;
    std::string& list = keyList;
    while (!list.empty()) {
        std::string key = TakeNextKey(list);
        std::string keyValues;
        if (key.starts_with("%<")) {
            std::size_t dot = key.rfind('.');
            std::string_view elementTag, attrName;
            if (dot != std::string::npos && dot >= 1) {
                elementTag = std::string_view(key).substr(1, dot - 1);
                attrName = std::string_view(key).substr(dot + 1);
            } else {
                elementTag = std::string_view(key).substr(1);
            }
            std::int64_t pos = static_cast<std::int64_t>(key.size());
            std::string value;
            if (!attrName.empty()) RecordFields::GetAttributeValue(record, pos, elementTag, attrName, value);
            out += value;
        } else if (!key.empty() && startPos >= 0 && static_cast<std::size_t>(startPos) <= record.size()) {
            std::size_t offset = find(key, static_cast<std::size_t>(startPos));
            while (offset != std::string_view::npos) {
                if (lastFound != nullptr) *lastFound = static_cast<std::int64_t>(offset);
                RemoveAll(key, '>');
                std::size_t scan = offset + key.size();
                std::size_t marker = record.find_first_of("\">", scan);
                std::string_view value;
                std::size_t valueEnd = record.size();
                if (marker != std::string_view::npos) {
                    std::size_t valueStart = marker + 1;
                    std::size_t stop = record[marker] == '"' ? record.find('"', valueStart)
                                                             : FindText(record, "</", valueStart);
                    valueEnd = stop == std::string_view::npos ? record.size() : stop;
                    value = record.substr(valueStart, valueEnd - valueStart);
                }
                if (!value.empty() && (value.front() == '>' || value.front() == ' ')) value = {};
                AppendValue(keyValues, value);
                keyValues.append(" & ");
                if (!allOccurrences || key.empty()) break;
                std::size_t next = record.find_first_of("\">", valueEnd);
                if (next == std::string_view::npos) break;
                // Always move forward, so that a search can never find the same place again.
                offset = find(key, std::max(next, offset + 1));
            }
        }
        // The last " & " goes first: a separator holding a blank or "&" (a CSV delimiter of " ")
        // would otherwise turn it into "_&_" at the end of every value.
        TrimRight(keyValues, " &");
        if (!separator.empty()) ReplaceAll(keyValues, separator, "_");
        out += keyValues;
        if (!list.empty()) out += separator;
    }
    Trim(out);
    return out;
}

}  // namespace

std::string RecordFields::GetFieldValues(std::string_view record, std::string_view lowerRecord,
                                         std::string keyList, std::string_view separator,
                                         std::int64_t startPos, bool allOccurrences,
                                         std::int64_t* lastFound) const {
    return FieldValues(
        record, std::move(keyList), separator, startPos, allOccurrences, lastFound,
        [&](std::string_view key, std::size_t from) { return FindKey(record, lowerRecord, key, from); });
}

std::string RecordFields::GetKeyValues(std::string_view record, std::span<const std::uint32_t> places,
                                       std::string key) const {
    return FieldValues(
        record, std::move(key), {}, 0, true, nullptr,
        [&](std::string_view part, std::size_t from) { return FindKeyAtPlaces(record, places, part, from); });
}

void RecordFields::GetAttributeValue(std::string_view record, std::int64_t& pos, std::string_view elementTag,
                                     std::string_view attrName, std::string& out) {
    out.clear();
    std::size_t element = pos >= 0 && static_cast<std::size_t>(pos) <= record.size()
                              ? record.find(elementTag, static_cast<std::size_t>(pos))
                              : std::string_view::npos;
    if (element == std::string_view::npos) {
        pos = -1;
        return;
    }
    std::size_t elementEnd = record.find('>', element);
    std::string_view elementText = record.substr(
        element, elementEnd == std::string_view::npos ? std::string_view::npos : elementEnd - element + 1);
    std::size_t attr = elementText.find(attrName);
    std::size_t open = attr == std::string_view::npos ? attr : elementText.find('"', attr + attrName.size());
    if (open == std::string_view::npos) {
        pos = -1;
        return;
    }
    std::size_t close = elementText.find('"', open + 1);
    out.clear();
    AppendValue(out,
                elementText.substr(open + 1, close == std::string_view::npos ? close : close - open - 1));
}

}  // namespace vantor
