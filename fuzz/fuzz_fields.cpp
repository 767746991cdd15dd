// GetFieldValues and the other field operations on arbitrary records and key lists.
// Input: the key list, a line feed, an options line (separator), a line feed, the record.
#include "FuzzSupport.h"
#include "gamedata/EngineError.h"
#include "gamedata/RecordFields.h"
#include "gamedata/TagTable.h"
#include "gamedata/XmlEntities.h"

using namespace vantor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 16384) return 0;
    auto parts = fuzz::SplitInput(data, size, 3);
    std::string keyList(parts[0]), record(parts[2]);
    const std::string separator(parts[1].substr(0, 3));
    const RecordFields vn(parts[1].empty() ? 0 : static_cast<unsigned char>(parts[1][0]) % kInputTypeCount,
                          parts[1].size() > 1 && (parts[1][1] & 1));
    std::string out;
    for (bool all : {false, true}) {
        for (std::int64_t start :
             {std::int64_t{0}, std::int64_t{7}, static_cast<std::int64_t>(record.size())}) {
            try {
                std::int64_t found = 0;
                out = vn.GetFieldValues(record, keyList, separator, start, all, &found);
                if (found < 0 || found > static_cast<std::int64_t>(record.size()))
                    fuzz::Fail("offset outside the record");
            } catch (const EngineError& error) {
                if (error.Text() != kMissingQuoteError) fuzz::Fail("unexpected error " + error.Text());
            }
        }
    }
    vn.GetRomName(record);
    vn.GetDescription(record);
    std::int64_t pos = 0;
    vn.GetAttributeValue(record, pos, keyList, "status", out);

    std::string value = record;
    EncodeEntities(value);
    if (value.find('<') != std::string::npos || value.find('>') != std::string::npos)
        fuzz::Fail("bracket left");
    DecodeEntities(value);
    return 0;
}
