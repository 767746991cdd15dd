#include "ListWriter.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <numeric>

#include "gamedata/FileIo.h"
#include "gamedata/RecordFields.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

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

// Most records hold nothing to encode, and one pass that the compiler vectorises is far cheaper
// than the encoding's own searches.
bool RecordMayNeedEncoding(std::string_view text) {
    const unsigned char* data = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    if (size == 0) return false;
    constexpr std::size_t kBlock = 4096;
    for (std::size_t block = 0; block + 1 < size; block += kBlock) {
        const std::size_t end = std::min(size - 1, block + kBlock);
        unsigned char hit = 0;  // byte-wide throughout, so that a vector holds 16 of them
        for (std::size_t i = block; i < end; ++i) {
            const unsigned char c = data[i];
            const unsigned char d = data[i + 1];
            const unsigned char amp = c == '&', apostrophe = c == '\'', lt = c == '<', gt = c == '>';
            const unsigned char nextLt = d == '<', nextU = d == 'u', nextGt = d == '>';
            hit |= amp | apostrophe | (lt & (nextLt | nextU)) | (gt & nextGt);
        }
        if (hit != 0) return true;
    }
    return data[size - 1] == '&' || data[size - 1] == '\'';
}

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
        lower_.assign(text_);
        ToLowerAsciiInPlace(lower_);
        lowered_ = true;
    }
    return lower_;
}

std::string ListedRecord::Value(std::string_view keyList) const {
    std::string value;
    vn_.GetFieldValues(text_, Lower(), std::string(keyList), value, 0, true);
    return value;
}

std::string ListedRecord::RomName() const {
    return vn_.GetRomName(text_);
}

std::string ListedRecord::Description() const {
    return vn_.GetDescription(text_, Lower());
}

void ListWriter::Begin() {
    vn_.listText.clear();
    vn_.listCount = 0;
}

void ListWriter::ReadListedText(std::int64_t position, std::string& text) {
    // Records are read with an empty start key: from the very position, so the text begins with
    // the tail of the line before the record, its line feed. Where the key is the position of a
    // record (one byte before its start line), that is exactly a line feed followed by what a read
    // with the start tag finds, and the reader finds that much faster. Other keys (0, or keys of
    // another file) take the empty-key read itself.
    if (position > 0) {
        const std::string& startTag = Tags().startTag[TagTable::Column()];
        if (vn_.reader.ReadRecord(file_, found_, startTag, position) == position) {
            text.assign(1, '\n');
            text += found_;
            return;
        }
    }
    vn_.reader.ReadRecord(file_, text, "", position);
}

void ListWriter::AppendEntries(std::string_view keyList, std::int64_t count, bool encode,
                               const EntryFunction& entry) {
    std::vector<std::int64_t> offsets = ParseKeyList(keyList, count);
    const std::size_t n = offsets.size();
    const std::int64_t total = static_cast<std::int64_t>(n);
    ListedRecord current(vn_);
    auto makeRecord = [&](std::int64_t offset) -> const ListedRecord& {
        std::string& text = current.Renew();
        ReadListedText(offset, text);
        if (encode && RecordMayNeedEncoding(text)) EncodeRecordEntities(text);
        return current;
    };
    auto progress = [&](std::size_t done) {
        if (done % kProgressStep == 0 || done == n)
            ui_.ProgressUpdate(static_cast<std::int64_t>(done), total);
    };

    if (std::is_sorted(offsets.begin(), offsets.end())) {
        for (std::size_t i = 0; i < n; ++i) {
            if (entry(makeRecord(offsets[i]), vn_.listText)) ++vn_.listCount;
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
    std::vector<std::size_t> source(n);
    std::vector<char> counted(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t index = fileOrder[i];
        if (i > 0 && offsets[index] == offsets[fileOrder[i - 1]]) {
            source[index] = source[fileOrder[i - 1]];  // the same game listed again: read once
        } else {
            source[index] = index;
            counted[index] = entry(makeRecord(offsets[index]), pieces[index]) ? 1 : 0;
        }
        progress(i + 1);
    }
    std::size_t size = vn_.listText.size();
    for (std::size_t i = 0; i < n; ++i) size += pieces[source[i]].size();
    vn_.listText.reserve(size);
    for (std::size_t i = 0; i < n; ++i) {
        vn_.listText += pieces[source[i]];
        vn_.listCount += counted[source[i]];
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
    if (!ok) ui_.ShowMessage(MessageIcon::Exclamation, kOutputOpenError);
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
