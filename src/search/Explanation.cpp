#include "Explanation.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "CompiledExpression.h"
#include "GameDetails.h"
#include "GameSelection.h"
#include "gamedata/EngineError.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

using Node = DecisionTrace::Node;

// Deeper levels are drawn at this depth, with their depth written out.
constexpr int kMaxIndent = 40;
constexpr const char* kDecides = "   <- decides";

class TreeWriter {
  public:
    explicit TreeWriter(const DecisionTrace& trace) : trace_(trace) {}

    // The whole expression; returns the verdict read off the tree.
    bool Write(std::string& out);

  private:
    struct Work {
        enum class Kind { Term, Body, Conjunction } kind;
        std::size_t node;  // a term, or the group whose terms [first, last) are drawn
        int depth;
        std::size_t first = 0, last = 0;
        bool decides = false;
    };

    const Node& At(std::size_t index) const { return trace_.nodes[index]; }
    // A group of one term ("(a b)", or "(a&b)" whose "&" stands inside a term) is drawn as that term.
    bool OneTerm(const Node& group) const {
        return group.singleTerm || (group.children.size() == 1 && !At(group.children.front()).orFollows);
    }
    std::vector<std::pair<std::size_t, std::size_t>> Runs(const Node& group) const;
    bool RunHolds(const Node& group, std::pair<std::size_t, std::size_t> run) const;
    std::string TermLabel(const Node& term) const;
    // A term that is a group, perhaps negated ("!(...)"): the group; else nullptr.
    const Node* WholeGroup(const Node& term, bool& negated) const;
    std::string GroupLabel(const Node& group) const;
    void Line(std::string& out, bool holds, int depth, std::string_view text, bool decides) const;
    // Pushes the drawing of a term's groups and phrases, unless it is a phrase alone.
    void PushTermParts(std::vector<Work>& stack, const Node& term, int depth) const;
    // Pushes the drawing of a group's terms, in reverse order (the stack pops the first first).
    void PushBody(std::vector<Work>& stack, std::size_t group, int depth, bool top) const;

    const DecisionTrace& trace_;
};

std::vector<std::pair<std::size_t, std::size_t>> TreeWriter::Runs(const Node& group) const {
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    std::size_t first = 0;
    for (std::size_t i = 0; i < group.children.size(); ++i) {
        if (At(group.children[i]).orFollows) {
            runs.emplace_back(first, i + 1);
            first = i + 1;
        }
    }
    if (first < group.children.size() || runs.empty() || At(group.children.back()).orFollows)
        runs.emplace_back(first, group.children.size());
    return runs;
}

bool TreeWriter::RunHolds(const Node& group, std::pair<std::size_t, std::size_t> run) const {
    for (std::size_t i = run.first; i < run.second; ++i) {
        if (!At(group.children[i]).holds) return false;
    }
    return true;
}

const Node* TreeWriter::WholeGroup(const Node& term, bool& negated) const {
    if (term.children.size() != 1) return nullptr;
    const Node& part = At(term.children.front());
    if (part.kind != Node::Kind::Group || part.end != term.end) return nullptr;
    std::string_view prefix = std::string_view(trace_.text).substr(term.begin, part.begin - term.begin);
    if (prefix.find_first_not_of("!-") != std::string_view::npos) return nullptr;
    negated = !prefix.empty();
    return &part;
}

std::string TreeWriter::TermLabel(const Node& term) const {
    // Groups inside a term are drawn below it; in the term's own line they stand as "(...)".
    std::string label;
    std::size_t at = term.begin;
    for (std::size_t child : term.children) {
        const Node& part = At(child);
        if (part.kind != Node::Kind::Group) continue;
        label += trace_.text.substr(at, part.begin - at) + "(...)";
        at = part.end;
    }
    label += trace_.text.substr(at, term.end - at);
    return label;
}

// A list without "&" or "|" is one term, spaces and all: easily mistaken for several.
std::string SingleTermNote(std::string_view term) {
    return term.find_first_of(" _\t\r\n") != std::string_view::npos
               ? "   one term: without & or |, spaces are part of it"
               : "";
}

