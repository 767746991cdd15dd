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
    // Both in one pass: the writers that need one need the other too.
    if (!offsetsFound_) {
        tagStarts_.clear();
        equalSigns_.clear();
        FindAllBytes(body_, '<', tagStarts_, '=', equalSigns_);
        offsetsFound_ = true;
    }
    return c == '<' ? tagStarts_ : equalSigns_;
}

bool ListedRecord::FindPlaces(std::string_view key) const {
    places_.clear();
    if (key.size() < 2 || key.find_first_of(",'%") != std::string_view::npos) return false;
    // After its first hit the field search drops ">" from the key. Where ">" can only end the key,
    // the shorter key stands at every place the longer one does (and maybe more), so its places
    // serve both; a ">" inside the key would make them different texts.
    std::size_t closing = key.find('>');
    if (closing != std::string_view::npos && closing + 1 != key.size()) return false;
    // The key as the field search uses it: lower case, double quotes gone, "_" for a blank.
    std::string& searched = searched_;
    searched.clear();
    for (char c : key) {
        if (c == '"' || c == '>') continue;
        searched += c == '_' ? ' ' : AsciiLower(c);
    }
    if (searched.size() < 2 || body_.size() >= UINT32_MAX) return false;
    // Compared in the record itself, so that no lower-cased copy is needed.
    auto matches = [&](std::size_t at, std::size_t length) {
        if (at + length > body_.size()) return false;
        for (std::size_t i = 0; i < length; ++i) {
            if (AsciiLower(body_[at + i]) != searched[i]) return false;
        }
        return true;
    };
    // Every place of an element key starts at a "<", every one of an attribute key ends at an "=".
    if (searched.front() == '<') {
        const char second = searched[1];
        for (std::uint32_t start : Offsets('<')) {
            if (start + 1 < body_.size() && AsciiLower(body_[start + 1]) == second &&
                matches(start, searched.size()))
                places_.push_back(start);
        }
    } else if (searched.back() == '=' && closing == std::string_view::npos) {
        const std::size_t last = searched.size() - 1;
        const char beforeEqual = searched[last - 1];
        for (std::uint32_t equal : Offsets('=')) {
            if (equal >= last && AsciiLower(body_[equal - 1]) == beforeEqual && matches(equal - last, last))
                places_.push_back(static_cast<std::uint32_t>(equal - last));
        }
    } else {
        return false;
    }
    return true;
}

std::string ListedRecord::Value(std::string_view keyList) const {
    if (NeedsLineFeed(keyList)) {
        std::string text = "\n" + body_;
        return fields_.GetFieldValues(text, std::string(keyList), {}, 0, true);
    }
    // A single key is compared only where it can stand; other key lists are searched through the
    // record's lower-cased copy.
    if (FindPlaces(keyList)) {
        if (places_.empty()) return {};
        return fields_.GetKeyValues(body_, places_, std::string(keyList));
    }
    return fields_.GetFieldValues(body_, Lower(), std::string(keyList), {}, 0, true);
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
