#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "gamedata/EngineError.h"
#include "search/CompiledExpression.h"
#include "search/ExpressionSyntax.h"
#include "search/LiteralEvaluator.h"

using namespace vantor;

namespace {

const std::string kPacman =
    "\t<machine name=\"pacman\" cloneof=\"puckman\">\n"
    "\t\t<description>Pac-Man (Midway)</description>\n"
    "\t\t<year>1980</year>\n"
    "\t\t<nplayers>2P sim</nplayers>\n"
    "\t\t<input players=\"2\" buttons=\"1\">\n"
    "\t\t\t<control type=\"joy8way\"/> <control type=\"Analog\"/>\n"
    "\t\t</input>\n"
    "\t</machine>\n";
const std::string kGalaga =
    "\t<machine name=\"galaga\">\n"
    "\t\t<description>Galaga (rev. B)</description>\n"
    "\t\t<year>1981</year>\n"
    "\t\t<input players=\"2\">\n"
    "\t\t\t<control type=\"joy4way\"/><control type=\"analog\"/>\n"
    "\t\t</input>\n"
    "\t</machine>\n";

// The outcome of one evaluation: matched, or the error's text.
struct Outcome {
    bool matched = false;
    std::optional<std::string> error;
    bool operator==(const Outcome&) const = default;
};

Outcome Literal(const std::string& record, const std::string& expression) {
    try {
        return {LiteralMatches(record, expression), std::nullopt};
    } catch (const EngineError& e) {
        return {false, e.Text()};
    }
}

Outcome Compiled(const std::string& record, const std::string& expression) {
    try {
        CompiledExpression compiled(expression);
        return {compiled.Matches(PreparedRecord(record)), std::nullopt};
    } catch (const EngineError& e) {
        return {false, e.Text()};
    }
}

// Both evaluators must agree; returns whether the record matched.
bool Matches(const std::string& record, const std::string& expression) {
    Outcome literal = Literal(record, expression);
    EXPECT_EQ(literal, Compiled(record, expression)) << "expression: " << expression;
    EXPECT_FALSE(literal.error) << expression << ": " << *literal.error;
    return literal.matched;
}

std::string ErrorOf(const std::string& expression) {
    Outcome literal = Literal(kPacman, expression);
    EXPECT_EQ(literal, Compiled(kPacman, expression)) << expression;
    return literal.error.value_or("");
}

}  // namespace

TEST(EvaluatorTest, TruthTokens) {
    EXPECT_TRUE(Matches(kPacman, "="));
    EXPECT_FALSE(Matches(kPacman, "zadorules"));
    EXPECT_FALSE(Matches(kPacman, "!="));
    // Only the token alone lets a scan skip preparing records.
    EXPECT_TRUE(CompiledExpression("=").MatchesEveryRecord());
    for (const char* other : {"==", "!=", "= | x", "(=)", "'='", "x"}) {
        EXPECT_FALSE(CompiledExpression(other).MatchesEveryRecord()) << other;
    }
}

TEST(EvaluatorTest, AndBindsTighterThanOr) {
    EXPECT_TRUE(Matches(kPacman, "joy8way | joy4way"));
    EXPECT_TRUE(Matches(kGalaga, "joy8way | joy4way"));
    EXPECT_FALSE(Matches(kPacman, "joy8way & joy4way"));
    EXPECT_FALSE(Matches(kPacman, "joy8way joy4way & 1980"));  // space-separated terms are ANDed
    EXPECT_TRUE(Matches(kGalaga, "joy8way | joy4way & 1981"));
    EXPECT_FALSE(Matches(kGalaga, "joy8way | joy4way & 1980"));
    EXPECT_TRUE(Matches(kPacman, "joy8way|joy4way | pacman"));  // "a|b" without spaces is one term
    EXPECT_FALSE(Matches(kPacman, "joy8way|joy4way & pacman"));
}

TEST(EvaluatorTest, NegationOfTermsAndGroups) {
    EXPECT_FALSE(Matches(kPacman, "!cloneof"));
    EXPECT_TRUE(Matches(kGalaga, "!cloneof"));
    EXPECT_TRUE(Matches(kGalaga, "-cloneof"));
    EXPECT_FALSE(Matches(kPacman, "!(joy8way | joy2way)"));
    EXPECT_TRUE(Matches(kGalaga, "! (joy8way | joy2way)"));
    EXPECT_TRUE(Matches(kPacman, "cloneof=puckman"));  // double quotes are not seen
    EXPECT_TRUE(Matches(kPacman, "buttons=0 | !buttons= | buttons=1"));
    EXPECT_TRUE(Matches(kGalaga, "buttons=0 | !buttons="));
}

