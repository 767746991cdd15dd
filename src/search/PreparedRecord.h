#pragma once
// A record as the search sees it: double quotes removed, and its ASCII-lower-cased copy, made
// sixteen bytes at a time (with SSSE3 where the processor has it). No part of the language.
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

class PreparedRecord {
  public:
    PreparedRecord() = default;
    explicit PreparedRecord(std::string_view record) { Assign(record); }
    void Assign(std::string_view record);
    // For a record already prepared and kept elsewhere (it must outlive the use of this one): its
    // lower-cased text and, from bit `firstBit` of `upperBits` on, one bit per byte telling which
    // bytes were capitals. The text as written is made from them only if a phrase needs it.
    void AssignLowered(std::string_view lowered, const std::uint64_t* upperBits, std::uint64_t firstBit);

    std::string_view Unquoted() const {
        if (!unquotedReady_) RestoreCase();
        return unquoted_;
    }
    std::string_view Lowered() const { return lowered_; }

  private:
    void RestoreCase() const;

    // Buffers only grow; the views show the record in them (or, lowered, outside them).
    mutable std::string unquotedBuffer_;
    std::string loweredBuffer_;
    mutable std::string_view unquoted_;
    std::string_view lowered_;
    mutable bool unquotedReady_ = true;
    const std::uint64_t* upperBits_ = nullptr;
    std::uint64_t firstBit_ = 0;
};

}  // namespace vantor
