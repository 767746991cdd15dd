#pragma once
// The values of a game record's fields, pulled out by substring work. Holds nothing but the
// record flavour and the display option it reads them by.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantor {

class RecordFields {
  public:
    RecordFields(int inputType, bool hideTags) : inputType_(inputType), hideTags_(hideTags) {}

    // The name attribute of the record's start tag.
    std::string GetRomName(std::string_view record) const;
    // The description, without its "(...)" and "[...]" tags when tags are hidden.
    std::string GetDescription(std::string_view record) const;
    std::string GetDescription(std::string_view record, std::string_view lowerRecord) const;

    // The values of the comma-separated keys of `keyList`, in list order, with `separator`
    // between the values of different keys (inside a value it becomes "_"). `lastFound`, when
    // given, receives the record offset of the last key occurrence found (0 if none). Keys are
    // found case ignored. Throws EngineError for an unbalanced quote in the key list.
    [[nodiscard]] std::string GetFieldValues(std::string_view record, std::string keyList,
                                             std::string_view separator, std::int64_t startPos,
                                             bool allOccurrences, std::int64_t* lastFound = nullptr) const;
    // The same, the keys looked for in the record's ASCII-lower-cased copy when the caller has one
    // (empty: in the record itself, as that copy would have them).
    [[nodiscard]] std::string GetFieldValues(std::string_view record, std::string_view lowerRecord,
                                             std::string keyList, std::string_view separator,
                                             std::int64_t startPos, bool allOccurrences,
                                             std::int64_t* lastFound = nullptr) const;

    // The values of one key (no key list: no comma, quote or "%<"), all of them, compared only at
    // `places`: in order, every record offset where the key without a closing ">" stands, case
    // ignored. Gives what GetFieldValues gives for the key from the record's start.
    [[nodiscard]] std::string GetKeyValues(std::string_view record, std::span<const std::uint32_t> places,
                                           std::string key) const;

    // The value of `attrName` inside the first `elementTag` element at or after `pos`; on failure
    // `out` is empty and `pos` becomes -1.
    static void GetAttributeValue(std::string_view record, std::int64_t& pos, std::string_view elementTag,
                                  std::string_view attrName, std::string& out);

    // Removes the "(...)" and "[...]" tags of a description.
    static void HideDescriptionTags(std::string& description);

    int InputType() const { return inputType_; }
    bool HidesTags() const { return hideTags_; }

  private:
    int inputType_;
    bool hideTags_;
};

}  // namespace vantor
