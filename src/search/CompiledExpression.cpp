#include "CompiledExpression.h"

#include <algorithm>
#include <deque>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>

#include "LiteralEvaluator.h"
#include "TermTest.h"
#include "gamedata/EngineError.h"
#include "gamedata/TextUtil.h"

namespace vantor {

// The rewriting's structure does not depend on the record: a phrase or a group becomes a truth
// text, and truth texts hold no quote, bracket, operator, space, "_" or "*". So the tree stands
// once, with "slots" for the truth texts, and only the slots' values are computed per record
// (lazily: terms have no side effects). A term with one slot ("(a | b)", "!(a)", "x(a)") is one
// of two fixed texts, so its value is a function of three truths: the slot's, and whether the
// record holds each text. A group whose one term is such a term with the same two texts passes
// the function on, so "((((a))))" costs what "(a)" costs, however deep.
struct CompiledExpression::Program {
    enum class TermKind { Plain, SingleSlot, Composite, Outside };
    struct Term {
        TermKind kind = TermKind::Plain;
        std::optional<TermTest> test;  // Plain
        int needle = -1;               // Plain: its text's place in `needles`, when it has one
        int slot = -1;                 // SingleSlot: the slot it reads
        // SingleSlot: the needles of its text with the slot true and false, and its truth for each
        // (slot | found(text when true) << 1 | found(text when false) << 2), as bits.
        int whenTrue = -1, whenFalse = -1;
        std::uint8_t table = 0;
        std::vector<int> cells;  // Composite: bytes, or -1 - slot
        std::size_t outsideKind = 0;
        std::string outsideValue;
        bool negated = false;  // Outside
        bool orFollows = false;
        TextSpan written;              // where it stands in the tree's text
        std::vector<int> tracedSlots;  // the slots written in it, for the trace
    };
    struct Level {
        bool singleTerm = false;
        std::vector<Term> terms;
    };
    struct Slot {
        bool isPhrase = false;
        std::optional<TermTest> phrase;  // case-sensitive, as written
        int level = -1;                  // a group's own level
        int needle = -1;
        TextSpan written;  // its first place in the text, quotes or parentheses included
        bool reachable = false;
    };
    // The fixed texts that terms and phrases look for. Texts that begin alike ("ways=2",
    // "ways=4", "ways=vertical2") form a group, found in one pass over the record: every place
    // where the group's first bytes stand is checked against each text of the group.
    struct Needle {
        const TermTest* test;
        int group;
        // A phrase's text lower-cased: where the lower-cased record lacks it, the record as
        // written lacks the phrase, and need not be made.
        std::string lowerAnchor;
    };
    struct NeedleGroup {
        std::string prefix;
        bool unquoted;  // searched in the record as written (phrases), else lower-cased
        std::vector<int> needles;
        std::string lowerPrefix;  // where a phrase can stand is first looked for without case
    };
    // Per thread, reused from record to record: a value is known when its stamp is the call's.
    struct Scratch {
        std::uint64_t call = 0;
        std::vector<std::uint64_t> slotStamps, needleStamps;
        std::vector<char> slotHolds, needleFound;
        void Begin(std::size_t slots, std::size_t needles) {
            ++call;
            if (slotStamps.size() < slots) {
                slotStamps.resize(slots, 0);
                slotHolds.resize(slots, 0);
            }
            if (needleStamps.size() < needles) {
                needleStamps.resize(needles, 0);
                needleFound.resize(needles, 0);
            }
        }
    };

    ExpressionTree tree;
    const OutsideFacts* facts = nullptr;
    std::vector<Slot> slots;
    std::deque<TermTest> needleTests;  // where needles point: never moves
    std::map<std::tuple<bool, std::string, bool>, int> needleOfText;
    std::vector<Needle> needles;
    std::vector<NeedleGroup> groups;
    std::vector<Level> levels;
    int topLevel = -1;
    // Groups nested deeper than this (after folding) are evaluated in order, innermost first,
    // instead of on demand: demand evaluation recurses once per level.
    static constexpr int kMaxDemandDepth = 100;
    bool eager = false;
    std::vector<int> eagerSlots;  // the reachable groups, innermost first
    std::size_t termsToTest = 0;

