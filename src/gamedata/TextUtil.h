#pragma once
// Byte-string helpers shared by the whole engine. Texts are raw bytes in the master file's own
// encoding; only ASCII letters are ever case-folded, so offsets in a folded copy equal those in
// the original.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

inline char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}
inline bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string ToLowerAscii(std::string_view text);
void ToLowerAsciiInPlace(std::string& text);

// std::string_view::find, but much faster on XML, where the first byte of most keys ("<") occurs
// on every line: it looks at the first and the last byte of `part` together, many bytes at once.
std::size_t FindText(std::string_view text, std::string_view part, std::size_t from = 0);
// FindText in the ASCII-lower-cased copy of `text`, without making the copy: `part` is lower-case
// (a capital in it is found nowhere, as in the copy).
std::size_t FindTextIgnoringCase(std::string_view text, std::string_view part, std::size_t from = 0);
// Appends the offset of every `first` in `text` to `firstOffsets` and of every `second` to
// `secondOffsets`, in one pass (texts below 4 GiB).
void FindAllBytes(std::string_view text, char first, std::vector<std::uint32_t>& firstOffsets, char second,
                  std::vector<std::uint32_t>& secondOffsets);
inline bool Contains(std::string_view text, std::string_view part) {
    return FindText(text, part) != std::string_view::npos;
}
inline bool Contains(std::string_view text, char c) {
    return text.find(c) != std::string_view::npos;
}

// Replaces every non-overlapping occurrence, left to right; returns how many were replaced.
// An empty `from` replaces nothing.
std::size_t ReplaceAll(std::string& text, std::string_view from, std::string_view to);
std::size_t RemoveAll(std::string& text, char c);

// Trimming: the `chars` variants remove any of the given characters, the others white space.
void TrimLeft(std::string& text, std::string_view chars);
void TrimRight(std::string& text, std::string_view chars);
void Trim(std::string& text, std::string_view chars);
void TrimLeft(std::string& text);
void TrimRight(std::string& text);
void Trim(std::string& text);
std::string_view TrimView(std::string_view text);

// Appends the UTF-8 bytes of one code point (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t code);
// A value for a front end that shows one line: valid UTF-8 (a byte that is not part of a UTF-8
// character is read as Latin-1), a run of tabs and line breaks as one blank, other control
// characters gone, blanks at either end trimmed.
std::string OneLineText(std::string_view text);
// `text` as valid UTF-8, every other byte kept: a byte that is not part of a UTF-8 character is
// read as Latin-1, as OneLineText reads it.
std::string ValidUtf8(std::string_view text);

// "0x" + lower-case hexadecimal, the record key form of a file position.
std::string FormatRecordKey(long long position);
// Parses a record key ("0x1a2f"); returns -1 when the text is not one.
long long ParseRecordKey(std::string_view key);

}  // namespace vantor