std::string TreeWriter::GroupLabel(const Node& group) const {
    if (OneTerm(group)) {
        std::string inner = group.children.empty() ? std::string() : TermLabel(At(group.children.front()));
        return "(" + inner + ")" + (group.singleTerm ? SingleTermNote(inner) : "");
    }
    return Runs(group).size() > 1 ? "any of" : "all of";
}

void TreeWriter::Line(std::string& out, bool holds, int depth, std::string_view text, bool decides) const {
    out += holds ? "yes  " : "no   ";
    out.append(static_cast<std::size_t>(2 * std::min(depth, kMaxIndent)), ' ');
    if (depth > kMaxIndent) out += "[depth " + std::to_string(depth) + "] ";
    for (char c : text) out += (c == '\r' || c == '\n') ? ' ' : c;
    if (decides) out += kDecides;
    out += '\n';
}

void TreeWriter::PushTermParts(std::vector<Work>& stack, const Node& term, int depth) const {
    // A phrase alone ('text', !'text') shows it in the term's own line.
    if (term.children.size() == 1 && At(term.children.front()).kind == Node::Kind::Phrase &&
        At(term.children.front()).end == term.end)
        return;
    for (auto child = term.children.rbegin(); child != term.children.rend(); ++child)
        stack.push_back({Work::Kind::Term, *child, depth});
}

void TreeWriter::PushBody(std::vector<Work>& stack, std::size_t groupIndex, int depth, bool top) const {
    const Node& group = At(groupIndex);
    std::vector<Work> works;
    if (OneTerm(group)) {
        // The group's line showed its one term; what is drawn below are that term's own parts.
        if (!group.children.empty()) {
            const Node& term = At(group.children.front());
            for (std::size_t child : term.children) works.push_back({Work::Kind::Term, child, depth});
        }
    } else {
        auto runs = Runs(group);
        // Which lines decided the whole expression: the first alternative that holds, or in each
        // alternative the first term that failed.
        bool matched = false;
        for (auto run : runs) {
            bool holds = RunHolds(group, run);
            bool decidesRun = top && holds && !matched;
            matched = matched || holds;
            std::size_t firstFailed = run.second;
            for (std::size_t i = run.first; i < run.second && top && !group.holds; ++i) {
                if (!At(group.children[i]).holds) {
                    firstFailed = i;
                    break;
                }
            }
            if (runs.size() > 1 && run.second - run.first != 1) {
                works.push_back(
                    {Work::Kind::Conjunction, groupIndex, depth, run.first, run.second, decidesRun});
                for (std::size_t i = run.first; i < run.second; ++i)
                    works.push_back({Work::Kind::Term, group.children[i], depth + 1, 0, 0, i == firstFailed});
            } else {
                for (std::size_t i = run.first; i < run.second; ++i) {
                    works.push_back({Work::Kind::Term, group.children[i], depth, 0, 0,
                                     i == firstFailed || (decidesRun && runs.size() > 1)});
                }
                if (run.first == run.second) {
                    works.push_back(
                        {Work::Kind::Conjunction, groupIndex, depth, run.first, run.second, decidesRun});
                }
            }
        }
    }
    for (auto work = works.rbegin(); work != works.rend(); ++work) stack.push_back(*work);
}

