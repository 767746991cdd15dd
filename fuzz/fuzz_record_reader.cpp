// The record reader over arbitrary bytes: against a plain line-by-line reading, and every
// record read again from its position. The first byte picks the input type.
#include "FuzzSupport.h"
#include "gamedata/RecordReader.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"
#include "gamedata/XmlEntities.h"

using namespace vantor;

namespace {

struct Found {
    std::int64_t position = -1;
    std::string record;
};

// The reading rules, one whole line at a time, from byte `from`.
Found ReadByLines(std::string_view bytes, std::size_t& from, std::string_view startKey,
                  std::string_view endTag) {
    Found found;
    bool started = false;
    while (from < bytes.size()) {
        std::size_t newline = bytes.find('\n', from);
        std::size_t end = newline == std::string_view::npos ? bytes.size() : newline + 1;
        std::string_view line = bytes.substr(from, end - from);
        std::size_t lineStart = from;
        from = end;
        if (Contains(line, startKey) && !Contains(line, "isdevice=\"yes\"")) {
            found.position = lineStart > 0 ? static_cast<std::int64_t>(lineStart) - 1 : 0;
            started = true;
            found.record.append(line);
        } else if (started) {
            found.record.append(line);
        }
        if (started && Contains(line, endTag)) {
            DecodeEntities(found.record);
            return found;
        }
    }
    found.position = -1;
    DecodeEntities(found.record);
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int inputType = data[0] % kInputTypeCount;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    fuzz::MemoryFile memory(bytes);
    MasterFile file;
    if (!file.Open(memory.Path())) fuzz::Fail("cannot open the memory file");
    const std::string& startKey = Tags().StartTag(inputType);
    const std::string& endTag = Tags().EndTag(inputType);

    RecordReader reader(inputType);
    reader.Rewind(file);
    std::size_t from = 0;
    for (int count = 0; count < 10000; ++count) {
        std::string record;
        std::int64_t position = reader.ReadRecord(file, record, startKey, -1);
        Found expected = ReadByLines(bytes, from, startKey, endTag);
        if (position != expected.position || record != expected.record)
            fuzz::Fail("reader differs from lines");
        if (record.empty() || position == -1) break;
        if (position != 0 && bytes[static_cast<std::size_t>(position)] != '\n')
            fuzz::Fail("position not before a line");
        // Read again from its position, a record is the same from its last start line on (a
        // start line inside a record restarts the position, the text before it stays).
        RecordReader again(inputType);
        std::string reread;
        if (again.ReadRecord(file, reread, startKey, position) != position || !record.ends_with(reread) ||
            !Contains(reread.substr(0, reread.find('\n')), startKey)) {
            fuzz::Fail("record read again differs");
        }
    }
    std::string header;
    reader.ReadHeader(file, header);
    RecordReader::GetRootCloseTag(header);
    return 0;
}
