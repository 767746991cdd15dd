#include "ListWriter.h"

#include <algorithm>
#include <cstdint>

#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"
#include "gamedata/XmlEntities.h"

namespace vantor {

const std::string& ListedRecord::Lower() const {
    if (!lowered_) {
        lower_.assign(body_);
        ToLowerAsciiInPlace(lower_);
        lowered_ = true;
    }
    return lower_;
}

bool ListedRecord::NeedsLineFeed(std::string_view keyList) const {
    // Keys find the same values with or without a line feed in front, but for one thing: an
    // "%<element.attribute" key looks for its element from the record offset equal to its own
    // length, and the line feed moves the record by one. That matters only where the element
    // starts right at that offset.
    if (!lineFeed_ || keyList.find("%<") == std::string_view::npos) return false;
    if (keyList.find_first_of(",'\"") != std::string_view::npos || !keyList.starts_with("%<")) return true;
    std::size_t dot = keyList.rfind('.');
    if (dot == std::string_view::npos || dot < 2) return true;
    std::string elementTag = ToLowerAscii(keyList.substr(1, dot - 1));
    std::size_t at = keyList.size() - 1;
    return body_.compare(at, elementTag.size(), elementTag) == 0;
}

const std::vector<std::uint32_t>& ListedRecord::Offsets(char c) const {
    std::vector<std::uint32_t>& offsets = c == '<' ? tagStarts_ : equalSigns_;
    bool& found = c == '<' ? tagsFound_ : equalsFound_;
    if (!found) {
        offsets.clear();
        FindAllBytes(body_, c, offsets);
        found = true;
    }
    return offsets;
}

int ListedRecord::CountKey(std::string_view key, std::size_t& where) const {
    if (key.size() < 2 || key.find_first_of(",'%") != std::string_view::npos) return -1;
    // After its first hit the field search drops ">" from the key. Where ">" can only end the key,
    // the shorter key finds every place the longer one does (and maybe more), so counting it
    // bounds both; a ">" inside the key would make them different texts.
    std::size_t closing = key.find('>');
    if (closing != std::string_view::npos && closing + 1 != key.size()) return -1;
    // The key as the field search uses it: lower case, double quotes gone, "_" for a blank.
    std::string searched;
    for (char c : key) {
        if (c == '"' || c == '>') continue;
        searched += c == '_' ? ' ' : AsciiLower(c);
    }
    if (searched.size() < 2 || body_.size() >= UINT32_MAX) return -1;
    // Compared in the record itself, so that a key found once needs no lower-cased copy.
    auto matches = [&](std::size_t at, std::size_t length) {
        if (at + length > body_.size()) return false;
        for (std::size_t i = 0; i < length; ++i) {
            if (AsciiLower(body_[at + i]) != searched[i]) return false;
        }
        return true;
    };
    // Every occurrence of an element key starts at a "<", every one of an attribute key ends at
    // an "=".
    int count = 0;
    if (searched.front() == '<') {
        const char second = searched[1];
        for (std::uint32_t start : Offsets('<')) {
            if (start + 1 >= body_.size() || AsciiLower(body_[start + 1]) != second) continue;
            if (matches(start, searched.size())) {
                if (++count == 2) return 2;
                where = start;
            }
        }
    } else if (searched.back() == '=' && closing == std::string_view::npos && ++attributeKeys_ > 1) {
        // Walking the "=" of a record costs about one search: it pays from the second key on.
        const std::size_t last = searched.size() - 1;
        const char beforeEqual = searched[last - 1];
        for (std::uint32_t equal : Offsets('=')) {
            if (equal < last || AsciiLower(body_[equal - 1]) != beforeEqual) continue;
            if (matches(equal - last, last)) {
                if (++count == 2) return 2;
                where = equal - last;
            }
        }
    } else {
        return -1;
    }
    return count;
}

std::string ListedRecord::Value(std::string_view keyList) const {
    std::string value;
    if (NeedsLineFeed(keyList)) {
        std::string text = "\n" + body_;
        value = fields_.GetFieldValues(text, std::string(keyList), {}, 0, true);
        return value;
    }
    // A key that occurs at most once gives with its first occurrence what the search through the
    // whole record gives; only the search for a second one is saved. A key that occurs more often
    // is searched from its first occurrence on.
    std::size_t where = 0;
    int count = CountKey(keyList, where);
    if (count == 0) return value;
    // The one occurrence, written in lower case, is found in the record as in its lower-cased
    // copy: the copy is not needed then.
    bool lowerAlready = false;
    if (count == 1 && !lowered_) {
        const std::size_t end = std::min(body_.size(), where + keyList.size() + 1);
        lowerAlready = std::none_of(body_.begin() + static_cast<std::ptrdiff_t>(where),
                                    body_.begin() + static_cast<std::ptrdiff_t>(end),
                                    [](char c) { return c >= 'A' && c <= 'Z'; });
    }
    value =
        fields_.GetFieldValues(body_, lowerAlready ? std::string_view(body_) : Lower(), std::string(keyList),
                               {}, count > 0 ? static_cast<std::int64_t>(where) : 0, count != 1);
    return value;
}

std::string ListedRecord::RomName() const {
    return fields_.GetRomName(body_);
}

std::string ListedRecord::Description() const {
    if (!described_) {
        description_ = Value(Tags().DescriptionTag(fields_.InputType()));
        if (fields_.HidesTags()) RecordFields::HideDescriptionTags(description_);
        described_ = true;
    }
    return description_;
}

}  // namespace vantor
