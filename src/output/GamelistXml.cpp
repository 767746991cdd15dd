#include "GamelistXml.h"

#include <algorithm>

#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

// Deeper nesting than any game list has is refused rather than followed down the stack.
constexpr int kMaxDepth = 200;

bool IsNameStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}
bool IsNameChar(unsigned char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

class GamelistParser {
  public:
    explicit GamelistParser(std::string_view text) : s_(text) {}

    bool Parse(GamelistDocument& document, std::string& problem) {
        document = {};
        bool ok = Document(document);
        if (!ok) {
            const std::size_t at = std::min(failedAt_, s_.size());
            problem =
                "line " + std::to_string(1 + std::count(s_.begin(), s_.begin() + at, '\n')) + ": " + problem_;
        }
        return ok;
    }

  private:
    bool Fail(std::string what) {
        if (problem_.empty()) {
            problem_ = std::move(what);
            failedAt_ = i_;
        }
        return false;
    }
    bool AtEnd() const { return i_ >= s_.size(); }
    bool At(std::string_view token) const { return s_.compare(i_, token.size(), token) == 0; }
    void SkipBlank() {
        while (!AtEnd() && IsWhiteSpace(s_[i_])) ++i_;
    }
    // Past the next `close`, or a failure naming what was left open.
    bool SkipPast(std::string_view close, const char* what) {
        std::size_t end = s_.find(close, i_);
        if (end == std::string_view::npos) return Fail(std::string(what) + " is not closed");
        i_ = end + close.size();
        return true;
    }
    bool Misc() {
        if (At("<!--")) return SkipPast("-->", "a comment");
        if (At("<?")) return SkipPast("?>", "a processing instruction");
        return SkipPast("]]>", "a CDATA section");
    }
    bool IsMisc() const { return At("<!--") || At("<?") || At("<![CDATA["); }

    bool Name(std::string_view& name) {
        const std::size_t start = i_;
        if (AtEnd() || !IsNameStart(static_cast<unsigned char>(s_[i_]))) return Fail("a tag without a name");
        while (!AtEnd() && IsNameChar(static_cast<unsigned char>(s_[i_]))) ++i_;
        name = s_.substr(start, i_ - start);
        return true;
    }

    // At "&": one entity or character reference, decoded onto `out` when given.
    bool Reference(std::string* out) {
        const std::size_t semicolon = s_.find(';', i_);
        if (semicolon == std::string_view::npos || semicolon - i_ > 12) {
            // A character reference too long to be in range is still one, not a lone "&".
            if (s_.substr(i_).starts_with("&#")) {
                const std::size_t shown = semicolon == std::string_view::npos ? 16 : semicolon - i_ + 1;
                return Fail("a bad character reference " +
                            std::string(s_.substr(i_, std::min<std::size_t>(shown, 24))));
            }
            return Fail("a bare \"&\"");
        }
        const std::string_view name = s_.substr(i_ + 1, semicolon - i_ - 1);
        static constexpr std::pair<std::string_view, char> kNamed[] = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        for (const auto& [entity, c] : kNamed) {
            if (name == entity) {
                if (out != nullptr) *out += c;
                i_ = semicolon + 1;
                return true;
            }
        }
        if (name.size() < 2 || name[0] != '#') return Fail("an unknown entity &" + std::string(name) + ";");
        const bool hex = name[1] == 'x';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        unsigned long code = 0;
        for (char c : digits) {
            int digit = c >= '0' && c <= '9'          ? c - '0'
                        : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                      : -1;
            if (digit < 0) return Fail("a bad character reference &" + std::string(name) + ";");
            code = code * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
            if (code > 0x10FFFF) break;  // too large already, and no wrap-around later
        }
        if (digits.empty() || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return Fail("a bad character reference &" + std::string(name) + ";");
        if (out != nullptr) AppendUtf8(*out, static_cast<char32_t>(code));
        i_ = semicolon + 1;
        return true;
    }

    // Character data up to the next "<", its references checked and, with `out`, decoded.
    bool Text(std::string* out) {
        while (!AtEnd() && s_[i_] != '<') {
            if (s_[i_] == '&') {
                if (!Reference(out)) return false;
                continue;
            }
            const std::size_t end = std::min(s_.find_first_of("<&", i_), s_.size());
            if (out != nullptr) out->append(s_.substr(i_, end - i_));
            i_ = end;
        }
        return true;
    }

    // At "<": a start tag, up to and including its ">".
    bool StartTag(std::string_view& name, std::string_view& attributes, bool& empty) {
        ++i_;
        if (!Name(name)) return false;
        const std::size_t attributesStart = i_;
        for (;;) {
            const std::size_t beforeBlank = i_;
            SkipBlank();
            if (AtEnd()) return Fail("<" + std::string(name) + "> is not closed");
            if (s_[i_] == '>' || At("/>")) {
                attributes = s_.substr(attributesStart, beforeBlank - attributesStart);
                empty = s_[i_] == '/';
                i_ += empty ? 2 : 1;
                return true;
            }
            if (i_ == beforeBlank)
                return Fail("a tag <" + std::string(name) + "> that is not closed with \">\"");
            std::string_view attribute;
            if (!Name(attribute)) return false;
            SkipBlank();
            if (AtEnd() || s_[i_] != '=')
                return Fail("the attribute " + std::string(attribute) + " has no value");
            ++i_;
            SkipBlank();
            if (AtEnd() || (s_[i_] != '"' && s_[i_] != '\''))
                return Fail("an attribute value without quotes");
            const char quote = s_[i_++];
            while (!AtEnd() && s_[i_] != quote) {
                if (s_[i_] == '<') return Fail("a \"<\" in an attribute value");
                if (s_[i_] == '&') {
                    if (!Reference(nullptr)) return false;
                } else {
                    ++i_;
                }
            }
            if (AtEnd()) return Fail("an attribute value is not closed");
            ++i_;
        }
    }

    // After the start tag of `name`: its content and its end tag. With `text`, the decoded text
    // when the element holds text only (else it is cleared).
    bool Content(std::string_view name, int depth, std::string* text) {
        if (depth > kMaxDepth) return Fail("elements nested too deeply");
        bool textOnly = true;
        for (;;) {
            if (AtEnd()) return Fail("<" + std::string(name) + "> is not closed");
            if (s_[i_] != '<') {
                if (!Text(textOnly ? text : nullptr)) return false;
            } else if (At("</")) {
                i_ += 2;
                std::string_view end;
                if (!Name(end)) return false;
                if (end != name)
                    return Fail("</" + std::string(end) + "> where </" + std::string(name) + "> belongs");
                SkipBlank();
                if (AtEnd() || s_[i_] != '>') return Fail("an end tag not closed with \">\"");
                ++i_;
                if (!textOnly && text != nullptr) text->clear();
                return true;
            } else if (At("<![CDATA[")) {
                const std::size_t start = i_ + 9;
                if (!SkipPast("]]>", "a CDATA section")) return false;
                if (textOnly && text != nullptr) text->append(s_.substr(start, i_ - 3 - start));
            } else if (IsMisc() || At("<!")) {
                if (At("<!") && !At("<!--")) return Fail("a declaration inside an element");
                if (!Misc()) return false;
                textOnly = false;
            } else {
                std::string_view child, attributes;
                bool empty = false;
                if (!StartTag(child, attributes, empty)) return false;
                if (!empty && !Content(child, depth + 1, nullptr)) return false;
                textOnly = false;
            }
        }
    }

    // After <game ...>: its fields.
    bool Game(GamelistGame& game) {
        for (;;) {
            if (AtEnd()) return Fail("<game> is not closed");
            if (s_[i_] != '<') {
                if (!Text(nullptr)) return false;
            } else if (At("</")) {
                return Content("game", 2, nullptr);
            } else if (IsMisc()) {
                if (!Misc()) return false;  // a comment among the fields goes
            } else if (At("<!")) {
                return Fail("a declaration inside <game>");
            } else {
                const std::size_t start = i_;
                std::string_view name, attributes;
                bool empty = false;
                if (!StartTag(name, attributes, empty)) return false;
                GamelistField field;
                field.name = name;
                if (!empty && !Content(name, 3, &field.text)) return false;
                field.raw = s_.substr(start, i_ - start);
                if (field.name == "path" && game.path.empty()) game.path = std::string(TrimView(field.text));
                game.fields.push_back(std::move(field));
            }
        }
    }

    // After <gameList>: the games and whatever else it holds.
    bool GameList(GamelistDocument& document) {
        for (;;) {
            if (AtEnd()) return Fail("<gameList> is not closed");
            const std::size_t start = i_;
            if (s_[i_] != '<') {
                if (!Text(nullptr)) return false;  // stray text means nothing to a front end
            } else if (At("</")) {
                return Content("gameList", 1, nullptr);
            } else if (IsMisc()) {
                if (!Misc()) return false;
                document.others.emplace_back(s_.substr(start, i_ - start));
            } else if (At("<!")) {
                return Fail("a declaration inside <gameList>");
            } else {
                std::string_view name, attributes;
                bool empty = false;
                if (!StartTag(name, attributes, empty)) return false;
                if (name == "game" && !empty) {
                    GamelistGame game;
                    game.attributes = attributes;
                    if (!Game(game)) return false;
                    if (!game.path.empty()) {
                        document.games.push_back(std::move(game));
                        continue;
                    }
                } else if (!empty && !Content(name, 2, nullptr)) {
                    return false;
                }
                document.others.emplace_back(s_.substr(start, i_ - start));
            }
        }
    }

    bool Document(GamelistDocument& document) {
        if (At("\xEF\xBB\xBF")) i_ += 3;
        SkipBlank();
        if (At("<?xml") && !SkipPast("?>", "the XML declaration")) return false;
        bool found = false;
        std::string firstRoot;
        for (;;) {
            SkipBlank();
            if (AtEnd()) break;
            const std::size_t start = i_;
            if (s_[i_] != '<' || At("</")) {
                return Fail(found || !firstRoot.empty() ? "text after the document" : "this is not XML");
            }
            std::string& beside = found ? document.after : document.before;
            if (At("<!DOCTYPE")) {
                // An internal subset ends at "]>", a plain declaration at ">".
                const std::size_t bracket = s_.find('[', i_), close = s_.find('>', i_);
                if (!SkipPast(bracket < close ? "]>" : ">", "the document type")) return false;
            } else if (At("<!--") || At("<?")) {
                if (!Misc()) return false;
            } else if (At("<!")) {
                return Fail("this is not XML");
            } else {
                std::string_view name, attributes;
                bool empty = false;
                if (!StartTag(name, attributes, empty)) return false;
                if (name == "gameList") {
                    if (found) return Fail("a second <gameList>");
                    found = true;
                    if (!empty && !GameList(document)) return false;
                    continue;
                }
                if (firstRoot.empty()) firstRoot = name;
                if (!empty && !Content(name, 1, nullptr)) return false;
            }
            beside.append(s_.substr(start, i_ - start)).append("\n");
        }
        if (!found) {
            i_ = 0;
            return Fail(firstRoot.empty() ? "this is not XML"
                                          : "the root element is <" + firstRoot + ">, not <gameList>");
        }
        return true;
    }

    std::string_view s_;
    std::size_t i_ = 0;
    std::string problem_;
    std::size_t failedAt_ = 0;
};

}  // namespace

const GamelistField* GamelistGame::Field(std::string_view name) const {
    for (const GamelistField& field : fields) {
        if (field.name == name) return &field;
    }
    return nullptr;
}

bool ParseGamelist(std::string_view text, GamelistDocument& document, std::string& problem) {
    problem.clear();
    return GamelistParser(text).Parse(document, problem);
}

std::string RomNameOfPath(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    const std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos && dot > 0) path = path.substr(0, dot);
    return std::string(path);
}

std::vector<std::string> GamelistRomNames(std::string_view text, std::string& problem) {
    GamelistDocument document;
    std::vector<std::string> names;
    if (!ParseGamelist(text, document, problem)) return names;
    names.reserve(document.games.size());
    for (const GamelistGame& game : document.games) {
        std::string name = RomNameOfPath(game.path);
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

}  // namespace vantor
