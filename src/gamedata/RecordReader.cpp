#include "RecordReader.h"

#include <algorithm>
#include <cstring>

#include "TagTable.h"
#include "TextUtil.h"
#include "XmlEntities.h"

namespace vantor {

namespace {
constexpr std::size_t kSmallRead = 64 * 1024;    // first read after a seek: records are small
constexpr std::size_t kLargeRead = 1024 * 1024;  // sequential scans
constexpr std::size_t kDefaultBuffer = 2 * kLargeRead;
constexpr int kMaxHeaderLines = 1000;
constexpr std::int64_t kHeaderBackStep = 150;
constexpr std::size_t kLongLine = 4 * 1024 * 1024;
}  // namespace

void RecordReader::Attach(const MasterFile& file) {
    if (file_ != &file || fileOpenId_ != file.OpenId()) {
        file_ = &file;
        fileOpenId_ = file.OpenId();
        bufferOffset_ = 0;
        begin_ = end_ = 0;
        atEnd_ = false;
        readSize_ = kSmallRead;
    }
    // Small at first: most readers fetch a few records by position; scans grow it below.
    if (buffer_.empty()) buffer_.resize(2 * kSmallRead);
}

void RecordReader::Seek(const MasterFile& file, std::int64_t position) {
    if (position < 0) position = 0;
    Attach(file);
    // A position inside what is already buffered costs nothing: writers re-read records in
    // list order, often close to each other.
    if (position >= bufferOffset_ && position <= bufferOffset_ + static_cast<std::int64_t>(end_)) {
        begin_ = static_cast<std::size_t>(position - bufferOffset_);
        return;
    }
    bufferOffset_ = position;
    begin_ = end_ = 0;
    atEnd_ = false;
    readSize_ = kSmallRead;
}

bool RecordReader::Refill(const MasterFile& file) {
    if (atEnd_) return false;
    // Keep the unread part, then read more behind it.
    std::size_t pending = end_ - begin_;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, pending);
        bufferOffset_ += static_cast<std::int64_t>(begin_);
        begin_ = 0;
        end_ = pending;
    }
    if (buffer_.size() > kDefaultBuffer && pending < kDefaultBuffer / 2) {
        buffer_.resize(kDefaultBuffer);
        buffer_.shrink_to_fit();
    }
    if (end_ == buffer_.size()) {
        buffer_.resize(buffer_.size() * 2);  // a line longer than the buffer
    } else if (buffer_.size() < kDefaultBuffer && readSize_ >= kLargeRead) {
        buffer_.resize(kDefaultBuffer);  // reading on and on: a scan
    }
    // A buffer grown for a long line is filled whole: small reads would make the line quadratic.
    std::size_t want = buffer_.size() > kDefaultBuffer
                           ? buffer_.size() - end_
                           : std::min(buffer_.size() - end_, std::max(readSize_, kSmallRead));
    std::size_t got =
        file.ReadAt(bufferOffset_ + static_cast<std::int64_t>(end_), buffer_.data() + end_, want);
    if (got == 0) atEnd_ = true;
    end_ += got;
    readSize_ = std::min(readSize_ * 2, kLargeRead);
    return got > 0;
}

bool RecordReader::ReadLine(const MasterFile& file, std::string_view& line, std::int64_t& lineStart) {
    Attach(file);
    std::size_t searchFrom = begin_;
    for (;;) {
        const char* data = buffer_.data();
        const void* newline =
            searchFrom < end_ ? std::memchr(data + searchFrom, '\n', end_ - searchFrom) : nullptr;
        if (newline != nullptr) {
            std::size_t lineEnd = static_cast<std::size_t>(static_cast<const char*>(newline) - data) + 1;
            line = std::string_view(data + begin_, lineEnd - begin_);
            lineStart = bufferOffset_ + static_cast<std::int64_t>(begin_);
            begin_ = lineEnd;
            return true;
        }
        if (atEnd_) {
            if (begin_ == end_) return false;
            line = std::string_view(data + begin_, end_ - begin_);
            lineStart = bufferOffset_ + static_cast<std::int64_t>(begin_);
            begin_ = end_;
            return true;
        }
        std::size_t scanned = end_ - begin_;
        Refill(file);
        searchFrom = begin_ + scanned;
    }
}

