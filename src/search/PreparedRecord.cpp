#include "PreparedRecord.h"

#include <algorithm>
#include <cstring>
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "gamedata/TextUtil.h"

namespace vantor {

namespace prepared_detail {

namespace {

// The portable way: sixteen bytes without a double quote are copied (and lower-cased) at once;
// the rest byte by byte.
template <bool kLower>
std::size_t SqueezeBytes(const char* in, std::size_t size, char* out) {
    using Bytes16 = unsigned char __attribute__((vector_size(16)));
    std::size_t kept = 0, i = 0;
    auto copyByte = [&](char c) {
        out[kept] = kLower ? AsciiLower(c) : c;
        kept += c != '"';
    };
    Bytes16 quote, upperA, letters, caseBit;
    for (int lane = 0; lane < 16; ++lane) {
        quote[lane] = '"';
        upperA[lane] = 'A';
        letters[lane] = 26;
        caseBit[lane] = 32;
    }
    for (; i + 16 <= size; i += 16) {
        Bytes16 block;
        std::memcpy(&block, in + i, sizeof block);
        Bytes16 isQuote = block == quote;
        std::uint64_t halves[2];
        std::memcpy(halves, &isQuote, sizeof halves);
        if ((halves[0] | halves[1]) == 0) {
            if constexpr (kLower) block = block + ((block - upperA < letters) & caseBit);
            std::memcpy(out + kept, &block, sizeof block);
            kept += 16;
            continue;
        }
        for (std::size_t j = i; j < i + 16; ++j) copyByte(in[j]);
    }
    for (; i < size; ++i) copyByte(in[i]);
    return kept;
}

std::size_t SqueezePortable(const char* in, std::size_t size, char* out, bool lower) {
    return lower ? SqueezeBytes<true>(in, size, out) : SqueezeBytes<false>(in, size, out);
}

#if defined(__x86_64__) && defined(__GNUC__)
// In XML nearly every sixteen bytes hold a quote, so the quotes are squeezed out with a byte
// shuffle: for each eight bytes, a table gives the order of the bytes that stay.
struct QuoteShuffles {
    alignas(16) unsigned char order[256][16];
    unsigned char kept[256];
    QuoteShuffles() {
        for (int mask = 0; mask < 256; ++mask) {
            int k = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if ((mask & (1 << bit)) == 0) order[mask][k++] = static_cast<unsigned char>(bit);
            }
            kept[mask] = static_cast<unsigned char>(k);
            for (int rest = k; rest < 16; ++rest) order[mask][rest] = 0x80;  // zero
        }
    }
};

template <bool kLower>
__attribute__((target("ssse3"))) std::size_t SqueezeShuffled(const char* in, std::size_t size, char* out) {
    static const QuoteShuffles shuffles;
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i beforeA = _mm_set1_epi8('A' - 1);
    const __m128i afterZ = _mm_set1_epi8('Z' + 1);
    const __m128i caseBit = _mm_set1_epi8(32);
    const __m128i secondHalf = _mm_set1_epi8(8);
    std::size_t kept = 0, i = 0;
    for (; i + 16 <= size; i += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        // Signed compares: bytes above 127 are negative and never letters.
        if constexpr (kLower) {
            block = _mm_or_si128(block, _mm_and_si128(_mm_and_si128(_mm_cmpgt_epi8(block, beforeA),
                                                                    _mm_cmplt_epi8(block, afterZ)),
                                                      caseBit));
        }
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, quote)));
        if (mask == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + kept), block);
            kept += 16;
            continue;
        }
        for (unsigned half = 0; half < 2; ++half) {
            const unsigned bits = (mask >> (8 * half)) & 0xff;
            __m128i order = _mm_load_si128(reinterpret_cast<const __m128i*>(shuffles.order[bits]));
            // The second half's bytes are 8 further on; the zeroing entries (0x80) stay negative.
            if (half == 1)
                order = _mm_add_epi8(
                    order, _mm_andnot_si128(_mm_cmplt_epi8(order, _mm_setzero_si128()), secondHalf));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + kept), _mm_shuffle_epi8(block, order));
            kept += shuffles.kept[bits];
        }
    }
    return kept + SqueezeBytes<kLower>(in + i, size - i, out + kept);
}

std::size_t SqueezeSsse3(const char* in, std::size_t size, char* out, bool lower) {
    return lower ? SqueezeShuffled<true>(in, size, out) : SqueezeShuffled<false>(in, size, out);
}

