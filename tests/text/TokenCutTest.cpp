#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SlashList.h"
#include "TokenCut.h"

namespace imvexa {
namespace {

struct CutCase {
    const char* name;
    std::string text;
    std::string separators;  // one NextBy call per character
    std::vector<std::string> pieces;
};

// A row prints as its name, in test names and failure messages.
void PrintTo(const CutCase& row, std::ostream* out) { *out << row.name; }

class TokenCutterTest : public testing::TestWithParam<CutCase> {};

TEST_P(TokenCutterTest, CutsAllPiecesAndThenIsEmpty) {
    TTokenCutter cutter;
    cutter.SetText(GetParam().text);
    std::vector<std::string> pieces;
    for (const char separator : GetParam().separators) {
        ASSERT_FALSE(cutter.IsEmpty());
        pieces.push_back(cutter.NextBy(separator));
    }
    EXPECT_EQ(pieces, GetParam().pieces);
    EXPECT_TRUE(cutter.IsEmpty());
    EXPECT_EQ(cutter.NextBy('/'), "");
}

const CutCase kCutCases[] = {
    {"TwoKeys", "BMP/DIB", "//", {"BMP", "DIB"}},
    {"TrailingSeparator", "A/", "//", {"A", ""}},
    {"LeadingSeparator", "/A", "//", {"", "A"}},
    {"DoubledSeparator", "A//B", "///", {"A", "", "B"}},
    {"EmptyText", "", "/", {""}},
    {"SeparatorChangesPerCall", "a;b/c", ";//", {"a", "b", "c"}},
    {"BlanksAreKept", " a / b ", "//", {" a ", " b "}},
    {"BlankAsSeparator", "a b", "  ", {"a", "b"}},
    {"EmbeddedNulEndsPiece", std::string("a\0b/c", 5), "//", {"a", "c"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, TokenCutterTest, testing::ValuesIn(kCutCases),
                         testing::PrintToStringParamName());

TEST(TokenCutterTest, NewCutterIsEmpty) {
    TTokenCutter cutter;
    EXPECT_TRUE(cutter.IsEmpty());
    EXPECT_EQ(cutter.Next(), "");
}

TEST(TokenCutterTest, NextCutsAtTheSeparatorFieldAndSetTextStartsOver) {
    TTokenCutter cutter;
    cutter.Separator = ';';
    cutter.SetText("*.mag;*.pic;*.pi");
    EXPECT_EQ(cutter.Next(), "*.mag");
    cutter.SetText("*.q0;*.max");
    EXPECT_EQ(cutter.Next(), "*.q0");
    EXPECT_EQ(cutter.Next(), "*.max");
    EXPECT_TRUE(cutter.IsEmpty());
}

TEST(SlashListTest, KeysAreTrimmedAndEmptyOnesSkipped) {
    using Keys = std::vector<std::string>;
    EXPECT_EQ(SlashListKeys("TXT/INI/INF"), (Keys{"TXT", "INI", "INF"}));
    EXPECT_EQ(SlashListKeys("txt/ Log /"), (Keys{"txt", "Log"}));
    EXPECT_EQ(SlashListKeys("\tC\x01/\x1F" "CPP\r\n/A B"), (Keys{"C", "CPP", "A B"}));
    EXPECT_TRUE(SlashListKeys(" / /\t/").empty());
}

}  // namespace
}  // namespace imvexa
