#include "RecordFields.h"

#include <cctype>
#include <string_view>

#include "TextUtil.h"

namespace vantor {

void DecodeEntities(std::string& text) {
    if (!Contains(text, '&')) return;
    ReplaceAll(text, "&amp;", "&");
    ReplaceAll(text, "&lt;", "<");
    ReplaceAll(text, "&gt;", ">");
    ReplaceAll(text, "&apos;", "'");
    ReplaceAll(text, "&lt;unknown&gt;", "<unknown>");
}

namespace {

// True when the "&" at `pos` already begins a character or entity reference.
bool StartsReference(std::string_view text, std::size_t pos) {
    std::string_view rest = text.substr(pos);
    for (std::string_view entity : {"&amp;", "&lt;", "&gt;", "&apos;", "&quot;"}) {
        if (rest.starts_with(entity)) return true;
    }
    if (!rest.starts_with("&#")) return false;
    std::size_t i = 2;
    bool hex = i < rest.size() && (rest[i] == 'x' || rest[i] == 'X');
    if (hex) ++i;
    std::size_t digits = 0;
    while (i < rest.size() && (hex ? std::isxdigit(static_cast<unsigned char>(rest[i]))
                                   : std::isdigit(static_cast<unsigned char>(rest[i])))) {
        ++i;
        ++digits;
    }
    return digits > 0 && i < rest.size() && rest[i] == ';';
}

// "&" becomes "&amp;" unless it already begins a reference, which would otherwise be corrupted
// ("&quot;" into "&amp;quot;").
void EscapeBareAmpersands(std::string& text) {
    if (Contains(text, "&amp") || !Contains(text, '&')) return;
    std::string out;
    out.reserve(text.size() + 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && !StartsReference(text, i)) {
            out += "&amp;";
        } else {
            out += text[i];
        }
    }
    text.swap(out);
}

void EscapeApostrophes(std::string& text) {
    if (!Contains(text, "&apos")) ReplaceAll(text, "'", "&apos;");
}

}  // namespace

void EncodeEntities(std::string& value) {
    EscapeBareAmpersands(value);
    EscapeApostrophes(value);
    ReplaceAll(value, "<", "&lt;");
    ReplaceAll(value, ">", "&gt;");
}

void EncodeRecordEntities(std::string& record) {
    EscapeBareAmpersands(record);
    EscapeApostrophes(record);
    ReplaceAll(record, "<<", "&lt;<");
    ReplaceAll(record, ">>", "&gt;>");
    ReplaceAll(record, "<unknown>", "&lt;unknown&gt;");
}

}  // namespace vantor