// Sixty-four bytes at a time: the quotes' mask compresses the block in one instruction.
template <bool kLower>
__attribute__((target("avx512f,avx512bw,avx512vbmi2,popcnt"))) std::size_t SqueezeCompressed(const char* in,
                                                                                             std::size_t size,
                                                                                             char* out) {
    const __m512i quote = _mm512_set1_epi8('"');
    const __m512i upperA = _mm512_set1_epi8('A');
    const __m512i lastLetter = _mm512_set1_epi8('Z' - 'A');
    const __m512i caseBit = _mm512_set1_epi8(32);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < size; i += 64) {
        const std::size_t left = size - i;
        const __mmask64 valid = left >= 64 ? ~__mmask64{0} : (__mmask64{1} << left) - 1;
        __m512i block = _mm512_maskz_loadu_epi8(valid, in + i);
        const __mmask64 keep = _mm512_mask_cmpneq_epi8_mask(valid, block, quote);
        if constexpr (kLower) {
            const __mmask64 upper = _mm512_cmple_epu8_mask(_mm512_sub_epi8(block, upperA), lastLetter);
            block = _mm512_or_si512(block, _mm512_maskz_mov_epi8(upper, caseBit));
        }
        _mm512_storeu_si512(out + kept, _mm512_maskz_compress_epi8(keep, block));
        kept += static_cast<std::size_t>(__builtin_popcountll(keep));
    }
    return kept;
}

std::size_t SqueezeAvx512(const char* in, std::size_t size, char* out, bool lower) {
    return lower ? SqueezeCompressed<true>(in, size, out) : SqueezeCompressed<false>(in, size, out);
}
#endif

}  // namespace

std::size_t AvailableSqueezes(SqueezeWay (&ways)[3]) {
    std::size_t count = 0;
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("avx512bw"))
        ways[count++] = {"avx512", SqueezeAvx512};
    if (__builtin_cpu_supports("ssse3")) ways[count++] = {"ssse3", SqueezeSsse3};
#endif
    ways[count++] = {"portable", SqueezePortable};
    return count;
}

namespace {
Squeeze FastestSqueeze() {
    static const Squeeze fastest = [] {
        SqueezeWay ways[3];
        AvailableSqueezes(ways);
        return ways[0].squeeze;
    }();
    return fastest;
}
}  // namespace

}  // namespace prepared_detail

void PreparedRecord::Assign(std::string_view record) {
    if (loweredBuffer_.size() < record.size() + prepared_detail::kOutputSlack)
        loweredBuffer_.resize(record.size() + prepared_detail::kOutputSlack);
    const std::size_t kept =
        prepared_detail::FastestSqueeze()(record.data(), record.size(), loweredBuffer_.data(), true);
    lowered_ = std::string_view(loweredBuffer_.data(), kept);
    record_ = record;
    upperBits_ = nullptr;
    unquotedReady_ = false;
}

void PreparedRecord::AssignLowered(std::string_view lowered, const std::uint64_t* upperBits,
                                   std::uint64_t firstBit) {
    lowered_ = lowered;
    record_ = {};
    upperBits_ = upperBits;
    firstBit_ = firstBit;
    unquotedReady_ = false;
}

void PreparedRecord::MakeUnquoted() const {
    if (unquotedBuffer_.size() < lowered_.size() + prepared_detail::kOutputSlack)
        unquotedBuffer_.resize(lowered_.size() + prepared_detail::kOutputSlack);
    unquotedReady_ = true;
    if (upperBits_ == nullptr) {
        const std::size_t kept =
            prepared_detail::FastestSqueeze()(record_.data(), record_.size(), unquotedBuffer_.data(), false);
        unquoted_ = std::string_view(unquotedBuffer_.data(), kept);
        return;
    }
    std::memcpy(unquotedBuffer_.data(), lowered_.data(), lowered_.size());
    // Only the capitals change back; most 64-byte stretches have none.
    for (std::size_t i = 0; i < lowered_.size();) {
        std::uint64_t bit = firstBit_ + i;
        std::uint64_t word = upperBits_[bit / 64] >> (bit % 64);
        std::size_t span = std::min<std::size_t>(64 - bit % 64, lowered_.size() - i);
        if (span < 64) word &= (std::uint64_t{1} << span) - 1;
        while (word != 0) {
            std::size_t at = i + static_cast<std::size_t>(__builtin_ctzll(word));
            unquotedBuffer_[at] = static_cast<char>(unquotedBuffer_[at] - ('a' - 'A'));
            word &= word - 1;
        }
        i += span;
    }
    unquoted_ = std::string_view(unquotedBuffer_.data(), lowered_.size());
}

}  // namespace vantor
