// The history text as list lines: line breaks of every kind, the 255-character
// line buffer, the shipped history and its code page.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "info/history_text.h"
#include "res/text_resource.h"

namespace {

std::vector<std::string> Split(std::string_view text) {
    return SplitHistoryLines({reinterpret_cast<const unsigned char*>(text.data()), text.size()});
}

using Lines = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string text;
    Lines lines;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, Lines) {
    EXPECT_EQ(Split(GetParam().text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, SplitTest,
    ::testing::Values(SplitCase{"CrLf", "A\r\nB", {"A", "B"}},
                      SplitCase{"LfCr", "A\n\rB", {"A", "B"}},
                      SplitCase{"CrCr", "A\r\rB", {"A", "B"}},
                      SplitCase{"LfLf", "A\n\nB", {"A", "B"}},
                      SplitCase{"TwoCrLf", "A\r\n\r\nB", {"A", "", "B"}},
                      SplitCase{"ThreeLf", "A\n\n\nB", {"A", "", "B"}},
                      SplitCase{"LastLineWithoutBreak", "A\r\nB\r\nlast", {"A", "B", "last"}},
                      SplitCase{"TrailingBreak", "A\r\n", {"A"}},
                      SplitCase{"LoneBreak", "\r\n", {""}}, SplitCase{"Empty", "", {}},
                      SplitCase{"TabsKept", "1.26\t-x\r\n\t\ty", {"1.26\t-x", "\t\ty"}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(SplitHistoryLines, ReadsNothingBeyondItsLength) {
    const std::string text = "AB\r\nCD";
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    EXPECT_EQ(SplitHistoryLines({bytes, 3}), (Lines{"AB"}));
    EXPECT_EQ(SplitHistoryLines({bytes, 1}), (Lines{"A"}));
}

TEST(SplitHistoryLines, LongLinesGoOnInTheNextLine) {
    const std::string exact(255, 'x');
    EXPECT_EQ(Split(exact + "\r\nB"), (Lines{exact, "B"}));
    const std::string longer = exact + "yz";
    EXPECT_EQ(Split(longer + "\r\nB"), (Lines{exact, "yz", "B"}));
    const std::string piece(255, 'q');
    EXPECT_EQ(Split(std::string(600, 'q')), (Lines{piece, piece, std::string(90, 'q')}));
}

TEST(Cp1252ToUtf8, DecodesTheCodePage) {
    EXPECT_EQ(Cp1252ToUtf8("plain"), "plain");
    EXPECT_EQ(Cp1252ToUtf8("\xfc\xf6\xe4\xdf\xc4"), "üöäßÄ");
    EXPECT_EQ(Cp1252ToUtf8("\x80\x84\x93\x96\x9f"), "€„“–Ÿ");
    EXPECT_EQ(Cp1252ToUtf8("\x81\x9d"), "\xc2\x81\xc2\x9d");
    EXPECT_EQ(Cp1252ToUtf8(std::string_view("\0", 1)), std::string(1, '\0'));
}

TEST(HistoryResource, HasThirtySevenLinesElevenEmpty) {
    const auto text = FindTextResource("TEXTE", kHistoryTextId);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');  // no break after the last line
    const Lines lines = SplitHistoryLines(text);
    ASSERT_EQ(lines.size(), 37u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string()), 11);
    EXPECT_EQ(Cp1252ToUtf8(lines[0]), "1.26\t-Die Infoanimation hinzugefügt.");
    EXPECT_EQ(Cp1252ToUtf8(lines[21]), "\t Grün:\tAlles OK");
    EXPECT_EQ(Cp1252ToUtf8(lines[23]),
              "\t\tkönnten falsch sein. In die Statusbar drücken oder im Menü");
    EXPECT_EQ(lines[36], "1.00\t-Final Release");
    // Every break is CR LF.
    size_t crlf = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        crlf += text[i] == '\r' && text[i + 1] == '\n';
    EXPECT_EQ(crlf, 36u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 36);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 36);
}

TEST(HistoryResource, OtherNamesFindNothing) {
    EXPECT_TRUE(FindTextResource("TEXTE", 137).empty());
    EXPECT_TRUE(FindTextResource("TEXT", kHistoryTextId).empty());
    EXPECT_TRUE(FindTextResource(nullptr, kHistoryTextId).empty());
}

}  // namespace
