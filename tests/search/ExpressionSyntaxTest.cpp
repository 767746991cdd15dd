#include "search/ExpressionSyntax.h"

#include <gtest/gtest.h>

#include "gamedata/EngineError.h"
#include "search/CriteriaModel.h"
#include "search/SearchText.h"

namespace vantor {
namespace {

std::string ErrorOf(const std::string& text) {
    try {
        PrepareSearchText(text, "");
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Kind(), ErrorKind::Expression) << text;
        return error.Text();
    }
    return "";
}

TEST(ExpressionSyntaxTest, ValidExpressionsPass) {
    // What the criteria build, and what the language allows: terms joined by spaces, "a|b" as one
    // term, "&&", a negated group written with a space, a lone bracket inside a phrase.
    for (const char* text :
         {"pacman", "street fighter - champion edition", "joy8way & !cloneof", "a | b & c", "a b c", "a|b",
          "AT&T", "!(a | b)", "! (a | b) & - (c)", "a && b || c", "'(US)' | '2P sim<'", "((((x))))",
          "(buttons=2 | buttons=1 | buttons=0 | !buttons=) & (joy2way | joy4way | !'control type=') &  "
          "!(isbios=yes)",
          " !(trackball)", "buttons>2", "!buttons>=3 & year<1990", "\"joy8way\""}) {
        EXPECT_EQ(ErrorOf(text), "") << text;
    }
    CriteriaModel model;
    model.ApplyInitialState();
    EXPECT_EQ(ErrorOf(model.FindText()), "");
}

TEST(ExpressionSyntaxTest, MistakesNameTheProblemAndItsPosition) {
    const std::string paren = std::string(kMissingParenthesisError) + "\r\n";
    const struct {
        const char* text;
        std::string message;
    } cases[] = {
        {"'pacman", std::string(kMissingQuoteError) + "\r\nThe quote mark at position 1 has no partner."},
        {"(joy8way", paren + "The \"(\" at position 1 is never closed."},
        {"a (b (c)", paren + "The \"(\" at position 3 is never closed."},
        {"pacman)", paren + "The \")\" at position 7 closes nothing."},
        {"pacman |", "Error, \"|\" at position 8 has nothing after it."},
        {"| pacman", "Error, \"|\" at position 1 has nothing before it."},
        {"&", "Error, \"&\" at position 1 has nothing before it."},
        {"a & | b", "Error, \"&\" at position 3 and \"|\" at position 5 have nothing between them."},
        {"(a |) & b", "Error, \"|\" at position 4 has nothing after it."},
        {"a & !", "Error, \"!\" at position 5 has nothing after it."},
        {"-", "Error, \"-\" at position 1 has nothing after it."},
        {"a & ()", "Error, the parentheses at position 5 hold nothing."},
        {"a | ''", "Error, the quote marks at position 5 hold nothing."},
        // Positions count what was typed, double quotes included.
        {"\"a\" |", "Error, \"|\" at position 5 has nothing after it."},
        // "! (" negates the group; a sign before it that is not alone still ends its word.
        {"a & !! (b)", "Error, \"!\" at position 6 has nothing after it."},
        // A comparison without its number would be searched as text.
        {"buttons>",
         "Error, \"buttons>\" at position 1 compares with no number.\r\nPut a number after \">\", "
         "or quotes around the term to search for it as written."},
        {"a & !Year>=19x",
         "Error, \"!Year>=19x\" at position 5 compares with no number.\r\nPut a number after "
         "\">\", or quotes around the term to search for it as written."},
        {"(buttons<x)",
         "Error, \"buttons<x\" at position 2 compares with no number.\r\nPut a number after "
         "\"<\", or quotes around the term to search for it as written."},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << c.text;
    for (const char* fine : {"buttons>2", "'buttons>x'", "<year>1991", "buttons=x", "buttons>*"})
        EXPECT_EQ(ErrorOf(fine), "") << fine;
}

// The span of a mistake, in bytes of what was typed, is what the window marks.
TEST(ExpressionSyntaxTest, MistakesCarryTheirSpanInTheTypedText) {
    const struct {
        const char* text;
        ErrorSpan where;
    } cases[] = {
        {"  'pacman", {2, 1}},    {"a & \"b\" |", {8, 1}},    {"a & | b", {2, 3}},
        {"x (  )", {2, 4}},       {"ab & buttons>x", {5, 9}}, {"joy8way & @NOSUCH", {10, 7}},
        {"a & ! (b) |", {10, 1}},
    };
    const std::string macros = std::string(VANTOR_BIN_DIR) + "/vnmacros.txt";
    for (const auto& c : cases) {
        try {
            PrepareSearchText(c.text, macros);
            ADD_FAILURE() << c.text;
        } catch (const EngineError& error) {
            ASSERT_TRUE(error.Where()) << c.text;
            EXPECT_EQ(*error.Where(), c.where) << c.text << ": " << error.Text();
        }
    }
}

TEST(ExpressionSyntaxTest, UnknownMacrosAreErrors) {
    std::string macros = std::string(VANTOR_BIN_DIR) + "/vnmacros.txt";
    EXPECT_NO_THROW(PrepareSearchText("@USA & !@JAPAN", macros));
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"joy8way & @NOSUCH",
         "Error, unknown macro @NOSUCH at position 11.\r\nThe macros of vnmacros.txt are @USA, @JAPAN, "
         "@EURO, @ASIA."},
        {"@usa",
         "Error, unknown macro @usa at position 1.\r\nDid you mean @USA? Macro names are case-sensitive."},
    };
    for (const auto& c : cases) {
        try {
            PrepareSearchText(c.text, macros);
            ADD_FAILURE() << c.text;
        } catch (const EngineError& error) {
            EXPECT_EQ(error.Text(), c.message);
            EXPECT_EQ(error.Kind(), ErrorKind::Expression);
        }
    }
    EXPECT_NO_THROW(PrepareSearchText("'user@host'", macros));  // quoted text is searched as written
}

}  // namespace
}  // namespace vantor
