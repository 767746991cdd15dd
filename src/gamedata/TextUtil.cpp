#include "TextUtil.h"

#include <string.h>
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <charconv>
#include <cstdint>
#include <cstring>

namespace vantor {

void FindAllBytes(std::string_view text, char first, std::vector<std::uint32_t>& firstOffsets, char second,
                  std::vector<std::uint32_t>& secondOffsets) {
    const char* data = text.data();
    std::size_t i = 0;
#ifdef __SSE2__
    // A bit per byte, then one step per hit: XML has a "<" or "=" in most blocks of sixteen.
    const __m128i wantedFirst = _mm_set1_epi8(first), wantedSecond = _mm_set1_epi8(second);
    auto note = [&](std::vector<std::uint32_t>& offsets, unsigned mask) {
        while (mask != 0) {
            offsets.push_back(static_cast<std::uint32_t>(i + static_cast<std::size_t>(__builtin_ctz(mask))));
            mask &= mask - 1;
        }
    };
    for (; i + 16 <= text.size(); i += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        note(firstOffsets, static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wantedFirst))));
        note(secondOffsets, static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wantedSecond))));
    }
#endif
    for (; i < text.size(); ++i) {
        if (data[i] == first) firstOffsets.push_back(static_cast<std::uint32_t>(i));
        if (data[i] == second) secondOffsets.push_back(static_cast<std::uint32_t>(i));
    }
}

namespace {

// How a search compares the text with the part it looks for: byte for byte, or as the text's
// ASCII-lower-cased copy would compare (the part then being lower-case).
struct ExactBytes {
    static char FoldBits(char) { return 0; }
    static bool Same(const char* text, const char* part, std::size_t size) {
        return std::memcmp(text, part, size) == 0;
    }
};
struct FoldedBytes {
    // A lower-case letter of the part also stands for its capital: the two differ in this bit only.
    static char FoldBits(char c) { return c >= 'a' && c <= 'z' ? 0x20 : 0; }
    static bool Same(const char* text, const char* part, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            if (AsciiLower(text[i]) != part[i]) return false;
        }
        return true;
    }
};

// Candidates are the places where both the first and the last byte of `part` stand; in XML,
// where "<" and "=" are everywhere, that is far rarer than either alone. Blocks of 32 bytes with
// AVX2, of 16 with SSE2; `i` is left where the blocks stopped, for the rest to be searched
// otherwise.
#if defined(__x86_64__) && defined(__GNUC__)
bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

template <typename Compare>
__attribute__((target("avx2"))) std::size_t FindInBlocksAvx2(std::string_view text, std::string_view part,
                                                             std::size_t& i) {
    const char* data = text.data();
    const std::size_t last = part.size() - 1, middle = last == 0 ? 0 : last - 1;
    const __m256i firstFold = _mm256_set1_epi8(Compare::FoldBits(part[0]));
    const __m256i firstByte = _mm256_set1_epi8(part[0]);
    const __m256i lastFold = _mm256_set1_epi8(Compare::FoldBits(part[last]));
    const __m256i lastByte = _mm256_set1_epi8(part[last]);
    for (; i + last + 32 <= text.size(); i += 32) {
        __m256i starts = _mm256_cmpeq_epi8(
            _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i)), firstFold),
            firstByte);
        __m256i ends = _mm256_cmpeq_epi8(
            _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + last)), lastFold),
            lastByte);
        auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(starts, ends)));
        while (mask != 0) {
            std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (Compare::Same(data + at + 1, part.data() + 1, middle)) return at;
            mask &= mask - 1;
        }
    }
    return std::string_view::npos;
}
#endif

