// The JSON reader that decides whether a playlist at the target may be updated: it must take
// every valid text RetroArch or another tool writes and refuse what is not JSON.
#include <gtest/gtest.h>

#include "output/JsonText.h"

namespace vantor {
namespace {

TEST(JsonTextTest, ReadsValidTextAndRefusesTheRest) {
    JsonValue value;
    std::string problem;
    ASSERT_TRUE(
        ParseJson("\xEF\xBB\xBF { \"a\" : [1, -0.5e+3, true, false, null, {}, []],\r\n"
                  "\"s\": \"q\\\"\\\\\\/\\b\\f\\n\\r\\t\\u00e9\\ud83d\\ude00\", \"a\": 2 }",
                  value, problem))
        << problem;
    EXPECT_EQ(value.StringMember("s"), "q\"\\/\b\f\n\r\t\xC3\xA9\xF0\x9F\x98\x80");
    ASSERT_NE(value.Member("a"), nullptr);
    EXPECT_EQ(value.Member("a")->items.size(), 7u);  // the first of a repeated name
    EXPECT_EQ(value.Member("a")->items[1].text, "-0.5e+3");
    EXPECT_EQ(value.StringMember("a"), "");  // no string

    const std::string deep = std::string(64, '[') + std::string(64, ']');
    EXPECT_TRUE(ParseJson(deep, value, problem)) << problem;

    for (const char* bad :
         {"", "{", "{\"a\" 1}", "{\"a\": 1,}", "[1,]", "[01]", "[1.]", "[.5]", "[+1]", "\"\\ud83d\"",
          "\"\\ude00\"", "\"\\x41\"", "\"a\tb\"", "[1] [2]", "{'a': 1}", "[tru]", "[nul]", "\"\\u12\""}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseJson(bad, value, problem));
        EXPECT_TRUE(problem.starts_with("line ")) << problem;
        EXPECT_EQ(value.kind, JsonValue::Kind::Null);
    }
    EXPECT_FALSE(ParseJson(std::string(65, '[') + std::string(65, ']'), value, problem));
    EXPECT_NE(problem.find("nested too deeply"), std::string::npos);
    EXPECT_FALSE(ParseJson("{\n  \"a\": [1,\n  2 x]}", value, problem));
    EXPECT_EQ(problem, "line 3, column 5: a \",\" or \"]\" was expected");
}

TEST(JsonTextTest, StringsAreEscapedAsRetroArchEscapesThem) {
    std::string out;
    AppendJsonString(out, "a\"b\\c</d/e\x01\x1f\t\xC3\xA9");
    EXPECT_EQ(out, "\"a\\\"b\\\\c<\\/d/e\\u0001\\u001f\\t\xC3\xA9\"");
    JsonValue value;
    std::string problem;
    ASSERT_TRUE(ParseJson(out, value, problem)) << problem;
    EXPECT_EQ(value.text, "a\"b\\c</d/e\x01\x1f\t\xC3\xA9");
}

}  // namespace
}  // namespace vantor
