// The JSON reading that decides whether a playlist at the target may be updated, and the string
// escaping that makes written playlists byte for byte RetroArch's.
#include <gtest/gtest.h>

#include "output/JsonText.h"

namespace vantor {
namespace {

TEST(JsonTextTest, ReadsWhatPlaylistsHoldAndSaysWhereTheRestFails) {
    JsonValue value;
    std::string problem;
    // A byte order mark, a comment, a name given twice (the last wins), a Latin-1 byte.
    ASSERT_TRUE(ParseJson("\xEF\xBB\xBF{ // mine\n \"a\": 1, \"label\": \"Zo\xEB\", \"b\": [], \"a\": 2 }",
                          value, problem))
        << problem;
    EXPECT_EQ(value.dump(), "{\"a\":2,\"label\":\"Zo\xC3\xAB\",\"b\":[]}");
    EXPECT_EQ(StringMember(value, "label"), "Zo\xC3\xAB");
    EXPECT_EQ(StringMember(value, "a"), "");  // no string
    EXPECT_EQ(StringMember(value, "none"), "");

    EXPECT_TRUE(ParseJson(std::string(64, '[') + std::string(64, ']'), value, problem)) << problem;
    // Brackets inside strings and comments are no nesting.
    EXPECT_TRUE(
        ParseJson("[\"" + std::string(100, '[') + "\\\"[\", // " + std::string(100, '{') + "\n /* [[[[ */ 1]",
                  value, problem))
        << problem;
    EXPECT_FALSE(ParseJson(std::string(65, '[') + std::string(65, ']'), value, problem));
    EXPECT_FALSE(ParseJson("[3333333333133333333E3333333]", value, problem));
    EXPECT_NE(problem.find("number overflow"), std::string::npos) << problem;
    EXPECT_FALSE(ParseJson(std::string(100000, '['), value, problem));
    EXPECT_NE(problem.find("nested more than 64 deep"), std::string::npos) << problem;

    for (const char* bad : {"", "{\"items\": [ {\"path\": \"a.zip\"", "[1] [2]", "\"a\tb\"", "{'a': 1}"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseJson(bad, value, problem));
        EXPECT_TRUE(problem.starts_with("line ")) << problem;
        EXPECT_TRUE(value.is_null());
    }
    EXPECT_FALSE(ParseJson("{\n  \"a\": [1,\n  2 x]}", value, problem));
    EXPECT_TRUE(problem.starts_with("line 3, column 5: ")) << problem;
}

TEST(JsonTextTest, StringsAreEscapedAsRetroArchEscapesThem) {
    std::string out;
    AppendJsonString(out, "a\"b\\c</d/e\x01\x1f\t\xC3\xA9");
    EXPECT_EQ(out, "\"a\\\"b\\\\c<\\/d/e\\u0001\\u001f\\t\xC3\xA9\"");
    JsonValue value;
    std::string problem;
    ASSERT_TRUE(ParseJson(out, value, problem)) << problem;
    EXPECT_EQ(value.get<std::string>(), "a\"b\\c</d/e\x01\x1f\t\xC3\xA9");
}

}  // namespace
}  // namespace vantor