template <typename Compare>
std::size_t FindInBlocks(std::string_view text, std::string_view part, std::size_t& i) {
#if defined(__x86_64__) && defined(__GNUC__)
    if (HasAvx2()) return FindInBlocksAvx2<Compare>(text, part, i);
#endif
#ifdef __SSE2__
    const char* data = text.data();
    const std::size_t last = part.size() - 1, middle = last == 0 ? 0 : last - 1;
    const __m128i firstFold = _mm_set1_epi8(Compare::FoldBits(part[0]));
    const __m128i firstByte = _mm_set1_epi8(part[0]);
    const __m128i lastFold = _mm_set1_epi8(Compare::FoldBits(part[last]));
    const __m128i lastByte = _mm_set1_epi8(part[last]);
    for (; i + last + 16 <= text.size(); i += 16) {
        __m128i starts = _mm_cmpeq_epi8(
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), firstFold), firstByte);
        __m128i ends = _mm_cmpeq_epi8(
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + last)), lastFold),
            lastByte);
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(starts, ends)));
        while (mask != 0) {
            std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (Compare::Same(data + at + 1, part.data() + 1, middle)) return at;
            mask &= mask - 1;
        }
    }
#else
    (void)text;
    (void)part;
    (void)i;
#endif
    return std::string_view::npos;
}

}  // namespace

std::size_t FindText(std::string_view text, std::string_view part, std::size_t from) {
    if (from > text.size()) return std::string_view::npos;
    if (part.empty()) return from;
    if (part.size() > text.size() - from) return std::string_view::npos;
    const char* data = text.data();
    if (part.size() == 1) {
        const void* found = std::memchr(data + from, part[0], text.size() - from);
        return found == nullptr ? std::string_view::npos
                                : static_cast<std::size_t>(static_cast<const char*>(found) - data);
    }
    std::size_t i = from;
    if (std::size_t at = FindInBlocks<ExactBytes>(text, part, i); at != std::string_view::npos) return at;
    // The rest, shorter than a block (or all of it without SSE2): the C library's memmem.
    const void* found = ::memmem(data + i, text.size() - i, part.data(), part.size());
    return found == nullptr ? std::string_view::npos
                            : static_cast<std::size_t>(static_cast<const char*>(found) - data);
}

std::size_t FindTextIgnoringCase(std::string_view text, std::string_view part, std::size_t from) {
    if (from > text.size()) return std::string_view::npos;
    if (part.empty()) return from;
    if (part.size() > text.size() - from) return std::string_view::npos;
    // The lower-cased text holds no capital.
    for (char c : part) {
        if (c >= 'A' && c <= 'Z') return std::string_view::npos;
    }
    std::size_t i = from;
    if (std::size_t at = FindInBlocks<FoldedBytes>(text, part, i); at != std::string_view::npos) return at;
    for (; i + part.size() <= text.size(); ++i) {
        if (FoldedBytes::Same(text.data() + i, part.data(), part.size())) return i;
    }
    return std::string_view::npos;
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    ToLowerAsciiInPlace(out);
    return out;
}

void ToLowerAsciiInPlace(std::string& text) {
    // Written so that the compiler vectorises it: this runs over every record of every scan.
    unsigned char* data = reinterpret_cast<unsigned char*>(text.data());
    std::size_t size = text.size();
    for (std::size_t i = 0; i < size; ++i) {
        unsigned char c = data[i];
        data[i] = static_cast<unsigned char>(c + (static_cast<unsigned char>(c - 'A') < 26u ? 32 : 0));
    }
}

std::size_t ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty()) return 0;
    std::size_t pos = FindText(text, from);
    if (pos == std::string::npos) return 0;
    std::string out;
    out.reserve(text.size());
    std::size_t last = 0;
    std::size_t count = 0;
    while (pos != std::string::npos) {
        out.append(text, last, pos - last);
        out.append(to);
        last = pos + from.size();
        ++count;
        pos = FindText(text, from, last);
    }
    out.append(text, last, std::string::npos);
    text.swap(out);
    return count;
}

std::size_t RemoveAll(std::string& text, char c) {
    std::size_t before = text.size();
    std::erase(text, c);
    return before - text.size();
}