TEST(EvaluatorTest, PhrasesAreCaseSensitiveAndKeepSpaces) {
    EXPECT_TRUE(Matches(kPacman, "'Analog'"));
    EXPECT_FALSE(Matches(kGalaga, "'Analog'"));
    EXPECT_TRUE(Matches(kGalaga, "analog"));
    EXPECT_TRUE(Matches(kPacman, "'<nplayers>2P sim<'"));
    EXPECT_TRUE(Matches(kPacman, "`Pac-Man (Midway)`"));  // backquotes are quotes
    EXPECT_FALSE(Matches(kPacman, "'pac-man'"));
    EXPECT_TRUE(Matches(kPacman, "pac-man_(mid & 1980"));  // "_" is a space outside phrases
    EXPECT_TRUE(Matches(kPacman, "pac-man (mid"));         // no operator: one term, spaces included
    EXPECT_FALSE(Matches(kPacman, "pac-man mid"));
    EXPECT_FALSE(Matches(kPacman, "pac-man_(midway)"));  // a group, even glued to a term
}

TEST(EvaluatorTest, Wildcards) {
    EXPECT_TRUE(Matches(kPacman, "pac-*midway"));  // on one line
    // Kept on purpose, saved searches rely on it: only the first "pac" (the name) is tried.
    EXPECT_FALSE(Matches(kPacman, "pac*midway"));
    EXPECT_FALSE(Matches(kPacman, "pac*1980"));  // on another line
    EXPECT_TRUE(Matches(kPacman, "!pac*1980"));
    EXPECT_TRUE(Matches(kPacman, "*midway"));
    EXPECT_TRUE(Matches(kPacman, "**"));
    EXPECT_FALSE(Matches(kPacman, "*nothere"));
    EXPECT_TRUE(Matches(kPacman, "'Pac*Midway'"));
    EXPECT_FALSE(Matches(kPacman, "'pac*midway'"));
}

TEST(EvaluatorTest, NumbersAreWholeAndCompare) {
    const std::string many =
        "<machine name=\"m\">\n<year>1991</year>\n<control type=\"joy\" buttons=\"15\" ways=\"8\"/>\n"
        "<control type=\"dial\" buttons=\"2\" reqbuttons=\"1\"/>\n<display refresh=\"59.94\"/>\n</machine>\n";
    const struct {
        const char* expression;
        bool matches;
    } cases[] = {
        {"buttons=1", false},  // neither buttons=15 nor reqbuttons=1 is it
        {"buttons=15", true},
        {"buttons=2", true},
        {"buttons=5", false},
        {"ways=8", true},
        {"refresh=59", false},
        {"refresh=59.94", true},
        {"refresh=59.9", false},
        {"buttons>2", true},
        {"!buttons>2", false},
        {"!buttons>15", true},
        {"buttons>=15", true},
        {"buttons<3", true},
        {"buttons<2", false},
        {"year>=1991", true},
        {"year>1991", false},
        {"year<1990", false},
        {"refresh<60", true},
        {"'buttons=1'", true},               // a phrase is text as written
        {"buttons=1*", true},                // so is a wildcard
        {"Buttons>14 & !BUTTONS>15", true},  // keys ignore case like any term
        {"<year>1991", true},                // not a key: plain text
        {"buttons>99999999999999999999999999999999999999999999999999", false},
    };
    for (const auto& c : cases) EXPECT_EQ(Matches(many, c.expression), c.matches) << c.expression;
}

// Records are prepared sixteen bytes at a time; quotes anywhere, bytes above 127 and every
// length must give what removing quotes and lower-casing byte by byte gives.
TEST(EvaluatorTest, PreparedRecordsLoseTheirQuotesAndCase) {
    std::mt19937 random(7);
    PreparedRecord prepared;
    for (int round = 0; round < 3000; ++round) {
        std::string record(random() % 90, ' ');
        const char alphabet[] = "\"\"\"aZ<>=Q\xc3\xa9\x80\xff@[`{";
        for (char& c : record) c = alphabet[random() % (sizeof alphabet - 1)];
        std::string unquoted, lowered;
        for (char c : record) {
            if (c == '"') continue;
            unquoted += c;
            lowered += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        }
        prepared.Assign(record);
        ASSERT_EQ(prepared.Unquoted(), unquoted) << record;
        ASSERT_EQ(prepared.Lowered(), lowered) << record;
    }
}