namespace {

constexpr std::string_view kDeviceMarker = "isdevice=\"yes\"";

// The line of `text` around offset `at`: [start, end), the end after its line feed.
std::pair<std::size_t, std::size_t> LineAround(std::string_view text, std::size_t at) {
    std::size_t start = at == 0 ? std::string_view::npos : text.rfind('\n', at - 1);
    start = start == std::string_view::npos ? 0 : start + 1;
    std::size_t end = text.find('\n', at);
    end = end == std::string_view::npos ? text.size() : end + 1;
    return {start, end};
}

// The start of the first line at or after `from` that holds `startKey` and is not a device entry
// (unless devices are read too).
std::size_t FindStartLine(std::string_view lines, std::string_view startKey, std::size_t from, bool devices) {
    for (;;) {
        std::size_t hit = FindText(lines, startKey, from);
        if (hit == std::string_view::npos) return hit;
        auto [start, end] = LineAround(lines, hit);
        if (devices || !Contains(lines.substr(start, end - start), kDeviceMarker)) return start;
        from = end;
    }
}

}  // namespace

std::int64_t RecordReader::ReadRecord(const MasterFile& file, std::string& record, std::string_view startKey,
                                      std::int64_t position, RecordText form) {
    std::string_view raw;
    const std::int64_t found = FindRecord(file, raw, startKey, position);
    record.assign(raw);
    if (form == RecordText::Decoded) DecodeEntities(record);
    return found;
}

std::int64_t RecordReader::ReadRecordView(const MasterFile& file, std::string_view& record,
                                          std::string_view startKey, std::int64_t position, RecordText form) {
    const std::int64_t found = FindRecord(file, record, startKey, position);
    if (form == RecordText::Decoded && std::memchr(record.data(), '&', record.size()) != nullptr) {
        decoded_.assign(record);
        DecodeEntities(decoded_);
        record = decoded_;
    }
    return found;
}

std::int64_t RecordReader::NextRecordPosition(const MasterFile& file, std::string_view startKey) {
    std::string_view unused;
    return FindRecord(file, unused, startKey, -1);
}

std::int64_t RecordReader::FindRecord(const MasterFile& file, std::string_view& record,
                                      std::string_view startKey, std::int64_t position) {
    record = {};
    if (position != -1) Seek(file, position);
    Attach(file);
    if (startKey.empty() || Contains(startKey, '\n')) return ReadRecordByLines(file, record, startKey);

    // The same rules as reading line by line, applied to all the whole lines in the buffer at
    // once: one search for the start key, one for the end tag, per record. The record stays in
    // the buffer from its start (begin_) to what has been examined (at), and is handed over there.
    const std::string& endTag = Tags().EndTag(inputType_);
    bool started = false;
    std::size_t at = begin_;
    // Reads more behind the buffered bytes, which may move: `at` moves with them.
    auto refill = [&] {
        const std::size_t kept = at - begin_;
        const bool more = Refill(file);
        at = begin_ + kept;
        return more;
    };
    // Where a very long line outside any record began, when its first part was let go.
    std::int64_t droppedLineStart = -1;
    for (;;) {
        // Only whole lines are examined; first make sure there is one (or the end of the file).
        std::size_t scanned = 0;
        while (!atEnd_ && std::memchr(buffer_.data() + at + scanned, '\n', end_ - at - scanned) == nullptr) {
            // A line that is not part of a record need not be kept while it holds no start key
            // (a zero-filled gap in a half-downloaded file is one line of any length).
            std::size_t pending = end_ - at;
            if (!started && pending > kLongLine &&
                FindText(std::string_view(buffer_.data() + at, pending), startKey) ==
                    std::string_view::npos) {
                if (droppedLineStart < 0) droppedLineStart = bufferOffset_ + static_cast<std::int64_t>(at);
                std::size_t keep = startKey.size() - 1;  // a key may begin in what is kept
                at = begin_ = end_ - keep;
                pending = keep;
            }
            scanned = pending;
            refill();
        }
        std::string_view data(buffer_.data() + at, end_ - at);
        std::size_t lastNewline = data.rfind('\n');
        std::size_t complete = atEnd_                                  ? data.size()
                               : lastNewline == std::string_view::npos ? 0
                                                                       : lastNewline + 1;
        std::string_view lines = data.substr(0, complete);
        if (!started) {
            std::size_t start = FindStartLine(lines, startKey, 0, deviceEntries_);
            if (droppedLineStart >= 0 && complete > 0) {
                std::size_t firstLineEnd = LineAround(lines, 0).second;
                if (start != std::string_view::npos && start < firstLineEnd) {
                    // The long line holds a start key after all: read it whole, line by line.
                    Seek(file, droppedLineStart);
                    return ReadRecordByLines(file, record, startKey);
                }
                droppedLineStart = -1;
            }
            if (start == std::string_view::npos) {
                at = begin_ = at + complete;
                if (!refill() && at == end_) break;
                continue;
            }
            started = true;
            at = begin_ = at + start;
            recordStart = bufferOffset_ + static_cast<std::int64_t>(begin_);
            lines.remove_prefix(start);
        }
        std::size_t endHit = FindText(lines, endTag);
        std::size_t regionEnd =
            endHit == std::string_view::npos ? lines.size() : LineAround(lines, endHit).second;
        std::string_view region = lines.substr(0, regionEnd);
        // The last start line of the region decides the position (a start line inside a started
        // record restarts it).
        for (std::size_t from = 0;;) {
            std::size_t restart = FindStartLine(region, startKey, from, deviceEntries_);
            if (restart == std::string_view::npos) break;
            std::int64_t lineStart = bufferOffset_ + static_cast<std::int64_t>(at + restart);
            recordPosition = lineStart > 0 ? lineStart - 1 : 0;
            from = LineAround(region, restart).second;
        }
        at += regionEnd;
        if (endHit != std::string_view::npos) {
            record = std::string_view(buffer_.data() + begin_, at - begin_);
            begin_ = at;
            return recordPosition;
        }
        if (!refill() && at == end_) break;
    }
    // What was gathered of a record the end of the file cut short.
    record = std::string_view(buffer_.data() + begin_, at - begin_);
    begin_ = at;
    recordPosition = -1;
    return -1;
}