bool TreeWriter::Write(std::string& out) {
    const Node& root = At(0);
    std::vector<Work> stack;
    if (OneTerm(root)) {
        // One term: it decides alone.
        const Node& term = At(root.children.front());
        bool negated = false;
        if (WholeGroup(term, negated) == nullptr) {
            std::string label = TermLabel(term);
            Line(out, term.holds, 0,
                 label + (trace_.literal || !root.singleTerm ? "" : SingleTermNote(label)), true);
            PushTermParts(stack, term, 1);
        } else {
            stack.push_back({Work::Kind::Term, root.children.front(), 0, 0, 0, true});
        }
    } else {
        bool single = Runs(root).size() == 1;
        Line(out, root.holds, 0, GroupLabel(root), single && root.holds);
        PushBody(stack, 0, 1, true);
    }
    while (!stack.empty()) {
        Work work = stack.back();
        stack.pop_back();
        const Node& node = At(work.node);
        if (work.kind == Work::Kind::Conjunction) {
            if (work.first == work.last) {
                Line(out, true, work.depth, "(nothing after the last |)", work.decides);
            } else {
                Line(out, RunHolds(node, {work.first, work.last}), work.depth, "all of", work.decides);
            }
            continue;
        }
        if (node.kind == Node::Kind::Phrase) {
            Line(out, node.holds, work.depth, trace_.Text(node), work.decides);
            continue;
        }
        if (node.kind == Node::Kind::Group) {
            // A group inside a longer term ("x(...)"): the term's own line tested its truth text.
            Line(out, node.holds, work.depth, GroupLabel(node), work.decides);
            PushBody(stack, work.node, work.depth + 1, false);
            continue;
        }
        bool negated = false;
        const Node* group = WholeGroup(node, negated);
        if (group == nullptr) {
            Line(out, node.holds, work.depth, TermLabel(node), work.decides);
            PushTermParts(stack, node, work.depth + 1);
            continue;
        }
        std::string label = (negated ? "not " : "") + GroupLabel(*group);
        // The evaluator tests a group's truth as a text in the record, which a record may hold.
        if (node.holds != (group->holds != negated))
            label += std::string("   (the group itself is ") + (group->holds ? "yes" : "no") + ")";
        Line(out, node.holds, work.depth, label, work.decides);
        PushBody(stack, static_cast<std::size_t>(group - trace_.nodes.data()), work.depth + 1, false);
    }
    // The evaluator's reading of the top-level list: the first alternative that holds matches.
    if (OneTerm(root)) return !root.children.empty() && At(root.children.front()).holds;
    for (auto run : Runs(root)) {
        if (RunHolds(root, run)) return true;
    }
    return false;
}

}  // namespace

RecordExplanation ExplainRecord(const CompiledExpression& expression, std::string_view record) {
    PreparedRecord prepared(record);
    DecisionTrace trace = expression.Decide(prepared);
    RecordExplanation explanation;
    TreeWriter writer(trace);
    bool treeMatches = writer.Write(explanation.tree);
    explanation.matches = expression.Matches(prepared);
    if (trace.literal) {
        explanation.tree +=
            "     (its quoted phrases overlap, so the whole text is rewritten for each game, and its parts "
            "have no "
            "values of their own)\n";
    }
    if (treeMatches != explanation.matches || trace.nodes.front().holds != explanation.matches) {
        throw EngineError(
            "Error, the explanation does not agree with the search on this game (a fault of Vantor).");
    }
    return explanation;
}