TEST(EvaluatorTest, BracketsAndErrors) {
    EXPECT_EQ(ErrorOf("'pacman"), "Error, missing 2nd quote mark.");
    EXPECT_EQ(ErrorOf("a ) (b"),
              "Error, missing parenthesis set\r\nIf you want to search for only 1, put quotes around it.");
    EXPECT_EQ(ErrorOf("(a (b)"),
              "Error, missing parenthesis set\r\nIf you want to search for only 1, put quotes around it.");
    EXPECT_TRUE(Matches("<x>(a</x>", "(a"));  // only "(": it stays part of the term
    EXPECT_TRUE(Matches("<x>a)</x>", "a)"));
    EXPECT_TRUE(Matches(kPacman, "(pacman) ) | nothere"));
    EXPECT_TRUE(Matches(kPacman, "((((pacman))))"));
}

TEST(EvaluatorTest, PhraseTokensGlueToNeighbours) {
    // A phrase's token takes part in the text around it, as the rewriting leaves it.
    EXPECT_TRUE(Matches("<x name=a=b/>", "a'name'b"));
    EXPECT_FALSE(Matches("<x name=a=b/>", "a'galaga'b"));
    EXPECT_TRUE(Matches("<x name=azadorulesb/>", "a'galaga'b"));
    // Phrases whose replacement spans other phrases go the literal way and still agree.
    CompiledExpression odd("'x' 'y'x'z'");
    EXPECT_TRUE(odd.UsesLiteralEvaluation());
    Matches(kPacman, "'x' 'y'x'z'");
    Matches(kPacman, "'a' '=' ''a''");
    // A "(" that the pairwise reading leaves open lies inside a phrase the rewriting takes whole.
    Matches("", ")'e('''e(''");
    EXPECT_FALSE(CompiledExpression("(joy2way | joy4way | !'control type=') & 'dipvalue name=Cocktail'")
                     .UsesLiteralEvaluation());
}

TEST(EvaluatorTest, DeepAndLongExpressionsStayFast) {
    std::string deep = std::string(10000, '(') + "pacman" + std::string(10000, ')');
    EXPECT_TRUE(Compiled(kPacman, deep).matched);
    // Deep nesting is evaluated innermost first rather than on demand: the same answers.
    for (const std::string& record : {kPacman, kGalaga}) {
        std::string mixed;
        for (int i = 0; i < 150; ++i) mixed += i % 3 == 0 ? "!(" : i % 3 == 1 ? "(galaga | " : "(x & ";
        mixed += "joy4way" + std::string(150, ')');
        EXPECT_EQ(Literal(record, mixed), Compiled(record, mixed));
    }
    std::string wide;
    for (int i = 0; i < 50000; ++i) wide += "nothere" + std::to_string(i) + " | ";
    wide += "pacman";
    EXPECT_TRUE(Compiled(kPacman, wide).matched);
    std::string phrases;
    for (int i = 0; i < 50000; ++i) phrases += "'Pac" + std::to_string(i % 7) + "' | ";
    phrases += "'Pac'";
    EXPECT_TRUE(Compiled(kPacman, phrases).matched);
}

// Groups that only pass on another's truth fold away: depth alone adds no work per record, and
// the folded truth (a function of the group's and of the record's "=" and "zadorules") still
// agrees with the rewriting, also on records holding neither or both.
TEST(EvaluatorTest, NestingDepthAddsNoTermsToTest) {
    auto nested = [](const std::vector<std::string>& opens, int depth, const std::string& inner) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += opens[static_cast<std::size_t>(i) % opens.size()];
        return text + inner + std::string(static_cast<std::size_t>(depth), ')');
    };
    const std::vector<std::vector<std::string>> shapes = {{"("}, {"!("}, {"(", "-(", "! ("}, {" ( "}};
    const std::vector<std::string> records = {
        kPacman, kGalaga, "", "<y zadorules/>", "<z a=zadorules/>", "no equals here"};
    for (const auto& opens : shapes) {
        const std::size_t shallow = CompiledExpression(nested(opens, 3, "pacman")).TermsToTest();
        EXPECT_EQ(CompiledExpression(nested(opens, 10000, "pacman")).TermsToTest(), shallow) << opens[0];
        EXPECT_EQ(CompiledExpression(nested(opens, 3000, "pacman | 'Galaga'") + " & x").TermsToTest(),
                  CompiledExpression(nested(opens, 2, "pacman | 'Galaga'") + " & x").TermsToTest());
        for (int depth : {1, 2, 3, 7, 150}) {
            const std::string text = nested(opens, depth, "pacman | 'Galaga'");
            for (const std::string& record : records)
                EXPECT_EQ(Literal(record, text), Compiled(record, text)) << text << " on " << record;
        }
    }
}

