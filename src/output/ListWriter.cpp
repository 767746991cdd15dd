#include "ListWriter.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <numeric>

#include "gamedata/FileIo.h"
#include "gamedata/ListOrder.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"
#include "gamedata/XmlEntities.h"

namespace vantor {

namespace {
constexpr std::int64_t kProgressStep = 256;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Leading white space, an optional "0x", then hexadecimal digits up to the first other character.
std::int64_t ParseHexKey(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i])) ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        i + 2 < text.size() && HexDigit(text[i + 2]) >= 0) {
        i += 2;
    }
    std::uint64_t value = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        if (value > (static_cast<std::uint64_t>(INT64_MAX) >> 4)) return 0;  // no file is that large
        value = (value << 4) | static_cast<std::uint64_t>(HexDigit(text[i]));
    }
    return static_cast<std::int64_t>(value);
}
}  // namespace

std::vector<std::int64_t> ParseKeyList(std::string_view keyList, std::int64_t count) {
    std::vector<std::int64_t> offsets;
    if (count <= 0) return offsets;
    offsets.reserve(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 20)));
    std::size_t pos = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        std::string_view rest = pos < keyList.size() ? keyList.substr(pos) : std::string_view();
        std::size_t bar = rest.find('|');
        offsets.push_back(ParseHexKey(rest.substr(0, bar)));
        pos = bar == std::string_view::npos ? keyList.size() : pos + bar + 1;
    }
    return offsets;
}

