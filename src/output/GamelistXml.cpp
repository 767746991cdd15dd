#include "GamelistXml.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>

#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

// What ES-DE's pugixml reads, plus every node kind, so that the bytes around the games can be
// kept: comments, processing instructions, the declaration, the document type and white space.
constexpr unsigned kGamelistParse = pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_comments |
                                    pugi::parse_pi | pugi::parse_declaration | pugi::parse_doctype;

// Where pugixml's nodes stand in the text it read. It keeps where a node's name or value begins
// (its offset), not where the node ends; that follows from how the node ends (a comment at
// "-->", an element at the end tag after its last child), so finding it reads each byte of the
// node at most once more, and no nesting is followed down the stack.
class NodeSpans {
  public:
    explicit NodeSpans(std::string_view text) : text_(text) {}

    std::size_t Start(pugi::xml_node node) const {
        const std::size_t at = Offset(node);
        return node.type() == pugi::node_pcdata ? at : text_.rfind('<', at);
    }

    std::size_t End(pugi::xml_node node) const {
        // The last node of the last node..., then each end tag on the way back up.
        pugi::xml_node leaf = node;
        while (leaf.last_child()) leaf = leaf.last_child();
        std::size_t end = LeafEnd(leaf);
        for (pugi::xml_node up = leaf; up != node; up = up.parent()) end = After('>', end);
        return end;
    }

    std::string_view Raw(pugi::xml_node node) const {
        const std::size_t start = Start(node);
        return text_.substr(start, End(node) - start);
    }

    // The element's name as it stands in the text.
    std::string_view Name(pugi::xml_node element) const {
        return text_.substr(Offset(element), std::strlen(element.name()));
    }

    // The element's attributes as they stand in its start tag (` id="5"`), without the blanks
    // before its ">" or "/>".
    std::string_view Attributes(pugi::xml_node element) const {
        const std::size_t from = Offset(element) + std::strlen(element.name());
        std::size_t to = StartTagEnd(element) - 1;  // at its ">"
        if (to > from && text_[to - 1] == '/') --to;
        while (to > from && IsWhiteSpace(text_[to - 1])) --to;
        return text_.substr(from, to - from);
    }

  private:
    std::size_t Offset(pugi::xml_node node) const {
        // Nodes point into the text as long as the document is not changed, which it never is.
        const std::ptrdiff_t at = node.offset_debug();
        return at < 0 ? text_.size() : static_cast<std::size_t>(at);
    }
    std::size_t After(std::string_view token, std::size_t from) const {
        const std::size_t at = text_.find(token, from);
        return at == std::string_view::npos ? text_.size() : at + token.size();
    }
    std::size_t After(char c, std::size_t from) const { return After(std::string_view(&c, 1), from); }

    // Past the ">" of the element's start tag; quoted attribute values may hold ">".
    std::size_t StartTagEnd(pugi::xml_node element) const {
        char quote = 0;
        for (std::size_t i = Offset(element) + std::strlen(element.name()); i < text_.size(); ++i) {
            const char c = text_[i];
            if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                return i + 1;
            }
        }
        return text_.size();
    }

    std::size_t LeafEnd(pugi::xml_node leaf) const {
        const std::size_t start = Start(leaf);
        switch (leaf.type()) {
            case pugi::node_pcdata: {
                const std::size_t markup = text_.find('<', start);  // text holds no "<"
                return markup == std::string_view::npos ? text_.size() : markup;
            }
            case pugi::node_comment:
                return After("-->", start);
            case pugi::node_cdata:
                return After("]]>", start);
            case pugi::node_pi:
            case pugi::node_declaration:
                return After("?>", start);
            case pugi::node_doctype:
                // Its value runs up to the closing ">", internal subset and all.
                return std::min(Offset(leaf) + std::strlen(leaf.value()) + 1, text_.size());
            default: {
                // An element without content: <a/>, or <a></a>.
                const std::size_t tagEnd = StartTagEnd(leaf);
                return text_[tagEnd - 1] == '>' && text_[tagEnd - 2] == '/' ? tagEnd : After('>', tagEnd);
            }
        }
    }

    std::string_view text_;
};

// The decoded text of an element that holds text only (character data and CDATA), else "".
std::string TextOnly(pugi::xml_node element) {
    std::string text;
    for (pugi::xml_node child : element.children()) {
        if (child.type() != pugi::node_pcdata && child.type() != pugi::node_cdata) return {};
        text += child.value();
    }
    return text;
}

std::string LineOf(std::string_view text, std::ptrdiff_t offset) {
    const std::size_t at =
        std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0)), text.size());
    return "line " +
           std::to_string(1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

}  // namespace

const GamelistField* GamelistGame::Field(std::string_view name) const {
    for (const GamelistField& field : fields) {
        if (field.name == name) return &field;
    }
    return nullptr;
}

bool ParseGamelist(std::string_view text, GamelistDocument& document, std::string& problem) {
    document = {};
    problem.clear();
    pugi::xml_document xml;
    const pugi::xml_parse_result parsed =
        xml.load_buffer(text.data(), text.size(), kGamelistParse, pugi::encoding_utf8);
    if (!parsed) {
        if (parsed.status == pugi::status_no_document_element) {
            problem = "line 1: this is not XML";
        } else {
            problem = LineOf(text, parsed.offset) + ": " + ToLowerAscii(parsed.description());
        }
        return false;
    }
    const NodeSpans spans(text);
    pugi::xml_node gameList;
    std::string firstRoot;
    for (pugi::xml_node node : xml.children()) {
        if (node.type() == pugi::node_declaration) continue;
        if (node.type() == pugi::node_element && std::strcmp(node.name(), "gameList") == 0) {
            if (gameList) {
                problem = LineOf(text, node.offset_debug()) + ": a second <gameList>";
                return false;
            }
            gameList = node;
            continue;
        }
        if (node.type() == pugi::node_element && firstRoot.empty()) firstRoot = node.name();
        (gameList ? document.after : document.before).append(spans.Raw(node)).append("\n");
    }
    if (!gameList) {
        problem =
            "line 1: " + (firstRoot.empty() ? std::string("this is not XML")
                                            : "the root element is <" + firstRoot + ">, not <gameList>");
        document = {};
        return false;
    }
    for (pugi::xml_node child : gameList.children()) {
        // White space and stray text between the games mean nothing to a front end.
        if (child.type() == pugi::node_pcdata) continue;
        if (child.type() == pugi::node_element && std::strcmp(child.name(), "game") == 0) {
            GamelistGame game;
            game.attributes = spans.Attributes(child);
            for (pugi::xml_node field : child.children()) {
                // Text, comments and processing instructions among the fields go.
                if (field.type() != pugi::node_element) continue;
                GamelistField entry{spans.Name(field), spans.Raw(field), TextOnly(field)};
                if (entry.name == "path" && game.path.empty()) game.path = std::string(TrimView(entry.text));
                game.fields.push_back(std::move(entry));
            }
            if (!game.path.empty()) {
                document.games.push_back(std::move(game));
                continue;
            }
        }
        document.others.emplace_back(spans.Raw(child));
    }
    return true;
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
