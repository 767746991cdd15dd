#include "JsonText.h"

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

struct TooDeep {};

bool TryParse(std::string_view text, JsonValue& value, std::string& problem) {
    // Deeper values would be followed down the stack when they are written back.
    const JsonValue::parser_callback_t depthCheck = [](int depth, JsonValue::parse_event_t event,
                                                       JsonValue&) {
        if (depth >= kMaxDepth && (event == JsonValue::parse_event_t::object_start ||
                                   event == JsonValue::parse_event_t::array_start))
            throw TooDeep();
        return true;
    };
    try {
        value = JsonValue::parse(text.begin(), text.end(), depthCheck, true, true);
        return true;
    } catch (const JsonValue::parse_error& error) {
        // "[json.exception.parse_error.101] parse error at line 1, column 2: syntax error ..."
        const std::string_view what = error.what();
        const std::size_t at = what.find(" at line ");
        problem = at == std::string_view::npos ? std::string(what) : std::string(what.substr(at + 4));
    } catch (const TooDeep&) {
        problem = "the values are nested more than " + std::to_string(kMaxDepth) + " deep";
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
