#include <gtest/gtest.h>

#include "utils/text.h"

namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    unsigned codePage;
    std::wstring expected;
};

TEST(TextConversion, DecodesBytesOfTheGivenCodePage) {
    const DecodeCase cases[] = {
        {"ascii-system-page", "Progress=0.5", 0, L"Progress=0.5"},
        {"utf8-chinese", "\xE5\xA1\x94\xE6\xB2\x83PDF", 65001, L"\u5854\u6C83PDF"},
        {"gbk-chinese", "\xCB\xFE\xCE\xD6", 936, L"\u5854\u6C83"},
        {"empty", "", 65001, L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utils::AnsiToWide(c.bytes, c.codePage), c.expected) << c.name;
    }
}

TEST(TextConversion, EncodesAndRoundTrips) {
    const std::wstring text = L"\u5854\u6C83PDF\u7F16\u8F91\u5668";
    EXPECT_EQ(Utils::WideToAnsi(text, 65001),
              "\xE5\xA1\x94\xE6\xB2\x83PDF\xE7\xBC\x96\xE8\xBE\x91\xE5\x99\xA8");
    EXPECT_EQ(Utils::WideToAnsi(L"\u5854\u6C83", 936), "\xCB\xFE\xCE\xD6");
    EXPECT_EQ(Utils::AnsiToWide(Utils::WideToAnsi(text, 936), 936), text);
    EXPECT_EQ(Utils::WideToAnsi(L"", 65001), "");
}

TEST(TextConversion, InvalidCodePageGivesEmptyResult) {
    EXPECT_EQ(Utils::AnsiToWide("abc", 12345), L"");
    EXPECT_EQ(Utils::WideToAnsi(L"abc", 12345), "");
}

TEST(TextUtf8, IsStrict) {
    EXPECT_EQ(Utils::Utf8ToWide("\xE5\xA1\x94"), L"\u5854");
    EXPECT_EQ(Utils::Utf8ToWide("ok\xFFok"), L"");  // invalid byte
    EXPECT_EQ(Utils::Utf8ToWide("\xE5\xA1"), L"");  // truncated sequence
    EXPECT_EQ(Utils::Utf8ToWide("\xC0\xAF"), L"");  // overlong slash
    EXPECT_EQ(Utils::Utf8ToWide(""), L"");
}

TEST(TextTrim, RemovesTheSixBlanksOnTheRightSide) {
    struct Case {
        std::wstring in, left, right, both;
    } cases[] = {
        {L"  a b  ", L"a b  ", L"  a b", L"a b"},
        {L"\t\n\v\f\r x \r\n", L"x \r\n", L"\t\n\v\f\r x", L"x"},
        {L" \t\r\n", L"", L"", L""},
        {L"", L"", L"", L""},
        {L"x", L"x", L"x", L"x"},
        {L"\u3000x\u3000", L"\u3000x\u3000", L"\u3000x\u3000",
         L"\u3000x\u3000"},  // not a blank here
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utils::TrimLeft(c.in), c.left);
        EXPECT_EQ(Utils::TrimRight(c.in), c.right);
        EXPECT_EQ(Utils::Trim(c.in), c.both);
    }
}

TEST(TextReplaceAll, ReplacesUntilNoneIsLeft) {
    struct Case {
        std::wstring text, from, to, expected;
    } cases[] = {
        {L"http://h/${ROUTE}/x/${ROUTE}", L"${ROUTE}", L"download_silent",
         L"http://h/download_silent/x/download_silent"},
        {L"no placeholder", L"${ROUTE}", L"r", L"no placeholder"},
        // A replacement that forms a new occurrence with its neighbours is found again.
        {L"aabb", L"ab", L"", L""},
        // A replacement containing the pattern must not loop forever.
        {L"xax", L"a", L"aa", L"xaax"},
        {L"abc", L"", L"z", L"abc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utils::ReplaceAll(c.text, c.from, c.to), c.expected)
            << std::string(c.text.begin(), c.text.end());
    }
}

}  // namespace
