#include "JsonText.h"

#include <algorithm>

#include "gamedata/TextUtil.h"

namespace vantor {

void AppendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    char previous = 0;
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\r':
                out += "\\r";
                break;
            case '/':
                out += previous == '<' ? "\\/" : "/";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    out += "\\u00";
                    out += kHex[(c >> 4) & 0xF];
                    out += kHex[c & 0xF];
                } else {
                    out += c;
                }
        }
        previous = c;
    }
    out += '"';
}

void AppendJsonValue(std::string& out, const JsonValue& value, int indent) {
    if (value.is_string()) {
        AppendJsonString(out, value.get_ref<const std::string&>());
        return;
    }
    if (!value.is_structured()) {
        out += value.dump();
        return;
    }
    const bool object = value.is_object();
    if (value.empty()) {
        out += object ? "{}" : "[]";
        return;
    }
    out += object ? "{\n" : "[\n";
    const std::string inner(static_cast<std::size_t>(indent) + 2, ' ');
    bool first = true;
    for (auto member = value.begin(); member != value.end(); ++member) {
        if (!first) out += ",\n";
        first = false;
        out += inner;
        if (object) {
            AppendJsonString(out, member.key());
            out += ": ";
        }
        AppendJsonValue(out, *member, indent + 2);
    }
    out += "\n" + std::string(static_cast<std::size_t>(indent), ' ') + (object ? "}" : "]");
}

namespace {

constexpr int kMaxDepth = 64;

// The deepest nesting of arrays and objects, counted outside strings and comments. Checked before parsing,
// not by a parse callback: the library's callback parser looks through the whole enclosing array
// after every member, which makes a playlist of 30,000 entries take seconds.
int NestingDepth(std::string_view text) {
    int depth = 0;
    int deepest = 0;
    bool inString = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (inString) {
            if (c == '\\')
                ++at;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '/' && at + 1 < text.size() && (text[at + 1] == '/' || text[at + 1] == '*')) {
            const bool line = text[at + 1] == '/';
            const std::size_t end = text.find(line ? "\n" : "*/", at + 2);
            if (end == std::string_view::npos) break;
            at = end + (line ? 0 : 1);
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

bool TryParse(std::string_view text, JsonValue& value, std::string& problem) {
    // Deeper values would be followed down the stack when they are written back.
    if (NestingDepth(text) > kMaxDepth) {
        problem = "the values are nested more than " + std::to_string(kMaxDepth) + " deep";
        value = JsonValue();
        return false;
    }
    try {
        value = JsonValue::parse(text.begin(), text.end(), nullptr, true, true);
        return true;
    } catch (const JsonValue::parse_error& error) {
        // "[json.exception.parse_error.101] parse error at line 1, column 2: syntax error ..."
        const std::string_view what = error.what();
        const std::size_t at = what.find(" at line ");
        problem = at == std::string_view::npos ? std::string(what) : std::string(what.substr(at + 4));
    } catch (const JsonValue::exception& error) {
        // "number overflow": a number past every type's range ("1E3333333"), no syntax error.
        const std::string_view what = error.what();
        const std::size_t at = what.find("] ");
        problem = at == std::string_view::npos ? std::string(what) : std::string(what.substr(at + 2));
    }
    value = JsonValue();
    return false;
}

}  // namespace

bool ParseJson(std::string_view text, JsonValue& value, std::string& problem) {
    problem.clear();
    if (TryParse(text, value, problem)) return true;
    // A byte that is not UTF-8 (a label written by some other tool) spoils no playlist.
    const std::string valid = ValidUtf8(text);
    std::string again;
    if (valid.size() != text.size() || valid != text) {
        if (TryParse(valid, value, again)) {
            problem.clear();
            return true;
        }
    }
    return false;
}

std::string StringMember(const JsonValue& object, std::string_view name) {
    if (!object.is_object()) return {};
    const auto found = object.find(std::string(name));
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

}  // namespace vantor
