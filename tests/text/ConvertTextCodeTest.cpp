#include <gtest/gtest.h>

#include <string>

#include "jconvert.h"

namespace imvexa {
namespace {

struct ConvertCase {
    const char* name;
    std::string text;
    TextCode target;
    std::string expected;
};

// A row prints as its name, in test names and failure messages.
void PrintTo(const ConvertCase& row, std::ostream* out) { *out << row.name; }

class ConvertTextCodeTest : public testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertTextCodeTest, Converts) {
    EXPECT_EQ(ConvertTextCode(GetParam().text, GetParam().target), GetParam().expected);
}

// 0x30 0x21 is the first kanji of JIS X 0208: EUC-JP 0xB0 0xA1, Shift_JIS 0x88 0x9F.
// 0x70 0x21: EUC-JP 0xF0 0xA1 (decides EUC-JP), Shift_JIS 0xE8 0x9F.
const ConvertCase kConvertCases[] = {
    // Texts that stay as they are.
    {"EmptyText", "", TextCodeSjis, ""},
    {"BinaryText", "\x01\x1B$B0!", TextCodeSjis, "\x01\x1B$B0!"},
    {"AlreadySjis", "a\x82\xA0", TextCodeSjis, "a\x82\xA0"},
    {"EucOrSjisUndecided", "\xB0\xA1\xC4\xDF", TextCodeSjis, "\xB0\xA1\xC4\xDF"},
    {"OldJisKeptForJisTarget", "\x1B$@0!\x1B(B", TextCodeJis, "\x1B$@0!\x1B(B"},
    {"NoSuchTarget", "\xF0\xA1", TextCodeEucOrSjis, "\xF0\xA1"},

    // From JIS: escapes vanish; nothing is written for positions past the end.
    {"JisToSjis", "a\x1B$B0!\x1B(Bb", TextCodeSjis, "a\x88\x9F" "b"},
    {"OldJisToSjis", "\x1B$@0!\x1B(B", TextCodeSjis, "\x88\x9F"},
    {"JisToEuc", "\x1B$B0!\r\n\x1B(Bz", TextCodeEuc, "\xB0\xA1\r\nz"},
    {"JisEscapesFollowingStraightOn", "x\x1B(B\x1B$B0!\x1B$B\x1B(By", TextCodeSjis, "x\x88\x9F" "y"},
    {"JisTruncatedEscape", "\x1B$B0!\x1B(", TextCodeSjis, "\x88\x9F"},
    {"JisLeadByteAtEndPairsWithZero", "\x1B$B0", TextCodeSjis, "\x88\x7E"},

    // From EUC-JP.
    {"EucToSjis", "\xB0\xA1\xF0\xA1", TextCodeSjis, "\x88\x9F\xE8\x9F"},
    {"EucLeadByteAtEndPairsWithZero", "\xF0\xA1\xB0", TextCodeSjis, "\xE8\x9F\x88\x7E"},
    {"EucToJis", "\xF0\xA1\r\na\xB0\xA1", TextCodeJis, "\x1B$Bp!\x1B(J\r\na\x1B$B0!"},
    {"EucVoicedKanaToJis", "\x8E\xB6\x8E\xDE\xF0\xA1", TextCodeJis, "\x1B$B%,p!"},
    {"EucKanaWithCutMarkToJis", "\xF0\xA1\x8E\xB6\x8E", TextCodeJis, "\x1B$Bp!%+"},
    {"EucSs2WithoutKanaToJis", "\xF0\xA1\x8E" "A\x8E", TextCodeJis, "\x1B$Bp!\x1B(JA"},

    // From Shift_JIS.
    {"SjisToEuc", "a\x88\x9F\xB6\xDE", TextCodeEuc, "a\xB0\xA1\x8E\xB6\x8E\xDE"},
    {"SjisToJis", "\x88\x9F\r\n\x88\x9F", TextCodeJis, "\x1B$B0!\x1B(J\r\n\x1B$B0!"},
    {"SjisKanaToJis", "\x82\xA0\xB3\xDE\xB1\xDE", TextCodeJis, "\x1B$B$\"%t%\"!+"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ConvertTextCodeTest, testing::ValuesIn(kConvertCases),
                         testing::PrintToStringParamName());

}  // namespace
}  // namespace imvexa
