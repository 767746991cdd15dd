#include "PreparedRecord.h"

#include <algorithm>
#include <cstring>

#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

using Bytes16 = unsigned char __attribute__((vector_size(16)));

// The portable way: sixteen bytes without a double quote are copied and lower-cased at once; the
// rest byte by byte. Returns the bytes kept.
std::size_t PrepareBytes(const char* in, std::size_t size, char* unquoted, char* lowered) {
    std::size_t kept = 0, i = 0;
    auto copyByte = [&](char c) {
        unquoted[kept] = c;
        lowered[kept] = AsciiLower(c);
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
            Bytes16 lower = block + ((block - upperA < letters) & caseBit);
            std::memcpy(unquoted + kept, &block, sizeof block);
            std::memcpy(lowered + kept, &lower, sizeof lower);
            kept += 16;
            continue;
        }
        for (std::size_t j = i; j < i + 16; ++j) copyByte(in[j]);
    }
    for (; i < size; ++i) copyByte(in[i]);
    return kept;
}

#if defined(__x86_64__) && defined(__GNUC__)
// In XML nearly every sixteen bytes hold a quote, so the quotes are squeezed out with a byte
// shuffle: for each eight bytes, a table gives the order of the bytes that stay. Needs SSSE3,
// which the processor is asked for once.
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

__attribute__((target("ssse3"))) std::size_t PrepareBytesShuffled(const char* in, std::size_t size,
                                                                  char* unquoted, char* lowered) {
    static const QuoteShuffles shuffles;
    using Chars = char __attribute__((vector_size(16)));
    const Chars quote = {'"', '"', '"', '"', '"', '"', '"', '"', '"', '"', '"', '"', '"', '"', '"', '"'};
    const Chars beforeA = {'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1,
                           'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1, 'A' - 1};
    const Chars afterZ = {'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1,
                          'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1, 'Z' + 1};
    const Chars caseBit = {32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32};
    std::size_t kept = 0, i = 0;
    for (; i + 16 <= size; i += 16) {
        Chars block;
        std::memcpy(&block, in + i, sizeof block);
        // Signed compares: bytes above 127 are negative and never letters.
        Chars lower = block | ((block > beforeA) & (block < afterZ) & caseBit);
        unsigned mask = static_cast<unsigned>(__builtin_ia32_pmovmskb128(block == quote));
        if (mask == 0) {
            std::memcpy(unquoted + kept, &block, 16);
            std::memcpy(lowered + kept, &lower, 16);
            kept += 16;
            continue;
        }
        for (int half = 0; half < 2; ++half) {
            unsigned bits = (mask >> (8 * half)) & 0xff;
            Chars order;
            std::memcpy(&order, shuffles.order[bits], 16);
            if (half == 1)
                order =
                    order + (order >= 0 ? Chars{8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8} : Chars{});
            Chars picked = __builtin_ia32_pshufb128(block, order);
            Chars pickedLower = __builtin_ia32_pshufb128(lower, order);
            std::memcpy(unquoted + kept, &picked, 8);
            std::memcpy(lowered + kept, &pickedLower, 8);
            kept += shuffles.kept[bits];
        }
    }
    return kept + PrepareBytes(in + i, size - i, unquoted + kept, lowered + kept);
}

bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

}  // namespace

void PreparedRecord::Assign(std::string_view record) {
    // Eight bytes of room: the shuffled path writes whole halves.
    if (unquotedBuffer_.size() < record.size() + 8) {
        unquotedBuffer_.resize(record.size() + 8);
        loweredBuffer_.resize(record.size() + 8);
    }
    std::size_t kept;
#if defined(__x86_64__) && defined(__GNUC__)
    if (HasSsse3()) {
        kept =
            PrepareBytesShuffled(record.data(), record.size(), unquotedBuffer_.data(), loweredBuffer_.data());
    } else
#endif
    {
        kept = PrepareBytes(record.data(), record.size(), unquotedBuffer_.data(), loweredBuffer_.data());
    }
    unquoted_ = std::string_view(unquotedBuffer_.data(), kept);
    lowered_ = std::string_view(loweredBuffer_.data(), kept);
    unquotedReady_ = true;
}

void PreparedRecord::AssignLowered(std::string_view lowered, const std::uint64_t* upperBits,
                                   std::uint64_t firstBit) {
    lowered_ = lowered;
    upperBits_ = upperBits;
    firstBit_ = firstBit;
    unquotedReady_ = false;
}

void PreparedRecord::RestoreCase() const {
    if (unquotedBuffer_.size() < lowered_.size()) unquotedBuffer_.resize(lowered_.size());
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
    unquotedReady_ = true;
}

}  // namespace vantor