// A term answered by data outside the record: parsed, checked and matched as any other term.
TEST(EvaluatorTest, OutsideDataTermsAskTheirFacts) {
    const std::vector<OutsideTermKind> kinds = {{"flag", {"on", "off"}, "a test flag", "No flags."}};
    class Flags : public OutsideFacts {
      public:
        bool Holds(std::size_t kind, std::string_view value, std::string_view romName) const override {
            return kind == 0 && (value == "on") == (romName == "pacman");
        }
        std::string Describe(std::size_t, std::string_view) const override { return {}; }
    } flags;
    auto matches = [&](const std::string& text, const std::string& record) {
        ExpressionTree tree = ParseExpression(text, nullptr, kinds);
        CheckExpressionSyntax(tree, kinds);
        return CompiledExpression(std::move(tree), &flags).Matches(PreparedRecord(record));
    };
    EXPECT_TRUE(matches("flag=on", kPacman));
    EXPECT_FALSE(matches("Flag=ON", kGalaga));
    EXPECT_TRUE(matches("!flag=on & galaga", kGalaga));
    EXPECT_TRUE(matches("(x | -flag=off) & 1980", kPacman));
    EXPECT_FALSE(matches("flag=on", "<machine filename=pacman name=galaga>\n</machine>"));
    EXPECT_THROW(CheckExpressionSyntax(ParseExpression("a & flag=maybe", nullptr, kinds), kinds),
                 EngineError);
    EXPECT_THROW(CompiledExpression(ParseExpression("flag=on", nullptr, kinds)), EngineError);  // no facts
    EXPECT_FALSE(Compiled(kPacman, "flag=on").matched);  // without the kind: text
}

// The compiled evaluator against the literal rewriting, on generated expressions.
TEST(EvaluatorTest, CompiledEqualsLiteralOnGeneratedExpressions) {
    const std::vector<std::string> words = {"pacman",     "galaga",    "joy8way",   "joy4way",
                                            "analog",     "Analog",    "cloneof",   "cloneof=puckman",
                                            "buttons=",   "buttons=1", "1980",      "1981",
                                            "=",          "zadorules", "2p_sim",    "pac*man",
                                            "*way",       "p*c*n",     "nothere",   "-",
                                            "!",          "x",         "*",         "<year>",
                                            "machine",    "sim<",      "a=b",       "buttons>0",
                                            "buttons<=1", "year>1980", "players=2", "=1"};
    const std::vector<std::string> glue = {" ", " & ", " | ", "&", "|", "  ", "_", " !", " -", "!", "-", ""};
    const std::vector<std::string> records = {kPacman,
                                              kGalaga,
                                              "<x name=a=b/>",
                                              "<y zadorules/>",
                                              "",
                                              "no equals here",
                                              "<a>\n<b>pac\nman</b>\n</a>"};
    std::mt19937 random(20261207);
    auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };

    std::function<std::string(int)> generate = [&](int depth) {
        std::string out;
        int parts = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < parts; ++i) {
            if (i > 0) out += pick(glue);
            switch (random() % 9) {
                case 0:
                    if (depth < 3) out += "(" + generate(depth + 1) + ")";
                    break;
                case 1:
                    if (depth < 3) out += "!(" + generate(depth + 1) + ")";
                    break;
                case 2:
                    out += "'" + pick(words) + (random() % 2 ? " " + pick(words) : "") + "'";
                    break;
                case 3:
                    out += "`" + pick(words) + "`";
                    break;
                case 4: {
                    static const char* stray[] = {"(", ")", "'", "`", "! (", "- ("};
                    out += stray[random() % 6];
                    break;
                }
                default:
                    out += pick(words);
            }
        }
        return out;
    };

    int errors = 0, literalOnes = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string expression = generate(0);
        if (random() % 5 == 0) expression = " " + expression + " ";
        for (const std::string& record : records) {
            Outcome literal = Literal(record, expression);
            ASSERT_EQ(literal, Compiled(record, expression))
                << "expression: [" << expression << "]\nrecord: " << record;
            errors += literal.error.has_value();
        }
        try {
            literalOnes += CompiledExpression(expression).UsesLiteralEvaluation();
        } catch (const EngineError&) {
        }
    }
    // The generator must reach both outcomes and the error paths.
    EXPECT_GT(errors, 1000);
    EXPECT_LT(literalOnes, 2000);
}
