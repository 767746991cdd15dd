#pragma once
// The engine object: a reader of its own, the search and list state, and the field operations
// that pull values out of a game record by substring work.
#include <cstdint>
#include <string>
#include <string_view>

#include "RecordReader.h"

namespace vantor {

class RecordFields {
public:
    RecordReader reader;
    std::string expression;
    std::string listText;
    std::int64_t listCount = 0;
    // Placed between the values of different keys; inside a value it becomes "_".
    std::string valueSeparator;

    // The name attribute of the record's start tag.
    std::string GetRomName(std::string_view record) const;
    // The description, without its "(...)" and "[...]" tags when g_hideTags is on.
    std::string GetDescription(std::string_view record) const;
    std::string GetDescription(std::string_view record, std::string_view lowerRecord) const;

    // Fills `out` with the values of the comma-separated keys of `keyList`. Returns the record
    // offset of the last key occurrence found (0 if none). Throws EngineError for an unbalanced
    // quote in the key list.
    std::int64_t GetFieldValues(std::string_view record, std::string keyList, std::string& out,
                                std::int64_t startPos, bool allOccurrences) const;
    // The same with the record's ASCII-lower-cased copy supplied by the caller, who may reuse it.
    std::int64_t GetFieldValues(std::string_view record, std::string_view lowerRecord, std::string keyList,
                                std::string& out, std::int64_t startPos, bool allOccurrences) const;

    // The value of `attrName` inside the first `elementTag` element at or after `pos`; on failure
    // `out` is empty and `pos` becomes -1.
    static void GetAttributeValue(std::string_view record, std::int64_t& pos, std::string_view elementTag,
                                  std::string_view attrName, std::string& out);

    // Removes the "(...)" and "[...]" tags of a description.
    static void HideDescriptionTags(std::string& description);
};

}  // namespace vantor
