#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <string_view>

namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

std::string Format(int64_t value, bool group) {
    char buffer[kFormatNumberBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    char* result = FormatNumber(value, buffer, group);
    EXPECT_EQ(result, buffer);
    EXPECT_NE(std::memchr(buffer, '\0', sizeof buffer), nullptr);
    return buffer;
}

struct FormatCase {
    int64_t value;
    bool group;
    const char* text;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.value << (c.group ? " grouped" : " plain");
}

class FormatNumberTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatNumberTest, Text) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(Format(c.value, c.group), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatNumberTest,
    ::testing::Values(FormatCase{0, true, "0"}, FormatCase{0, false, "0"}, FormatCase{7, true, "7"},
                      FormatCase{100, true, "100"}, FormatCase{999, true, "999"},
                      FormatCase{1000, true, "1.000"}, FormatCase{-1000, true, "-1.000"},
                      FormatCase{-999, true, "-999"}, FormatCase{1000000, true, "1.000.000"},
                      FormatCase{1000000, false, "1000000"}, FormatCase{100000, true, "100.000"},
                      FormatCase{1468006400, true, "1.468.006.400"},
                      FormatCase{-1234567, true, "-1.234.567"}, FormatCase{20512, false, "20512"},
                      FormatCase{-5, false, "-5"}, FormatCase{kMax, false, "9223372036854775807"},
                      FormatCase{kMax, true, "9.223.372.036.854.775.807"},
                      FormatCase{kMin + 1, false, "-9223372036854775807"},
                      // The most negative value has no positive counterpart.
                      FormatCase{kMin, false, "-9223372036854775808"},
                      FormatCase{kMin, true, "-9.223.372.036.854.775.808"}));

struct ParseCase {
    std::string text;
    bool ok;
    int64_t value;  // when ok
};

// Test names stay printable and distinct: other bytes are shown as
// hexadecimal escapes, long texts by their ends and length.
void PrintEscaped(std::string_view text, std::ostream* os) {
    for (const char ch : text) {
        const auto u = static_cast<unsigned char>(ch);
        if (u > 0x20 && u < 0x7f) {
            *os << ch;
        } else {
            *os << "\\x"
                << "0123456789abcdef"[u >> 4] << "0123456789abcdef"[u & 15];
        }
    }
}

void PrintTo(const ParseCase& c, std::ostream* os) {
    const std::string_view text = c.text;
    *os << '[';
    if (text.size() <= 24) {
        PrintEscaped(text, os);
    } else {
        PrintEscaped(text.substr(0, 12), os);
        *os << "..";
        PrintEscaped(text.substr(text.size() - 6), os);
        *os << " (" << text.size() << " chars)";
    }
    *os << ']';
}

class ParseNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumberTest, Result) {
    const ParseCase& c = GetParam();
    constexpr int64_t kUntouched = 0x5a5a5a5a;
    int64_t out = kUntouched;
    EXPECT_EQ(ParseNumber(c.text, &out), c.ok) << '"' << c.text << '"';
    EXPECT_EQ(out, c.ok ? c.value : kUntouched) << '"' << c.text << '"';
}

std::string Repeat(char c, std::size_t n) {
    return std::string(n, c);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseNumberTest,
    ::testing::Values(
        ParseCase{"", true, 0}, ParseCase{"-", true, 0}, ParseCase{"0", true, 0},
        ParseCase{"-0", true, 0}, ParseCase{"007", true, 7}, ParseCase{"-5", true, -5},
        ParseCase{"1400", true, 1400}, ParseCase{" 12", false, 0}, ParseCase{"12 ", false, 0},
        ParseCase{"+12", false, 0}, ParseCase{"1.400", false, 0}, ParseCase{"1,5", false, 0},
        ParseCase{"12a", false, 0}, ParseCase{"--5", false, 0}, ParseCase{"5-", false, 0},
        ParseCase{"-a", false, 0}, ParseCase{"\xc3\xa4", false, 0},  // an umlaut
        ParseCase{"\t1", false, 0},
        ParseCase{std::string("1\0"
                              "2",
                              3),
                  false, 0},
        // Wrap-around without an overflow test.
        ParseCase{"9223372036854775807", true, kMax}, ParseCase{"9223372036854775808", true, kMin},
        ParseCase{"-9223372036854775808", true, kMin}, ParseCase{"18446744073709551615", true, -1},
        ParseCase{"18446744073709551616", true, 0},
        // Only 49 characters are read: whatever follows is never seen ...
        ParseCase{Repeat('0', 48) + "7" + "abc", true, 7},
        ParseCase{"-" + Repeat('0', 47) + "5" + "x", true, -5},
        ParseCase{Repeat('0', 49) + "7", true, 0},
        // ... but a bad character inside the first 49 still fails.
        ParseCase{Repeat('0', 48) + "a7", false, 0},
        // 49 nines: (10^49 - 1) mod 2^64, as a signed value.
        ParseCase{Repeat('9', 60), true, -537617205517352961},
        // The first 49 digits of "1234567890" repeated, wrapped.
        ParseCase{"123456789012345678901234567890123456789012345678901234567890", true,
                  -1896692567563992811}));

TEST(ParseNumber, LongTextEqualsItsFirst49Characters) {
    // A 10,000-character paste reads exactly like its first 49 characters.
    for (const char* head : {"", "-"}) {
        std::string text = head;
        while (text.size() < 10000)
            text += "31415926535";
        int64_t whole = 0, cut = 0;
        ASSERT_TRUE(ParseNumber(text, &whole));
        ASSERT_TRUE(ParseNumber(text.substr(0, kReadNumberMaxChars), &cut));
        EXPECT_EQ(whole, cut);
        EXPECT_NE(whole, 0);
    }
}

TEST(NumberText, RoundTripPlain) {
    const int64_t values[] = {kMin, kMin + 1, -1000000, -1, 0, 1, 9, 10, 999, 1000, kMax - 1, kMax};
    for (const int64_t v : values) {
        int64_t back = 0;
        ASSERT_TRUE(ParseNumber(Format(v, false), &back)) << v;
        EXPECT_EQ(back, v);
    }
}

TEST(NumberText, GroupedIsPlainWithSeparatorsEveryThreeDigits) {
    for (int64_t v = 1, sign = 1; v > 0 && v < kMax / 10; v = v * 10 + 7, sign = -sign) {
        const std::string plain = Format(sign * v, false);
        const std::string grouped = Format(sign * v, true);
        std::string stripped;
        for (const char c : grouped) {
            if (c != '.') stripped += c;
        }
        EXPECT_EQ(stripped, plain);
        // Separators never lead and always stand three digits apart from the end.
        const std::size_t digitsStart = grouped[0] == '-' ? 1 : 0;
        EXPECT_NE(grouped[digitsStart], '.');
        for (std::size_t i = digitsStart; i < grouped.size(); ++i) {
            if (grouped[i] == '.') {
                EXPECT_EQ((grouped.size() - i - 1) % 4, 3u) << grouped;
            }
        }
    }
}

}  // namespace