void TrimLeft(std::string& text, std::string_view chars) {
    std::size_t first = text.find_first_not_of(chars);
    if (first == std::string::npos) {
        text.clear();
    } else {
        text.erase(0, first);
    }
}

void TrimRight(std::string& text, std::string_view chars) {
    std::size_t last = text.find_last_not_of(chars);
    if (last == std::string::npos) {
        text.clear();
    } else {
        text.erase(last + 1);
    }
}

void Trim(std::string& text, std::string_view chars) {
    TrimRight(text, chars);
    TrimLeft(text, chars);
}

static constexpr std::string_view kWhiteSpace = " \t\n\r\v\f";

void TrimLeft(std::string& text) {
    TrimLeft(text, kWhiteSpace);
}
void TrimRight(std::string& text) {
    TrimRight(text, kWhiteSpace);
}
void Trim(std::string& text) {
    Trim(text, kWhiteSpace);
}

std::string_view TrimView(std::string_view text) {
    std::size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(kWhiteSpace);
    return text.substr(first, last - first + 1);
}

namespace {

// The length of the valid UTF-8 character at the start of `text` (not overlong, no surrogate,
// at most U+10FFFF), or 0.
std::size_t Utf8CharLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (length == 0 || text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
    }
    if (lead == 0xE0 && byte(1) < 0xA0) return 0;                      // overlong
    if (lead == 0xED && byte(1) >= 0xA0) return 0;                     // surrogates
    if (lead == 0xF0 && byte(1) < 0x90) return 0;                      // overlong
    if (lead == 0xF4 && byte(1) >= 0x90) return 0;                     // beyond U+10FFFF
    if (lead == 0xEF && byte(1) == 0xBF && byte(2) >= 0xBE) return 0;  // U+FFFE, U+FFFF
    if (lead == 0xC2 && byte(1) < 0xA0) return 0;                      // C1 control characters
    return length;
}

}  // namespace

namespace {

// Appends the character at text[i] (ASCII as `ascii` takes it, a UTF-8 character as it is, any
// other byte read as Latin-1) and returns the offset after it.
template <typename Ascii>
std::size_t AppendCharacter(std::string& out, std::string_view text, std::size_t i, Ascii ascii) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
        ascii(c);
        return i + 1;
    }
    if (std::size_t length = Utf8CharLength(text.substr(i)); length > 0) {
        out.append(text.substr(i, length));
        return i + length;
    }
    if (c >= 0xA0) {  // Latin-1; its C1 range holds control characters only
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return i + 1;
}

}  // namespace

std::string OneLineText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        i = AppendCharacter(out, text, i, [&](unsigned char c) {
            if (c == '\t' || c == '\n' || c == '\r') {
                if (i == 0 || (text[i - 1] != '\t' && text[i - 1] != '\n' && text[i - 1] != '\r')) out += ' ';
            } else if (c >= 0x20 && c != 0x7F) {
                out += static_cast<char>(c);
            }
        });
    }
    Trim(out, " ");
    return out;
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        i = AppendCharacter(out, text, i, [&](unsigned char c) { out += static_cast<char>(c); });
    return out;
}

std::string FormatRecordKey(long long position) {
    char buffer[24];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<unsigned long long>(position), 16);
    return "0x" + std::string(buffer, result.ptr);
}

long long ParseRecordKey(std::string_view key) {
    key = TrimView(key);
    if (key.size() < 3 || key[0] != '0' || (key[1] != 'x' && key[1] != 'X')) return -1;
    unsigned long long value = 0;
    auto result = std::from_chars(key.data() + 2, key.data() + key.size(), value, 16);
    if (result.ec != std::errc() || result.ptr != key.data() + key.size()) return -1;
    if (value > static_cast<unsigned long long>(INT64_MAX)) return -1;
    return static_cast<long long>(value);
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace vantor