namespace {

// A text for one line: line breaks inside it become spaces.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

// With one game per family: whether the family keeps the game, and the lines that say why.
bool FamilyKeeps(const Catalog& catalog, const GameExplanation& game, const ExplainRequest& request,
                 ProgressSink* progress, std::string& lines) {
    SelectionRequest selectionRequest;
    selectionRequest.expression = request.expression;
    selectionRequest.onePerFamily = true;
    selectionRequest.family = *request.family;
    // The same scan and choice as "Go!": the game's family is decided among all the matches.
    const Selection selection = SelectGames(catalog, selectionRequest, progress);
    const std::string key = game.key.Text();
    const std::vector<MatchEntry>& candidates = selection.candidates;
    std::size_t index = 0;
    while (index < candidates.size() && candidates[index].key != key) ++index;
    if (index == candidates.size())
        throw EngineError(
            "Error, the explanation does not agree with the search on this game (a fault of Vantor).");
    lines = "one game per family (rules " + FamilyRulesText(request.family->rules) + "; regions " +
            RegionListText(request.family->regions) + "):\n";
    auto label = [&](std::size_t candidate) {
        return OneLine(candidates[candidate].romName + " (" + candidates[candidate].description + ")");
    };
    for (const FamilyDecision& decision : selection.families.decisions) {
        const bool kept = decision.kept == index;
        auto loss = std::find_if(decision.losses.begin(), decision.losses.end(),
                                 [&](const FamilyLoss& l) { return l.game == index; });
        if (!kept && loss == decision.losses.end()) continue;
        lines += "family " + OneLine(decision.family) + ", " + std::to_string(decision.losses.size() + 1) +
                 " matching games: " + label(decision.kept) + " kept\n";
        for (const FamilyLoss& l : decision.losses) {
            if (!kept && l.game != index) continue;
            lines += "  " + label(l.game) + " lost on " + FamilyRuleName(l.rule) + ": " + OneLine(l.reason) +
                     (kept ? "" : kDecides) + "\n";
        }
        return kept;
    }
    lines += "the only matching game of its family: kept\n";
    return true;
}

GameExplanation ExplainRecordAt(const Catalog& catalog, std::int64_t position, const std::string& record,
                                const CompiledExpression& compiled, const ExplainRequest& request,
                                ProgressSink* progress) {
    GameExplanation game;
    game.key = RecordKey{position};
    const RecordFields fields = catalog.Fields();
    game.romName = fields.GetRomName(record);
    game.description = fields.GetDescription(record);
    RecordExplanation explanation = ExplainRecord(compiled, record);
    game.matches = explanation.matches;
    game.text =
        OneLine("game: " + game.romName + " (" + game.description + "), record " + game.key.Text()) + "\n";
    if (!request.typed.empty() && request.typed != request.expression)
        game.text += OneLine("typed: " + request.typed) + "\n";
    game.text += OneLine("expression: " + request.expression) + "\n\n" + explanation.tree + "\n";
    // What the outside data says of the game, so that "audit=good" failing names the missing file.
    if (catalog.outsideFacts) {
        std::vector<std::size_t> asked;
        for (const ExpressionTree::List& list : compiled.Tree().lists) {
            for (const ExpressionTree::Term& term : list.terms) {
                if (term.kind == ExpressionTree::Term::Kind::Outside &&
                    std::find(asked.begin(), asked.end(), term.outsideKind) == asked.end())
                    asked.push_back(term.outsideKind);
            }
        }
        for (std::size_t kind : asked) {
            const std::string said = catalog.outsideFacts->Describe(kind, ToLowerAscii(game.romName));
            if (!said.empty()) game.text += OneLine(OutsideTermKinds()[kind].key + ": " + said) + "\n\n";
        }
    }
    if (game.matches && request.family) {
        std::string lines;
        game.matches = FamilyKeeps(catalog, game, request, progress, lines);
        game.text += lines + "\n";
    }
    game.text += game.matches ? kVerdictMatch : kVerdictNoMatch;
    game.text += '\n';
    return game;
}

}  // namespace

GameExplanation ExplainGame(const Catalog& catalog, const std::string& romName, const ExplainRequest& request,
                            ProgressSink* progress) {
    CompiledExpression compiled(request.expression, catalog.outsideFacts.get());
    std::string record;
    std::int64_t position = ReadGameRecord(catalog, romName, record);
    if (position < 0) {
        if (!record.empty()) {
            throw EngineError("The record of \"" + romName +
                              "\" is cut short by the end of the input file, so no search lists it.");
        }
        throw EngineError("No game named \"" + romName + "\" in the input file.");
    }
    return ExplainRecordAt(catalog, position, record, compiled, request, progress);
}

GameExplanation ExplainGameAt(const Catalog& catalog, RecordKey key, const ExplainRequest& request,
                              ProgressSink* progress) {
    CompiledExpression compiled(request.expression, catalog.outsideFacts.get());
    std::string record;
    RecordReader reader = catalog.Reader();
    if (reader.ReadRecord(catalog.file, record, catalog.StartTag(), key.position) != key.position)
        throw EngineError("No game at record " + key.Text() + " in the input file.");
    return ExplainRecordAt(catalog, key.position, record, compiled, request, progress);
}

}  // namespace vantor
