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

const JsonValue* JsonValue::Member(std::string_view name) const {
    for (const JsonMember& member : members) {
        if (member.name == name) return &member.value;
    }
    return nullptr;
}

std::string JsonValue::StringMember(std::string_view name) const {
    const JsonValue* value = Member(name);
    return value != nullptr && value->kind == Kind::String ? value->text : std::string();
}

namespace {

constexpr int kMaxDepth = 64;

class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    bool Document(JsonValue& value) {
        if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
        SkipBlanks();
        if (!Value(value, 0)) return false;
        SkipBlanks();
        return pos_ == text_.size() || Fail("the text goes on after the end of the JSON value");
    }

    std::string Problem() const {
        int line = 1, column = 1;
        for (std::size_t i = 0; i < failedAt_ && i < text_.size(); ++i) {
            if (text_[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + problem_;
    }

  private:
    bool Fail(const char* what) {
        if (problem_.empty()) {
            problem_ = what;
            failedAt_ = pos_;
        }
        return false;
    }
    bool AtEnd() const { return pos_ >= text_.size(); }
    void SkipBlanks() {
        while (!AtEnd() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }
    bool Literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word)
            return Fail("an unknown word stands where a value was expected");
        pos_ += word.size();
        return true;
    }

    bool Value(JsonValue& value, int depth) {
        if (AtEnd()) return Fail("a value was expected, the text ends");
        switch (text_[pos_]) {
            case '{':
                return Object(value, depth + 1);
            case '[':
                return Array(value, depth + 1);
            case '"':
                value.kind = JsonValue::Kind::String;
                return String(value.text);
            case 't':
                value.kind = JsonValue::Kind::Boolean;
                value.boolean = true;
                return Literal("true");
            case 'f':
                value.kind = JsonValue::Kind::Boolean;
                return Literal("false");
            case 'n':
                value.kind = JsonValue::Kind::Null;
                return Literal("null");
            default:
                value.kind = JsonValue::Kind::Number;
                return Number(value.text);
        }
    }

    bool Object(JsonValue& value, int depth) {
        if (depth > kMaxDepth) return Fail("the values are nested too deeply");
        value.kind = JsonValue::Kind::Object;
        ++pos_;
        SkipBlanks();
        if (!AtEnd() && text_[pos_] == '}') {
            ++pos_;
            return true;
        }
        for (;;) {
            SkipBlanks();
            if (AtEnd() || text_[pos_] != '"') return Fail("a member name in double quotes was expected");
            JsonMember member;
            if (!String(member.name)) return false;
            SkipBlanks();
            if (AtEnd() || text_[pos_] != ':') return Fail("a \":\" was expected after the member name");
            ++pos_;
            SkipBlanks();
            if (!Value(member.value, depth)) return false;
            value.members.push_back(std::move(member));
            SkipBlanks();
            if (AtEnd()) return Fail("the object is not closed");
            if (text_[pos_] == '}') {
                ++pos_;
                return true;
            }
            if (text_[pos_] != ',') return Fail("a \",\" or \"}\" was expected");
            ++pos_;
        }
    }

    bool Array(JsonValue& value, int depth) {
        if (depth > kMaxDepth) return Fail("the values are nested too deeply");
        value.kind = JsonValue::Kind::Array;
        ++pos_;
        SkipBlanks();
        if (!AtEnd() && text_[pos_] == ']') {
            ++pos_;
            return true;
        }
        for (;;) {
            SkipBlanks();
            value.items.emplace_back();
            if (!Value(value.items.back(), depth)) return false;
            SkipBlanks();
            if (AtEnd()) return Fail("the array is not closed");
            if (text_[pos_] == ']') {
                ++pos_;
                return true;
            }
            if (text_[pos_] != ',') return Fail("a \",\" or \"]\" was expected");
            ++pos_;
        }
    }

    bool Digits() {
        const std::size_t start = pos_;
        while (!AtEnd() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
        return pos_ > start;
    }

    bool Number(std::string& out) {
        const std::size_t start = pos_;
        if (!AtEnd() && text_[pos_] == '-') ++pos_;
        if (!AtEnd() && text_[pos_] == '0') {
            ++pos_;
        } else if (!Digits()) {
            return Fail("a value was expected");
        }
        if (!AtEnd() && text_[pos_] == '.') {
            ++pos_;
            if (!Digits()) return Fail("digits were expected after the decimal point");
        }
        if (!AtEnd() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (!AtEnd() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
            if (!Digits()) return Fail("digits were expected in the exponent");
        }
        out.assign(text_.substr(start, pos_ - start));
        return true;
    }

    bool Hex4(unsigned& code) {
        if (pos_ + 4 > text_.size()) return Fail("four hexadecimal digits were expected after \\u");
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            code <<= 4;
            if (c >= '0' && c <= '9') {
                code |= static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                code |= static_cast<unsigned>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                code |= static_cast<unsigned>(c - 'A' + 10);
            } else {
                return Fail("four hexadecimal digits were expected after \\u");
            }
        }
        return true;
    }

    bool String(std::string& out) {
        ++pos_;  // the opening quote
        out.clear();
        for (;;) {
            if (AtEnd()) return Fail("a string is not closed");
            const char c = text_[pos_];
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20)
                return Fail("a control character stands unescaped in a string");
            if (c != '\\') {
                out += c;
                ++pos_;
                continue;
            }
            if (++pos_ >= text_.size()) return Fail("a string is not closed");
            const char escaped = text_[pos_++];
            switch (escaped) {
                case '"':
                case '\\':
                case '/':
                    out += escaped;
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    unsigned code = 0;
                    if (!Hex4(code)) return false;
                    if (code >= 0xD800 && code < 0xDC00 && text_.substr(pos_, 2) == "\\u") {
                        pos_ += 2;
                        unsigned low = 0;
                        if (!Hex4(low)) return false;
                        if (low < 0xDC00 || low > 0xDFFF) return Fail("a surrogate pair is broken");
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    } else if (code >= 0xD800 && code <= 0xDFFF) {
                        return Fail("a surrogate pair is broken");
                    }
                    AppendUtf8(out, code);
                    break;
                }
                default:
                    return Fail("an unknown escape stands in a string");
            }
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string problem_;
    std::size_t failedAt_ = 0;
};

}  // namespace

bool ParseJson(std::string_view text, JsonValue& value, std::string& problem) {
    value = JsonValue();
    JsonReader reader(text);
    if (reader.Document(value)) {
        problem.clear();
        return true;
    }
    problem = reader.Problem();
    value = JsonValue();
    return false;
}

}  // namespace vantor
