#include "XmlEntities.h"

#include <cctype>
#include <string_view>

#include "TextUtil.h"

namespace vantor {

namespace {

constexpr std::string_view kQuotEntity = "&quot;";

// &quot; becomes a double quote in the text between tags only: a tag's attribute values are
// read up to the next double quote. Each line is judged on its own (it starts outside any tag),
// so a record reads the same whichever of its lines the reading began at.
void DecodeQuotesOutsideTags(std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool inTag = false;
    char quote = 0;  // the delimiter of the attribute value being read
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\n') {
            inTag = false;
            quote = 0;
        } else if (inTag) {
            if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                inTag = false;
            }
        } else if (c == '<') {
            inTag = true;
        } else if (c == '&' && std::string_view(text).substr(i).starts_with(kQuotEntity)) {
            out += '"';
            i += kQuotEntity.size() - 1;
            continue;
        }
        out += c;
    }
    text.swap(out);
}

}  // namespace

void DecodeEntities(std::string& text) {
    if (!Contains(text, '&')) return;
    // First, so that an escaped escape ("&amp;quot;") stays the text it stands for.
    if (Contains(text, kQuotEntity)) DecodeQuotesOutsideTags(text);
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

}  // namespace

void EncodeEntities(std::string& value) {
    if (value.find_first_of("&<>'\"") == std::string::npos) return;
    std::string out;
    out.reserve(value.size() + 16);
    for (std::size_t i = 0; i < value.size(); ++i) {
        switch (value[i]) {
            case '&':
                // A reference is kept: the numeric ones are never decoded, and escaping one again
                // would show its text instead of its character.
                out += StartsReference(value, i) ? "&" : "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '\'':
                out += "&apos;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += value[i];
        }
    }
    value.swap(out);
}

std::string EncodedEntities(std::string value) {
    EncodeEntities(value);
    return value;
}

std::string XmlOneLineText(std::string_view value) {
    const std::string text = OneLineText(value);
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace vantor