std::int64_t BuildKeyList(const std::vector<std::string>& rowKeys, std::string& keyList) {
    keyList.clear();
    std::int64_t count = 0;
    const std::string* previous = nullptr;
    for (const std::string& key : rowKeys) {
        if (previous == nullptr || key != *previous) {
            keyList += key;
            keyList += '|';
            ++count;
        }
        previous = &key;
    }
    return count;
}

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
    const std::string& lower = Lower();
    // Every occurrence of an element key starts at a "<", every one of an attribute key ends at
    // an "=".
    int count = 0;
    if (searched.front() == '<') {
        const char second = searched[1];
        for (std::uint32_t start : Offsets('<')) {
            if (start + 1 >= lower.size() || lower[start + 1] != second) continue;
            if (lower.compare(start, searched.size(), searched) == 0) {
                if (++count == 2) return 2;
                where = start;
            }
        }
    } else if (searched.back() == '=' && closing == std::string_view::npos && ++attributeKeys_ > 1) {
        // Walking the "=" of a record costs about one search: it pays from the second key on.
        const std::size_t last = searched.size() - 1;
        const char beforeEqual = searched[last - 1];
        for (std::uint32_t equal : Offsets('=')) {
            if (equal < last || lower[equal - 1] != beforeEqual) continue;
            if (lower.compare(equal - last, last, searched, 0, last) == 0) {
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
        value = fields_.GetFieldValues(text, std::string(keyList), separator_, 0, true);
        return value;
    }
    // A key that occurs at most once gives with its first occurrence what the search through the
    // whole record gives; only the search for a second one is saved.
    std::size_t where = 0;
    int count = CountKey(keyList, where);
    if (count == 0) return value;
    if (count == 1) {
        value = fields_.GetFieldValues(body_, Lower(), std::string(keyList), separator_,
                                       static_cast<std::int64_t>(where), false);
    } else {
        value = fields_.GetFieldValues(body_, Lower(), std::string(keyList), separator_, 0, true);
    }
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

void ListWriter::Begin() {
    text_.clear();
    count_ = 0;
}

bool ListWriter::ReadListedText(std::int64_t position, std::string& text, RecordText form) {
    // Records are read with an empty start key: from the very position, so the text begins with
    // the tail of the line before the record, its line feed. Where the key is the position of a
    // record (one byte before its start line), that is exactly a line feed followed by what a read
    // with the start tag finds, and the reader finds that much faster. Other keys (0, or keys of
    // another file) take the empty-key read itself.
    if (position > 0) {
        const std::string& startTag = catalog_.StartTag();
        if (reader_.ReadRecord(file_, text, startTag, position, form) == position) return true;
    }
    reader_.ReadRecord(file_, text, "", position, form);
    return false;
}

void ListWriter::AppendEntries(std::string_view keyList, std::int64_t count, bool raw,
                               const EntryFunction& entry) {
    const RecordText form = raw ? RecordText::Raw : RecordText::Decoded;
    std::vector<std::int64_t> offsets = ParseKeyList(keyList, count);
    const std::size_t n = offsets.size();
    const std::int64_t total = static_cast<std::int64_t>(n);
    ListedRecord current(fields_, separator_);
    std::string name;
    auto makeRecord = [&](std::int64_t offset) -> const ListedRecord& {
        std::string& text = found_;
        bool lineFeed = ReadListedText(offset, text, form);
        std::string& body = current.Renew(lineFeed);
        body.swap(text);
        // The Name, as the search lists it: from the decoded record.
        if (sortByName_) {
            name = current.Description();
            if (form == RecordText::Raw) DecodeEntities(name);
            if (name.empty()) name = "Unknown";
        }
        return current;
    };
    auto progress = [&](std::size_t done) {
        if (done % kProgressStep == 0 || done == n)
            ui_.ProgressUpdate(static_cast<std::int64_t>(done), total);
    };

    if (!sortByName_ && std::is_sorted(offsets.begin(), offsets.end())) {
        for (std::size_t i = 0; i < n; ++i) {
            if (entry(makeRecord(offsets[i]), text_)) ++count_;
            progress(i + 1);
        }
        return;
    }

    // A list in another order (by name, say) would make every read a jump: read the records in
    // file order into one slot per key, then join the slots in list order.
    std::vector<std::size_t> fileOrder(n);
    std::iota(fileOrder.begin(), fileOrder.end(), std::size_t{0});
    std::stable_sort(fileOrder.begin(), fileOrder.end(),
                     [&](std::size_t a, std::size_t b) { return offsets[a] < offsets[b]; });
    std::vector<std::string> pieces(n);
    std::vector<std::string> names(sortByName_ ? n : 0);
    std::vector<std::size_t> source(n);
    std::vector<char> counted(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t index = fileOrder[i];
        if (i > 0 && offsets[index] == offsets[fileOrder[i - 1]]) {
            source[index] = source[fileOrder[i - 1]];  // the same game listed again: read once
        } else {
            source[index] = index;
            counted[index] = entry(makeRecord(offsets[index]), pieces[index]) ? 1 : 0;
            if (sortByName_) names[index].swap(name);
        }
        progress(i + 1);
    }
    std::vector<std::size_t> listOrder(n);
    std::iota(listOrder.begin(), listOrder.end(), std::size_t{0});
    if (sortByName_) {
        std::stable_sort(listOrder.begin(), listOrder.end(), [&](std::size_t a, std::size_t b) {
            return CompareListText(names[source[a]], names[source[b]]) < 0;
        });
    }
    std::size_t size = text_.size();
    for (std::size_t i = 0; i < n; ++i) size += pieces[source[i]].size();
    text_.reserve(size);
    for (std::size_t i : listOrder) {
        text_ += pieces[source[i]];
        count_ += counted[source[i]];
    }
}

bool ListWriter::CheckTarget(const std::string& fileName) {
    if (IsPreviewMarker(fileName)) return true;
    bool ok = !fileName.empty() && !IsDirectory(fileName);
    if (ok) {
        std::filesystem::path folder = std::filesystem::path(fileName).parent_path();
        std::string folderName = folder.empty() ? std::string(".") : folder.string();
        ok = IsDirectory(folderName) && ::access(folderName.c_str(), W_OK | X_OK) == 0;
        if (ok && FileExists(fileName)) ok = ::access(fileName.c_str(), W_OK) == 0;
    }
    if (!ok) {
        ui_.ShowMessage(MessageIcon::Exclamation, kOutputOpenError);
    } else if (IsSameFile(fileName, file_.Path())) {
        // The list would take the place of the master file it is made from.
        ui_.ShowMessage(MessageIcon::Exclamation,
                        std::string(kOutputIsMasterFile) + fileName + kChooseAnotherName);
        ok = false;
    }
    return ok;
}

bool ListWriter::WriteTarget(const std::string& fileName, std::string_view bytes) {
    if (WriteFileAtomically(fileName, bytes)) return true;
    ui_.ShowMessage(MessageIcon::Exclamation, kOutputOpenError);
    return false;
}

bool ListWriter::Finish(std::string& fileName, std::string_view bytes) {
    if (IsPreviewMarker(fileName)) {
        fileName = std::string(bytes);
        return true;
    }
    return WriteTarget(fileName, bytes);
}

}  // namespace vantor
