#pragma once
// A record as the search sees it: double quotes removed, and its ASCII-lower-cased copy, made
// many bytes at a time (with AVX-512 or SSSE3 where the processor has them). No part of the
// language.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

class PreparedRecord {
  public:
    PreparedRecord() = default;
    explicit PreparedRecord(std::string_view record) { Assign(record); }
    // `record` must outlive the use of this one: the text as written (quotes removed) is made from
    // it only if a phrase needs it; most records are only ever searched lower-cased.
    void Assign(std::string_view record);
    // For a record already prepared and kept elsewhere (it must outlive the use of this one): its
    // lower-cased text and, from bit `firstBit` of `upperBits` on, one bit per byte telling which
    // bytes were capitals. The text as written is made from them only if a phrase needs it.
    void AssignLowered(std::string_view lowered, const std::uint64_t* upperBits, std::uint64_t firstBit);

    std::string_view Unquoted() const {
        if (!unquotedReady_) MakeUnquoted();
        return unquoted_;
    }
    std::string_view Lowered() const { return lowered_; }

  private:
    void MakeUnquoted() const;

    // Buffers only grow; the views show the record in them (or, lowered, outside them).
    mutable std::string unquotedBuffer_;
    std::string loweredBuffer_;
    mutable std::string_view unquoted_;
    std::string_view lowered_;
    mutable bool unquotedReady_ = true;
    std::string_view record_;  // as read, when Assign() gave it
    const std::uint64_t* upperBits_ = nullptr;
    std::uint64_t firstBit_ = 0;
};

namespace prepared_detail {

// The ways of squeezing the quotes out of `size` bytes at `in` into `out` (lower-cased when
// `lower`), fastest first; each returns the bytes kept and may write up to kOutputSlack bytes
// beyond them. Only those the processor has are offered; the last works everywhere.
inline constexpr std::size_t kOutputSlack = 64;
using Squeeze = std::size_t (*)(const char* in, std::size_t size, char* out, bool lower);
struct SqueezeWay {
    const char* name;
    Squeeze squeeze;
};
// The ways this processor can run, fastest first.
std::size_t AvailableSqueezes(SqueezeWay (&ways)[3]);

}  // namespace prepared_detail

}  // namespace vantor
