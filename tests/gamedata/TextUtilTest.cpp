#include <gtest/gtest.h>

#include <random>

#include "gamedata/TextUtil.h"

using namespace vantor;

// FindText scans sixteen bytes at a time: it must agree with std::string_view::find at every
// alignment, length and end of text.
TEST(TextUtilTest, FindTextAgreesWithFind) {
    std::mt19937 random(7);
    const std::string alphabet = "<=\"ab";
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 80, ' '), part(random() % 6, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        for (char& c : part) c = alphabet[random() % alphabet.size()];
        std::size_t from = random() % (text.size() + 2);
        ASSERT_EQ(FindText(text, part, from), std::string_view(text).find(part, from))
            << "text [" << text << "] part [" << part << "] from " << from;
    }
}

TEST(TextUtilTest, FindAllBytesAtEveryAlignment) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += i % 7 == 0 ? '<' : i % 11 == 0 ? '=' : 'x';
    for (std::size_t length = 0; length <= text.size(); ++length) {
        std::vector<std::uint32_t> tags, equals, expectedTags, expectedEquals;
        for (std::uint32_t i = 0; i < length; ++i) {
            if (text[i] == '<') expectedTags.push_back(i);
            if (text[i] == '=') expectedEquals.push_back(i);
        }
        FindAllBytes(std::string_view(text).substr(0, length), '<', tags, '=', equals);
        ASSERT_EQ(tags, expectedTags) << length;
        ASSERT_EQ(equals, expectedEquals) << length;
    }
}

TEST(TextUtilTest, RecordKeysRoundTrip) {
    EXPECT_EQ(FormatRecordKey(0), "0x0");
    EXPECT_EQ(FormatRecordKey(0x1a2f), "0x1a2f");
    EXPECT_EQ(ParseRecordKey("0x1A2F"), 0x1a2f);
    EXPECT_EQ(ParseRecordKey("1a2f"), -1);
    EXPECT_EQ(ParseRecordKey("0x"), -1);
    EXPECT_EQ(ParseRecordKey("0xffffffffffffffffff"), -1);
}