std::int64_t RecordReader::ReadRecordByLines(const MasterFile& file, std::string_view& record,
                                             std::string_view startKey) {
    const std::string& endTag = Tags().EndTag(inputType_);
    lineRecord_.clear();
    bool started = false;
    std::string_view line;
    std::int64_t lineStart = 0;
    while (ReadLine(file, line, lineStart)) {
        if (Contains(line, startKey) && (deviceEntries_ || !Contains(line, kDeviceMarker))) {
            recordPosition = lineStart > 0 ? lineStart - 1 : 0;
            if (!started) recordStart = lineStart;
            started = true;
            lineRecord_.append(line);
        } else if (started) {
            lineRecord_.append(line);
        }
        if (started && Contains(line, endTag)) {
            record = lineRecord_;
            return recordPosition;
        }
    }
    record = lineRecord_;
    recordPosition = -1;
    return -1;
}

void RecordReader::ReadHeader(const MasterFile& file, std::string& header) {
    header.clear();
    Seek(file, 0);
    const TagTable& tags = Tags();
    std::string_view line;
    std::int64_t lineStart = 0;
    for (int count = 1;; ++count) {
        if (count > kMaxHeaderLines || !ReadLine(file, line, lineStart)) break;
        bool startsRecord = std::any_of(std::begin(tags.startTag), std::end(tags.startTag),
                                        [&](const std::string& tag) { return Contains(line, tag); });
        if (startsRecord) {
            // Leave the reader just before the first record's start line, so that the next
            // ReadRecord finds it whatever the line's length.
            Seek(file, lineStart > 0 ? lineStart - 1 : 0);
            return;
        }
        header.append(line);
    }
    header.clear();
    Seek(file, std::max<std::int64_t>(0, Tell() - kHeaderBackStep));
}

int RecordReader::DetectInputType(const MasterFile& file) {
    std::string header;
    ReadHeader(file, header);
    static constexpr struct {
        const char* signature;
        int type;
    } kSignatures[] = {{"mame (game+)", MameGame},
                       {"mame (machine+)", MameMachine},
                       {"DOCTYPE dat", Dat},
                       {"generated by Vantor", MergedList},
                       {"DOCTYPE softwarelist", SoftwareList}};
    int type = UnknownInput;
    for (const auto& signature : kSignatures) {
        if (Contains(header, signature.signature)) type = signature.type;
    }
    return type;
}

std::string RecordReader::GetRootCloseTag(const std::string& header) {
    std::size_t pos = 0;
    for (int lineCount = 0; lineCount < 500 && pos < header.size(); ++lineCount) {
        std::size_t newline = header.find('\n', pos);
        std::size_t end = newline == std::string::npos ? header.size() : newline;
        std::string_view line = TrimView(std::string_view(header).substr(pos, end - pos));
        pos = newline == std::string::npos ? header.size() : newline + 1;
        if (line.empty() || Contains(line, "<?") || Contains(line, "<!") || Contains(line, "]>")) continue;
        std::string_view word = line.substr(0, line.find(' '));
        std::string closeTag = std::string(word.substr(0, 1)) + "/" + std::string(word.substr(1));
        if (closeTag.back() != '>') closeTag += '>';
        return closeTag;
    }
    return "</>";
}

}  // namespace vantor