    void Compile();
    Term CompileTerm(const ExpressionTree::Term& written, const std::vector<int>& slotOfPart);
    // The needle that finds `test`'s text, shared by every test of the same text; -1 when the
    // test has no fixed text.
    int NeedleFor(const TermTest& test, bool unquoted);
    void FindReachable();

    bool NeedleFound(int needle, const PreparedRecord& record, Scratch& scratch) const;
    bool SlotHolds(int slot, const PreparedRecord& record, Scratch& scratch) const;
    bool TermHolds(const Term& term, const PreparedRecord& record, Scratch& scratch) const;
    // `failed`, when given, receives for a rejecting level the index of the first term that
    // failed in each alternative of its "|" list.
    bool LevelHolds(int level, const PreparedRecord& record, Scratch& scratch,
                    std::vector<int>* failed = nullptr) const;
    bool MatchesRecord(const PreparedRecord& record, std::vector<int>* failed) const;
};

namespace {

// The truth of a one-slot term whose texts, with the slot true and false, are negated or not.
std::uint8_t SingleSlotTable(bool negatedWhenTrue, bool negatedWhenFalse) {
    std::uint8_t table = 0;
    for (int index = 0; index < 8; ++index) {
        const bool slot = (index & 1) != 0, foundWhenTrue = (index & 2) != 0,
                   foundWhenFalse = (index & 4) != 0;
        const bool holds = slot ? foundWhenTrue != negatedWhenTrue : foundWhenFalse != negatedWhenFalse;
        if (holds) table = static_cast<std::uint8_t>(table | (1 << index));
    }
    return table;
}

// `outer` read on the value `inner` gives, for the same record.
std::uint8_t Compose(std::uint8_t outer, std::uint8_t inner) {
    std::uint8_t table = 0;
    for (int index = 0; index < 8; ++index) {
        const int innerValue = (inner >> index) & 1;
        if ((outer >> ((index & 6) | innerValue)) & 1)
            table = static_cast<std::uint8_t>(table | (1 << index));
    }
    return table;
}

}  // namespace

int CompiledExpression::Program::NeedleFor(const TermTest& test, bool unquoted) {
    std::string_view anchor = test.Anchor();
    if (anchor.empty()) return -1;
    auto [known, added] = needleOfText.try_emplace({unquoted, std::string(anchor), test.AnchorIsNumber()},
                                                   static_cast<int>(needles.size()));
    if (!added) return known->second;
    const TermTest& kept = needleTests.emplace_back(test);
    constexpr std::size_t kPrefixBytes = 4;
    std::string prefix(anchor.substr(0, kPrefixBytes));
    auto group = std::find_if(groups.begin(), groups.end(), [&](const NeedleGroup& g) {
        return g.unquoted == unquoted && g.prefix == prefix;
    });
    if (group == groups.end()) {
        group = groups.insert(groups.end(), NeedleGroup{prefix, unquoted, {}, ToLowerAscii(prefix)});
    }
    int index = static_cast<int>(needles.size());
    needles.push_back(
        {&kept, static_cast<int>(group - groups.begin()), unquoted ? ToLowerAscii(anchor) : ""});
    group->needles.push_back(index);
    return index;
}

CompiledExpression::Program::Term CompiledExpression::Program::CompileTerm(
    const ExpressionTree::Term& written, const std::vector<int>& slotOfPart) {
    using Kind = ExpressionTree::Term::Kind;
    Term term;
    term.written = written.span;
    term.orFollows = written.orFollows;
    for (int cell : written.cells) {
        if (ExpressionTree::IsPart(cell))
            term.tracedSlots.push_back(slotOfPart[ExpressionTree::PartOf(cell)]);
    }
    if (written.kind == Kind::Plain) {
        term.test.emplace(written.text, true);
        term.needle = NeedleFor(*term.test, false);
        return term;
    }
    if (written.kind == Kind::Outside) {
        term.kind = TermKind::Outside;
        term.outsideKind = written.outsideKind;
        term.outsideValue = written.outsideValue;
        term.negated = written.negated;
        return term;
    }
    for (int cell : written.cells) {
        term.cells.push_back(ExpressionTree::IsPart(cell) ? -1 - slotOfPart[ExpressionTree::PartOf(cell)]
                                                          : cell);
    }
    term.kind = TermKind::Composite;
    if (term.tracedSlots.size() != 1) return term;
    // One slot: the term is one of two texts, each found by a needle when it has a fixed text.
    std::optional<TermTest> texts[2];
    for (int truth = 0; truth < 2; ++truth) {
        std::string text;
        for (int cell : term.cells) {
            if (cell < 0) {
                text += truth != 0 ? kMatchAllToken : kMatchNoneToken;
            } else {
                text += static_cast<char>(cell);
            }
        }
        texts[truth].emplace(std::move(text), true);
    }
    const int whenTrue = NeedleFor(*texts[1], false), whenFalse = NeedleFor(*texts[0], false);
    if (whenTrue < 0 || whenFalse < 0) return term;
    term.kind = TermKind::SingleSlot;
    term.slot = term.tracedSlots.front();
    term.whenTrue = whenTrue;
    term.whenFalse = whenFalse;
    term.table = SingleSlotTable(texts[1]->Negated(), texts[0]->Negated());
    // A group that is one such term of the same two texts passes on its function: read through it.
    const Slot& slot = slots[static_cast<std::size_t>(term.slot)];
    if (!slot.isPhrase) {
        const Level& inner = levels[static_cast<std::size_t>(slot.level)];
        if (inner.terms.size() == 1 && !inner.terms[0].orFollows &&
            inner.terms[0].kind == TermKind::SingleSlot && inner.terms[0].whenTrue == whenTrue &&
            inner.terms[0].whenFalse == whenFalse) {
            term.table = Compose(term.table, inner.terms[0].table);
            term.slot = inner.terms[0].slot;
        }
    }
    return term;
}

void CompiledExpression::Program::Compile() {
    // Phrases come first in the tree's parts, then groups innermost first: the slots keep that
    // order, so that a slot refers only to slots before it.
    std::vector<int> slotOfPart(tree.parts.size(), -1);
    std::unordered_map<std::string, int> phraseSlots;
    std::vector<int> groupOfList(tree.lists.size(), -1);
    for (std::size_t part = 0; part < tree.parts.size(); ++part) {
        const ExpressionTree::Part& written = tree.parts[part];
        if (written.isPhrase) {
            auto [entry, added] = phraseSlots.try_emplace(written.phrase, static_cast<int>(slots.size()));
            if (added) {
                slots.push_back({true, TermTest(written.phrase, false), -1, -1, written.span});
                slots.back().needle = NeedleFor(*slots.back().phrase, true);
            }
            slotOfPart[part] = entry->second;
        } else {
            slotOfPart[part] = static_cast<int>(slots.size());
            groupOfList[written.list] = static_cast<int>(slots.size());
            slots.push_back({false, {}, static_cast<int>(written.list), -1, written.span});
        }
    }
    // Lists come before the lists that hold them, so each group is compiled before its use.
    levels.resize(tree.lists.size());
    for (std::size_t list = 0; list < tree.lists.size(); ++list) {
        const ExpressionTree::List& written = tree.lists[list];
        Level& level = levels[list];
        level.singleTerm = written.singleTerm;
        for (const ExpressionTree::Term& term : written.terms)
            level.terms.push_back(CompileTerm(term, slotOfPart));
        for (const Term& term : level.terms) {
            // The rewriting reads the whole text as text: it would search "audit=good" in the record.
            if (term.kind == TermKind::Outside && tree.rewrittenWhole) {
                throw EngineError("Error, " + std::string(tree.Written(term.written)) +
                                      " cannot be asked in a search text whose quoted phrases overlap.",
                                  ErrorKind::Expression);
            }
            if (term.kind == TermKind::Outside && facts == nullptr) {
                throw EngineError("Error, the search text asks for " +
                                  std::string(tree.Written(term.written)) + ". " +
                                  OutsideTermKinds()[term.outsideKind].unavailable);
            }
        }
    }
    topLevel = static_cast<int>(tree.top);
    FindReachable();
}

void CompiledExpression::Program::FindReachable() {
    // What the top level can ask for, and how deep demand evaluation would recurse.
    std::vector<int> depth(slots.size(), 0);
    std::vector<char> levelReached(levels.size(), 0);
    levelReached[static_cast<std::size_t>(topLevel)] = 1;
    auto termSlots = [](const Term& term, auto visit) {
        if (term.kind == TermKind::SingleSlot) {
            visit(term.slot);
            return;
        }
        for (int cell : term.cells) {
            if (cell < 0) visit(-1 - cell);
        }
    };

    // Slots only refer to slots before them: from the last down, every reader comes first.
    std::vector<int> levelSlot(levels.size(), -1);
    for (std::size_t slot = 0; slot < slots.size(); ++slot) {
        if (!slots[slot].isPhrase)
            levelSlot[static_cast<std::size_t>(slots[slot].level)] = static_cast<int>(slot);
    }
    auto reach = [&](int level) {
        for (const Term& term : levels[static_cast<std::size_t>(level)].terms) {
            ++termsToTest;
            termSlots(term, [&](int slot) {
                Slot& s = slots[static_cast<std::size_t>(slot)];
                s.reachable = true;
                if (!s.isPhrase) levelReached[static_cast<std::size_t>(s.level)] = 1;
            });
        }
    };
    reach(topLevel);
    for (std::size_t slot = slots.size(); slot-- > 0;) {
        if (slots[slot].reachable && !slots[slot].isPhrase) reach(slots[slot].level);
    }
    int maxDepth = 0;
    for (std::size_t slot = 0; slot < slots.size(); ++slot) {
        const Slot& s = slots[slot];
        if (!s.reachable) continue;
        if (s.isPhrase) {
            ++termsToTest;
            continue;
        }
        int deepest = 0;
        for (const Term& term : levels[static_cast<std::size_t>(s.level)].terms)
            termSlots(term, [&](int child) {
                deepest = std::max(deepest, depth[static_cast<std::size_t>(child)]);
            });
        depth[slot] = deepest + 1;
        maxDepth = std::max(maxDepth, depth[slot]);
        eagerSlots.push_back(static_cast<int>(slot));
    }
    eager = maxDepth > kMaxDemandDepth;
    if (!eager) eagerSlots.clear();
}

bool CompiledExpression::Program::NeedleFound(int needle, const PreparedRecord& record,
                                              Scratch& scratch) const {
    const auto index = static_cast<std::size_t>(needle);
    if (scratch.needleStamps[index] != scratch.call) {
        const NeedleGroup& group = groups[static_cast<std::size_t>(needles[index].group)];
        // A phrase's group is found without case first (the record as written may not be made
        // yet, and a phrase absent without case is absent with it), then checked as written.
        std::string_view searched = record.Lowered();
        const std::string& prefix = group.unquoted ? group.lowerPrefix : group.prefix;
        for (int member : group.needles) {
            scratch.needleStamps[static_cast<std::size_t>(member)] = scratch.call;
            scratch.needleFound[static_cast<std::size_t>(member)] = 0;
        }
        std::size_t missing = group.needles.size();
        for (std::size_t at = FindText(searched, prefix); at != std::string_view::npos && missing > 0;
             at = FindText(searched, prefix, at + 1)) {
            for (int member : group.needles) {
                char& found = scratch.needleFound[static_cast<std::size_t>(member)];
                if (found != 0) continue;
                const Needle& needle = needles[static_cast<std::size_t>(member)];
                if (group.unquoted &&
                    searched.compare(at, needle.lowerAnchor.size(), needle.lowerAnchor) != 0)
                    continue;
                if (needle.test->FoundAt(group.unquoted ? record.Unquoted() : searched, at)) {
                    found = 1;
                    --missing;
                }
            }
        }
    }
    return scratch.needleFound[index] != 0;
}

bool CompiledExpression::Program::SlotHolds(int slot, const PreparedRecord& record, Scratch& scratch) const {
    const auto index = static_cast<std::size_t>(slot);
    if (scratch.slotStamps[index] != scratch.call) {
        const Slot& s = slots[index];
        bool holds;
        if (!s.isPhrase) {
            holds = LevelHolds(s.level, record, scratch);
        } else if (s.needle >= 0) {
            holds = NeedleFound(s.needle, record, scratch) != s.phrase->Negated();
        } else {
            holds = !s.phrase->Rejects(record.Unquoted());
        }
        scratch.slotStamps[index] = scratch.call;
        scratch.slotHolds[index] = holds ? 1 : 0;
    }
    return scratch.slotHolds[index] != 0;
}

bool CompiledExpression::Program::TermHolds(const Term& term, const PreparedRecord& record,
                                            Scratch& scratch) const {
    switch (term.kind) {
        case TermKind::Plain:
            if (term.needle >= 0) return NeedleFound(term.needle, record, scratch) != term.test->Negated();
            return !term.test->Rejects(record.Lowered());
        case TermKind::SingleSlot: {
            const int slot = SlotHolds(term.slot, record, scratch) ? 1 : 0;
            auto bit = [&](int whenTrue, int whenFalse) {
                return (term.table >> (slot | whenTrue << 1 | whenFalse << 2)) & 1;
            };
            // Only the texts the answer depends on are looked for.
            const bool needsTrue = bit(0, 0) != bit(1, 0) || bit(0, 1) != bit(1, 1);
            const int whenTrue = needsTrue && NeedleFound(term.whenTrue, record, scratch) ? 1 : 0;
            const bool needsFalse = bit(whenTrue, 0) != bit(whenTrue, 1);
            const int whenFalse = needsFalse && NeedleFound(term.whenFalse, record, scratch) ? 1 : 0;
            return bit(whenTrue, whenFalse) != 0;
        }
        case TermKind::Outside: {
            const bool holds =
                facts->Holds(term.outsideKind, term.outsideValue, RomNameOfPreparedRecord(record.Lowered()));
            return holds != term.negated;
        }
        case TermKind::Composite:
            break;
    }
    std::string text;
    for (int cell : term.cells) {
        if (cell < 0) {
            text += SlotHolds(-1 - cell, record, scratch) ? kMatchAllToken : kMatchNoneToken;
        } else {
            text += static_cast<char>(cell);
        }
    }
    return !TermTest(std::move(text), true).Rejects(record.Lowered());
}

bool CompiledExpression::Program::LevelHolds(int levelIndex, const PreparedRecord& record, Scratch& scratch,
                                             std::vector<int>* failed) const {
    const Level& level = levels[static_cast<std::size_t>(levelIndex)];
    bool rejects = false;
    for (std::size_t i = 0; i < level.terms.size(); ++i) {
        // Once a conjunction has failed, its remaining terms cannot change the answer.
        if (!rejects) {
            rejects = !TermHolds(level.terms[i], record, scratch);
            if (rejects && failed != nullptr) failed->push_back(static_cast<int>(i));
        }
        if (level.terms[i].orFollows) {
            if (!rejects) {
                if (failed != nullptr) failed->clear();
                return true;
            }
            rejects = false;
        }
    }
    if (!rejects && failed != nullptr) failed->clear();
    return !rejects;
}

bool CompiledExpression::Program::MatchesRecord(const PreparedRecord& record,
                                                std::vector<int>* failed) const {
    // Scans call this for every record, on several threads: each thread keeps its own memory.
    thread_local Scratch scratch;
    scratch.Begin(slots.size(), needles.size());
    // A slot only refers to slots made before it, so in this order every value it needs is known.
    for (int slot : eagerSlots) SlotHolds(slot, record, scratch);
    return LevelHolds(topLevel, record, scratch, failed);
}

CompiledExpression::CompiledExpression(const std::string& expression, const OutsideFacts* facts)
    : CompiledExpression(ParseExpression(expression), facts) {}

void CompiledExpression::CheckText(const std::string& expression) {
    struct NoFacts final : OutsideFacts {
        bool Holds(std::size_t, std::string_view, std::string_view) const override { return false; }
        std::string Describe(std::size_t, std::string_view) const override { return {}; }
    };
    static const NoFacts none;
    (void)CompiledExpression(expression, &none);
}

CompiledExpression::CompiledExpression(ExpressionTree tree, const OutsideFacts* facts)
    : program_(std::make_unique<Program>()) {
    if (tree.evaluationError) throw EngineError(*tree.evaluationError, ErrorKind::Expression);
    program_->tree = std::move(tree);
    program_->facts = facts;
    program_->Compile();
}

CompiledExpression::~CompiledExpression() = default;
CompiledExpression::CompiledExpression(CompiledExpression&&) noexcept = default;
CompiledExpression& CompiledExpression::operator=(CompiledExpression&&) noexcept = default;

const ExpressionTree& CompiledExpression::Tree() const {
    return program_->tree;
}

bool CompiledExpression::MatchesEveryRecord() const {
    const Program& program = *program_;
    if (program.tree.rewrittenWhole) return false;
    const Program::Level& level = program.levels[static_cast<std::size_t>(program.topLevel)];
    return level.terms.size() == 1 && level.terms[0].kind == Program::TermKind::Plain &&
           program.tree.lists[program.tree.top].terms[0].text == kMatchAllToken;
}

bool CompiledExpression::UsesLiteralEvaluation() const {
    return program_->tree.rewrittenWhole;
}

std::size_t CompiledExpression::TermsToTest() const {
    return program_->tree.rewrittenWhole ? 1 : program_->termsToTest;
}

bool CompiledExpression::Matches(const PreparedRecord& record) const {
    const Program& program = *program_;
    if (program.tree.rewrittenWhole) return LiteralMatches(std::string(record.Unquoted()), program.tree.text);
    return program.MatchesRecord(record, nullptr);
}

bool CompiledExpression::Matches(const PreparedRecord& record,
                                 std::vector<std::string_view>& excludedBy) const {
    const Program& program = *program_;
    excludedBy.clear();
    if (program.tree.rewrittenWhole) {
        bool matches = LiteralMatches(std::string(record.Unquoted()), program.tree.text);
        if (!matches) excludedBy.push_back(program.tree.text);
        return matches;
    }
    thread_local std::vector<int> failed;
    failed.clear();
    bool matches = program.MatchesRecord(record, &failed);
    const Program::Level& top = program.levels[static_cast<std::size_t>(program.topLevel)];
    for (int term : failed)
        excludedBy.push_back(program.tree.Written(top.terms[static_cast<std::size_t>(term)].written));
    return matches;
}

DecisionTrace CompiledExpression::Decide(const PreparedRecord& record) const {
    const Program& program = *program_;
    DecisionTrace trace;
    using Node = DecisionTrace::Node;
    trace.text = program.tree.text;
    if (program.tree.rewrittenWhole) {
        bool matches = LiteralMatches(std::string(record.Unquoted()), trace.text);
        trace.literal = true;
        trace.nodes.push_back({Node::Kind::Group, 0, trace.text.size(), matches, false, true, {1}});
        trace.nodes.push_back({Node::Kind::Term, 0, trace.text.size(), matches, false, false, {}});
        return trace;
    }
    Program::Scratch scratch;
    scratch.Begin(program.slots.size(), program.needles.size());
    // Every slot in the order made, so that no value needs a deeper one computed first.
    for (std::size_t slot = 0; slot < program.slots.size(); ++slot)
        program.SlotHolds(static_cast<int>(slot), record, scratch);

    // Levels still to be filled in: (level, its node). Iterative, however deep the nesting.
    std::vector<std::pair<int, std::size_t>> pending{{program.topLevel, 0}};
    trace.nodes.push_back({Node::Kind::Group,
                           0,
                           trace.text.size(),
                           program.LevelHolds(program.topLevel, record, scratch),
                           false,
                           false,
                           {}});
    while (!pending.empty()) {
        auto [levelIndex, groupNode] = pending.back();
        pending.pop_back();
        const Program::Level& level = program.levels[static_cast<std::size_t>(levelIndex)];
        trace.nodes[groupNode].singleTerm = level.singleTerm;
        for (const Program::Term& term : level.terms) {
            std::size_t termNode = trace.nodes.size();
            trace.nodes[groupNode].children.push_back(termNode);
            trace.nodes.push_back({Node::Kind::Term,
                                   term.written.begin,
                                   term.written.end,
                                   program.TermHolds(term, record, scratch),
                                   term.orFollows,
                                   false,
                                   {}});
            for (int slotIndex : term.tracedSlots) {
                const Program::Slot& slot = program.slots[static_cast<std::size_t>(slotIndex)];
                std::size_t partNode = trace.nodes.size();
                trace.nodes[termNode].children.push_back(partNode);
                trace.nodes.push_back({slot.isPhrase ? Node::Kind::Phrase : Node::Kind::Group,
                                       slot.written.begin,
                                       slot.written.end,
                                       program.SlotHolds(slotIndex, record, scratch),
                                       false,
                                       false,
                                       {}});
                if (!slot.isPhrase) pending.emplace_back(slot.level, partNode);
            }
        }
    }
    return trace;
}

}  // namespace vantor
